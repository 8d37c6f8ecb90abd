// The panel's curve strip: the response a listener hears from the equalizer now, drawn from the
// chain the audio thread is running.
//
// It recomputes and redraws only when that chain changes: the panel's handlers ask it at once
// after every control change, and while it is on screen it looks again four times a second on
// the main run loop, which is how it learns of a new stream (the tap's preparation records the
// rate in the engine; the audio thread does no work for the curve) and of changes made without a
// control (the last-state loader). A layout makes it by its class name.
#pragma once

#include "Lowtide/response/ChainResponse.h"
#include "foundation/NSTimer.h"
#include "uikit/UIView.h"

namespace lowtide {

class ResponseCurveView : public UIView {
 public:
  static Class runtimeClass();  // "ResponseCurveView", a subclass of "UIView"
  ResponseCurveView();
  ~ResponseCurveView() override;

  // Reads the chain in force; when it differs from the one drawn, computes its curve and asks
  // for a redraw. Main thread.
  void refresh();
  const ResponseCurve& curve() const { return curve_; }

  void drawRect(CGContext& context, CGRect rect) override;

 protected:
  void didMoveToWindow() override;

 private:
  bool isOnScreen() const;
  void stopWatching();

  ResponseCurve curve_;
  bool hasCurve_ = false;
  Ref<NSTimer> watch_;
};

}  // namespace lowtide
