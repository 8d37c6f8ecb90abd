#include "host/player/SessionFrontEnd.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "foundation/NSRunLoop.h"

namespace host {

void SessionFrontEnd::attachWindow(std::unique_ptr<PlayerWindow> window) { window_ = std::move(window); }
void SessionFrontEnd::attachScript(std::unique_ptr<ScriptRunner> script) { script_ = std::move(script); }

void SessionFrontEnd::runDue(double sessionSeconds) {
  NSRunLoop::mainRunLoop()->fireDueTimers();
  if (script_) script_->runDue(sessionSeconds);
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
  if (window_) window_->setTitle(t.title + " \u2014 Tunely");
}

void SessionFrontEnd::playedTo(double seconds) {
  session_.transport().position = seconds;
  session_.showPosition();
}

bool SessionFrontEnd::canStillAct() const {
  return (window_ && !windowClosed_) || (script_ && !script_->finished());
}

}  // namespace host
