// The platform's tap object: creation, storage, the source of blocks, release and finalize.
#include <gtest/gtest.h>

#include <vector>

#include "mediatoolbox/MTAudioProcessingTapDriver.h"

namespace {

struct Record {
  std::vector<std::string> calls;
  MTAudioProcessingTapRef tap = nullptr;
};
Record* record = nullptr;
int storageToken = 42;

void init(MTAudioProcessingTapRef tap, void* clientInfo, void** storage) {
  record = static_cast<Record*>(clientInfo);
  record->calls.push_back("init");
  record->tap = tap;
  *storage = &storageToken;
}
void finalize(MTAudioProcessingTapRef tap) {
  record->calls.push_back(MTAudioProcessingTapGetStorage(tap) == &storageToken ? "finalize" : "finalize?");
}
void prepare(MTAudioProcessingTapRef, CMItemCount maxFrames, const AudioStreamBasicDescription* f) {
  record->calls.push_back("prepare " + std::to_string(maxFrames) + " " + std::to_string(f->mSampleRate));
}
void unprepare(MTAudioProcessingTapRef) { record->calls.push_back("unprepare"); }
void process(MTAudioProcessingTapRef tap, CMItemCount frames, MTAudioProcessingTapFlags,
             AudioBufferList* list, CMItemCount* framesOut, MTAudioProcessingTapFlags* flagsOut) {
  const OSStatus status = MTAudioProcessingTapGetSourceAudio(tap, frames, list, flagsOut, nullptr, framesOut);
  record->calls.push_back("process " + std::to_string(frames) + " " + std::to_string(status));
}

MTAudioProcessingTapCallbacks callbacks(Record* r) {
  return {kMTAudioProcessingTapCallbacksVersion_0, r, init, finalize, prepare, unprepare, process};
}

}  // namespace

TEST(TapObject, RunsInitAtCreationAndFinalizeWhenTheLastReferenceGoes) {
  Record r;
  const auto cb = callbacks(&r);
  MTAudioProcessingTapRef tap = nullptr;
  ASSERT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &cb, kMTAudioProcessingTapCreationFlag_PreEffects, &tap), noErr);
  ASSERT_NE(tap, nullptr);
  EXPECT_EQ(r.calls, std::vector<std::string>{"init"});
  EXPECT_EQ(r.tap, tap);
  EXPECT_EQ(MTAudioProcessingTapGetStorage(tap), &storageToken);
  EXPECT_EQ(MTAudioProcessingTapGetCreationFlags(tap), kMTAudioProcessingTapCreationFlag_PreEffects);
  EXPECT_EQ(MTAudioProcessingTapGetCallbacks(tap).clientInfo, &r);

  {
    Ref<NSObject> heldByAnItem(tap);  // a player item keeps the tap as an object
    CFRelease(tap);
    EXPECT_EQ(r.calls.size(), 1u);
  }
  EXPECT_EQ(r.calls, (std::vector<std::string>{"init", "finalize"}));
}

TEST(TapObject, DriverRunsTheCallbacksAndTheSourceFillsTheBlock) {
  Record r;
  const auto cb = callbacks(&r);
  MTAudioProcessingTapRef tap = nullptr;
  ASSERT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &cb, 0, &tap), noErr);
  AudioStreamBasicDescription format{};
  format.mSampleRate = 48000.0;
  MTAudioProcessingTapPrepare(tap, 1024, format);

  float data[8] = {};
  AudioBufferList list{1, {{2, sizeof data, data}}};
  CMItemCount delivered = -1;
  MTAudioProcessingTapFlags flags = 99;
  MTAudioProcessingTapProcess(tap, 4, &list, &delivered, &flags);  // no source yet
  EXPECT_EQ(delivered, 0);
  EXPECT_EQ(flags, 0u);

  MTAudioProcessingTapSetSource(tap, [](CMItemCount frames, AudioBufferList* l, MTAudioProcessingTapFlags* f,
                                        CMItemCount* out) {
    static_cast<float*>(l->mBuffers[0].mData)[0] = 0.25f;
    *f = 1;
    *out = frames - 1;
    return OSStatus{-7};
  });
  MTAudioProcessingTapProcess(tap, 4, &list, &delivered, &flags);
  EXPECT_EQ(delivered, 3);
  EXPECT_EQ(flags, 1u);
  EXPECT_EQ(data[0], 0.25f);
  MTAudioProcessingTapUnprepare(tap);
  CFRelease(tap);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"init", "prepare 1024 48000.000000",
                                               "process 4 " + std::to_string(kAudio_ParamError),
                                               "process 4 -7", "unprepare", "finalize"}));
}

TEST(TapObject, RefusesBadCallbacksAndHonoursAnInjectedFailure) {
  Record r;
  auto cb = callbacks(&r);
  MTAudioProcessingTapRef tap = reinterpret_cast<MTAudioProcessingTapRef>(&r);
  MTAudioProcessingTapFailNextCreate(-12345);
  EXPECT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &cb, 0, &tap), -12345);
  EXPECT_EQ(tap, nullptr);
  EXPECT_TRUE(r.calls.empty()) << "init must not run for a failed creation";

  cb.version = 1;
  EXPECT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &cb, 0, &tap), kAudio_ParamError);
  cb.version = kMTAudioProcessingTapCallbacksVersion_0;
  cb.process = nullptr;
  EXPECT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &cb, 0, &tap), kAudio_ParamError);
  EXPECT_TRUE(r.calls.empty());

  cb.process = process;  // the fault was for one creation only
  ASSERT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &cb, 0, &tap), noErr);
  CFRetain(tap);
  CFRelease(tap);
  EXPECT_EQ(r.calls.size(), 1u);
  CFRelease(tap);
  EXPECT_EQ(r.calls.back(), "finalize");
}
