// The K-weighting filter that loudness is measured through: a high shelf of about +4 dB above
// 1.5 kHz (the head's acoustic effect), then a high pass around 38 Hz. Both are designed from
// their analogue prototypes by the bilinear transform, so any sample rate gets the same curve;
// at 48 kHz the coefficients are the ones the loudness standard tabulates.
#pragma once

namespace host {

// y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]
struct BiquadCoefficients {
  double b0, b1, b2, a1, a2;
};

BiquadCoefficients kWeightingShelf(double sampleRate);
// Its numerator is (1 - z^-1)^2 at every rate (b = 1, -2, 1), not scaled to unit pass-band
// gain, as the tabulated filter has it; the measure's -0.691 dB offset assumes that gain.
BiquadCoefficients kWeightingHighPass(double sampleRate);

// The shelf's frequency must lie below the Nyquist frequency for the design to mean anything.
bool kWeightingSupportsRate(double sampleRate);

}  // namespace host
