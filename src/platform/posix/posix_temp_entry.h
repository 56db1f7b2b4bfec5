// The temporary entry of the posix build: a file or folder made under a
// temporary name in the folder where it is to appear, then renamed into
// place whole or removed.  Its calling sequence:
//
//   TempEntry temp;
//   int fd = temp.CreateFile(hostFolder);  // open for writing; -1, errno set:
//                                          // nothing was made
//   (or: bool made = temp.CreateFolder(hostFolder);)
//   ... write the file through fd and close it, or fill the folder ...
//   int code = temp.Commit(toFolder, toName, replace);  // 0: renamed into
//                                          // place; else an errno value, and
//                                          // the entry is still there
//   int code = temp.Discard();             // or removed (0, or an errno value)
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
// May use: platform/ and the POSIX headers.  Private to src/platform/posix/.
#pragma once

#include <memory>
#include <string>

#include "platform/posix/posix_internal.h"

namespace plat {

// This run's lock file in one host folder, held while it is shared; the
// last holder unlinks it and lets go of its lock.
class TempFolderLock {
 public:
  TempFolderLock(std::string hostFolder, int fd) : folder_(std::move(hostFolder)), fd_(fd) {}
  ~TempFolderLock();
  TempFolderLock(const TempFolderLock&) = delete;
  TempFolderLock& operator=(const TempFolderLock&) = delete;
  // An entry of this run could not be removed: the lock file stays until
  // the process ends, and then shows a later run the entry as a leftover.
  void KeepToTheEnd();

 private:
  std::string folder_;
  int fd_;
  bool keep_ = false;
};

class TempEntry {
 public:
  TempEntry() = default;
  ~TempEntry() { Discard(); }
  TempEntry(const TempEntry&) = delete;
  TempEntry& operator=(const TempEntry&) = delete;

  int CreateFile(const std::string& hostFolder);
  bool CreateFolder(const std::string& hostFolder);
  // Where the entry is found (valid while it lives), and its name.
  posix::At Where() const { return posix::InFolder(folder_, name_); }
  const std::string& Name() const { return name_; }
  // Renames the entry to `toName` in `toFolder` (the same file system); with
  // `replace` an existing entry of that name is replaced, else EEXIST.
  int Commit(const std::string& toFolder, const std::string& toName, bool replace);
  int Discard();
  // This run's lock file in the entry's folder (null once the entry is gone).
  const std::shared_ptr<TempFolderLock>& Lock() const { return lock_; }

 private:
  template <typename Make>
  bool Create(const std::string& hostFolder, Make make);

  std::string folder_;
  std::string name_;  // empty: no entry
  bool isFolder_ = false;
  std::shared_ptr<TempFolderLock> lock_;
};

}  // namespace plat

namespace plat::posix {

// Removes the entry `name` in the folder `dir` and, for a folder, all it
// holds, read-only files included; links are removed, never followed.
// 0, or an errno value.
int RemoveTreeAt(int dir, const std::string& name);

}  // namespace plat::posix
