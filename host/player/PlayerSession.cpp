#include "host/player/PlayerSession.h"

#include "avfoundation/AVPlayerItem.h"
#include "host/player/MPAVItem.h"
#include "host/player/MPPlaybackControlsView.h"
#include "host/player/NowPlayingArt.h"
#include "host/player/PlayerClasses.h"
#include "objc/runtime.h"
#include "uikit/UILabel.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

namespace host {

PlayerSession::PlayerSession() {
  registerPlayerClasses();
  const CGRect screen = UIScreen::mainScreen()->bounds();
  Ref<UIWindow> window = make<UIWindow>(screen);
  window->setBackgroundColor(UIColor::whiteColor());
  // The Now Playing screen covers the whole device screen, as the frames the system gives its
  // equalizer buttons (from the bottom of this view) assume.
  Ref<MPPlaybackControlsView> controls = MPPlaybackControlsView::make(screen);
  controls->setTransport(&transport_);
  window->addSubview(controls.get());
  // The status bar lies over every screen, the panel and its dialogs included.
  Ref<StatusBarView> status = make<StatusBarView>();
  status->setFrame(CGRectMake(0, 0, screen.size.width, kStatusBarHeight));
  window->setStatusBarView(status.get());
  window->makeKeyAndVisible();
  window_ = window;
  controlsView_ = controls;
}

void PlayerSession::showTrack() {
  shownSecond_ = -1;
  auto* controls = static_cast<MPPlaybackControlsView*>(controlsView_.get());
  if (MarqueeLabel* title = controls->titleLabel(); title && screenNeverSeen_)
    title->setRunning(false);
  controls->showTrack();
}

// Four times a second is smooth enough for the thumb and keeps an idle screen still. While a
// screen the player did not make (the equalizer panel, its dialogs) lies over the whole Now
// Playing screen, the thumb and the times would change only under its frosted backdrop, where
// they cannot be read; they wait, and catch up as soon as the screen shows again, so the
// covered screen costs no drawing. A long title's marquee rests under it for the same reason.
void PlayerSession::showPosition() {
  const long step = long(transport_.position * 4);
  if (step == shownSecond_) return;
  auto* controls = static_cast<MPPlaybackControlsView*>(controlsView_.get());
  const bool covered = controlsCovered();
  if (MarqueeLabel* title = controls->titleLabel()) title->setRunning(!covered && !screenNeverSeen_);
  if (covered) return;
  shownSecond_ = step;
  controls->showPosition();
}

bool PlayerSession::controlsCovered() const {
  auto* window = static_cast<UIView*>(window_.get());
  auto* controls = static_cast<UIView*>(controlsView_.get());
  CGRect content = controls->frame();
  content.origin.y += kStatusBarHeight;  // the status bar is the window's, not the screen's
  content.size.height -= kStatusBarHeight;
  bool later = false;
  for (const Ref<UIView>& view : window->allSubviews()) {
    if (view.get() == controls) later = true;
    else if (later && !view->isHidden() && view->alpha() > 0 && CGRectIntersection(view->frame(), content) == content)
      return true;
  }
  return false;
}

void PlayerSession::showVolume() { static_cast<MPPlaybackControlsView*>(controlsView_.get())->showVolume(); }
void PlayerSession::showControls() { msgSend<void>(controlsView_.get(), sel_registerName("reloadControls")); }
void PlayerSession::showLimiting() { static_cast<MPPlaybackControlsView*>(controlsView_.get())->showLimiting(); }

void PlayerSession::showComparison() {
  auto* window = static_cast<UIView*>(window_.get());
  if (!comparisonStrip_) {
    // Between the panel's last slider and its bottom bar, under the player's limiter read-out;
    // white on the system's blue, which stands out from the white player and the dark panel.
    const CGSize size = window->bounds().size;
    Ref<UILabel> strip = make<UILabel>(CGRectMake(size.width / 2 - 125, size.height - 53, 250, 18));
    strip->setFont(UIFont::boldSystemFontOfSize(12));
    strip->setTextColor(UIColor::whiteColor());
    Ref<UIColor> backdrop = UIColor::colorWithRed(0.0, 0.42, 0.86, 0.92);
    strip->setBackgroundColor(backdrop.get());
    strip->setTextAlignment(NSTextAlignment::Center);
    strip->setUserInteractionEnabled(false);  // touches go to what lies under it
    strip->setAccessibilityIdentifier("comparison");
    window->addSubview(strip.get());
    comparisonStrip_ = strip;
  }
  auto* strip = static_cast<UILabel*>(comparisonStrip_.get());
  strip->setText(transport_.comparing);
  strip->setHidden(transport_.comparing.empty());
  keepComparisonInFront();
}

void PlayerSession::keepComparisonInFront() {
  auto* strip = static_cast<UIView*>(comparisonStrip_.get());
  if (!strip || strip->isHidden()) return;
  auto* window = static_cast<UIView*>(window_.get());
  const std::vector<Ref<UIView>> views = window->subviews();
  if (!views.empty() && views.back().get() != strip) window->bringSubviewToFront(strip);
}

PlayerSession::~PlayerSession() = default;

void PlayerSession::setUpControls() {
  msgSend<void>(controlsView_.get(), sel_registerName("_initializeControls"));
  msgSend<void>(controlsView_.get(), sel_registerName("reloadControls"));
}

Ref<NSObject> PlayerSession::makeQueueItem(const std::string& path) {
  Ref<MPAVItem> item = MPAVItem::make(path);
  msgSend<void>(item.get(), sel_registerName("loadAssetAndPlayerItem"));
  return item;
}

NSObject* PlayerSession::playerItemOf(NSObject* queueItem) {
  return object_getIvar(queueItem, class_getInstanceVariable(object_getClass(queueItem), "_avPlayerItem"));
}

MTAudioProcessingTapRef PlayerSession::tapOf(NSObject* playerItem) {
  auto* item = dynamic_cast<AVPlayerItem*>(playerItem);
  if (item == nullptr || item->audioMix() == nullptr) return nullptr;
  const auto& inputs = item->audioMix()->inputParameters();
  return inputs.empty() ? nullptr : inputs.front()->audioTapProcessor();
}

UIView* PlayerSession::equalizerImageButton() const {
  constexpr long kEqualizerTag = 5;
  auto* controls = static_cast<MPPlaybackControlsView*>(controlsView_.get());
  const std::vector<Ref<UIView>> views = controls->subviews();
  for (auto it = views.rbegin(); it != views.rend(); ++it) {
    auto* button = dynamic_cast<MPButton*>(it->get());
    if (button && button->part() == kShufflePart && button->tag() == kEqualizerTag &&
        button->titleForState(UIControlStateNormal).empty())
      return button;
  }
  return nullptr;
}

NSObject* PlayerSession::controlsView() const { return controlsView_.get(); }
NSObject* PlayerSession::window() const { return window_.get(); }

}  // namespace host
