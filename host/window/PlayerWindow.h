// The player on a desktop: an SDL window showing the device screen as UIKit draws it, at a pixel
// scale, the mouse acting as the finger and the keyboard typing into the text field that has
// the keyboard. The window redraws only what changed and sleeps until input, a timer or an
// animation frame is due, so an idle player costs next to no CPU.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "uikit/UIWindow.h"

namespace host {

// Keys for the player itself: the transport and volume when no text field has the keyboard,
// the media keys and Escape (cancel what sits in front) always.
enum class PlayerKey { PlayPause, SeekBack, SeekForward, Next, Previous, VolumeUp, VolumeDown, Cancel, Compare };

class PlayerWindow {
 public:
  // Opens the window for `screen` at `scale` pixels per point (0: 2 when the desktop has room
  // for it, else 1). Nil with the reason when there is no display to open it on.
  static std::unique_ptr<PlayerWindow> open(UIWindow* screen, int scale, const std::string& title,
                                            std::string& error);
  ~PlayerWindow();
  PlayerWindow(const PlayerWindow&) = delete;
  PlayerWindow& operator=(const PlayerWindow&) = delete;

  int scale() const { return scale_; }
  void setTitle(const std::string& title);
  std::function<void(PlayerKey)> onPlayerKey;
  // The mouse wheel at a point of the screen (in points), in notches: up or right is positive.
  std::function<void(CGPoint, int)> onWheel;
  // Text typed while no text field has the keyboard; true when something took it.
  std::function<bool(const std::string&)> onStrayText;
  // A file or folder dropped on the window, by its path.
  std::function<void(const std::string&)> onDrop;

  // Delivers the input that arrives within `maxWait` seconds (less when a timer of the run loop
  // or an animation frame is due first), then redraws if the screen changed. Answers false once
  // the listener asked to end the session: the close button, Ctrl-Q or Ctrl-C.
  bool pump(double maxWait);
  // Draws the screen now if it changed since it was last drawn.
  void redraw();

 private:
  struct Impl;
  PlayerWindow(std::unique_ptr<Impl> impl, int scale);
  bool handle(const void* event);

  std::unique_ptr<Impl> impl_;
  int scale_;
  bool quit_ = false;
};

// Whether this process can show a window: a display is named (DISPLAY or WAYLAND_DISPLAY).
bool displayAvailable();

}  // namespace host
