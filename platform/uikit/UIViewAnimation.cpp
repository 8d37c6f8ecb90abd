#include "uikit/UIViewAnimation.h"

#include <cmath>
#include <vector>

#include "foundation/NSRunLoop.h"
#include "foundation/NSTimer.h"
#include "uikit/UIView.h"

namespace {

enum class Property { Frame, BoundsOrigin, Alpha };

struct Animation {
  Weak<UIView> view;
  Property property;
  double start, duration;
  CGRect fromRect, toRect;  // the frame, or the bounds origin in `origin`
  double fromAlpha, toAlpha;
};

struct Block {
  double start, duration;
};

std::vector<Animation>& animations() {
  static auto* list = new std::vector<Animation>;
  return *list;
}
std::vector<Block>& openBlocks() {
  static auto* stack = new std::vector<Block>;
  return *stack;
}

double now() { return NSRunLoop::mainRunLoop()->currentTime(); }

// The platform's default curve: ease in, ease out.
double eased(double t) { return t * t * (3 - 2 * t); }

double mix(double a, double b, double t) { return a + (b - a) * t; }
CGRect mix(const CGRect& a, const CGRect& b, double t) {
  return CGRectMake(mix(a.origin.x, b.origin.x, t), mix(a.origin.y, b.origin.y, t),
                    mix(a.size.width, b.size.width, t), mix(a.size.height, b.size.height, t));
}

// The animation of the property that is still running, if any; drops those that are over.
const Animation* running(const UIView* view, Property property) {
  const double t = now();
  for (const Animation& a : animations())
    if (a.view.get() == view && a.property == property && t < a.start + a.duration) return &a;
  return nullptr;
}

double progress(const Animation& a) {
  return a.duration > 0 ? eased(std::clamp((now() - a.start) / a.duration, 0.0, 1.0)) : 1.0;
}

void record(UIView* view, Property property, const CGRect& from, const CGRect& to, double fromAlpha,
            double toAlpha) {
  if (openBlocks().empty()) return;
  const Block& block = openBlocks().back();
  if (block.duration <= 0) return;
  auto& list = animations();
  std::erase_if(list, [view, property](const Animation& a) {
    return a.view.get() == view && a.property == property;
  });
  list.push_back(Animation{Weak<UIView>(view), property, block.start, block.duration, from, to, fromAlpha, toAlpha});
}

void prune() {
  const double t = now();
  std::erase_if(animations(), [t](const Animation& a) { return !a.view || t >= a.start + a.duration; });
}

}  // namespace

void UIViewAnimationRecorder::willChangeFrame(UIView* view, CGRect to) {
  if (!openBlocks().empty()) record(view, Property::Frame, view->presentationFrame(), to, 0, 0);
}

void UIViewAnimationRecorder::willChangeBoundsOrigin(UIView* view, CGPoint to) {
  if (!openBlocks().empty())
    record(view, Property::BoundsOrigin, CGRect{view->presentationBoundsOrigin(), {}}, CGRect{to, {}}, 0, 0);
}

void UIViewAnimationRecorder::willChangeAlpha(UIView* view, double to) {
  if (!openBlocks().empty()) record(view, Property::Alpha, {}, {}, view->presentationAlpha(), to);
}

void UIView::animateWithDuration(double duration, const std::function<void()>& animations,
                                 std::function<void(bool)> completion) {
  openBlocks().push_back(Block{now(), duration});
  if (animations) animations();
  openBlocks().pop_back();
  markScreenChanged();
  if (completion)
    NSTimer::scheduledTimerWithTimeInterval(std::max(duration, 0.0), false,
                                            [completion](NSTimer*) { completion(true); });
}

bool UIView::animationsRunning() {
  prune();
  return !animations().empty();
}

CGRect UIView::presentationFrame() const {
  const Animation* a = running(this, Property::Frame);
  return a ? mix(a->fromRect, a->toRect, progress(*a)) : frame_;
}

CGPoint UIView::presentationBoundsOrigin() const {
  const Animation* a = running(this, Property::BoundsOrigin);
  return a ? mix(a->fromRect, a->toRect, progress(*a)).origin : boundsOrigin_;
}

double UIView::presentationAlpha() const {
  const Animation* a = running(this, Property::Alpha);
  return a ? mix(a->fromAlpha, a->toAlpha, progress(*a)) : alpha_;
}

void UIView::removeAllAnimations() {
  const auto before = animations().size();
  std::erase_if(animations(), [this](const Animation& a) { return a.view.get() == this; });
  if (animations().size() != before) markScreenChanged();
}
