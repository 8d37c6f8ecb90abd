#include "host/player/MPDetailSlider.h"

namespace host {

void MPDetailSlider::beginTracking() {
  tracking_ = true;
  msgSend<void>(delegate_, sel_registerName("detailSliderTrackingDidBegin:"), static_cast<id>(this));
}

void MPDetailSlider::endTracking() {
  tracking_ = false;
  msgSend<void>(delegate_, sel_registerName("detailSliderTrackingDidEnd:"), static_cast<id>(this));
}

void MPDetailSlider::cancelTracking() {
  tracking_ = false;
  msgSend<void>(delegate_, sel_registerName("detailSliderTrackingDidCancel:"), static_cast<id>(this));
}

}  // namespace host
