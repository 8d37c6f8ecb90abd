// The log's line queue: order across many rounds of the ring, lines too long for a slot, and
// the count of lines a full queue dropped, which goes with the next line that gets in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/NSLogQueue.h"

namespace {

bool push(NSLogQueue& q, const std::string& line, bool mayAllocate = true) {
  uint64_t ticket = 0;
  return q.tryPush(line.data(), line.size(), mayAllocate, ticket);
}

struct Popped {
  std::string text;
  uint64_t droppedBefore;
};

std::vector<Popped> popAll(NSLogQueue& q) {
  std::vector<Popped> lines;
  while (q.popOne([&](const NSLogQueue::Line& l) {
    lines.push_back({std::string(l.text, l.length), l.droppedBefore});
  })) {
  }
  return lines;
}

}  // namespace

TEST(NSLogQueueTest, LinesComeOutInOrderRoundAfterRoundWithTheirTickets) {
  NSLogQueue q;
  uint64_t expectedTicket = 0;
  for (int round = 0; round < 5; ++round) {
    for (size_t i = 0; i < NSLogQueue::kCapacity; ++i) {
      const std::string line = std::to_string(round) + ":" + std::to_string(i);
      uint64_t ticket = 99;
      ASSERT_TRUE(q.tryPush(line.data(), line.size(), false, ticket));
      EXPECT_EQ(ticket, expectedTicket++);
    }
    EXPECT_FALSE(push(q, "one too many"));
    q.noteDropped();
    const std::vector<Popped> lines = popAll(q);
    ASSERT_EQ(lines.size(), NSLogQueue::kCapacity);
    for (size_t i = 0; i < lines.size(); ++i)
      ASSERT_EQ(lines[i].text, std::to_string(round) + ":" + std::to_string(i));
    EXPECT_EQ(q.handedOut(), expectedTicket);
    EXPECT_EQ(q.takeDropped(), 1u);
  }
  EXPECT_FALSE(q.oldestIsReady());
}

TEST(NSLogQueueTest, TheDropCountGoesWithTheNextLineThatGetsIn) {
  NSLogQueue q;
  for (size_t i = 0; i < NSLogQueue::kCapacity; ++i) ASSERT_TRUE(push(q, "fill"));
  for (int i = 0; i < 3; ++i) {
    ASSERT_FALSE(push(q, "lost", false));
    q.noteDropped();
  }
  EXPECT_TRUE(q.anyDropped());
  ASSERT_TRUE(q.popOne([](const NSLogQueue::Line& l) { EXPECT_EQ(l.droppedBefore, 0u); }));
  ASSERT_TRUE(push(q, "after the gap", false));
  EXPECT_FALSE(q.anyDropped());
  const std::vector<Popped> lines = popAll(q);
  ASSERT_EQ(lines.size(), NSLogQueue::kCapacity);
  EXPECT_EQ(lines.back().text, "after the gap");
  EXPECT_EQ(lines.back().droppedBefore, 3u);
  EXPECT_EQ(lines[lines.size() - 2].droppedBefore, 0u);
}

TEST(NSLogQueueTest, ALongLineIsKeptWholeOnlyWhereItsWriterMayAllocate) {
  NSLogQueue q;
  std::string longLine;
  for (int i = 0; longLine.size() < 3 * NSLogQueue::kLineBytes; ++i) longLine += std::to_string(i) + ",";
  const std::string exact(NSLogQueue::kLineBytes, 'x');
  ASSERT_TRUE(push(q, longLine, true));
  ASSERT_TRUE(push(q, longLine, false));
  ASSERT_TRUE(push(q, exact, false));
  ASSERT_TRUE(push(q, "", false));
  const std::vector<Popped> lines = popAll(q);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].text, longLine);
  EXPECT_EQ(lines[1].text, longLine.substr(0, NSLogQueue::kLineBytes));
  EXPECT_EQ(lines[2].text, exact);
  EXPECT_EQ(lines[3].text, "");
}
