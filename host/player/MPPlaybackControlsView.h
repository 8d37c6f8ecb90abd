// The player's Now Playing screen: the playback controls view, covering the whole device screen.
// Its methods live in the runtime, where the player sends them and where a loaded library may
// replace them:
//   _initializeControls, reloadControls                       "v@:"
//   newButtonForPart: (part code)                               "@@:Q", a button it keeps
//   _shuffleButton:, _playPauseButton:, _previousTrackButton:,
//   _nextTrackButton:, _repeatButton: (the tapped button)       "v@:@"
//   detailSliderTrackingDidBegin:/DidEnd:/DidCancel: (slider)   "v@:@"
// Part code 2048 is the shuffle part: its buttons' taps send _shuffleButton: to this view.
//
// What the listener asks (pause, seek, skip) goes into the session's transport, which the media
// loop reads; what plays comes back through showTrack and showPosition.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/player/MPButton.h"
#include "host/player/MPDetailSlider.h"
#include "host/player/MarqueeLabel.h"
#include "host/player/NowPlayingArt.h"
#include "host/player/PlayerTransport.h"
#include "uikit/UILabel.h"
#include "uikit/UISlider.h"
#include "uikit/UIView.h"

namespace host {

inline constexpr uint64_t kPlayPausePart = 1;
inline constexpr uint64_t kPreviousTrackPart = 2;
inline constexpr uint64_t kNextTrackPart = 4;
inline constexpr uint64_t kShufflePart = 2048;
inline constexpr uint64_t kRepeatPart = 4096;
inline constexpr long kPlayPauseButtonTag = 1;
inline constexpr long kShuffleButtonTag = 2048;

class MPPlaybackControlsView : public UIView {
 public:
  static Class runtimeClass();  // "MPPlaybackControlsView", a subclass of "UIView"
  static Ref<MPPlaybackControlsView> make(CGRect frame);
  static void registerMembers(Class cls);
  ~MPPlaybackControlsView() override;

  // Where the listener's requests go (owned by the session, which outlives the view's use).
  void setTransport(PlayerTransport* transport) { transport_ = transport; }
  // The display of what plays.
  void showTrack();
  void showPosition();
  void showLimiting();  // the limiter's gain reduction, while it acts
  void showVolume();

  // What the player's own methods did, for the player's display and for tests.
  MPButton* shuffleButton() const { return shuffleButton_; }
  MPButton* playPauseButton() const { return playPauseButton_; }
  MPDetailSlider* slider() const { return slider_.get(); }
  UISlider* volumeSlider() const { return volumeSlider_.get(); }
  MPButton* repeatButton() const { return repeatButton_; }
  bool shuffling() const { return shuffling_; }
  int shuffleHandlerCalls() const { return shuffleHandlerCalls_; }
  id lastShuffleSender() const { return lastShuffleSender_; }
  const std::vector<uint64_t>& partsRequested() const { return partsRequested_; }
  int initializeCalls() const { return initializeCalls_; }
  int reloadCalls() const { return reloadCalls_; }
  bool scrubbing() const { return scrubbing_; }
  MarqueeLabel* titleLabel() const { return titleLabel_.get(); }
  int superviewMoves() const { return superviewMoves_; }

 protected:
  void didMoveToSuperview() override { ++superviewMoves_; }

 private:
  static void initializeControls(id self, SEL);
  static void reloadControls(id self, SEL);
  static id newButtonForPart(id self, SEL, uint64_t part);
  static void shuffleButtonTapped(id self, SEL, id sender);
  static void playPauseButtonTapped(id self, SEL, id sender);
  static void previousTrackTapped(id self, SEL, id sender);
  static void nextTrackTapped(id self, SEL, id sender);
  static void repeatTapped(id self, SEL, id sender);
  static void volumeMoved(id self, SEL, id slider);
  static void sliderDidBegin(id self, SEL, id slider);
  static void sliderDidEnd(id self, SEL, id slider);
  static void sliderDidCancel(id self, SEL, id slider);
  static void sliderMoved(id self, SEL, id slider);
  MPButton* addTransportButton(uint64_t part, TransportGlyph glyph, CGRect frame, const char* name);
  Ref<UILabel> addLabel(CGRect frame, double size, bool bold, UIColor* color, NSTextAlignment alignment,
                        const char* name);

  PlayerTransport* transport_ = nullptr;
  std::vector<Ref<MPButton>> buttons_;  // every button it made: it is their action target
  MPButton* shuffleButton_ = nullptr;
  MPButton* playPauseButton_ = nullptr;
  MPButton* repeatButton_ = nullptr;
  Ref<UISlider> volumeSlider_;
  Ref<UILabel> limitingLabel_;
  Ref<MPDetailSlider> slider_;
  Ref<ArtworkView> artwork_;
  Ref<MarqueeLabel> titleLabel_;
  Ref<UILabel> artistLabel_, elapsedLabel_, remainingLabel_, queueLabel_;
  bool shuffling_ = false, scrubbing_ = false;
  int shuffleHandlerCalls_ = 0, initializeCalls_ = 0, reloadCalls_ = 0, superviewMoves_ = 0;
  id lastShuffleSender_ = nullptr;  // identity only, never sent to
  std::vector<uint64_t> partsRequested_;
};

}  // namespace host
