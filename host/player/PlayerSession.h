// The music player's side of one run: its classes in the runtime, its window with the playback
// controls view, and the queue items it makes for files.
#pragma once

#include <string>

#include "host/player/PlayerTransport.h"
#include "mediatoolbox/MTAudioProcessingTap.h"
#include "objc/NSObject.h"

class UIView;

namespace host {

class PlayerSession {
 public:
  PlayerSession();       // registers the player's classes (once per process); makes the key
                         // UIWindow and the Now Playing screen (an MPPlaybackControlsView)
                         // covering it
  ~PlayerSession();
  PlayerSession(const PlayerSession&) = delete;
  PlayerSession& operator=(const PlayerSession&) = delete;

  void setUpControls();  // sends _initializeControls, then reloadControls, to the controls view
  // A new MPAVItem for the audio file at `path` (a path on this machine); sends it
  // loadAssetAndPlayerItem. Never null.
  Ref<NSObject> makeQueueItem(const std::string& path);
  static NSObject* playerItemOf(NSObject* queueItem);          // its `_avPlayerItem`, may be null
  static MTAudioProcessingTapRef tapOf(NSObject* playerItem);  // audioMix's first input
                                                               // parameters' tap, or null
  NSObject* controlsView() const;
  NSObject* window() const;
  // The equalizer's image button a loaded library added to the controls, if any: the newest
  // button the controls made for the shuffle part that carries the equalizer buttons' tag and no
  // title of its own.
  UIView* equalizerImageButton() const;

  // The listener's requests and what plays; the Now Playing screen shows changes once told.
  PlayerTransport& transport() { return transport_; }
  void showTrack();     // title, artist, place in the queue, duration
  void showPosition();  // the position, when it moved by a quarter of a second
  void showLimiting();  // the limiter's gain reduction
  void showVolume();    // the volume slider, after the volume changed elsewhere
  void showControls();  // the play/pause, shuffle and repeat buttons, after the pause changed elsewhere
  // What the A/B comparison lets be heard (the transport's `comparing`), in a strip of the
  // window's own over every screen, the equalizer panel included; keepComparisonInFront() puts
  // it back on top once something opened over it.
  void showComparison();
  void keepComparisonInFront();
  // A render with no window and no script: nothing will ever draw or photograph the screen, so
  // a long title's marquee rests (measuring its text would start the font machinery for nothing).
  void setScreenNeverSeen() { screenNeverSeen_ = true; }

 private:
  Ref<NSObject> window_;
  Ref<NSObject> controlsView_;
  PlayerTransport transport_;
  Ref<NSObject> comparisonStrip_;  // a UILabel, made at the first comparison
  long shownSecond_ = -1;  // the quarter second shown
  bool screenNeverSeen_ = false;
  static constexpr double kStatusBarHeight = 20;
  bool controlsCovered() const;  // by a view over the whole screen below the status bar
};

}  // namespace host
