// File locks of the Windows build: LockFileEx on the first byte of a file.
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_util.h"

namespace plat {
namespace {

class Win32FileLock : public FileLock {
 public:
  explicit Win32FileLock(HANDLE handle) : handle_(handle) {}
  ~Win32FileLock() override { CloseHandle(handle_); }  // closing the handle drops its lock
  Win32FileLock(const Win32FileLock&) = delete;
  Win32FileLock& operator=(const Win32FileLock&) = delete;

 private:
  HANDLE handle_;
};

}  // namespace

FileResult TryLockFile(const std::string& path, std::unique_ptr<FileLock>& lock) {
  lock.reset();
  const std::wstring wide = win32::FilePath(path);
  if (wide.empty()) return ResultOf(FileOutcome::BadName);
  // Shared for reading, writing and deleting: only the byte lock excludes.
  HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return win32::ResultOfCode(GetLastError());
  // Never blocks: a lock held by a Linux process on the same file shows up
  // under Wine as an immediate conflict, not as a wait, so callers poll.
  OVERLAPPED at = {};
  if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    lock = std::make_unique<Win32FileLock>(handle);
    return {};
  }
  const DWORD code = GetLastError();
  CloseHandle(handle);
  if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING || code == ERROR_SHARING_VIOLATION)
    return {FileOutcome::InUse, "another program holds its lock"};
  return win32::ResultOfCode(code);
}

void WaitMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace plat
