// The progress bar on a terminal: how far the render is and how fast it goes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "CommandHarness.h"
#include "host/media/ProgressBar.h"

namespace {

// What `draw` writes to standard error, caught in a file.
template <class Draw>
std::string standardErrorOf(const std::string& file, Draw draw) {
  std::fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  FILE* caught = std::fopen(file.c_str(), "w");
  dup2(fileno(caught), STDERR_FILENO);
  draw();
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
  std::fclose(caught);
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ProgressBar, ShowsTheAudioDoneAndTheSpeedAndClearsItsLine) {
  tunely_test::TempFolder temp;
  const std::string shown = standardErrorOf(temp.file("bar.txt"), [] {
    host::ProgressBar bar(100.0, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    bar.update(50.0, "1/2");
    bar.update(50.5, "1/2");  // within the same twentieth: not drawn again
    bar.done();
  });
  EXPECT_NE(shown.find("[###############...............]  50.0 / 100.0 s"), std::string::npos)
      << shown;
  // 50 s of audio in a little over 20 ms: some thousand times real time, never more than 2500.
  const size_t at = shown.find("x real time");
  ASSERT_NE(at, std::string::npos) << shown;
  const double speed = std::stod(shown.substr(shown.rfind(' ', at - 1) + 1));
  EXPECT_GT(speed, 50);
  EXPECT_LE(speed, 2500);
  EXPECT_EQ(shown.find("50.5"), std::string::npos) << shown;
  EXPECT_EQ(shown.substr(shown.size() - 4), "\r\033[K");  // the line is cleared at the end

  const std::string silent = standardErrorOf(temp.file("none.txt"), [] {
    host::ProgressBar bar(100.0, false);
    bar.update(50.0, "1/1");
    bar.done();
  });
  EXPECT_EQ(silent, "");
}

}  // namespace
