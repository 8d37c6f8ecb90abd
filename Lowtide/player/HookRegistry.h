// The methods the system installs into the player's classes, and the implementations they
// replaced. Each replacement forwards to its kept implementation with the receiver, selector and
// arguments it received.
#pragma once

#include <cstdint>

#include "objc/runtime.h"

namespace lowtide {

using VoidMethod = void (*)(id self, SEL cmd);
using ObjectMethod = void (*)(id self, SEL cmd, id argument);
using ButtonForPartMethod = id (*)(id self, SEL cmd, uint64_t part);

// One slot per replaced method, written once by installHooks and only read afterwards. A slot
// stays null when its class or method was missing at installation.
struct PreviousImplementations {
  ObjectMethod detailSliderTrackingDidCancel = nullptr;
  ObjectMethod detailSliderTrackingDidEnd = nullptr;
  ObjectMethod detailSliderTrackingDidBegin = nullptr;
  ButtonForPartMethod newButtonForPart = nullptr;
  ObjectMethod shuffleButton = nullptr;
  VoidMethod initializeControls = nullptr;
  VoidMethod didMoveToSuperview = nullptr;
  VoidMethod reloadControls = nullptr;
  VoidMethod dealloc = nullptr;
  VoidMethod loadAssetAndPlayerItem = nullptr;
  ObjectMethod setPlayerItem = nullptr;
};
extern PreviousImplementations previous;

// Replaces the controls view's and the queue item's methods and adds the controls view's new
// ones, in a fixed order, into the classes registered at the time of the call. Missing classes
// or methods are passed over. Runs once per process; later calls do nothing.
void installHooks();

}  // namespace lowtide
