// Taking a scenery library's lock: one try after another, a short and
// slightly random pause between them, until the lock is free or the time
// allowed has passed.
#include "scenery/library_lock.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "platform/winpath.h"
#include "base/problems.h"
#include "walk/tree_walker.h"

namespace {

using Clock = std::chrono::steady_clock;

// The pause between two tries: short, so that a waiting run starts soon
// after the holder ends; random within that, so that several waiting runs do
// not try in step with each other.
constexpr uint32_t kShortestPauseMilliseconds = 20;
constexpr uint32_t kLongestPauseMilliseconds = 50;

std::string GaveUpMessage(const std::string& configPath, int32_t timeoutSeconds) {
  if (timeoutSeconds == 0)
    return "the scenery library '" + configPath +
           "' is in use by another program, and layrix.ini says not to wait for it "
           "(LockTimeout=0); nothing was changed";
  return "the scenery library '" + configPath + "' was still in use by another program after " +
         std::to_string(timeoutSeconds) + (timeoutSeconds == 1 ? " second" : " seconds") +
         " of waiting (LockTimeout in layrix.ini); nothing was changed";
}

}  // namespace

std::string LibraryLockPath(const std::string& configPath) {
  return winpath::ExtractFilePath(configPath) + kLibraryLockFileName;
}

std::unique_ptr<plat::FileLock> LockLibrary(const std::string& configPath, int32_t timeoutSeconds,
                                            const std::function<void()>& onWaiting) {
  const std::string lockPath = LibraryLockPath(configPath);
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = start + std::chrono::seconds(std::max<int32_t>(timeoutSeconds, 0));
  const Clock::time_point noticeAt = start + std::chrono::milliseconds(kLockNoticeAfterMilliseconds);
  bool noticeGiven = false;
  std::minstd_rand random(static_cast<uint32_t>(start.time_since_epoch().count()));
  std::uniform_int_distribution<uint32_t> pauseLength(kShortestPauseMilliseconds,
                                                      kLongestPauseMilliseconds);
  for (;;) {
    std::unique_ptr<plat::FileLock> lock;
    const plat::FileResult tried = plat::TryLockFile(lockPath, lock);
    if (tried.Done()) return lock;
    if (tried.Outcome != plat::FileOutcome::InUse) return nullptr;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) throw FatalError(GaveUpMessage(configPath, timeoutSeconds));
    if (!noticeGiven && now >= noticeAt) {
      noticeGiven = true;
      if (onWaiting) onWaiting();
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
    const uint32_t pause = pauseLength(random);
    plat::WaitMilliseconds(left < pause ? static_cast<uint32_t>(left) + 1 : pause);
  }
}
