// The process callback must not allocate, not even when it logs: every operator new of this
// test program made on the processing thread is counted while a block is processed.
#include <atomic>
#include <cstdlib>
#include <new>

#include "EngineFixture.h"
#include "TapHarness.h"

namespace {

std::atomic<long> allocations{0};
thread_local bool counting = false;

void* allocate(std::size_t size) {
  if (counting) allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

using namespace lowtide;

TEST_F(EngineTest, ProcessingABlockAllocatesNothing) {
  for (bool nonInterleaved : {false, true}) {
    TapHarness h;
    h.prepare(streamFormat(kAudioFormatLinearPCM,
                           kAudioFormatFlagIsFloat | (nonInterleaved ? UInt32{kAudioFormatFlagIsNonInterleaved} : UInt32{0})));
    h.makeBuffers(nonInterleaved ? 2 : 1, nonInterleaved ? 1024 : 2048, nonInterleaved ? 1 : 2);
    h.script.samples = testSignal(2048);
    h.script.framesDelivered = 1000;  // a short delivery exercises the tail clearing too
    for (Kernel k : {case1, case2, case3, case4, caseplus}) {
      selectKernel(k);
      counting = true;
      allocations = 0;
      h.process(1024);
      counting = false;
      EXPECT_EQ(allocations.load(), 0) << nonInterleaved;
    }
  }
  // The counter does see allocations (so the zero above means something).
  counting = true;
  auto* probe = new int(1);
  counting = false;
  delete probe;
  EXPECT_EQ(allocations.load(), 1);
}

TEST_F(EngineTest, LoggingFromTheProcessCallbackAllocatesNothing) {
  TapHarness failing;
  failing.prepare(streamFormat(kAudioFormatLinearPCM, kAudioFormatFlagIsFloat));
  failing.makeBuffers(1, 256, 2);
  failing.script.samples = testSignal(256);
  failing.script.status = -1;
  TapHarness integer;
  integer.prepare(streamFormat(kAudioFormatLinearPCM, kAudioFormatFlagIsSignedInteger));
  integer.makeBuffers(1, 256, 2);
  const size_t linesBefore = logLines().size();

  counting = true;
  allocations = 0;
  for (int block = 0; block < 3; ++block) {
    failing.process(128);
    integer.process(128);
  }
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  // The lines were logged all the same, in order.
  const std::vector<std::string> lines = logLines();
  ASSERT_EQ(lines.size(), linesBefore + 6);
  EXPECT_EQ(lines[linesBefore], "MTAudioProcessingTapGetSourceAudio: -1");
  EXPECT_EQ(lines[linesBefore + 1], "Unsupported tap processing format.");
  EXPECT_EQ(lines.back(), "Unsupported tap processing format.");
}
