#include "host/media/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace host {
namespace {
constexpr int kWidth = 30;
constexpr int kSteps = 20;
}  // namespace

ProgressBar::ProgressBar(double totalSeconds, bool enabled)
    : total_(totalSeconds), enabled_(enabled && totalSeconds > 0) {}

bool ProgressBar::standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void ProgressBar::update(double seconds, const std::string& label) {
  if (!enabled_) return;
  const double fraction = std::clamp(seconds / total_, 0.0, 1.0);
  const int step = int(fraction * kSteps);
  if (step == drawnStep_) return;
  drawnStep_ = step;
  const int filled = int(fraction * kWidth);
  std::string bar(size_t(filled), '#');
  bar.resize(kWidth, '.');
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  char speed[32] = "";
  if (wall > 0) std::snprintf(speed, sizeof speed, "  %.0fx real time", seconds / wall);
  std::fprintf(stderr, "\r\033[K[%s] %5.1f / %.1f s%s  %s", bar.c_str(), seconds, total_, speed,
               label.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::done() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace host
