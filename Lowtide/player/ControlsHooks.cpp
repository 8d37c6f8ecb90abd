#include "Lowtide/player/ControlsHooks.h"

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/player/HookRegistry.h"
#include "Lowtide/settings/LastState.h"
#include "corefoundation/CFBase.h"
#include "foundation/NSTimer.h"
#include "uikit/UIImage.h"
#include "uikit/UIScreen.h"

namespace lowtide {

Ref<UIButton> btn;
std::mutex btnMutex;
Ref<UIButton> xbtn;
CGRect framex;

namespace {

UIView* asView(id object) { return dynamic_cast<UIView*>(object); }

// A new button from the player for the equalizer's part: the player wires its taps to
// _shuffleButton: of this controls view.
Ref<UIButton> newEqualizerButton(id controlsView) {
  id button = msgSend<id, uint64_t>(controlsView, sel_registerName("newButtonForPart:"),
                                    kEqualizerButtonPart);
  return Ref<UIButton>(dynamic_cast<UIButton*>(button));
}

void scheduleLoadSettings(id controlsView) {
  NSTimer::scheduledTimerWithTimeInterval(kLoadSettingsDelay, controlsView,
                                          sel_registerName("loadSettings"), nil, false);
}

void setButtonImage(UIButton* button) {
  if (button == nullptr) return;
  Ref<UIImage> image = UIImage::imageWithContentsOfFile(kButtonImagePath);
  button->setImageForState(image.get(), UIControlStateNormal);
}

void forgetTextButtonOnNewerSystems() {
  if (kCFCoreFoundationVersionNumber >= kForgetTextButtonFromVersion) xbtn = nullptr;
}

}  // namespace

void initializeControls(id self, SEL cmd) {
  if (previous.initializeControls != nullptr) previous.initializeControls(self, cmd);
  UIView* view = asView(self);
  const double height = view != nullptr ? view->bounds().size.height : 0;
  framex = CGRectMake(240, height - 35, 30, 30);
  Ref<UIButton> button = newEqualizerButton(self);
  {
    std::lock_guard lock(btnMutex);
    btn = button;
  }
  if (button) {
    button->setTag(kEqualizerButtonTag);
    setButtonImage(button.get());
    button->setFrame(framex);
    if (view != nullptr) view->addSubview(button.get());
  }
  scheduleLoadSettings(self);
}

void reloadControls(id self, SEL cmd) {
  if (previous.reloadControls != nullptr) previous.reloadControls(self, cmd);
  if (xbtn) return;
  xbtn = newEqualizerButton(self);
  if (xbtn) {
    xbtn->setTag(kEqualizerButtonTag);
    xbtn->setTitleForState(kTextButtonTitle, UIControlStateNormal);
    const CGRect screen = UIScreen::mainScreen()->bounds();
    xbtn->setFrame(CGRectMake(screen.size.width / 5 * 4 - 70, screen.size.height - 35, 70, 40));
    if (UIView* view = asView(self)) view->addSubview(xbtn.get());
  }
  scheduleLoadSettings(self);
}

void shuffleButton(id self, SEL cmd, id sender) {
  if (xbtn) {
    xbtn->setHighlighted(false);
    xbtn->setSelected(false);
  }
  // With no text button the equalizer buttons' own tag is compared, so a tap on btn opens the
  // panel and a player button that happens to have tag 0 does not.
  const long equalizerTag = xbtn ? xbtn->tag() : kEqualizerButtonTag;
  UIView* tapped = asView(sender);
  const long tappedTag = tapped != nullptr ? tapped->tag() : 0;
  if (tappedTag == equalizerTag) {
    msgSend<void>(self, sel_registerName("showCTRLS"));
    return;
  }
  if (previous.shuffleButton != nullptr) previous.shuffleButton(self, cmd, sender);
}

void detailSliderTrackingDidBegin(id self, SEL cmd, id slider) {
  if (btn) btn->setImageForState(nullptr, UIControlStateNormal);
  if (previous.detailSliderTrackingDidBegin != nullptr)
    previous.detailSliderTrackingDidBegin(self, cmd, slider);
}

void detailSliderTrackingDidEnd(id self, SEL cmd, id slider) {
  setButtonImage(btn.get());
  if (previous.detailSliderTrackingDidEnd != nullptr) previous.detailSliderTrackingDidEnd(self, cmd, slider);
}

void detailSliderTrackingDidCancel(id self, SEL cmd, id slider) {
  setButtonImage(btn.get());
  if (previous.detailSliderTrackingDidCancel != nullptr)
    previous.detailSliderTrackingDidCancel(self, cmd, slider);
}

id newButtonForPart(id self, SEL cmd, uint64_t part) {
  return previous.newButtonForPart != nullptr ? previous.newButtonForPart(self, cmd, part) : nil;
}

void didMoveToSuperview(id self, SEL cmd) {
  forgetTextButtonOnNewerSystems();
  if (previous.didMoveToSuperview != nullptr) previous.didMoveToSuperview(self, cmd);
}

void dealloc(id self, SEL cmd) {
  forgetTextButtonOnNewerSystems();
  if (previous.dealloc != nullptr) previous.dealloc(self, cmd);
}

void loadSettings(id, SEL) { readLastState(); }

void tf(id, SEL) { updateEq(); }

}  // namespace lowtide
