// The equalizer's true response: what a listener hears from the chain the audio thread runs,
// computed from the coefficients and bass values it is using.
//
// The chain is linear: the main section, then the bass stage (its one-pole smoother mixed back
// in, times the bass gain), each present when the kernel in force runs it. The tap walks every
// frame's channels in turn through the one shared filter state, so on a stream of C channels the
// chain runs at C times the frame rate over the interleaved samples, and a channel hears it
// through that walk: the response of the first channel to a signal that is the same in every
// channel (a centred signal) is not the chain's own, and part of the other channels reaches it
// (the crosstalk). Both come from the chain's polyphase decomposition at the walk's rate.
#pragma once

#include <complex>
#include <cstdint>
#include <optional>
#include <vector>

namespace lowtide {

// A section's normalised coefficients: y = c0 x + c1 x1 + c2 x2 - c3 y1 - c4 y2.
struct SectionCoefs {
  float c0 = 1, c1 = 0, c2 = 0, c3 = 0, c4 = 0;
  friend bool operator==(const SectionCoefs&, const SectionCoefs&) = default;
};

// The bass stage: cap = g1 (x + k cap), out = gain (x + intensity cap), with g1 = 1/(k + 1)
// rounded to float as the kernel rounds it.
struct BassStage {
  double k = 80, intensity = 0, gain = 1;
  friend bool operator==(const BassStage&, const BassStage&) = default;
};

// The chain in force at one moment and the stream it runs on.
struct EqualizerChain {
  // False when the kernel in force is none of the chain's four: its response is not known here.
  bool known = true;
  std::optional<SectionCoefs> filter;  // the main section, when the kernel runs it
  std::optional<BassStage> bass;       // the bass stage, when the kernel runs it
  double sampleRate = 44100;           // frames per second of the stream
  int channels = 2;                    // samples per frame the walk visits in turn
  double filterFrequency = 0;          // the main filter's frequency in Hz, to mark it
  friend bool operator==(const EqualizerChain&, const EqualizerChain&) = default;

  bool isFlat() const { return known && !filter && !bass; }
  double nyquist() const { return sampleRate / 2; }
};

// The chain's transfer function at the walk's rate, at a point z of the unit circle.
std::complex<double> chainTransfer(const EqualizerChain& chain, std::complex<double> z);

struct ChannelResponse {
  std::complex<double> centred;    // first channel, the same signal in every channel
  std::complex<double> crosstalk;  // first channel, a signal in the other channels alone
};

// The response at `frequency` Hz of the stream. For one channel, the chain's own at that
// frequency; for C channels, through the walk that visits sample c of frame m at step C m + c.
ChannelResponse channelResponse(const EqualizerChain& chain, double frequency);

struct CurvePoint {
  double frequency = 0;  // Hz
  double levelDb = 0;    // the centred response
  // The crosstalk; -infinity where none reaches the first channel (one channel, or no stage).
  double crosstalkDb = 0;
};

struct ResponseCurve {
  EqualizerChain chain;
  std::vector<CurvePoint> points;  // rising frequencies

  // Whether any crosstalk reaches the first channel.
  bool hasCrosstalk() const;
};

// `perOctave` points an octave from `lowest` up to below `highest`, then `highest` itself.
std::vector<double> logFrequencies(double lowest, double highest, int perOctave);

// The chain's curve at the given frequencies (an unknown chain gives no points).
ResponseCurve responseCurve(const EqualizerChain& chain, const std::vector<double>& frequencies);

// The lowest frequency of every curve.
inline constexpr double kLowestCurveFrequency = 20;

// The curve from 20 Hz to the stream's Nyquist frequency, `perOctave` points an octave.
ResponseCurve responseCurve(const EqualizerChain& chain, int perOctave);

// 20 log10 |h|; -infinity for 0.
double decibels(std::complex<double> h);

}  // namespace lowtide
