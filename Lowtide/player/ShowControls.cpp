#include "Lowtide/player/ShowControls.h"

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/panel/HazeTranslucentView.h"
#include "corefoundation/CFBase.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

namespace lowtide {

Ref<eqView> view;

namespace {

// The first UIWindow up the chain of superviews from the controls view's superview; nil when the
// chain ends without one.
UIWindow* windowAbove(id controlsView) {
  auto* v = dynamic_cast<UIView*>(controlsView);
  for (UIView* up = v ? v->superview() : nullptr; up != nullptr; up = up->superview())
    if (up->isKindOfClass(UIWindow::runtimeClass())) return static_cast<UIWindow*>(up);
  return nullptr;
}

}  // namespace

void showCTRLS(id self, SEL) {
  // A controls view that is not on screen has nothing to open the panel over: nothing happens.
  UIWindow* window = windowAbove(self);
  if (window == nullptr) return;

  Ref<eqView> previous = view;
  const Ref<NSBundle> bundle = NSBundle::bundleWithPath(kResourceFolder);
  view = make<eqView>();
  view->initWithNibName(kPanelLayout, bundle.get());

  UIView* panel = view->view();
  if (panel != nullptr) {
    panel->setFrame(CGRectMake(0, 700, 320, 460));
    window->addSubview(panel);
    const CGRect screen = UIScreen::mainScreen()->bounds();
    panel->setFrame(CGRectMake(screen.origin.x, screen.origin.y + 20, screen.size.width, screen.size.height - 20));

    if (kCFCoreFoundationVersionNumber > kBackdropFromVersion) {
      panel->setBackgroundColor(UIColor::clearColor());
      // Made with the panel's frame as it now is, in the window's coordinates.
      Ref<HazeTranslucentView> haze = make<HazeTranslucentView>(panel->frame());
      panel->insertSubviewAtIndex(haze.get(), 0);
      haze->setTranslucentAlpha(1.0);
      haze->setTranslucentStyle(1);
      haze->setTranslucentTintColor(UIColor::clearColor());
      haze->setBackgroundColor(UIColor::clearColor());
    }
  }

  view->setVars(&gain, &freq, &srate, &bandwidth, &enabled, &eqType, &bassenabled, &bassgain, &bassintens,
                &bassfreq, nullptr, &updateEq, &updatePlusEq, &plusenabled, &performFilters, &case1, &case2,
                &case3, &case4);

  // Nothing uses an earlier panel once a new one is bound: its view leaves the window and the
  // controller goes, so panels do not pile up under the new one.
  if (previous && previous != view && previous->isViewLoaded()) previous->view()->removeFromSuperview();
}

}  // namespace lowtide
