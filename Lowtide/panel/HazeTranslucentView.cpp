#include "Lowtide/panel/HazeTranslucentView.h"

#include <algorithm>

#include "foundation/NSString.h"
#include "uikit/UIDevice.h"

namespace lowtide {

OBJC_CLASS(HazeTranslucentView, UIView)

namespace {
// Flexible left, right, top and bottom margins: the container keeps its place and size.
constexpr UIViewAutoresizing kContainerMask = 45;
// Flexible width and height: the toolbar and the overlay fill the container.
constexpr UIViewAutoresizing kFillMask = 18;
}  // namespace

bool systemVersionAtLeast(const char* version) {
  const Ref<NSString> system = NSString::stringWithString(UIDevice::currentDevice()->systemVersion());
  const Ref<NSString> wanted = NSString::stringWithUTF8String(version);
  return system->compare(wanted.get(), NSNumericSearch) != NSOrderedAscending;
}

HazeTranslucentView::HazeTranslucentView() { createUI(); }
HazeTranslucentView::HazeTranslucentView(CGRect frame) : UIView(frame) { createUI(); }

void HazeTranslucentView::createUI() {
  if (!systemVersionAtLeast("7.0")) return;
  hazeColorBG_ = Ref<UIColor>(backgroundColor());
  hazeDefaultColorBG_ = nullptr;  // the toolbar's tint: none yet
  translucent_ = true;
  translucentAlpha_ = 1;
  const CGRect b = bounds();

  nonexistentSubview = make<UIView>(b);
  nonexistentSubview->setBackgroundColor(UIColor::clearColor());
  nonexistentSubview->setClipsToBounds(true);
  nonexistentSubview->setAutoresizingMask(kContainerMask);
  UIView::insertSubviewAtIndex(nonexistentSubview.get(), 0);

  toolbarContainerClipView = make<UIView>(b);
  toolbarContainerClipView->setBackgroundColor(UIColor::clearColor());
  toolbarContainerClipView->setClipsToBounds(true);
  toolbarContainerClipView->setAutoresizingMask(kContainerMask);
  nonexistentSubview->addSubview(toolbarContainerClipView);

  toolBarBG = make<UIToolbar>();
  toolBarBG->setFrame(CGRectMake(b.origin.x, b.origin.y - 1, b.size.width, b.size.height + 1));
  toolBarBG->setAutoresizingMask(kFillMask);
  toolbarContainerClipView->addSubview(toolBarBG);

  overlayBackgroundView = make<UIView>(b);
  overlayBackgroundView->setBackgroundColor(hazeColorBG_.get());
  overlayBackgroundView->setAutoresizingMask(kFillMask);
  toolbarContainerClipView->addSubview(overlayBackgroundView);

  UIView::setBackgroundColor(UIColor::clearColor());
  initComplete = true;
}

bool HazeTranslucentView::isItClearColor(const UIColor* color) {
  double r = 0, g = 0, b = 0, a = 0;
  if (color) color->getRed(&r, &g, &b, &a);
  return r == 0 && g == 0 && b == 0 && a == 0;
}

// The clip view grows with the view but never shrinks, so the material never shows an edge
// while the view changes size.
void HazeTranslucentView::setFrame(CGRect frame) {
  if (toolbarContainerClipView && systemVersionAtLeast("7.0")) {
    const CGRect clip = toolbarContainerClipView->frame();
    toolbarContainerClipView->setFrame(CGRectMake(0, 0, std::max(clip.size.width, frame.size.width),
                                                  std::max(clip.size.height, frame.size.height)));
  }
  UIView::setFrame(frame);
  if (nonexistentSubview && systemVersionAtLeast("7.0")) {
    nonexistentSubview->setFrame(bounds());
    keepClipViewAtOrigin();
  }
}

void HazeTranslucentView::setBounds(CGRect newBounds) {
  if (toolbarContainerClipView && systemVersionAtLeast("7.0")) {
    const CGRect clip = toolbarContainerClipView->bounds();
    toolbarContainerClipView->setBounds(CGRectMake(0, 0, std::max(clip.size.width, newBounds.size.width),
                                                   std::max(clip.size.height, newBounds.size.height)));
  }
  UIView::setBounds(newBounds);
  if (nonexistentSubview && systemVersionAtLeast("7.0")) {
    nonexistentSubview->setFrame(bounds());
    keepClipViewAtOrigin();
  }
}

// The container's autoresizing floats the clip view's margins (mask 45) when the container is
// resized to the view's new bounds, which would leave the clip view, and the material with it,
// short of the view's left and top edges after a growth. It belongs at the container's origin.
void HazeTranslucentView::keepClipViewAtOrigin() {
  const CGRect clip = toolbarContainerClipView->frame();
  if (clip.origin.x != 0 || clip.origin.y != 0)
    toolbarContainerClipView->setFrame(CGRectMake(0, 0, clip.size.width, clip.size.height));
}

void HazeTranslucentView::setBackgroundColor(UIColor* color) {
  if (!initComplete) {
    UIView::setBackgroundColor(color);
    return;
  }
  hazeColorBG_ = Ref<UIColor>(color);
  if (translucent_) {
    overlayBackgroundView->setBackgroundColor(color);
    UIView::setBackgroundColor(UIColor::clearColor());
  } else {
    UIView::setBackgroundColor(hazeColorBG_.get());
  }
}

void HazeTranslucentView::setTranslucent(bool translucent) {
  translucent_ = translucent;
  if (toolBarBG) toolBarBG->setTranslucent(translucent);
  if (translucent) {
    if (toolBarBG) {
      toolBarBG->setHidden(false);
      toolBarBG->setBarTintColor(hazeColorBG_.get());
    }
    setBackgroundColor(UIColor::clearColor());
  } else {
    if (toolBarBG) toolBarBG->setHidden(true);
    setBackgroundColor(hazeColorBG_.get());
  }
}

void HazeTranslucentView::setTranslucentTintColor(UIColor* color) {
  translucentTintColor_ = Ref<UIColor>(color);
  if (!toolBarBG) return;
  toolBarBG->setBarTintColor(isItClearColor(color) ? hazeDefaultColorBG_.get() : color);
}

void HazeTranslucentView::setTranslucentAlpha(CGFloat alpha) {
  translucentAlpha_ = std::clamp<CGFloat>(alpha, 0, 1);
  if (toolBarBG) toolBarBG->setAlpha(alpha);
}

NSInteger HazeTranslucentView::translucentStyle() const { return toolBarBG ? NSInteger(toolBarBG->barStyle()) : 0; }

void HazeTranslucentView::setTranslucentStyle(NSInteger style) {
  if (toolBarBG) toolBarBG->setBarStyle(style);
}

// Callers see the subviews without the backdrop, and indices that leave it at the back.
std::vector<Ref<UIView>> HazeTranslucentView::subviews() const {
  std::vector<Ref<UIView>> list = UIView::subviews();
  if (initComplete) std::erase_if(list, [this](const Ref<UIView>& v) { return v.get() == nonexistentSubview.get(); });
  return list;
}

void HazeTranslucentView::insertSubviewAtIndex(UIView* view, NSInteger index) {
  UIView::insertSubviewAtIndex(view, initComplete ? index + 1 : index);
}

void HazeTranslucentView::exchangeSubviewAtIndex(NSInteger index1, NSInteger index2) {
  if (initComplete) UIView::exchangeSubviewAtIndex(index1 + 1, index2 + 1);
  else UIView::exchangeSubviewAtIndex(index1, index2);
}

void HazeTranslucentView::sendSubviewToBack(UIView* view) {
  if (!initComplete) {
    UIView::sendSubviewToBack(view);
    return;
  }
  if (view == nullptr || view->superview() != this || view == nonexistentSubview.get()) return;
  UIView::insertSubviewAtIndex(view, 1);
}

}  // namespace lowtide
