// The lock that gives runs their turns on a scenery library: a run holds it
// from before it reads scenery.cfg until after it has written it, so that
// two runs at the same time (two add-on installers, or an installer and the
// user's batch file) never write over each other's changes.
//
// The lock is the host's lock on the first byte of a small hidden file beside
// scenery.cfg (kLibraryLockFileName); the host drops it when its holder ends,
// also when the holder crashes or is killed, so it never needs cleaning up.
// The Linux build and layrix.exe under Wine lock the same byte of the same
// file and so take turns with each other too.
//
// May use: base/, platform/, walk/ and the rest of scenery/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

// How long a run waits for the lock unless layrix.ini says otherwise.
constexpr int32_t kDefaultLockTimeoutSeconds = 60;
// How long a run waits before it says that it is waiting.
constexpr int32_t kLockNoticeAfterMilliseconds = 1000;

// The lock file of the library whose scenery.cfg is `configPath`.
std::string LibraryLockPath(const std::string& configPath);

// Takes the lock of the library whose scenery.cfg is `configPath`, waiting
// while another program holds it: `onWaiting` is called once when the wait
// has lasted kLockNoticeAfterMilliseconds; after `timeoutSeconds` (0: no
// waiting at all) it gives up with FatalError.  Returns the lock, held until
// it is destroyed; or nullptr when no lock file can be made or opened there
// (a folder that cannot be written, where no run can save either): the run
// then goes on without the lock.
std::unique_ptr<plat::FileLock> LockLibrary(const std::string& configPath, int32_t timeoutSeconds,
                                            const std::function<void()>& onWaiting);
