// One thread keeps editing the engine as the panel and the next song's preparation do, while
// another processes blocks through a tap. Run under ThreadSanitizer this must stay clean.
#include <atomic>
#include <cmath>
#include <thread>

#include "EngineFixture.h"
#include "TapHarness.h"

using namespace lowtide;

TEST_F(EngineTest, EditingWhileProcessingIsRaceFree) {
  TapHarness h;
  h.prepare(streamFormat(kAudioFormatLinearPCM, kAudioFormatFlagIsFloat | kAudioFormatFlagIsNonInterleaved));
  h.makeBuffers(2, 512, 1);
  h.script.samples = testSignal(1024);

  std::atomic<bool> done{false};
  std::atomic<long> blocks{0};
  std::thread audio([&] {
    while (!done.load()) {
      h.process(512);
      blocks.fetch_add(1);
    }
  });

  const int bands[6] = {32, 128, 512, 2048, 8192, 16384};
  for (int i = 0; i < 3000 || blocks.load() < 50; ++i) {
    gain = static_cast<double>(i % 13) - 6.0;
    freq = 60.0 + static_cast<double>(i % 40) * 50.0;
    bandwidth = 1.0 + static_cast<double>(i % 5);
    eqType = i % 3;
    updateEq();
    updatePlusEq(bands[i % 6], static_cast<double>(i % 9) - 4.0);
    bassfreq = 20.0 + static_cast<double>(i % 100);
    bassintens = static_cast<double>(i % 4) * 0.5;
    bassgain = 0.5 + static_cast<double>(i % 3) * 0.25;
    enabled = (i & 1) != 0;
    bassenabled = (i & 2) != 0;
    setFunc();
    if (i % 7 == 0) selectKernel(caseplus);
    if (i % 50 == 0) prepareEq(i % 100 == 0 ? 44100.0 : 48000.0);
  }
  done = true;
  audio.join();
  EXPECT_GE(blocks.load(), 50);

  // Afterwards the engine answers as usual: pass-through is bit-exact.
  enabled = false;
  bassenabled = false;
  setFunc();
  h.process(512);
  EXPECT_EQ(h.buffer(0), std::vector<float>(h.script.samples.begin(), h.script.samples.begin() + 512));
}
