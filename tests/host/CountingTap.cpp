#include "CountingTap.h"

#include "avfoundation/AVAsset.h"
#include "avfoundation/AVAudioMix.h"
#include "avfoundation/AVPlayerItem.h"
#include "host/player/PlayerClasses.h"
#include "mediatoolbox/MTAudioProcessingTap.h"
#include "objc/runtime.h"

namespace tunely_test {

std::atomic<int> CountingTap::prepares{0}, CountingTap::unprepares{0}, CountingTap::finalizes{0};

namespace {

void (*playersSetPlayerItem)(id, SEL, id) = nullptr;

void passThrough(MTAudioProcessingTapRef tap, CMItemCount frames, MTAudioProcessingTapFlags,
                 AudioBufferList* list, CMItemCount* framesOut, MTAudioProcessingTapFlags* flagsOut) {
  MTAudioProcessingTapGetSourceAudio(tap, frames, list, flagsOut, nullptr, framesOut);
}

void setPlayerItemWithTap(id self, SEL cmd, id playerItem) {
  if (auto* item = dynamic_cast<AVPlayerItem*>(playerItem); item && item->asset() &&
                                                            !item->asset()->tracks().empty()) {
    MTAudioProcessingTapCallbacks callbacks{};
    callbacks.version = kMTAudioProcessingTapCallbacksVersion_0;
    callbacks.prepare = [](MTAudioProcessingTapRef, CMItemCount, const AudioStreamBasicDescription*) {
      ++CountingTap::prepares;
    };
    callbacks.process = passThrough;
    callbacks.unprepare = [](MTAudioProcessingTapRef) { ++CountingTap::unprepares; };
    callbacks.finalize = [](MTAudioProcessingTapRef) { ++CountingTap::finalizes; };
    MTAudioProcessingTapRef created = nullptr;
    MTAudioProcessingTapCreate(kCFAllocatorDefault, &callbacks, 0, &created);
    Ref<MTAudioProcessingTap> tap = Ref<MTAudioProcessingTap>::adopt(created);
    Ref<AVMutableAudioMixInputParameters> input =
        AVMutableAudioMixInputParameters::audioMixInputParametersWithTrack(item->asset()->tracks().front().get());
    input->setAudioTapProcessor(tap.get());
    Ref<AVMutableAudioMix> mix = AVMutableAudioMix::audioMix();
    mix->setInputParameters({Ref<AVAudioMixInputParameters>(input)});
    item->setAudioMix(mix.get());
  }
  playersSetPlayerItem(self, cmd, playerItem);
}

}  // namespace

CountingTap::CountingTap() {
  host::registerPlayerClasses();
  prepares = unprepares = finalizes = 0;
  playersSetPlayerItem = class_replaceMethod(objc_getClass("MPAVItem"), sel_registerName("setPlayerItem:"),
                                             &setPlayerItemWithTap, "v@:@");
}

CountingTap::~CountingTap() {
  class_replaceMethod(objc_getClass("MPAVItem"), sel_registerName("setPlayerItem:"), playersSetPlayerItem,
                      "v@:@");
}

}  // namespace tunely_test
