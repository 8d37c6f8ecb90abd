#include "coreaudio/AudioThread.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

void AudioThreadEnableFlushToZero() {
#if defined(__x86_64__) || defined(__i386__)
  constexpr unsigned kFlushToZero = 1u << 15;
  constexpr unsigned kDenormalsAreZero = 1u << 6;
  _mm_setcsr(_mm_getcsr() | kFlushToZero | kDenormalsAreZero);
#elif defined(__aarch64__)
  unsigned long fpcr;
  __asm__ __volatile__("mrs %0, fpcr" : "=r"(fpcr));
  fpcr |= 1ul << 24;  // FZ: inputs and results that are subnormal become zero
  __asm__ __volatile__("msr fpcr, %0" : : "r"(fpcr));
#endif
}
