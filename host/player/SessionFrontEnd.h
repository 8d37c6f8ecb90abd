// What the main thread does for the listener while the queue plays, at each of its turns: the
// run loop's timers, then the script's steps that are due, then the window's input and drawing.
// Offline the turns come at every block boundary on the media clock; live they come whenever
// the player's loop waits, on the wall clock since playing started.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/media/CompareStage.h"
#include "host/media/OutputGain.h"
#include "host/media/PeakLimiter.h"
#include "host/player/PlayerSession.h"
#include "host/script/ScriptRunner.h"
#include "host/window/PlayerWindow.h"

namespace host {

class SessionFrontEnd {
 public:
  explicit SessionFrontEnd(PlayerSession& session) : session_(session) {}
  void attachWindow(std::unique_ptr<PlayerWindow> window);
  void attachScript(std::unique_ptr<ScriptRunner> script);
  PlayerWindow* window() const { return window_.get(); }
  // What goes to the speakers: the volume the slider sets, and the limiter whose action the
  // screen shows (either may be null).
  void attachOutput(OutputGain* volume, const PeakLimiter* limiter) {
    volume_ = volume;
    limiter_ = limiter;
  }

  // The listener's A/B comparison after the tap: the transport's requests go to it, what it lets
  // be heard comes back to the screen.
  void attachComparison(CompareStage* compare) { compare_ = compare; }

  // Offline: the turn at a block boundary, without waiting.
  void turn(double sessionSeconds);
  // Live: the turn, then a wait of at most `maxWait` seconds for input, a timer or a step.
  // False once the listener ended the session from the window (close, Ctrl-Q, Ctrl-C).
  bool wait(double maxWait, double sessionSeconds);

  // A new track plays (its place in the queue, its tags and length): the screen and the
  // window's title name it.
  void trackStarted(size_t index, size_t count, const std::string& path, const std::string& title,
                    const std::string& artist, double seconds);
  // Where the track is now; the screen shows it when the whole second changes.
  void playedTo(double seconds);

  // Whether anything may still act on the session: an open window or script steps to come.
  bool canStillAct() const;
  bool windowClosed() const { return windowClosed_; }
  bool windowOpen() const { return window_ && !windowClosed_; }
  bool scriptFailed() const { return script_ && script_->anyFailed(); }
  // The audio ran out: script steps timed after it are reported, as failures.
  void reportScriptStepsNotReached() {
    if (script_) script_->reportStepsNotReached(script_->lastTurn());
  }

 private:
  void runDue(double sessionSeconds);
  void followOutput(double sessionSeconds);
  void followComparison();

  PlayerSession& session_;
  std::unique_ptr<PlayerWindow> window_;
  std::unique_ptr<ScriptRunner> script_;
  bool windowClosed_ = false;
  OutputGain* volume_ = nullptr;
  const PeakLimiter* limiter_ = nullptr;
  CompareStage* compare_ = nullptr;
  double limitingSeenAt_ = -1;  // session time the limiter was last seen acting
};

}  // namespace host
