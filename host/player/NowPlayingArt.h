// The Now Playing screen's own drawing: the status bar at the top of the screen, the artwork
// square, drawn from the track's title (files carry no pictures the player reads), and the
// speakers beside the volume slider.
#pragma once

#include <string>

#include "uikit/UIView.h"

namespace host {

// Carrier name, clock and battery on the 20-point strip at the top, in black or white,
// whichever stands out from the screen drawn under it.
class StatusBarView : public UIView {
 public:
  static Class runtimeClass();  // "StatusBarView"
  static CGColor inkOver(const CGColor& behind);
  void drawRect(CGContext& context, CGRect rect) override;
};

// A square of soft colour chosen by the title, with equalizer bars over it.
class ArtworkView : public UIView {
 public:
  static Class runtimeClass();  // "ArtworkView"
  void setTitle(const std::string& title);
  static CGColor colourForTitle(const std::string& title);
  void drawRect(CGContext& context, CGRect rect) override;

 private:
  std::string title_;
};

// A small speaker at either end of the volume slider, with sound waves when `loud`.
class SpeakerGlyphView : public UIView {
 public:
  static Class runtimeClass();  // "SpeakerGlyphView"
  void setLoud(bool loud) { loud_ = loud; }
  void drawRect(CGContext& context, CGRect rect) override;

 private:
  bool loud_ = false;
};

}  // namespace host
