// Temporary entries of the Windows build and the lock files that prove
// their maker alive.
#include "platform/win32/temporaries.h"

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/temp_names.h"

namespace plat::win32 {
namespace {

// This run's id: the process id and a random part, so that a process id
// seen again later (or one of a Linux process on the same files under Wine)
// names another run.
const std::string& RunId() {
  static const std::string id = [] {
    std::random_device random;
    const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string text = std::to_string(GetCurrentProcessId()) + "w";
    for (int i = 0; i < 6; ++i) text += digits[random() % 36];
    return text;
  }();
  return id;
}

struct FolderLock {
  HANDLE Handle = INVALID_HANDLE_VALUE;
  std::set<std::string> Live;  // this run's temporary entries in the folder (full paths)
};

std::map<std::string, FolderLock>& HeldLocks() {
  static std::map<std::string, FolderLock>& held = *new std::map<std::string, FolderLock>;
  return held;
}

bool LockHandle(HANDLE handle) {
  OVERLAPPED at = {};
  return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

// Removes what runs that ended left in `folder`: the temporary entries of
// every run whose lock file can be locked.
void RemoveLeftovers(const std::string& folder) {
  std::map<std::string, std::vector<std::string>> temps;
  std::set<std::string> locks;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(FilePath(folder + ".layrix-*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string run;
    const std::string name = Narrow(data.cFileName);
    switch (tempnames::Parse(name, run)) {
      case tempnames::Kind::Temp: temps[run].push_back(name); break;
      case tempnames::Kind::Lock: locks.insert(run); break;
      case tempnames::Kind::None: break;
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  for (const std::string& run : locks) {
    if (run == RunId()) continue;
    const std::string lockPath = folder + tempnames::LockName(run);
    HANDLE handle = CreateFileW(FilePath(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) continue;
    if (LockHandle(handle)) {
      for (const std::string& temp : temps[run]) RemoveTree(folder + temp);
      DeleteFileW(FilePath(lockPath).c_str());
    }
    CloseHandle(handle);
  }
}

bool HoldFolderLock(const std::string& folder) {
  auto& held = HeldLocks();
  if (held.count(folder) != 0) return true;
  RemoveLeftovers(folder);
  const std::string lockPath = folder + tempnames::LockName(RunId());
  HANDLE handle = CreateFileW(FilePath(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  if (!LockHandle(handle)) {
    const DWORD code = GetLastError();
    CloseHandle(handle);
    SetLastError(code);
    return false;
  }
  held[folder].Handle = handle;
  return true;
}

}  // namespace

bool NewTemporaryName(const std::string& folder, std::string& name) {
  if (!HoldFolderLock(folder)) return false;
  static unsigned long long counter = 0;
  for (;;) {
    name = folder + tempnames::TempName(RunId(), ++counter);
    if (AttributesOf(name) == INVALID_FILE_ATTRIBUTES) break;
  }
  HeldLocks()[folder].Live.insert(name);
  return true;
}

void ForgetTemporary(const std::string& path) {
  auto found = HeldLocks().find(FolderPart(path));
  if (found != HeldLocks().end()) found->second.Live.erase(path);
}

DWORD RemoveTree(const std::string& path) {
  const std::wstring wide = FilePath(path);
  const DWORD attributes = wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(FilePath(path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(Narrow(name));
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    DWORD first = 0;
    for (const std::string& name : names) {
      const DWORD code = RemoveTree(path + "\\" + name);
      if (code != 0 && first == 0) first = code;
    }
    if (first != 0) return first;
  }
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
    SetFileAttributesW(wide.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
  const BOOL removed = folder ? RemoveDirectoryW(wide.c_str()) : DeleteFileW(wide.c_str());
  return removed ? 0 : GetLastError();
}

FileResult ResultOfCode(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS: return {};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ResultOf(FileOutcome::Missing);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return ResultOf(FileOutcome::Exists);
    case ERROR_DIR_NOT_EMPTY: return ResultOf(FileOutcome::NotEmpty);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ResultOf(FileOutcome::NoSpace);
    case ERROR_ACCESS_DENIED: return ResultOf(FileOutcome::Denied);
    case ERROR_WRITE_PROTECT: return {FileOutcome::Denied, "the disk is read-only"};
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return ResultOf(FileOutcome::InUse);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER: return ResultOf(FileOutcome::BadName);
    case ERROR_DIRECTORY: return {FileOutcome::BadName, "a part of the path is a file, not a folder"};
    case ERROR_FILENAME_EXCED_RANGE: return {FileOutcome::BadName, "the path is too long"};
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE: return ResultOf(FileOutcome::IoError);
    default: return {FileOutcome::OtherFault, SystemMessage(code)};
  }
}

}  // namespace plat::win32

namespace plat {

namespace {
int keepDepth = 0;
}  // namespace

KeepTemporaryLocks::KeepTemporaryLocks() { ++keepDepth; }
KeepTemporaryLocks::~KeepTemporaryLocks() {
  if (--keepDepth == 0) ReleaseTemporaryLocks();
}

void ReleaseTemporaryLocksUnlessKept() {
  if (keepDepth == 0) ReleaseTemporaryLocks();
}

void ReleaseTemporaryLocks() {
  auto& held = win32::HeldLocks();
  for (auto it = held.begin(); it != held.end();) {
    if (!it->second.Live.empty()) {
      ++it;
      continue;
    }
    // Deleted while still locked and open, so that no other run takes a
    // lock file about to go; it is gone once the handle is closed.
    DeleteFileW(win32::FilePath(it->first + tempnames::LockName(win32::RunId())).c_str());
    CloseHandle(it->second.Handle);
    it = held.erase(it);
  }
}

}  // namespace plat
