#include "uikit/UIWindow.h"

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

// Draws a view and its subtree as the screen shows them now, in the coordinates of its superview.
void drawView(UIView* view, CGContext& ctx) {
  if (view->isHidden()) return;
  const double alpha = view->presentationAlpha();
  if (alpha <= 0) return;
  const CGRect frame = view->presentationFrame();
  const CGPoint origin = view->presentationBoundsOrigin();
  ctx.saveGState();
  ctx.translateCTM(frame.origin.x, frame.origin.y);
  if (view->clipsToBounds()) ctx.clipToRect(CGRectMake(0, 0, frame.size.width, frame.size.height));
  const bool layer = alpha < 1;
  if (layer) ctx.beginTransparencyLayer();
  ctx.translateCTM(-origin.x, -origin.y);
  const CGRect bounds{origin, frame.size};
  if (UIColor* background = view->backgroundColor(); background && background->alpha() > 0) {
    ctx.setFillColor(background->cgColor());
    ctx.fillRect(bounds);
  }
  drawnView() = view;
  view->drawRect(ctx, bounds);
  drawnView() = nullptr;
  for (const Ref<UIView>& sub : view->allSubviews()) drawView(sub.get(), ctx);
  if (layer) ctx.endTransparencyLayer(alpha);
  ctx.restoreGState();
}

}  // namespace

UIView* UIWindow::viewBeingDrawn() { return drawnView(); }

void UIWindow::drawHierarchy(CGContext& context) {
  layoutIfNeeded();
  context.saveGState();
  const CGRect frame = presentationFrame();
  context.translateCTM(-frame.origin.x, -frame.origin.y);
  drawView(this, context);
  if (statusBar_) drawView(statusBar_.get(), context);
  context.restoreGState();
}

CGImage UIWindow::snapshot(double scale) {
  CGBitmapContext bitmap(frame().size, scale);
  drawHierarchy(bitmap.context());
  return bitmap.image();
}

bool UIWindow::writePNG(const std::string& path, double scale, std::string& error) {
  return CGImageWritePNG(snapshot(scale), path, error);
}
