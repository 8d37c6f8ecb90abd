#include "host/player/MPPlaybackControlsView.h"

namespace host {
namespace {
MPPlaybackControlsView* controls(id self) { return static_cast<MPPlaybackControlsView*>(self); }
}  // namespace

OBJC_CLASS_WITH_MEMBERS(MPPlaybackControlsView, UIView)

void MPPlaybackControlsView::registerMembers(Class cls) {
  class_addMethod(cls, sel_registerName("_initializeControls"), &initializeControls, "v@:");
  class_addMethod(cls, sel_registerName("reloadControls"), &reloadControls, "v@:");
  class_addMethod(cls, sel_registerName("newButtonForPart:"), &newButtonForPart, "@@:Q");
  class_addMethod(cls, sel_registerName("_shuffleButton:"), &shuffleButtonTapped, "v@:@");
  class_addMethod(cls, sel_registerName("_playPauseButton:"), &playPauseButtonTapped, "v@:@");
  class_addMethod(cls, sel_registerName("detailSliderTrackingDidBegin:"), &sliderDidBegin, "v@:@");
  class_addMethod(cls, sel_registerName("detailSliderTrackingDidEnd:"), &sliderDidEnd, "v@:@");
  class_addMethod(cls, sel_registerName("detailSliderTrackingDidCancel:"), &sliderDidEnd, "v@:@");
}

Ref<MPPlaybackControlsView> MPPlaybackControlsView::make(CGRect frame) {
  Ref<MPPlaybackControlsView> view = objc_make<MPPlaybackControlsView>(runtimeClass());
  view->setFrame(frame);
  return view;
}

MPPlaybackControlsView::~MPPlaybackControlsView() {
  // Buttons handed out may outlive this view; their taps must no longer reach it.
  for (const Ref<MPButton>& button : buttons_) button->removeTarget(this);
  if (slider_) slider_->clearDelegate();
}

id MPPlaybackControlsView::newButtonForPart(id self, SEL, uint64_t part) {
  MPPlaybackControlsView* view = controls(self);
  view->partsRequested_.push_back(part);
  Ref<MPButton> button = MPButton::make(part);
  if (part == kShufflePart)
    button->addTarget(self, sel_registerName("_shuffleButton:"), UIControlEventTouchUpInside);
  else if (part == kPlayPausePart)
    button->addTarget(self, sel_registerName("_playPauseButton:"), UIControlEventTouchUpInside);
  view->buttons_.push_back(button);
  return button.get();
}

void MPPlaybackControlsView::initializeControls(id self, SEL) {
  MPPlaybackControlsView* view = controls(self);
  ++view->initializeCalls_;
  const CGRect bounds = view->bounds();
  SEL newButton = sel_registerName("newButtonForPart:");

  auto* playPause = static_cast<MPButton*>(msgSend<id, uint64_t>(self, newButton, kPlayPausePart));
  playPause->setTag(kPlayPauseButtonTag);
  playPause->setTitleForState("Pause", UIControlStateNormal);
  playPause->setFrame(CGRectMake(bounds.size.width / 2 - 22, bounds.size.height - 80, 44, 44));
  view->addSubview(playPause);
  view->playPauseButton_ = playPause;

  auto* shuffle = static_cast<MPButton*>(msgSend<id, uint64_t>(self, newButton, kShufflePart));
  shuffle->setTag(kShuffleButtonTag);
  shuffle->setTitleForState("Shuffle", UIControlStateNormal);
  shuffle->setFrame(CGRectMake(bounds.size.width - 60, bounds.size.height - 35, 50, 30));
  view->addSubview(shuffle);
  view->shuffleButton_ = shuffle;

  view->slider_ = ::make<MPDetailSlider>(self);
  view->slider_->setFrame(CGRectMake(20, 10, bounds.size.width - 40, 30));
  view->addSubview(view->slider_.get());
}

void MPPlaybackControlsView::reloadControls(id self, SEL) {
  MPPlaybackControlsView* view = controls(self);
  ++view->reloadCalls_;
  if (view->playPauseButton_ != nullptr)
    view->playPauseButton_->setTitleForState(view->playing_ ? "Pause" : "Play", UIControlStateNormal);
  if (view->shuffleButton_ != nullptr) view->shuffleButton_->setSelected(view->shuffling_);
}

void MPPlaybackControlsView::shuffleButtonTapped(id self, SEL, id sender) {
  MPPlaybackControlsView* view = controls(self);
  ++view->shuffleHandlerCalls_;
  view->lastShuffleSender_ = sender;
  view->shuffling_ = !view->shuffling_;
  if (view->shuffleButton_ != nullptr) view->shuffleButton_->setSelected(view->shuffling_);
}

void MPPlaybackControlsView::playPauseButtonTapped(id self, SEL, id) {
  MPPlaybackControlsView* view = controls(self);
  view->playing_ = !view->playing_;
  msgSend<void>(self, sel_registerName("reloadControls"));
}

void MPPlaybackControlsView::sliderDidBegin(id self, SEL, id) { controls(self)->scrubbing_ = true; }
void MPPlaybackControlsView::sliderDidEnd(id self, SEL, id) { controls(self)->scrubbing_ = false; }

}  // namespace host
