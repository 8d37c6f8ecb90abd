#include "host/player/MPPlaybackControlsView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace host {
namespace {

// The time left at `at` seconds, counting whole seconds up so it reaches 0:00 only at the end.
// A stream without a length (the desktop's sound) has none to show.
std::string remainingTime(double duration, double at) {
  if (duration <= 0) return {};
  return "-" + formatPlayTime(std::ceil(std::max(0.0, duration - at)));
}

MPPlaybackControlsView* controls(id self) { return static_cast<MPPlaybackControlsView*>(self); }
SEL sel(const char* name) { return sel_registerName(name); }

UIColor* secondaryText() {
  static UIColor* grey = UIColor::colorWithRed(0.43, 0.43, 0.45, 1).detach();  // 5:1 on white
  return grey;
}

}  // namespace

OBJC_CLASS_WITH_MEMBERS(MPPlaybackControlsView, UIView)

void MPPlaybackControlsView::registerMembers(Class cls) {
  class_addMethod(cls, sel("_initializeControls"), &initializeControls, "v@:");
  class_addMethod(cls, sel("reloadControls"), &reloadControls, "v@:");
  class_addMethod(cls, sel("newButtonForPart:"), &newButtonForPart, "@@:Q");
  class_addMethod(cls, sel("_shuffleButton:"), &shuffleButtonTapped, "v@:@");
  class_addMethod(cls, sel("_playPauseButton:"), &playPauseButtonTapped, "v@:@");
  class_addMethod(cls, sel("_previousTrackButton:"), &previousTrackTapped, "v@:@");
  class_addMethod(cls, sel("_nextTrackButton:"), &nextTrackTapped, "v@:@");
  class_addMethod(cls, sel("_repeatButton:"), &repeatTapped, "v@:@");
  class_addMethod(cls, sel("_volumeSliderMoved:"), &volumeMoved, "v@:@");
  class_addMethod(cls, sel("detailSliderTrackingDidBegin:"), &sliderDidBegin, "v@:@");
  class_addMethod(cls, sel("detailSliderTrackingDidEnd:"), &sliderDidEnd, "v@:@");
  class_addMethod(cls, sel("detailSliderTrackingDidCancel:"), &sliderDidCancel, "v@:@");
  class_addMethod(cls, sel("_detailSliderMoved:"), &sliderMoved, "v@:@");
}

Ref<MPPlaybackControlsView> MPPlaybackControlsView::make(CGRect frame) {
  Ref<MPPlaybackControlsView> view = objc_make<MPPlaybackControlsView>(runtimeClass());
  view->setFrame(frame);
  view->setBackgroundColor(UIColor::whiteColor());
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
  // The player's buttons draw their titles in the tint colour, as system buttons do.
  button->setButtonType(UIButtonType::System);
  const char* action = part == kShufflePart         ? "_shuffleButton:"
                       : part == kPlayPausePart     ? "_playPauseButton:"
                       : part == kPreviousTrackPart ? "_previousTrackButton:"
                       : part == kNextTrackPart     ? "_nextTrackButton:"
                       : part == kRepeatPart        ? "_repeatButton:"
                                                    : nullptr;
  if (action != nullptr) button->addTarget(self, sel(action), UIControlEventTouchUpInside);
  view->buttons_.push_back(button);
  return button.get();
}

MPButton* MPPlaybackControlsView::addTransportButton(uint64_t part, TransportGlyph glyph, CGRect frame,
                                                      const char* name) {
  auto* button = static_cast<MPButton*>(msgSend<id, uint64_t>(this, sel("newButtonForPart:"), part));
  button->setGlyph(glyph);
  button->setFrame(frame);
  button->setAccessibilityIdentifier(name);
  addSubview(button);
  return button;
}

Ref<UILabel> MPPlaybackControlsView::addLabel(CGRect frame, double size, bool bold, UIColor* color,
                                              NSTextAlignment alignment, const char* name) {
  Ref<UILabel> label = ::make<UILabel>(frame);
  label->setFont(bold ? UIFont::boldSystemFontOfSize(size) : UIFont::systemFontOfSize(size));
  label->setTextColor(color);
  label->setTextAlignment(alignment);
  label->setAccessibilityIdentifier(name);
  addSubview(label);
  return label;
}

// The Now Playing screen, laid out for the view's height below the window's status bar: the queue position,
// artwork, the position slider with elapsed and remaining time, title and artist, the transport
// buttons, the volume slider with the limiter's read-out under it, and along the bottom the
// shuffle and repeat buttons, leaving room at x 186 to 270 for the buttons a loaded library may
// add there.
void MPPlaybackControlsView::initializeControls(id self, SEL) {
  MPPlaybackControlsView* view = controls(self);
  ++view->initializeCalls_;
  const CGRect b = view->bounds();
  const double w = b.size.width, h = b.size.height;
  // Taller screens give the artwork more room.
  const double art = std::clamp(h - 348, 132.0, 240.0);

  view->queueLabel_ = view->addLabel(CGRectMake(20, 26, w - 40, 18), 13, false, secondaryText(), NSTextAlignment::Center, "queue");

  view->artwork_ = ::make<ArtworkView>();
  view->artwork_->setFrame(CGRectMake((w - art) / 2, 52, art, art));
  view->addSubview(view->artwork_);

  const double y = 52 + art + 14;
  view->slider_ = ::make<MPDetailSlider>(self);
  view->slider_->setFrame(CGRectMake(16, y, w - 32, 34));
  view->slider_->setAccessibilityIdentifier("position");
  view->slider_->addTarget(self, sel("_detailSliderMoved:"), UIControlEventValueChanged);
  view->addSubview(view->slider_);
  view->elapsedLabel_ = view->addLabel(CGRectMake(20, y + 32, 80, 14), 11, false, secondaryText(), NSTextAlignment::Left, "elapsed");
  view->remainingLabel_ = view->addLabel(CGRectMake(w - 100, y + 32, 80, 14), 11, false, secondaryText(), NSTextAlignment::Right, "remaining");
  // A title wider than the screen scrolls, as the phone's do, rather than being cut.
  view->titleLabel_ = ::make<MarqueeLabel>(CGRectMake(20, y + 54, w - 40, 22));
  view->titleLabel_->setFont(UIFont::boldSystemFontOfSize(17));
  view->titleLabel_->setTextColor(UIColor::blackColor());
  view->titleLabel_->setTextAlignment(NSTextAlignment::Center);
  view->titleLabel_->setAccessibilityIdentifier("title");
  view->addSubview(view->titleLabel_);
  view->artistLabel_ = view->addLabel(CGRectMake(20, y + 78, w - 40, 20), 15, false, secondaryText(), NSTextAlignment::Center, "artist");

  const double controlsY = y + 112;
  view->addTransportButton(kPreviousTrackPart, TransportGlyph::Previous, CGRectMake(w / 2 - 110, controlsY, 60, 44), "previous");
  MPButton* playPause = view->addTransportButton(kPlayPausePart, TransportGlyph::Pause, CGRectMake(w / 2 - 30, controlsY, 60, 44), "play");
  playPause->setTag(kPlayPauseButtonTag);
  view->playPauseButton_ = playPause;
  view->addTransportButton(kNextTrackPart, TransportGlyph::Next, CGRectMake(w / 2 + 50, controlsY, 60, 44), "next");

  const double volumeY = controlsY + 52;
  view->volumeSlider_ = ::make<UISlider>(CGRectMake(44, volumeY, w - 88, 34));
  view->volumeSlider_->setAccessibilityIdentifier("volume");
  view->volumeSlider_->setValue(view->transport_ ? view->transport_->volume : 1.0f);
  view->volumeSlider_->addTarget(self, sel("_volumeSliderMoved:"), UIControlEventValueChanged);
  view->addSubview(view->volumeSlider_);
  // The speaker at either end says what the slider is for: quiet on the left, loud on the right.
  for (bool loud : {false, true}) {
    Ref<SpeakerGlyphView> speaker = ::make<SpeakerGlyphView>();
    speaker->setLoud(loud);
    speaker->setFrame(CGRectMake(loud ? w - 42 : 18, volumeY + 5, 24, 24));
    view->addSubview(speaker);
  }
  Ref<UIColor> warning = UIColor::colorWithRed(0.86, 0.2, 0.16, 1);
  view->limitingLabel_ = view->addLabel(CGRectMake(20, volumeY + 34, w - 40, 14), 11, false, warning.get(),
                                        NSTextAlignment::Center, "limiting");

  // Titles in a size that fits their longest state ("Shuffle On", "Repeat One").
  auto* shuffle = static_cast<MPButton*>(msgSend<id, uint64_t>(self, sel("newButtonForPart:"), kShufflePart));
  shuffle->setTag(kShuffleButtonTag);
  shuffle->setTitleFont(UIFont::systemFontOfSize(13));
  shuffle->setTitleForState("Shuffle", UIControlStateNormal);
  // The same height as the equalizer text button the system adds, so the titles share a line.
  shuffle->setFrame(CGRectMake(16, h - 35, 80, 40));
  shuffle->setAccessibilityIdentifier("shuffle");
  view->addSubview(shuffle);
  view->shuffleButton_ = shuffle;
  auto* repeat = static_cast<MPButton*>(msgSend<id, uint64_t>(self, sel("newButtonForPart:"), kRepeatPart));
  repeat->setTitleFont(UIFont::systemFontOfSize(13));
  repeat->setTitleForState("Repeat", UIControlStateNormal);
  repeat->setFrame(CGRectMake(96, h - 35, 84, 40));
  repeat->setAccessibilityIdentifier("repeat");
  view->addSubview(repeat);
  view->repeatButton_ = repeat;
  view->showTrack();
}

void MPPlaybackControlsView::reloadControls(id self, SEL) {
  MPPlaybackControlsView* view = controls(self);
  ++view->reloadCalls_;
  const bool paused = view->transport_ && view->transport_->paused;
  if (view->playPauseButton_ != nullptr)
    view->playPauseButton_->setGlyph(paused ? TransportGlyph::Play : TransportGlyph::Pause);
  if (view->shuffleButton_ != nullptr) {
    view->shuffleButton_->setSelected(view->shuffling_);
    view->shuffleButton_->setTitleForState(view->shuffling_ ? "Shuffle On" : "Shuffle", UIControlStateNormal);
  }
  if (view->repeatButton_ != nullptr && view->transport_) {
    using Repeat = PlayerTransport::Repeat;
    const Repeat r = view->transport_->repeat;
    view->repeatButton_->setSelected(r != Repeat::Off);
    view->repeatButton_->setTitleForState(r == Repeat::All ? "Repeat All" : r == Repeat::One ? "Repeat One" : "Repeat",
                                          UIControlStateNormal);
  }
}

void MPPlaybackControlsView::shuffleButtonTapped(id self, SEL, id sender) {
  MPPlaybackControlsView* view = controls(self);
  ++view->shuffleHandlerCalls_;
  view->lastShuffleSender_ = sender;
  view->shuffling_ = !view->shuffling_;
  if (PlayerTransport* t = view->transport_) {
    t->shuffle = view->shuffling_;
    if (t->shuffle) ++t->shuffleGeneration;  // each switch-on deals a new order
  }
  if (view->shuffleButton_ != nullptr) view->shuffleButton_->setSelected(view->shuffling_);
  msgSend<void>(self, sel("reloadControls"));
}

void MPPlaybackControlsView::playPauseButtonTapped(id self, SEL, id) {
  MPPlaybackControlsView* view = controls(self);
  if (view->transport_) view->transport_->paused = !view->transport_->paused;
  msgSend<void>(self, sel("reloadControls"));
}

void MPPlaybackControlsView::previousTrackTapped(id self, SEL, id) {
  if (PlayerTransport* t = controls(self)->transport_) --t->skip;
}

void MPPlaybackControlsView::nextTrackTapped(id self, SEL, id) {
  if (PlayerTransport* t = controls(self)->transport_) ++t->skip;
}

// Off, all, one, and off again.
void MPPlaybackControlsView::repeatTapped(id self, SEL, id) {
  using Repeat = PlayerTransport::Repeat;
  if (PlayerTransport* t = controls(self)->transport_)
    t->repeat = t->repeat == Repeat::Off ? Repeat::All : t->repeat == Repeat::All ? Repeat::One : Repeat::Off;
  msgSend<void>(self, sel("reloadControls"));
}

void MPPlaybackControlsView::volumeMoved(id self, SEL, id) {
  MPPlaybackControlsView* view = controls(self);
  if (view->transport_ && view->volumeSlider_) view->transport_->volume = view->volumeSlider_->value();
}

void MPPlaybackControlsView::showVolume() {
  if (transport_ && volumeSlider_) volumeSlider_->setValue(transport_->volume);
}

void MPPlaybackControlsView::showLimiting() {
  if (!transport_ || !limitingLabel_) return;
  // A tenth of a dB is as fine as the eye follows; below that the limiter is as good as idle.
  const double db = transport_->limitingDb;
  if (db > -0.05) {
    limitingLabel_->setText("");
    return;
  }
  char text[48];
  std::snprintf(text, sizeof text, "Limiting \u2212%.1f dB", -db);
  limitingLabel_->setText(text);
}

void MPPlaybackControlsView::sliderDidBegin(id self, SEL, id) { controls(self)->scrubbing_ = true; }

// Letting go of the thumb moves playback there.
void MPPlaybackControlsView::sliderDidEnd(id self, SEL, id) {
  MPPlaybackControlsView* view = controls(self);
  view->scrubbing_ = false;
  if (view->transport_ && view->slider_) view->transport_->seekTo = double(view->slider_->value());
}

void MPPlaybackControlsView::sliderDidCancel(id self, SEL, id) {
  MPPlaybackControlsView* view = controls(self);
  view->scrubbing_ = false;
  view->showPosition();
}

// While the thumb moves, the times follow it.
void MPPlaybackControlsView::sliderMoved(id self, SEL, id) {
  MPPlaybackControlsView* view = controls(self);
  if (!view->transport_ || !view->slider_ || !view->elapsedLabel_) return;
  const double at = view->slider_->value();
  view->elapsedLabel_->setText(formatPlayTime(at));
  view->remainingLabel_->setText(remainingTime(view->transport_->duration, at));
}

void MPPlaybackControlsView::showTrack() {
  if (!transport_ || !titleLabel_) return;
  titleLabel_->setText(transport_->title);
  artistLabel_->setText(transport_->artist);
  artwork_->setTitle(transport_->title);
  queueLabel_->setText(transport_->count > 0 ? std::to_string(transport_->index + 1) + " of " + std::to_string(transport_->count)
                                             : std::string());
  slider_->setMinimumValue(0);
  slider_->setMaximumValue(float(std::max(transport_->duration, 0.001)));
  slider_->setEnabled(transport_->duration > 0);  // nothing to seek in a stream without a length
  showPosition();
}

void MPPlaybackControlsView::showPosition() {
  if (!transport_ || !slider_ || scrubbing_) return;
  slider_->setValue(transport_->duration > 0 ? float(transport_->position) : 0.0f, false);
  elapsedLabel_->setText(formatPlayTime(transport_->position));
  remainingLabel_->setText(remainingTime(transport_->duration, transport_->position));
}

}  // namespace host
