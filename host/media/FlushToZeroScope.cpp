#include "host/media/FlushToZeroScope.h"

#include "coreaudio/AudioThread.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace host {
namespace {

unsigned long floatingPointControl() {
#if defined(__x86_64__) || defined(__i386__)
  return _mm_getcsr();
#elif defined(__aarch64__)
  unsigned long fpcr;
  __asm__ __volatile__("mrs %0, fpcr" : "=r"(fpcr));
  return fpcr;
#else
  return 0;
#endif
}

void setFloatingPointControl([[maybe_unused]] unsigned long value) {
#if defined(__x86_64__) || defined(__i386__)
  _mm_setcsr(unsigned(value));
#elif defined(__aarch64__)
  __asm__ __volatile__("msr fpcr, %0" : : "r"(value));
#endif
}

}  // namespace

FlushToZeroScope::FlushToZeroScope() : saved_(floatingPointControl()) {
  AudioThreadEnableFlushToZero();
}

FlushToZeroScope::~FlushToZeroScope() { setFloatingPointControl(saved_); }

}  // namespace host
