// NSLog formats a line into the sink set, or onto standard error without one. From the audio
// thread the line is only queued, whatever the writer is doing; the logging thread writes it;
// lines keep the order they were logged in across threads; a full queue says how many lines it
// dropped; and what is queued is written when the process exits.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/NSLog.h"
#include "foundation/NSLogQueue.h"

namespace {

using namespace std::chrono_literals;
constexpr auto kDeadline = 10s;  // only reached when something blocks for good

// Where the lines go during a test: records each line and the thread that wrote it, and can
// hold the writer inside the sink until released.
class RecordingSink {
 public:
  void write(const std::string& line) {
    std::unique_lock lock(mutex_);
    lines_.push_back(line);
    writers_.push_back(std::this_thread::get_id());
    if (hold_) {
      held_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return !hold_; });
      held_ = false;
    }
  }
  void hold() {
    std::lock_guard lock(mutex_);
    hold_ = true;
  }
  bool waitUntilHeld() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kDeadline, [this] { return held_; });
  }
  void release() {
    std::lock_guard lock(mutex_);
    hold_ = false;
    changed_.notify_all();
  }
  std::vector<std::string> lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  std::thread::id writerOf(size_t line) {
    std::lock_guard lock(mutex_);
    return writers_.at(line);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
  std::vector<std::thread::id> writers_;
  bool hold_ = false;
  bool held_ = false;
};

// Logs `lines` on a thread of its own inside a real-time scope, as the tap's process does.
// Answers that thread's id, or a default id when it did not finish in time (then `held` is
// released, so that the thread can end).
std::thread::id logFromAudioThread(std::vector<std::string> lines, RecordingSink* held = nullptr) {
  auto done = std::async(std::launch::async, [lines = std::move(lines)] {
    NSLogRealTimeScope realTime;
    for (const std::string& line : lines) NSLog("%s", line.c_str());
    return std::this_thread::get_id();
  });
  if (done.wait_for(kDeadline) == std::future_status::ready) return done.get();
  if (held != nullptr) held->release();
  done.wait();
  return {};
}

std::vector<std::string> numbered(const std::string& prefix, int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(prefix + std::to_string(i));
  return lines;
}

class NSLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = NSLogSetSink([sink = sink_](const std::string& line) { sink->write(line); });
  }
  void TearDown() override {
    sink_->release();
    NSLogSetSink(previous_);
  }

  std::shared_ptr<RecordingSink> sink_ = std::make_shared<RecordingSink>();

 private:
  NSLogSink previous_;
};

}  // namespace

// A sink set over the fixture's gets the lines; setting the fixture's back hands this one back.
TEST_F(NSLogTest, FormatsLinesIntoTheSinkAndRestoresThePreviousOne) {
  std::vector<std::string> lines;
  NSLogSink previous = NSLogSetSink([&](const std::string& line) { lines.push_back(line); });
  NSLog("MTAudioProcessingTapGetSourceAudio: %d", -1);
  NSLog("%s", "");
  NSLog("%s", std::string(5000, 'x').c_str());
  NSLogSink mine = NSLogSetSink(previous);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "MTAudioProcessingTapGetSourceAudio: -1");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2].size(), 5000u);
  ASSERT_TRUE(static_cast<bool>(mine));
}

TEST_F(NSLogTest, WritesToStandardErrorWithoutASink) {
  NSLogSink previous = NSLogSetSink(nullptr);
  testing::internal::CaptureStderr();
  NSLog("Unsupported tap processing format.");
  const std::string err = testing::internal::GetCapturedStderr();
  NSLogSetSink(previous);
  EXPECT_EQ(err, "Unsupported tap processing format.\n");
}

TEST_F(NSLogTest, AnAudioThreadLineWaitsForNoWriterAndTheLoggingThreadWritesIt) {
  sink_->hold();
  const std::thread::id audio = logFromAudioThread({"first"}, sink_.get());
  ASSERT_NE(audio, std::thread::id{});
  ASSERT_TRUE(sink_->waitUntilHeld()) << "no thread wrote the queued line";
  EXPECT_NE(sink_->writerOf(0), audio);
  EXPECT_NE(sink_->writerOf(0), std::this_thread::get_id());

  // The writer is stuck inside the sink; the audio thread logs on regardless.
  const std::thread::id again = logFromAudioThread({"second", "third"}, sink_.get());
  sink_->release();
  EXPECT_NE(again, std::thread::id{}) << "the audio thread waited for the writer";
  NSLogFlush();
  EXPECT_EQ(sink_->lines(), (std::vector<std::string>{"first", "second", "third"}));
}

TEST_F(NSLogTest, AnOrdinaryLineIsOutWhenNSLogReturnsAfterTheLinesLoggedBeforeIt) {
  ASSERT_NE(logFromAudioThread({"audio 1", "audio 2"}), std::thread::id{});
  NSLog("main %d", 1);
  EXPECT_EQ(sink_->lines(), (std::vector<std::string>{"audio 1", "audio 2", "main 1"}));
  ASSERT_NE(logFromAudioThread({"audio 3"}), std::thread::id{});
  NSLog("main %d", 2);
  EXPECT_EQ(sink_->lines(),
            (std::vector<std::string>{"audio 1", "audio 2", "main 1", "audio 3", "main 2"}));
}

TEST_F(NSLogTest, AFullQueueSaysHowManyLinesItDroppedAfterTheLinesThatGotIn) {
  sink_->hold();
  ASSERT_NE(logFromAudioThread({"first"}, sink_.get()), std::thread::id{});
  ASSERT_TRUE(sink_->waitUntilHeld());
  const int sent = int(NSLogQueue::kCapacity) + 5;
  ASSERT_NE(logFromAudioThread(numbered("line ", sent), sink_.get()), std::thread::id{});
  sink_->release();
  NSLogFlush();

  const std::vector<std::string> lines = sink_->lines();
  ASSERT_GE(lines.size(), NSLogQueue::kCapacity + 1);
  EXPECT_EQ(lines.front(), "first");
  const int kept = int(lines.size()) - 2;
  for (int i = 0; i < kept; ++i) ASSERT_EQ(lines[size_t(i) + 1], "line " + std::to_string(i));
  const int dropped = sent - kept;
  EXPECT_EQ(lines.back(), "NSLog: the log queue was full; " + std::to_string(dropped) + " lines dropped");
}

TEST_F(NSLogTest, LinesFromManyThreadsKeepEachThreadsOrderAndDropsAreAllCounted) {
  constexpr int kAudioLines = 3000, kOrdinaryLines = 400;
  std::vector<std::thread> threads;
  for (const char* name : {"a", "b"}) {
    threads.emplace_back([name] {
      NSLogRealTimeScope realTime;
      for (int i = 0; i < kAudioLines; ++i) NSLog("%s %d", name, i);
    });
  }
  for (const char* name : {"m", "n"}) {
    threads.emplace_back([name] {
      for (int i = 0; i < kOrdinaryLines; ++i) NSLog("%s %d", name, i);
    });
  }
  for (std::thread& t : threads) t.join();
  NSLogFlush();

  std::map<std::string, int> next;  // per thread: the number its next line must exceed
  std::map<std::string, int> received;
  int dropped = 0;
  const std::string dropNotice = "NSLog: the log queue was full; ";
  for (const std::string& line : sink_->lines()) {
    if (line.rfind(dropNotice, 0) == 0) {
      dropped += std::stoi(line.substr(dropNotice.size()));
      continue;
    }
    // "<thread> <number>"
    const size_t space = line.find(' ');
    ASSERT_TRUE(space == 1 && std::string("abmn").find(line[0]) != std::string::npos) << line;
    const std::string name = line.substr(0, 1);
    const int number = std::stoi(line.substr(2));
    ASSERT_EQ(std::to_string(number), line.substr(2)) << line;
    auto [at, fresh] = next.emplace(name, -1);
    ASSERT_GT(number, at->second) << line << " came out of order";
    at->second = number;
    ++received[name];
  }
  EXPECT_EQ(received["m"], kOrdinaryLines) << "ordinary threads wait for room, never drop";
  EXPECT_EQ(received["n"], kOrdinaryLines);
  EXPECT_EQ(received["a"] + received["b"] + dropped, 2 * kAudioLines);
}

TEST(NSLogOutputTest, AnAudioThreadLineReachesStandardErrorAsItAlwaysHas) {
  NSLogSink previous = NSLogSetSink(nullptr);
  testing::internal::CaptureStderr();
  ASSERT_NE(logFromAudioThread({"MTAudioProcessingTapGetSourceAudio: -1"}), std::thread::id{});
  NSLog("Unsupported tap processing format.");
  const std::string err = testing::internal::GetCapturedStderr();
  NSLogSetSink(previous);
  EXPECT_EQ(err, "MTAudioProcessingTapGetSourceAudio: -1\nUnsupported tap processing format.\n");
}

TEST(NSLogOutputTest, QueuedLinesAreWrittenWhenTheProcessExits) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        NSLogSetSink(nullptr);
        logFromAudioThread({"queued 1"});
        NSLog("ordinary 2");
        logFromAudioThread({"queued 3", "queued 4"});
        std::exit(0);
      },
      testing::ExitedWithCode(0), "queued 1\nordinary 2\nqueued 3\nqueued 4\n");
}
