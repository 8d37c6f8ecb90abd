#include "Lowtide/panel/ResponseCurveView.h"

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/response/ResponsePlot.h"
#include "Lowtide/response/LiveChain.h"
#include "uikit/UIWindow.h"

namespace lowtide {
namespace {

// Often enough that a new stream shows at once to the eye, seldom enough to cost nothing.
constexpr double kWatchInterval = 0.25;
// About two points per point of a 300-point strip over the ten octaves of a 44.1 kHz stream.
constexpr int kPointsPerOctave = 48;

}  // namespace

OBJC_CLASS(ResponseCurveView, UIView)

ResponseCurveView::ResponseCurveView() { setBackgroundColor(UIColor::clearColor()); }

ResponseCurveView::~ResponseCurveView() { stopWatching(); }

void ResponseCurveView::refresh() {
  const EqualizerChain chain = liveChain(int(streamChannels.load(std::memory_order_relaxed)));
  if (hasCurve_ && chain == curve_.chain) return;
  curve_ = responseCurve(chain, kPointsPerOctave);
  hasCurve_ = true;
  setNeedsDisplay();
}

void ResponseCurveView::drawRect(CGContext& context, CGRect) {
  drawResponsePlot(context, bounds(), curve_, PlotSize::Strip);
}

// A closed panel stays in the window far below the screen until the next one replaces it.
bool ResponseCurveView::isOnScreen() const {
  const UIWindow* w = window();
  if (w == nullptr) return false;
  const CGRect shown = convertRectToView(bounds(), nullptr);
  return CGRectIntersectsRect(shown, w->bounds());
}

void ResponseCurveView::didMoveToWindow() {
  if (window() == nullptr) {
    stopWatching();
    return;
  }
  refresh();
  if (watch_) return;
  Weak<ResponseCurveView> self(this);
  watch_ = NSTimer::scheduledTimerWithTimeInterval(kWatchInterval, true, [self](NSTimer* timer) {
    ResponseCurveView* view = self.get();
    if (view == nullptr) timer->invalidate();
    else if (view->isOnScreen()) view->refresh();
  });
}

void ResponseCurveView::stopWatching() {
  if (watch_) watch_->invalidate();
  watch_ = nullptr;
}

}  // namespace lowtide
