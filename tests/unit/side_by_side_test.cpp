// Two pieces of work run side by side: both always run to their end before
// the call returns or throws, and a failure of either reaches the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/platform.h"

namespace {

TEST(SideBySide, BothRunAtOnceAndFinishBeforeTheCallReturns) {
  // Each waits until the other has begun: one after the other, neither
  // would ever end.
  std::atomic<bool> besideBegun{false}, hereBegun{false}, besideDone{false};
  std::thread::id besideThread;
  plat::RunSideBySide(
      [&] {
        besideThread = std::this_thread::get_id();
        besideBegun = true;
        while (!hereBegun) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        besideDone = true;
      },
      [&] {
        hereBegun = true;
        while (!besideBegun) std::this_thread::yield();
      });
  EXPECT_TRUE(besideDone);
  EXPECT_NE(besideThread, std::this_thread::get_id());
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
