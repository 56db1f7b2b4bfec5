// The temporary entry of the Windows build, this run's lock file in each
// folder where it makes them, and the removal of what ended runs left
// behind.
#include "platform/win32/temp_entry.h"

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/temp_names.h"

namespace plat {
namespace {

using win32::FilePath;
using win32::Narrow;

// This run's id ('w' for this build, 'r' for the Linux one, so that the
// process id of a Linux process on the same files names another run).
const std::string& RunId() {
  static const std::string id = tempnames::NewRunId(GetCurrentProcessId(), 'w');
  return id;
}

bool LockHandle(HANDLE handle) {
  OVERLAPPED at = {};
  return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

// Removes the entry `path` and, for a folder, all it holds, read-only files
// included; links to folders are removed, never followed.  0 or an error code.
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

// Removes what runs that ended left in `folder`: the temporary entries of
// every run whose lock file can be locked.
void RemoveLeftovers(const std::string& folder) {
  std::map<std::string, std::vector<std::string>> temps;
  std::set<std::string> locks;
  WIN32_FIND_DATAW data;
  HANDLE find =
      FindFirstFileW(FilePath(folder + std::string(tempnames::kPrefix) + "*").c_str(), &data);
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

// This run's lock file in `folder`, taken after removing what ended runs
// left there, or the one held already.  Null with the error code set when
// it cannot be made.
std::shared_ptr<TempFolderLock> HoldFolderLock(const std::string& folder) {
  if (std::shared_ptr<TempFolderLock> held = TempFolderLock::Held(folder)) return held;
  RemoveLeftovers(folder);
  const std::string lockPath = folder + tempnames::LockName(RunId());
  HANDLE handle = CreateFileW(FilePath(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  if (!LockHandle(handle)) {
    const DWORD code = GetLastError();
    CloseHandle(handle);
    SetLastError(code);
    return nullptr;
  }
  return TempFolderLock::Share(folder, [lockPath, handle](bool keepFile) {
    // Deleted while still locked and open, so that no other run takes a lock
    // file about to go; it is gone once the handle is closed.
    if (!keepFile) DeleteFileW(FilePath(lockPath).c_str());
    CloseHandle(handle);
  });
}

}  // namespace

FileResult TempEntry::Create(const std::string& folder, Kind kind,
                             const std::function<BOOL(const std::string&)>& make) {
  Discard();
  std::shared_ptr<TempFolderLock> lock = HoldFolderLock(folder);
  if (!lock) return win32::ResultOfCode(GetLastError());
  static unsigned long long counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = folder + tempnames::TempName(RunId(), ++counter);
    if (make(path)) {
      path_ = path;
      kind_ = kind;
      lock_ = std::move(lock);
      return {};
    }
    const DWORD code = GetLastError();
    // Another process took the name meanwhile: the next one is tried.
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
      // What a failed copy wrote is not left behind.
      if (kind == Kind::File) win32::RemoveOwnFile(path);
      return win32::ResultOfCode(code);
    }
  }
  return win32::ResultOfCode(ERROR_FILE_EXISTS);
}

FileResult TempEntry::Commit(const std::string& target, bool replace, bool writeThrough) {
  DWORD flags = 0;
  if (replace) flags |= MOVEFILE_REPLACE_EXISTING;
  if (writeThrough) flags |= MOVEFILE_WRITE_THROUGH;
  if (!MoveFileExW(FilePath(path_).c_str(), FilePath(target).c_str(), flags))
    return win32::ResultOfCode(GetLastError());
  path_.clear();
  lock_.reset();
  return {};
}

FileResult TempEntry::Discard() {
  if (path_.empty()) return {};
  DWORD code = kind_ == Kind::Folder ? RemoveTree(path_) : win32::RemoveOwnFile(path_);
  // Gone already: nothing is left of it.
  if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) code = 0;
  if (code != 0) lock_->KeepToTheEnd();
  path_.clear();
  lock_.reset();
  return win32::ResultOfCode(code);
}

}  // namespace plat
