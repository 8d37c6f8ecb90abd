// The ring that carries decoded blocks from the decoding thread to the player and back: the
// order a slot goes round in, its memory, and two threads passing blocks through it while sleeping on
// doorbells instead of spinning.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "host/media/BlockRing.h"
#include "host/media/Doorbell.h"
#include "host/media/PopulatedMemory.h"

namespace {

using host::BlockRing;

TEST(BlockRing, ASlotIsFilledConsumedThenRecycledBeforeItIsFilledAgain) {
  BlockRing ring(2, 4, 2, true);
  ASSERT_EQ(ring.size(), 2u);
  BlockRing::Slot* a = ring.slotToFill();
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a->output, nullptr);
  a->frames = 3;
  a->samples[0] = 1.5f;
  ring.publish();
  EXPECT_EQ(ring.peek(1), nullptr);
  ASSERT_EQ(ring.peek(0), a);
  ring.slotToFill()->frames = 4;
  ring.publish();
  EXPECT_EQ(ring.slotToFill(), nullptr);     // full
  EXPECT_EQ(ring.slotToRecycle(), nullptr);  // nothing played yet
  EXPECT_EQ(ring.peek(0)->samples[0], 1.5f);
  EXPECT_EQ(ring.peek(1)->frames, 4);
  ring.peek(0)->output[0] = -1.5f;  // what the player made of it
  ring.consume();
  EXPECT_EQ(ring.slotToFill(), nullptr);  // played but not yet recycled: still taken
  BlockRing::Slot* played = ring.slotToRecycle();
  ASSERT_EQ(played, a);
  EXPECT_EQ(played->output[0], -1.5f);
  ring.recycle();
  EXPECT_EQ(ring.slotToFill(), a);
  EXPECT_FALSE(ring.empty());  // the second block is still unplayed
}

TEST(BlockRing, MarksTellWhenASleepingEndIsWorthWaking) {
  BlockRing ring(8, 1, 1, false);
  for (int i = 0; i < 8; ++i) ring.slotToFill(), ring.publish();
  ring.wakeProducerAfterConsumed(4);
  for (int i = 0; i < 3; ++i) ring.consume();
  EXPECT_FALSE(ring.producerMarkReached());
  ring.consume();
  EXPECT_TRUE(ring.producerMarkReached());
  EXPECT_EQ(ring.published(), 4u);
}

TEST(BlockRing, SlotsHoldAboutTheAskedTimeWithinBounds) {
  EXPECT_EQ(host::slotsForSeconds(1.0, 44100, 4096), 11u);
  EXPECT_EQ(host::slotsForSeconds(1.0, 44100, 1 << 20), 4u);  // never fewer than four
  EXPECT_EQ(host::slotsForSeconds(1.0, 44100, 1), 1024u);     // nor more than 1024
}

// A header may claim any rate: the slots its seconds ahead would take are cut to a fixed budget
// of memory; at ordinary rates nothing is cut.
TEST(BlockRing, ItsMemoryIsBoundedWhateverTheRateAndBlockSize) {
  const size_t slots = host::slotsForSeconds(4.0, 2147483647.0, 1 << 16);
  BlockRing huge(slots, 1 << 16, 1, false);  // 256 KiB a slot
  EXPECT_EQ(huge.size(), BlockRing::kMostBytes / (size_t(1) << 18));
  BlockRing withOutput(slots, 1 << 16, 2, true);  // 1 MiB a slot
  EXPECT_EQ(withOutput.size(), BlockRing::kMostBytes / (size_t(1) << 20));
  BlockRing ordinary(host::slotsForSeconds(4.0, 192000, 4096), 4096, 8, true);
  EXPECT_EQ(ordinary.size(), host::slotsForSeconds(4.0, 192000, 4096));
}

// The ring's memory is mapped in bulk when it is made: every slot starts silent, in both areas,
// and no two areas overlap. The memory moves with its owner and is given back once.
TEST(BlockRing, ANewRingIsSilentAndItsAreasApart) {
  BlockRing ring(5, 300, 3, true);
  std::vector<float*> areas;
  for (size_t i = 0; i < ring.size(); ++i) {
    BlockRing::Slot* slot = ring.slotToFill();
    ASSERT_NE(slot, nullptr);
    areas.push_back(slot->samples);
    areas.push_back(slot->output);
    ring.publish();
  }
  const size_t perArea = 300 * 3;
  for (float* area : areas)
    for (size_t i = 0; i < perArea; ++i) ASSERT_EQ(area[i], 0.0f);
  for (size_t a = 0; a < areas.size(); ++a)  // each area marked; a neighbour would overwrite it
    for (size_t i = 0; i < perArea; ++i) areas[a][i] = float(a);
  for (size_t a = 0; a < areas.size(); ++a)
    for (size_t i = 0; i < perArea; ++i) ASSERT_EQ(areas[a][i], float(a));

  host::PopulatedFloats memory(1 << 20);
  float* const data = memory.get();
  data[(1 << 20) - 1] = 2.0f;
  host::PopulatedFloats moved(std::move(memory));
  EXPECT_EQ(memory.get(), nullptr);
  EXPECT_EQ(moved.get(), data);
  EXPECT_EQ(moved.get()[(1 << 20) - 1], 2.0f);
  moved = host::PopulatedFloats(16);
  EXPECT_NE(moved.get(), nullptr);
  EXPECT_EQ(moved.get()[15], 0.0f);
  EXPECT_EQ(host::PopulatedFloats(0).get(), nullptr);
}

// A producer and a consumer thread, each sleeping on its doorbell when it cannot go on, pass
// 5000 numbered blocks; the consumer writes an answer into each slot that the producer reads
// back when it recycles it.
TEST(BlockRing, TwoThreadsPassEveryBlockInOrderAndSeeEachOthersWrites) {
  constexpr int kBlocks = 5000;
  BlockRing ring(6, 16, 2, true);
  host::Doorbell producerBell, consumerBell;
  ring.setDoorbells(&producerBell, &consumerBell);
  std::vector<int> answers;
  std::thread producer([&] {
    for (int n = 0; n < kBlocks;) {
      while (BlockRing::Slot* played = ring.slotToRecycle()) {
        answers.push_back(int(played->output[31]));
        ring.recycle();
      }
      if (BlockRing::Slot* slot = ring.slotToFill()) {
        for (int i = 0; i < 32; ++i) slot->samples[i] = float(n);
        slot->frames = 16;
        slot->last = n == kBlocks - 1;
        ring.publish();
        ++n;
        continue;
      }
      ring.wakeProducerAfterConsumed(3);
      producerBell.wait([&] { return ring.producerMarkReached(); });
    }
    while (int(answers.size()) < kBlocks) {  // the last answers
      if (BlockRing::Slot* played = ring.slotToRecycle()) {
        answers.push_back(int(played->output[31]));
        ring.recycle();
      } else {
        ring.wakeProducerAfterConsumed(1);
        producerBell.wait([&] { return ring.producerMarkReached(); });
      }
    }
  });
  int expected = 0;
  bool inOrder = true;
  for (bool last = false; !last;) {
    BlockRing::Slot* slot = ring.peek(0);
    if (!slot) {
      ring.wakeConsumerAfterPublished(3);
      consumerBell.wait([&] { return ring.published() >= 3; });
      continue;
    }
    inOrder = inOrder && slot->samples[0] == float(expected) && slot->samples[31] == float(expected);
    slot->output[31] = float(2 * expected);
    last = slot->last;
    ++expected;
    ring.consume();
  }
  producer.join();
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(expected, kBlocks);
  ASSERT_EQ(int(answers.size()), kBlocks);
  for (int i = 0; i < kBlocks; ++i) ASSERT_EQ(answers[size_t(i)], 2 * i);
}

}  // namespace
