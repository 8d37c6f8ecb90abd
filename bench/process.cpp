// The process callback on stereo blocks of 4096 frames, per kernel and layout, against the
// plain walk that calls through the kernel pointer for every sample; and a block decaying to
// silence with and without flush-to-zero / denormals-are-zero.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>
#include <xmmintrin.h>

#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/KernelWalk.h"
#include "Lowtide/engine/ProcessingTap.h"
#include "Lowtide/engine/biquad.h"
#include "coreaudio/AudioThread.h"
#include "mediatoolbox/MTAudioProcessingTapDriver.h"

namespace {

constexpr CMItemCount kFrames = 4096;
constexpr double kRate = 44100.0;

// The engine as the panel leaves it with both stages doing audible work.
void prepareEngine(lowtide::Kernel kernel) {
  using namespace lowtide;
  resetEngineForTesting();
  eqType = 2;
  gain = 6.0;
  freq = 2222.0;
  bandwidth = 5.0;
  bassfreq = 80.0;
  bassintens = 0.6;
  bassgain = 0.8;
  prepareEq(kRate);
  updateEq();
  selectKernel(kernel);
}

// A stereo stream of music-like level in either layout, and a tap whose source copies it in.
struct Stream {
  explicit Stream(bool nonInterleaved) : split(nonInterleaved) {
    for (CMItemCount i = 0; i < 2 * kFrames; ++i) {
      source.push_back(0.4f * std::sin(0.0123f * static_cast<float>(i)) +
                       0.2f * std::sin(0.71f * static_cast<float>(i)));
    }
    data = source;
    listBytes.resize(sizeof(AudioBufferList) + sizeof(AudioBuffer));
    list()->mNumberBuffers = split ? 2 : 1;
    if (split) {
      list()->mBuffers[0] = {1, kFrames * sizeof(float), data.data()};
      list()->mBuffers[1] = {1, kFrames * sizeof(float), data.data() + kFrames};
    } else {
      list()->mBuffers[0] = {2, 2 * kFrames * sizeof(float), data.data()};
    }
  }
  AudioBufferList* list() { return reinterpret_cast<AudioBufferList*>(listBytes.data()); }
  void fetch() { std::memcpy(data.data(), source.data(), source.size() * sizeof(float)); }

  bool split;
  std::vector<float> source, data;
  std::vector<unsigned char> listBytes;
};

MTAudioProcessingTapRef makeTap(Stream& stream) {
  const MTAudioProcessingTapCallbacks callbacks{
      kMTAudioProcessingTapCallbacksVersion_0, nullptr,           lowtide::tap_InitCallback,
      lowtide::tap_FinalizeCallback,           lowtide::tap_PrepareCallback,
      lowtide::tap_UnprepareCallback,          lowtide::tap_ProcessCallback};
  MTAudioProcessingTapRef tap = nullptr;
  MTAudioProcessingTapCreate(kCFAllocatorDefault, &callbacks, 0, &tap);
  MTAudioProcessingTapSetSource(tap, [&stream](CMItemCount frames, AudioBufferList*,
                                               MTAudioProcessingTapFlags*, CMItemCount* out) {
    stream.fetch();
    *out = frames;
    return OSStatus{noErr};
  });
  AudioStreamBasicDescription format{};
  format.mSampleRate = kRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagIsFloat | (stream.split ? UInt32{kAudioFormatFlagIsNonInterleaved} : 0u);
  format.mChannelsPerFrame = 2;
  MTAudioProcessingTapPrepare(tap, kFrames, format);
  return tap;
}

void report(benchmark::State& state) {
  const double frames = static_cast<double>(state.iterations()) * kFrames;
  state.SetItemsProcessed(static_cast<int64_t>(2 * frames));  // samples
  state.counters["x_realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

// The process callback as the media pipeline calls it.
void processCallback(benchmark::State& state, lowtide::Kernel kernel, bool nonInterleaved) {
  Stream stream(nonInterleaved);
  MTAudioProcessingTapRef tap = makeTap(stream);
  prepareEngine(kernel);
  for (auto _ : state) {
    CMItemCount delivered = 0;
    MTAudioProcessingTapFlags flags = 0;
    MTAudioProcessingTapProcess(tap, kFrames, stream.list(), &delivered, &flags);
    benchmark::DoNotOptimize(stream.data.data());
    benchmark::ClobberMemory();
  }
  report(state);
  CFRelease(tap);
}

// The same fetch and walk, with one call through the kernel pointer per sample.
void callPerSample(benchmark::State& state, lowtide::Kernel kernel, bool nonInterleaved) {
  Stream stream(nonInterleaved);
  prepareEngine(kernel);
  for (auto _ : state) {
    stream.fetch();
    if (nonInterleaved) {
      lowtide::walkKernelThroughSlot(stream.data.data(), stream.data.data() + kFrames, kFrames);
    } else {
      lowtide::walkKernelThroughSlot(stream.data.data(), nullptr, 2 * kFrames);
    }
    benchmark::DoNotOptimize(stream.data.data());
    benchmark::ClobberMemory();
  }
  report(state);
}

// A block of silence after loud audio: the filters' state decays through subnormal numbers,
// which are slow unless the thread flushes them to zero.
void decayToSilence(benchmark::State& state, bool flushToZero) {
  const unsigned savedMode = _mm_getcsr();
  if (flushToZero) AudioThreadEnableFlushToZero();
  Stream stream(true);
  std::fill(stream.source.begin(), stream.source.end(), 0.0f);
  MTAudioProcessingTapRef tap = makeTap(stream);
  prepareEngine(lowtide::case1);
  lowtide::biquad* main = lowtide::mainFilter.load();
  for (auto _ : state) {
    // The state loud audio leaves behind, decaying over the block (a few stores: not worth
    // pausing the clock for).
    lowtide::cap = 1e-36f;
    main->x1 = main->x2 = 0.0f;
    main->y1 = 1e-36f;
    main->y2 = 0.9e-36f;
    CMItemCount delivered = 0;
    MTAudioProcessingTapFlags flags = 0;
    MTAudioProcessingTapProcess(tap, kFrames, stream.list(), &delivered, &flags);
    benchmark::DoNotOptimize(stream.data.data());
  }
  report(state);
  CFRelease(tap);
  _mm_setcsr(savedMode);
}

// The core's clock, from a chain of dependent integer additions (one cycle each): turns the
// figures above into cycles per sample (ns per sample times GHz).
void clockEstimate(benchmark::State& state) {
  constexpr int64_t kAdds = 1 << 20;
  for (auto _ : state) {
    uint64_t x = 0;
    for (int64_t i = 0; i < kAdds / 8; ++i) {
      asm volatile("add $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\t"
                   "add $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\tadd $1, %0"
                   : "+r"(x));
    }
    benchmark::DoNotOptimize(x);
  }
  state.counters["GHz"] = benchmark::Counter(static_cast<double>(state.iterations()) * kAdds / 1e9,
                                             benchmark::Counter::kIsRate);
}

// The floor for case1: the bass stage's recursion through cap alone (float to double,
// multiply, add, multiply, back to float), over the same number of samples as a block.
void capChainBound(benchmark::State& state) {
  Stream stream(true);
  volatile double kSource = 80.0;
  const double k = kSource;
  const float g1 = static_cast<float>(1.0 / (k + 1.0));
  float c = 0.0f;
  for (auto _ : state) {
    for (float x : stream.source) {
      c = static_cast<float>(static_cast<double>(g1) * (static_cast<double>(x) + k * static_cast<double>(c)));
    }
    benchmark::DoNotOptimize(c);
  }
  report(state);
}

void registerAll() {
  benchmark::RegisterBenchmark("clock/dependent_adds", clockEstimate);
  benchmark::RegisterBenchmark("bound/cap_chain", capChainBound);
  const struct {
    const char* name;
    lowtide::Kernel kernel;
  } kernels[] = {{"case1", lowtide::case1}, {"case2", lowtide::case2}, {"case3", lowtide::case3},
                 {"case4", lowtide::case4}};
  for (const auto& k : kernels) {
    for (bool split : {true, false}) {
      const std::string layout = split ? "noninterleaved" : "interleaved";
      benchmark::RegisterBenchmark((std::string(k.name) + "/" + layout).c_str(), processCallback, k.kernel, split);
      benchmark::RegisterBenchmark(("callpersample/" + std::string(k.name) + "/" + layout).c_str(),
                                   callPerSample, k.kernel, split);
    }
  }
  benchmark::RegisterBenchmark("decay/noftz", decayToSilence, false);
  benchmark::RegisterBenchmark("decay/ftz", decayToSilence, true);
}

}  // namespace

int main(int argc, char** argv) {
  registerAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
