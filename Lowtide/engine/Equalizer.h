// The process-wide equalizer: the parameter set the panel edits, the filter sections built from
// it, the per-sample kernels and the slot holding the kernel in force.
//
// Every value here is shared between the main thread (panel, last-state loader) and the audio
// thread (the tap). Each is a single word read and written whole with relaxed atomics, so a
// change is heard from the next sample without any lock on the audio thread.
#pragma once

#include <atomic>
#include <cstdint>

namespace lowtide {

struct biquad;

// A kernel turns one input sample into one output sample.
using Kernel = float (*)(float);

// User parameters.
extern std::atomic<double> gain;        // main filter gain, dB
extern std::atomic<double> freq;        // main filter frequency, Hz
extern std::atomic<double> bandwidth;   // main filter bandwidth, octaves
extern std::atomic<int32_t> eqType;     // 0 low pass, 1 high pass, 2 high shelf, 3 peaking
extern std::atomic<bool> enabled;       // main filter switch
extern std::atomic<bool> bassenabled;   // bass boost switch
extern std::atomic<double> bassgain;    // linear gain after the bass stage
extern std::atomic<double> bassintens;  // amount of low-passed signal mixed back in
extern std::atomic<double> bassfreq;    // smoothing factor k of the bass low pass
extern std::atomic<bool> plusenabled;   // six-band equalizer switch (recorded only)

// Stream parameters: the sample rate of the stream being processed (its preparation records it),
// and the channel count of the latest stream a tap was made for (2 until one is made), which the
// panel's response curve describes.
extern std::atomic<double> srate;
extern std::atomic<uint32_t> streamChannels;

// The kernel in force; null until the first preparation.
extern std::atomic<Kernel> performFilters;

// Bass boost state, owned by the audio thread: the one-pole low pass shared by all channels, and
// the smoothing gain 1/(bassfreq + 1) of the last boosted sample.
extern std::atomic<float> cap;
extern std::atomic<float> gain1;

// Filter sections, created by the first preparation and never released. Published with
// release stores; read them with acquire loads.
extern std::atomic<biquad*> mainFilter;
extern std::atomic<biquad*> plusFilters[6];  // 32, 128, 512, 2048, 8192, 16384 Hz

float case1(float x);     // bass boost of (main filter of x)
float case2(float x);     // main filter of x
float case3(float x);     // bass boost of x
float case4(float x);     // x unchanged
float caseplus(float x);  // the six bands in series, divided by 1.5
float dBoost(float x);    // the bass boost stage alone

// Puts `kernel` in force unless it needs a section that does not exist yet, in which case
// pass-through (case4) is put in force instead. A null kernel selects pass-through; a kernel the
// engine does not know is put in force as given. The engine's own selections (preparation,
// setFunc, the last state) go through here; the panel's switches store into the slot they were
// bound to directly, and the kernels and the walk pass a missing section's stage through.
void selectKernel(Kernel kernel);

void setFunc();                                 // selects the kernel from the two switches
void updateEq();                                // recomputes the main section
// Whether the main section holds the last design updateEq made: false when that design could
// not run (the section kept the one before), read from the design values it left behind.
bool lastDesignTaken();
void updatePlusEq(int32_t band, double gainDb); // recomputes one band section
void prepareEq(double sampleRate);              // preparation for a new stream

}  // namespace lowtide
