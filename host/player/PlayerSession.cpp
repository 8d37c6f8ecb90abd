#include "host/player/PlayerSession.h"

#include "avfoundation/AVPlayerItem.h"
#include "host/player/MPAVItem.h"
#include "host/player/MPPlaybackControlsView.h"
#include "host/player/PlayerClasses.h"
#include "objc/runtime.h"
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
  window->makeKeyAndVisible();
  window_ = window;
  controlsView_ = controls;
}

void PlayerSession::showTrack() {
  shownSecond_ = -1;
  static_cast<MPPlaybackControlsView*>(controlsView_.get())->showTrack();
}

// Four times a second is smooth enough for the thumb and keeps an idle screen still.
void PlayerSession::showPosition() {
  const long step = long(transport_.position * 4);
  if (step == shownSecond_) return;
  shownSecond_ = step;
  static_cast<MPPlaybackControlsView*>(controlsView_.get())->showPosition();
}

void PlayerSession::showVolume() { static_cast<MPPlaybackControlsView*>(controlsView_.get())->showVolume(); }
void PlayerSession::showLimiting() { static_cast<MPPlaybackControlsView*>(controlsView_.get())->showLimiting(); }

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
