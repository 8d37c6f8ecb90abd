// The player's playback controls: a play/pause button, a shuffle button and the track position
// slider. Its methods live in the runtime, where the player sends them and where a loaded
// library may replace them:
//   _initializeControls, reloadControls                       "v@:"
//   newButtonForPart: (part code)                               "@@:Q", a button it keeps
//   _shuffleButton:, _playPauseButton: (the tapped button)      "v@:@"
//   detailSliderTrackingDidBegin:/DidEnd:/DidCancel: (slider)   "v@:@"
// Part code 2048 is the shuffle part: its buttons' taps send _shuffleButton: to this view.
#pragma once

#include <cstdint>
#include <vector>

#include "host/player/MPButton.h"
#include "host/player/MPDetailSlider.h"
#include "uikit/UIView.h"

namespace host {

inline constexpr uint64_t kShufflePart = 2048;
inline constexpr uint64_t kPlayPausePart = 1;
inline constexpr long kShuffleButtonTag = 2048;
inline constexpr long kPlayPauseButtonTag = 1;

class MPPlaybackControlsView : public UIView {
 public:
  static Class runtimeClass();  // "MPPlaybackControlsView", a subclass of "UIView"
  static Ref<MPPlaybackControlsView> make(CGRect frame);
  ~MPPlaybackControlsView() override;

  // What the player's own methods did, for the player's display and for tests.
  MPButton* shuffleButton() const { return shuffleButton_; }
  MPButton* playPauseButton() const { return playPauseButton_; }
  MPDetailSlider* slider() const { return slider_.get(); }
  bool shuffling() const { return shuffling_; }
  int shuffleHandlerCalls() const { return shuffleHandlerCalls_; }
  id lastShuffleSender() const { return lastShuffleSender_; }
  const std::vector<uint64_t>& partsRequested() const { return partsRequested_; }
  int initializeCalls() const { return initializeCalls_; }
  int reloadCalls() const { return reloadCalls_; }
  bool scrubbing() const { return scrubbing_; }
  int superviewMoves() const { return superviewMoves_; }

  static void registerMembers(Class cls);

 protected:
  void didMoveToSuperview() override { ++superviewMoves_; }

 private:
  static void initializeControls(id self, SEL);
  static void reloadControls(id self, SEL);
  static id newButtonForPart(id self, SEL, uint64_t part);
  static void shuffleButtonTapped(id self, SEL, id sender);
  static void playPauseButtonTapped(id self, SEL, id sender);
  static void sliderDidBegin(id self, SEL, id slider);
  static void sliderDidEnd(id self, SEL, id slider);

  std::vector<Ref<MPButton>> buttons_;  // every button it made: it is their action target
  MPButton* shuffleButton_ = nullptr;
  MPButton* playPauseButton_ = nullptr;
  Ref<MPDetailSlider> slider_;
  bool shuffling_ = false, playing_ = true, scrubbing_ = false;
  int shuffleHandlerCalls_ = 0, initializeCalls_ = 0, reloadCalls_ = 0, superviewMoves_ = 0;
  id lastShuffleSender_ = nullptr;  // identity only, never sent to
  std::vector<uint64_t> partsRequested_;
};

}  // namespace host
