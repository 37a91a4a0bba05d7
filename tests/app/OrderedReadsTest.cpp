// Parallel reads taken in input order: every result once and in order, the
// bound on results waiting, stopping and failing takes, and the one-job path.
#include "app/OrderedReads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace sw {
namespace {

// Reads of uneven length, so that later inputs often finish first.
void Busy(std::size_t i) { std::this_thread::sleep_for(std::chrono::microseconds((i * 7919) % 13 * 50)); }

TEST(OrderedReadsTest, EveryResultTakenOnceInOrderWithABoundedBacklog) {
  for (const int jobs : {2, 3, 8}) {
    for (const std::size_t ahead : {std::size_t(1), std::size_t(4), std::size_t(64)}) {
      std::atomic<int> pending{0}, most{0};
      std::vector<std::size_t> taken;
      const bool done = ReadInOrder<std::string>(
          200, jobs, ahead,
          [&](std::size_t i) {
            const int now = ++pending;
            for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
            }
            Busy(i);
            return std::to_string(i * i);
          },
          [&](std::size_t i, std::string& result) {
            EXPECT_EQ(result, std::to_string(i * i));
            taken.push_back(i);
            --pending;
            return true;
          });
      EXPECT_TRUE(done);
      ASSERT_EQ(taken.size(), 200u);
      for (std::size_t i = 0; i < taken.size(); ++i) ASSERT_EQ(taken[i], i) << "jobs " << jobs;
      // Reads started and not yet taken: never more than the backlog allows
      // (at least one per reader), plus the one being taken.
      EXPECT_LE(most.load(), static_cast<int>(std::max<std::size_t>(ahead, static_cast<std::size_t>(jobs)) + 1))
          << "jobs " << jobs << ", ahead " << ahead;
    }
  }
}

TEST(OrderedReadsTest, FalseFromTakeStopsTheReadsAndARaisingTakeLeavesCleanly) {
  std::atomic<std::size_t> reads{0};
  std::vector<std::size_t> taken;
  const bool done = ReadInOrder<std::size_t>(
      1000, 4, 8,
      [&](std::size_t i) {
        ++reads;
        Busy(i);
        return i;
      },
      [&](std::size_t i, std::size_t&) {
        taken.push_back(i);
        return i < 10;
      });
  EXPECT_FALSE(done);
  EXPECT_EQ(taken.size(), 11u);
  EXPECT_LE(reads.load(), 11u + 8u);

  reads = 0;
  EXPECT_THROW(ReadInOrder<std::size_t>(
                   1000, 4, 8,
                   [&](std::size_t i) {
                     ++reads;
                     return i;
                   },
                   [](std::size_t i, std::size_t&) -> bool {
                     if (i == 5) throw std::runtime_error("merge failed");
                     return true;
                   }),
               std::runtime_error);
  EXPECT_LE(reads.load(), 6u + 8u);
}

TEST(OrderedReadsTest, OneJobReadsEachInputJustBeforeItIsTaken) {
  for (const int jobs : {0, 1}) {
    std::vector<std::string> steps;
    EXPECT_TRUE(ReadInOrder<int>(
        3, jobs, 8,
        [&](std::size_t i) {
          steps.push_back("r" + std::to_string(i));
          return 0;
        },
        [&](std::size_t i, int&) {
          steps.push_back("t" + std::to_string(i));
          return true;
        }));
    EXPECT_EQ(steps, (std::vector<std::string>{"r0", "t0", "r1", "t1", "r2", "t2"}));
  }
  EXPECT_TRUE(ReadInOrder<int>(0, 4, 8, [](std::size_t) { return 0; }, [](std::size_t, int&) { return false; }));
}

}  // namespace
}  // namespace sw
