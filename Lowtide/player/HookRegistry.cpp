#include "Lowtide/player/HookRegistry.h"

#include <mutex>

#include "Lowtide/player/ControlsHooks.h"
#include "Lowtide/player/ShowControls.h"
#include "Lowtide/player/TapAttachment.h"
#include "substrate/substrate.h"

namespace lowtide {

PreviousImplementations previous;

void installHooks() {
  static std::once_flag once;
  std::call_once(once, [] {
    Class controls = objc_getClass("MPPlaybackControlsView");
    MSHookMessageEx(controls, sel_registerName("detailSliderTrackingDidCancel:"),
                    &detailSliderTrackingDidCancel, &previous.detailSliderTrackingDidCancel);
    MSHookMessageEx(controls, sel_registerName("detailSliderTrackingDidEnd:"),
                    &detailSliderTrackingDidEnd, &previous.detailSliderTrackingDidEnd);
    MSHookMessageEx(controls, sel_registerName("detailSliderTrackingDidBegin:"),
                    &detailSliderTrackingDidBegin, &previous.detailSliderTrackingDidBegin);
    MSHookMessageEx(controls, sel_registerName("newButtonForPart:"), &newButtonForPart,
                    &previous.newButtonForPart);
    MSHookMessageEx(controls, sel_registerName("_shuffleButton:"), &shuffleButton,
                    &previous.shuffleButton);
    MSHookMessageEx(controls, sel_registerName("_initializeControls"), &initializeControls,
                    &previous.initializeControls);
    class_addMethod(controls, sel_registerName("loadSettings"), reinterpret_cast<IMP>(&loadSettings),
                    "v@:");
    MSHookMessageEx(controls, sel_registerName("didMoveToSuperview"), &didMoveToSuperview,
                    &previous.didMoveToSuperview);
    MSHookMessageEx(controls, sel_registerName("reloadControls"), &reloadControls,
                    &previous.reloadControls);
    MSHookMessageEx(controls, sel_registerName("dealloc"), &dealloc, &previous.dealloc);
    class_addMethod(controls, sel_registerName("tf"), reinterpret_cast<IMP>(&tf), "v@:");
    class_addMethod(controls, sel_registerName("showCTRLS"), reinterpret_cast<IMP>(&showCTRLS), "v@:");

    Class item = objc_getClass("MPAVItem");
    MSHookMessageEx(item, sel_registerName("loadAssetAndPlayerItem"), &loadAssetAndPlayerItem,
                    &previous.loadAssetAndPlayerItem);
    MSHookMessageEx(item, sel_registerName("setPlayerItem:"), &setPlayerItem, &previous.setPlayerItem);
  });
}

}  // namespace lowtide
