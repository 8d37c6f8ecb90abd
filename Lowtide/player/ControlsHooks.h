// The equalizer buttons in the player's playback controls: the replacements of the controls
// view's methods and the methods added to it.
#pragma once

#include <cstdint>
#include <mutex>

#include "objc/runtime.h"
#include "coregraphics/CGGeometry.h"
#include "uikit/UIButton.h"

namespace lowtide {

inline constexpr uint64_t kEqualizerButtonPart = 2048;  // the player wires it to _shuffleButton:
inline constexpr long kEqualizerButtonTag = 5;
inline constexpr const char* kButtonImagePath = "/Library/Application Support/Tunely/Tunely.png";
inline constexpr const char* kTextButtonTitle = "Tunely";
inline constexpr double kLoadSettingsDelay = 2.0;
inline constexpr double kForgetTextButtonFromVersion = 1140.1;

// The image button of the newest _initializeControls. Written on the main thread; read from other
// threads (as the tap's client information) only under btnMutex.
extern Ref<UIButton> btn;
extern std::mutex btnMutex;
// The text button, made by reloadControls while none is known.
extern Ref<UIButton> xbtn;
// The frame given to btn.
extern CGRect framex;

// Replacements (their previous implementations are in HookRegistry.h).
void detailSliderTrackingDidBegin(id self, SEL cmd, id slider);
void detailSliderTrackingDidEnd(id self, SEL cmd, id slider);
void detailSliderTrackingDidCancel(id self, SEL cmd, id slider);
id newButtonForPart(id self, SEL cmd, uint64_t part);
void shuffleButton(id self, SEL cmd, id sender);
void initializeControls(id self, SEL cmd);
void didMoveToSuperview(id self, SEL cmd);
void reloadControls(id self, SEL cmd);
void dealloc(id self, SEL cmd);

// Added methods, "v@:".
void loadSettings(id self, SEL cmd);
void tf(id self, SEL cmd);

}  // namespace lowtide
