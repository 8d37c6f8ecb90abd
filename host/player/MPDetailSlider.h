// The track position slider. Dragging it tells its delegate (the controls view) through the
// detailSliderTracking... messages, with the slider as argument.
#pragma once

#include "uikit/UIControl.h"

namespace host {

class MPDetailSlider : public UIControl {
 public:
  explicit MPDetailSlider(id delegate) : delegate_(delegate) {}

  void beginTracking();   // the listener puts a finger on the slider
  void endTracking();     // ... and lifts it
  void cancelTracking();  // ... or the system takes the touch away
  bool isTracking() const { return tracking_; }
  void clearDelegate() { delegate_ = nullptr; }

 private:
  id delegate_;  // not retained: the delegate owns the slider
  bool tracking_ = false;
};

}  // namespace host
