// The curve against the engine's own walk, in process: the impulse responses of the first
// channel of a stream of one, two and three channels, walked through the real kernels the way
// the tap walks an interleaved buffer, transformed to frequency responses and compared with the
// curve's centred and crosstalk responses. The three-channel case is the one the player's
// pipeline test does not reach (the general polyphase form of the walk).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/KernelWalk.h"
#include "Lowtide/response/LiveChain.h"

namespace {

namespace eq = lowtide;
using Complex = std::complex<double>;

constexpr double kRate = 48000;
constexpr size_t kFrames = 8192;  // long past the chain's decay

// A fresh engine with a low pass and the bass boost in force.
void startEngine() {
  eq::resetEngineForTesting();
  eq::enabled = true;
  eq::bassenabled = true;
  eq::prepareEq(kRate);
  eq::eqType = 0;
  eq::freq = 1500.0;
  eq::bandwidth = 1.0;
  eq::bassfreq = 20.0;
  eq::bassintens = 2.0;
  eq::bassgain = 0.9;
  eq::updateEq();
}

// The first channel's output for an impulse in channel `from`, frame by frame.
std::vector<float> firstChannelImpulseResponse(int channels, int from) {
  startEngine();
  std::vector<float> buffer(kFrames * size_t(channels), 0.0f);
  buffer[size_t(from)] = 1.0f;
  eq::walkKernel(buffer.data(), nullptr, buffer.size());
  std::vector<float> first(kFrames);
  for (size_t m = 0; m < kFrames; ++m) first[m] = buffer[m * size_t(channels)];
  return first;
}

Complex transform(const std::vector<float>& response, double frequency) {
  Complex sum = 0;
  for (size_t m = 0; m < response.size(); ++m) sum += double(response[m]) * std::polar(1.0, -2 * M_PI * frequency * double(m) / kRate);
  return sum;
}

TEST(ChannelWalk, TheCurveIsTheFirstChannelsResponseThroughTheWalkForOneTwoAndThreeChannels) {
  for (int channels : {1, 2, 3}) {
    std::vector<std::vector<float>> responses;
    for (int from = 0; from < channels; ++from) responses.push_back(firstChannelImpulseResponse(channels, from));
    startEngine();
    const eq::EqualizerChain chain = eq::liveChain(channels);
    ASSERT_TRUE(chain.filter && chain.bass);
    for (double f : {20.0, 150.0, 1000.0, 3100.0, 9000.0, 17000.0, 23000.0}) {
      Complex centred = 0, crosstalk = 0;
      for (int from = 0; from < channels; ++from) {
        const Complex g = transform(responses[size_t(from)], f);
        centred += g;
        if (from > 0) crosstalk += g;
      }
      // The impulse responses are single precision: a relative error of 1e-4, or 1e-7 at most.
      const eq::ChannelResponse computed = eq::channelResponse(chain, f);
      const double tolerance = 1e-4 * std::max(std::abs(centred), 1e-3);
      EXPECT_NEAR(std::abs(computed.centred - centred), 0, tolerance) << channels << " channels, " << f << " Hz";
      EXPECT_NEAR(std::abs(computed.crosstalk - crosstalk), 0, tolerance)
          << channels << " channels, crosstalk at " << f << " Hz";
    }
  }
  eq::resetEngineForTesting();
}

}  // namespace
