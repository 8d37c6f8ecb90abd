// The walk that hands samples to the kernel in force, in place.
//
// With two buffers the samples go in the order buffer 0 sample 0, buffer 1 sample 0, buffer 0
// sample 1, ... through the one shared filter state; with one buffer, in buffer order. The slot
// `performFilters` is read before every sample, so a switch takes effect from the next sample;
// an empty slot passes samples through.
#pragma once

#include <cstddef>

namespace lowtide {

// Runs `count` samples of `buffer0` (and of `buffer1`, when not null). Recognises the four
// kernels of the chain and runs their bodies inline, keeping the audio thread's filter state in
// registers for as long as the same kernel stays in force; any other kernel is called through
// the slot. The output is bit-identical to walkKernelThroughSlot's.
void walkKernel(float* buffer0, float* buffer1, size_t count);

// The same walk with one call through the slot per sample: the plain form, kept as the
// reference the fast walk is measured and checked against.
void walkKernelThroughSlot(float* buffer0, float* buffer1, size_t count);

}  // namespace lowtide
