#include "host/player/MPDetailSlider.h"

namespace host {

OBJC_CLASS(MPDetailSlider, UISlider)

void MPDetailSlider::beginTracking() {
  scrubbing_ = true;
  msgSend<void>(delegate_, sel_registerName("detailSliderTrackingDidBegin:"), static_cast<id>(this));
}

void MPDetailSlider::endTracking() {
  scrubbing_ = false;
  msgSend<void>(delegate_, sel_registerName("detailSliderTrackingDidEnd:"), static_cast<id>(this));
}

void MPDetailSlider::cancelTracking() {
  scrubbing_ = false;
  msgSend<void>(delegate_, sel_registerName("detailSliderTrackingDidCancel:"), static_cast<id>(this));
}

bool MPDetailSlider::beginTrackingWithTouch(UITouch* touch, UIEvent* event) {
  if (!UISlider::beginTrackingWithTouch(touch, event)) return false;
  Ref<MPDetailSlider> keep(this);
  beginTracking();
  return true;
}

void MPDetailSlider::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
  Ref<MPDetailSlider> keep(this);
  UISlider::endTrackingWithTouch(touch, event);
  endTracking();
}

void MPDetailSlider::cancelTrackingWithEvent(UIEvent* event) {
  Ref<MPDetailSlider> keep(this);
  UISlider::cancelTrackingWithEvent(event);
  cancelTracking();
}

}  // namespace host
