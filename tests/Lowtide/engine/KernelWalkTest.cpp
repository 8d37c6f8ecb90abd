// The fast walk must give the same bits as one call through the slot per sample, carry the
// filter state across runs and blocks, and follow a switch from the next sample.
#include <atomic>
#include <cmath>
#include <functional>
#include <random>
#include <thread>

#include "EngineFixture.h"
#include "Lowtide/engine/KernelWalk.h"

using namespace lowtide;

namespace {

using Walk = void (*)(float*, float*, size_t);

void setUpEngine() {
  resetEngineForTesting();
  enabled = true;
  bassenabled = true;
  eqType = 2;
  gain = 9.0;
  freq = 700.0;
  bassfreq = 35.0;
  bassintens = 1.5;
  bassgain = 0.7;
  prepareEq(44100.0);
}

std::vector<float> noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(-1.0f, 1.0f);
  std::vector<float> v(n);
  for (auto& x : v) x = d(rng);
  return v;
}

struct Run {
  std::vector<float> left, right;
  float cap, gain1, y1, y2, x1, x2, copy0;
};

// Processes `blocks` blocks with `kernel` in force, through `walk`, from a fresh engine.
Run runBlocks(Walk walk, Kernel kernel, bool twoBuffers, int blocks) {
  setUpEngine();
  performFilters = kernel;
  Run r;
  for (int b = 0; b < blocks; ++b) {
    const size_t n = 257 + 61 * static_cast<size_t>(b);  // uneven lengths
    std::vector<float> l = noise(twoBuffers ? n : 2 * n, 10 + b), rt = noise(n, 100 + b);
    walk(l.data(), twoBuffers ? rt.data() : nullptr, twoBuffers ? n : 2 * n);
    r.left.insert(r.left.end(), l.begin(), l.end());
    if (twoBuffers) r.right.insert(r.right.end(), rt.begin(), rt.end());
  }
  biquad* s = mainFilter.load();
  r.cap = cap.load();
  r.gain1 = gain1.load();
  r.y1 = s->y1.load();
  r.y2 = s->y2.load();
  r.x1 = s->x1.load();
  r.x2 = s->x2.load();
  r.copy0 = s->coefCopy[0].load();
  return r;
}

void expectSameBits(const Run& a, const Run& b) {
  ASSERT_EQ(a.left.size(), b.left.size());
  for (size_t i = 0; i < a.left.size(); ++i) ASSERT_EQ(a.left[i], b.left[i]) << i;
  for (size_t i = 0; i < a.right.size(); ++i) ASSERT_EQ(a.right[i], b.right[i]) << i;
  EXPECT_EQ(a.cap, b.cap);
  EXPECT_EQ(a.gain1, b.gain1);
  EXPECT_EQ(a.y1, b.y1);
  EXPECT_EQ(a.y2, b.y2);
  EXPECT_EQ(a.x1, b.x1);
  EXPECT_EQ(a.x2, b.x2);
  EXPECT_EQ(a.copy0, b.copy0);
}

// Puts `next` in force after the call it makes: the switch a walk must honour at once.
std::atomic<Kernel> next{nullptr};
float switchAfterThisSample(float x) {
  performFilters = next.load();
  return x * 0.5f;
}

}  // namespace

TEST_F(EngineTest, FastWalkMatchesCallsThroughTheSlotForEveryKernel) {
  for (Kernel k : {case1, case2, case3, case4, caseplus}) {
    for (bool twoBuffers : {false, true}) {
      SCOPED_TRACE(testing::Message() << "kernel " << reinterpret_cast<void*>(k) << " two " << twoBuffers);
      expectSameBits(runBlocks(walkKernel, k, twoBuffers, 5),
                     runBlocks(walkKernelThroughSlot, k, twoBuffers, 5));
    }
  }
}

TEST_F(EngineTest, FastWalkTakesUpASwitchFromTheNextSample) {
  for (Kernel target : {case1, case2, case3, case4}) {
    auto run = [&](Walk walk) {
      setUpEngine();
      next = target;
      std::vector<float> out;
      for (int round = 0; round < 3; ++round) {  // state carried from one run into the next
        std::vector<float> l = noise(300, 7 + round), r = noise(300, 70 + round);
        performFilters = switchAfterThisSample;
        walk(l.data(), r.data(), 300);
        out.insert(out.end(), l.begin(), l.end());
        out.insert(out.end(), r.begin(), r.end());
      }
      return out;
    };
    const std::vector<float> fast = run(walkKernel), reference = run(walkKernelThroughSlot);
    EXPECT_EQ(fast, reference);
    EXPECT_EQ(fast[0], noise(300, 7)[0] * 0.5f);
  }
}

// Runs a long case1 block on another thread while this one makes `change` (one word written
// whole); the output must be exactly that of a walk in which the change came before one sample,
// whichever it was. Returns whether the change fell inside the block.
bool changeSeenFromOneSample(const std::function<void()>& change) {
  const std::vector<float> input = noise(1 << 20, 3);
  std::vector<float> unchanged = input;
  setUpEngine();
  performFilters = case1;
  walkKernelThroughSlot(unchanged.data(), nullptr, unchanged.size());

  setUpEngine();
  performFilters = case1;
  std::vector<float> out = input;
  std::atomic<bool> started{false};
  std::thread audio([&] {
    started = true;
    walkKernel(out.data(), nullptr, out.size());
  });
  while (!started) {
  }
  change();
  audio.join();

  size_t p = 0;
  while (p < out.size() && out[p] == unchanged[p]) ++p;
  if (p == 0 || p == out.size()) return false;

  setUpEngine();
  performFilters = case1;
  std::vector<float> reference = input;
  walkKernelThroughSlot(reference.data(), nullptr, p);
  change();
  walkKernelThroughSlot(reference.data() + p, nullptr, reference.size() - p);
  EXPECT_EQ(out, reference) << "change seen from sample " << p;
  return true;
}

TEST_F(EngineTest, FastWalkHearsChangesFromAnotherThreadFromTheNextSample) {
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"kernel switch", [] { performFilters = case2; }},
      {"bass gain", [] { bassgain = 1.25; }},
      {"coefficient", [] { mainFilter.load()->c0.store(0.5f); }},
  };
  for (const auto& [what, change] : changes) {
    bool seen = false;
    for (int attempt = 0; attempt < 20 && !seen; ++attempt) seen = changeSeenFromOneSample(change);
    EXPECT_TRUE(seen) << what << " never landed inside a block";
  }
}
