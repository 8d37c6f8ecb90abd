#include "uikit/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "uikit/UIApplication.h"
#include "uikit/UIEvent.h"

OBJC_CLASS(UIWindow, UIView)

void UIWindow::makeKeyAndVisible() {
  setHidden(false);
  UIApplication::sharedApplication()->setKeyWindow(this);
}

bool UIWindow::isKeyWindow() const { return UIApplication::sharedApplication()->keyWindow() == this; }

void UIWindow::sendEvent(UIEvent* event) {
  Ref<UIEvent> keep(event);
  for (UITouch* touch : event->allTouches()) {
    if (touch->phase() == UITouchPhase::Began) {
      layoutIfNeeded();
      UIView* hit = hitTest(touch->locationInView(this), event);
      touch->setView(hit);
    }
    UIView* view = touch->view();
    if (view == nullptr) continue;
    Ref<UIView> holder(view);
    const std::set<UITouch*> touches{touch};
    switch (touch->phase()) {
      case UITouchPhase::Began: view->touchesBegan(touches, event); break;
      case UITouchPhase::Moved:
      case UITouchPhase::Stationary: view->touchesMoved(touches, event); break;
      case UITouchPhase::Ended: view->touchesEnded(touches, event); break;
      case UITouchPhase::Cancelled: view->touchesCancelled(touches, event); break;
    }
  }
}

void UIWindow::setStatusBarView(UIView* view) {
  statusBar_ = Ref<UIView>(view);
  markScreenChanged();
}

namespace {

UIView*& drawnView() {
  static UIView* view = nullptr;
  return view;
}

}  // namespace

// Draws a view and its subtree as the screen shows them now, in the coordinates of its superview;
// with a damaged rectangle (window coordinates), only the views that reach into it.
void UIWindow::drawView(UIView* view, CGContext& ctx, const CGRect* damage) {
  if (view->isHidden()) return;
  const double alpha = view->presentationAlpha();
  if (alpha <= 0) return;
  const bool reaches = damage == nullptr || CGRectIntersectsRect(view->drawn_.rect, *damage);
  if (!reaches && view->clipsToBounds()) return;
  const CGRect frame = view->presentationFrame();
  const CGPoint origin = view->presentationBoundsOrigin();
  ctx.saveGState();
  ctx.translateCTM(frame.origin.x, frame.origin.y);
  if (view->clipsToBounds()) ctx.clipToRect(CGRectMake(0, 0, frame.size.width, frame.size.height));
  const bool layer = alpha < 1;
  if (layer) ctx.beginTransparencyLayer();
  ctx.translateCTM(-origin.x, -origin.y);
  const CGRect bounds{origin, frame.size};
  if (reaches) {
    if (UIColor* background = view->backgroundColor(); background && background->alpha() > 0) {
      ctx.setFillColor(background->cgColor());
      ctx.fillRect(bounds);
    }
    drawnView() = view;
    view->drawRect(ctx, bounds);
    drawnView() = nullptr;
  }
  for (const Ref<UIView>& sub : view->allSubviews()) drawView(sub.get(), ctx, damage);
  if (layer) ctx.endTransparencyLayer(alpha);
  ctx.restoreGState();
}

// What a drawing of the changes covers, worked out in drawing order before anything is drawn.
struct UIWindow::ChangePlan {
  double now = 0;
  bool everything = false;
  CGRect damage{};   // what is drawn again, in window coordinates
  CGRect changed{};  // what changed among the views met so far (what lies under the next one)
  std::vector<CGBlurCache*> blurs;
  std::optional<double> blurDue;

  void add(CGRect rect) {
    damage = CGRectUnion(damage, rect);
    changed = CGRectUnion(changed, rect);
  }
  // A bar's blur is made again when it has none, or when something under it changed (held back
  // until kBlurInterval after the last one); otherwise the kept one is painted.
  void decideBlur(CGBlurCache& cache, CGRect rect) {
    blurs.push_back(&cache);
    const bool under = cache.stale || CGRectIntersectsRect(changed, rect);
    const bool allowed = now >= cache.madeAt + kBlurInterval;
    if (everything || !cache.valid || (under && allowed)) {
      cache.use = CGBlurCache::Use::Make;
      cache.stale = false;
      cache.madeAt = now;
      damage = CGRectUnion(damage, rect);  // all that lies under it, for the blur
    } else {
      cache.use = CGBlurCache::Use::Reuse;
      if (under) {
        cache.stale = true;
        const double due = cache.madeAt + kBlurInterval;
        blurDue = blurDue ? std::min(*blurDue, due) : due;
      }
    }
  }
};

void UIWindow::planView(UIView* view, CGPoint superviewOrigin, double superviewAlpha, CGRect clip, bool forced,
                        ChangePlan& plan) {
  forced = forced || view->subtreeNeedsDisplay_;
  view->subtreeNeedsDisplay_ = false;
  const CGRect lost = std::exchange(view->lostSubviews_, CGRectZero);
  plan.add(lost);
  if (view->isHidden() || view->presentationAlpha() <= 0) {
    if (view->drawn_.visible) plan.add(view->drawn_.extent);
    view->forgetDrawn();
    return;
  }
  const double alpha = superviewAlpha * view->presentationAlpha();
  const CGRect frame = view->presentationFrame();
  const CGRect rect = CGRectIntersection(
      CGRectMake(superviewOrigin.x + frame.origin.x, superviewOrigin.y + frame.origin.y, frame.size.width,
                 frame.size.height),
      clip);
  UIView::Drawn& drawn = view->drawn_;
  if (forced || plan.everything || view->needsDisplay_ || !drawn.visible || !(rect == drawn.rect) ||
      alpha != drawn.alpha) {
    if (drawn.visible) plan.add(drawn.rect);
    plan.add(rect);
  }
  view->needsDisplay_ = false;
  if (CGBlurCache* cache = view->blurCache()) plan.decideBlur(*cache, rect);
  const CGPoint bounds = view->presentationBoundsOrigin();
  const CGPoint origin = CGPointMake(superviewOrigin.x + frame.origin.x - bounds.x,
                                     superviewOrigin.y + frame.origin.y - bounds.y);
  const CGRect inner = view->clipsToBounds() ? rect : clip;
  CGRect extent = rect;
  for (const Ref<UIView>& sub : view->allSubviews()) {
    planView(sub.get(), origin, alpha, inner, forced, plan);
    if (sub->drawn_.visible) extent = CGRectUnion(extent, sub->drawn_.extent);
  }
  drawn = UIView::Drawn{rect, extent, alpha, true};
}

UIView* UIWindow::viewBeingDrawn() { return drawnView(); }

void UIWindow::drawHierarchy(CGContext& context) {
  layoutIfNeeded();
  context.saveGState();
  const CGRect frame = presentationFrame();
  context.translateCTM(-frame.origin.x, -frame.origin.y);
  drawView(this, context, nullptr);
  if (statusBar_) drawView(statusBar_.get(), context, nullptr);
  context.restoreGState();
}

void UIWindow::drawChanges(CGContext& context, bool everything, double now) {
  layoutIfNeeded();
  ChangePlan plan;
  plan.now = now;
  plan.everything = takeWholeScreenChange() || everything;
  const CGRect frame = presentationFrame();
  const CGPoint origin = CGPointMake(-frame.origin.x, -frame.origin.y);
  // Everything the context holds, and nothing beyond.
  const CGRect screen = CGRectMake(0, 0, frame.size.width, frame.size.height);
  planView(this, origin, 1, screen, false, plan);
  if (statusBar_) planView(statusBar_.get(), origin, 1, screen, false, plan);
  if (plan.everything) plan.damage = screen;
  blurDue_ = plan.blurDue;
  if (!CGRectIsEmpty(plan.damage)) {
    // Whole pixels, so that what is drawn inside matches a drawing of everything.
    const double scale = context.scale();
    const CGRect d = plan.damage;
    const double x0 = std::floor(d.origin.x * scale) / scale, y0 = std::floor(d.origin.y * scale) / scale;
    const double x1 = std::ceil((d.origin.x + d.size.width) * scale) / scale;
    const double y1 = std::ceil((d.origin.y + d.size.height) * scale) / scale;
    const CGRect damage = CGRectMake(x0, y0, x1 - x0, y1 - y0);
    context.saveGState();
    context.clipToRect(damage);
    context.clearRect(damage);
    context.translateCTM(-frame.origin.x, -frame.origin.y);
    drawView(this, context, &damage);
    if (statusBar_) drawView(statusBar_.get(), context, &damage);
    context.restoreGState();
  }
  for (CGBlurCache* cache : plan.blurs) cache->use = CGBlurCache::Use::None;
}

CGImage UIWindow::snapshot(double scale) {
  CGBitmapContext bitmap(frame().size, scale);
  drawHierarchy(bitmap.context());
  return bitmap.image();
}

bool UIWindow::writePNG(const std::string& path, double scale, std::string& error) {
  return CGImageWritePNG(snapshot(scale), path, error);
}
