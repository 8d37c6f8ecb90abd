#include "host/player/SessionFrontEnd.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "foundation/NSRunLoop.h"

namespace host {

void SessionFrontEnd::attachWindow(std::unique_ptr<PlayerWindow> window) { window_ = std::move(window); }
void SessionFrontEnd::attachScript(std::unique_ptr<ScriptRunner> script) { script_ = std::move(script); }

void SessionFrontEnd::runDue(double sessionSeconds) {
  NSRunLoop::mainRunLoop()->fireDueTimers();
  followOutput(sessionSeconds);
  if (script_) script_->runDue(sessionSeconds);
  followComparison();  // a step due now is heard from this block boundary on
}

// The volume goes to the audio thread; the limiter's reduction comes back to the screen, where
// it stays half a second after the limiter stops, long enough to be read.
void SessionFrontEnd::followOutput(double sessionSeconds) {
  PlayerTransport& t = session_.transport();
  if (volume_) volume_->setVolume(t.volume);
  if (!limiter_) return;
  const double db = limiter_->reductionDb();
  double shown = t.limitingDb;
  if (db < -0.05) {
    limitingSeenAt_ = sessionSeconds;
    shown = db;
  } else if (limitingSeenAt_ < 0 || sessionSeconds - limitingSeenAt_ > 0.5) {
    shown = 0;
  }
  if (std::fabs(shown - t.limitingDb) >= 0.05 || (shown == 0) != (t.limitingDb == 0)) {
    t.limitingDb = shown;
    session_.showLimiting();
  }
}

// The request goes to the audio thread, which switches at its next block; the screen follows what
// it reports as heard, and keeps its read-out over whatever opened since.
void SessionFrontEnd::followComparison() {
  if (!compare_) return;
  PlayerTransport& t = session_.transport();
  using Mode = CompareStage::Mode;
  compare_->request(!t.compareOn ? Mode::Off : t.compareUnmatched ? Mode::Unmatched : Mode::Matched);
  if (!compare_->everCompared()) return;
  const Mode heard = compare_->heard();
  std::string label = comparisonLabel(heard != Mode::Off, heard == Mode::Matched, compare_->gainDb());
  if (label != t.comparing) {
    t.comparing = std::move(label);
    session_.showComparison();
  } else {
    session_.keepComparisonInFront();
  }
}

void SessionFrontEnd::turn(double sessionSeconds) {
  runDue(sessionSeconds);
  if (window_ && !windowClosed_ && !window_->pump(0)) windowClosed_ = true;
}

bool SessionFrontEnd::wait(double maxWait, double sessionSeconds) {
  runDue(sessionSeconds);
  double wait = std::max(0.0, maxWait);
  if (script_)
    if (auto due = script_->nextDue()) wait = std::min(wait, std::max(0.0, *due - sessionSeconds));
  if (window_ && !windowClosed_) {
    if (!window_->pump(wait)) windowClosed_ = true;
  } else {
    NSRunLoop* loop = NSRunLoop::mainRunLoop();
    if (auto due = loop->nextFireDate()) wait = std::min(wait, std::max(0.0, *due - loop->currentTime()));
    std::this_thread::sleep_for(std::chrono::duration<double>(wait));
  }
  return !windowClosed_;
}

void SessionFrontEnd::trackStarted(size_t index, size_t count, const std::string& path, const std::string& title,
                                   const std::string& artist, double seconds) {
  PlayerTransport& t = session_.transport();
  // Without tags the file's name stands for the title, as the phone's player shows it.
  t.title = title.empty() ? std::filesystem::path(path).stem().string() : title;
  t.artist = artist.empty() ? "Unknown Artist" : artist;
  t.index = index;
  t.count = count;
  t.duration = seconds;
  t.position = 0;
  session_.showTrack();
  if (window_) window_->setTitle(t.title + " \u2014 " + t.artist);
}

void SessionFrontEnd::playedTo(double seconds) {
  session_.transport().position = seconds;
  session_.showPosition();
}

bool SessionFrontEnd::canStillAct() const {
  return (window_ && !windowClosed_) || (script_ && !script_->finished());
}

}  // namespace host
