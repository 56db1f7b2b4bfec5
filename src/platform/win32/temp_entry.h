// The temporary entry of the Windows build: a file or folder made under a
// temporary name in the folder where it is to appear, then renamed into
// place whole or removed.  Its calling sequence:
//
//   TempEntry temp;
//   DWORD code = temp.Create(folder, make);  // `make(path)` makes the entry at
//                                            // a new temporary name (FALSE and
//                                            // the error code set when it
//                                            // cannot; a name taken already is
//                                            // passed over); 0, or an error code
//   ... write the file or fill the folder at temp.Path() ...
//   code = temp.Commit(target, replace);     // renamed into place (MoveFileEx);
//                                            // else still there
//   code = temp.Discard();                   // or removed
//
// The destructor discards what was neither committed nor discarded.
//
// A temporary entry is named ".layrix-<run>-<n>.tmp" (temp_names.h) and lies
// beside this run's lock file ".layrix-<run>.lock", which the run holds
// locked while any of its temporary entries, or a FileCopier, needs it there.
// The first time a run takes its lock file in a folder, it removes what runs
// that ended without cleaning up (killed, crashed) left there: the entries of
// every run whose lock file it can lock, which proves that run gone.  An
// entry that cannot be removed keeps this run's lock file in place to the
// end, so that a later run removes it.
//
// May use: platform/ and <windows.h>.  Only the files of this folder include it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_util.h"

namespace plat {

// This run's lock file in one folder, held while it is shared; the last
// holder deletes it and lets go of its lock.
class TempFolderLock {
 public:
  TempFolderLock(std::string folder, HANDLE handle) : folder_(std::move(folder)), handle_(handle) {}
  ~TempFolderLock();
  TempFolderLock(const TempFolderLock&) = delete;
  TempFolderLock& operator=(const TempFolderLock&) = delete;
  // An entry of this run could not be removed: the lock file stays until
  // the process ends, and then shows a later run the entry as a leftover.
  void KeepToTheEnd();

 private:
  std::string folder_;
  HANDLE handle_;
  bool keep_ = false;
};

class TempEntry {
 public:
  enum class Kind { File, Folder };
  TempEntry() = default;
  ~TempEntry() { Discard(); }
  TempEntry(const TempEntry&) = delete;
  TempEntry& operator=(const TempEntry&) = delete;

  // `folder` ends in a separator.
  DWORD Create(const std::string& folder, Kind kind, const std::function<BOOL(const std::string&)>& make);
  const std::string& Path() const { return path_; }
  // With `writeThrough` the rename is on the disk when this returns.
  DWORD Commit(const std::string& target, bool replace, bool writeThrough = false);
  DWORD Discard();
  // This run's lock file in the entry's folder (null once the entry is gone).
  const std::shared_ptr<TempFolderLock>& Lock() const { return lock_; }

 private:
  std::string path_;  // empty: no entry
  Kind kind_ = Kind::File;
  std::shared_ptr<TempFolderLock> lock_;
};

}  // namespace plat
