// Two pieces of work run side by side: both always run to their end before
// the call returns or throws, and a failure of either reaches the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/platform.h"

namespace {

// Waits until `flag` is set, for a few seconds at most; whether it was set.
bool Await(const std::atomic<bool>& flag) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!flag) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

TEST(SideBySide, BothRunAtOnceAndFinishBeforeTheCallReturns) {
  // Each waits for the other to begin.  On a thread of its own `beside`
  // sees `here` begin; where no thread is to be had it runs first, alone,
  // and gives up waiting.
  std::atomic<bool> besideBegun{false}, hereBegun{false}, besideDone{false};
  bool besideSawHere = false, hereSawBeside = false;
  std::thread::id besideThread;
  plat::RunSideBySide(
      [&] {
        besideThread = std::this_thread::get_id();
        besideBegun = true;
        besideSawHere = Await(hereBegun);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        besideDone = true;
      },
      [&] {
        hereBegun = true;
        hereSawBeside = Await(besideBegun);
      });
  EXPECT_TRUE(besideDone);
  EXPECT_TRUE(hereSawBeside);
  EXPECT_EQ(besideSawHere, besideThread != std::this_thread::get_id());
}

TEST(SideBySide, AFailureOfEitherReachesTheCallerAfterBothEnded) {
  std::atomic<bool> besideDone{false}, hereDone{false};
  EXPECT_THROW(plat::RunSideBySide(
                   [&] {
                     std::this_thread::sleep_for(std::chrono::milliseconds(20));
                     besideDone = true;
                   },
                   [] { throw std::runtime_error("here failed"); }),
               std::runtime_error);
  EXPECT_TRUE(besideDone);

  EXPECT_THROW(plat::RunSideBySide([] { throw std::length_error("beside failed"); },
                                   [&] { hereDone = true; }),
               std::length_error);
  EXPECT_TRUE(hereDone);

  // Both fail: the caller hears of the calling thread's failure.
  EXPECT_THROW(plat::RunSideBySide([] { throw std::length_error("beside"); },
                                   [] { throw std::runtime_error("here"); }),
               std::runtime_error);
}

}  // namespace
