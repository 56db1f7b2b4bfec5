// The temporary entry of the posix build: a file or folder made under a
// temporary name in the folder where it is to appear, then renamed into
// place whole or removed.  Its calling sequence:
//
//   TempEntry temp;
//   int fd;
//   FileResult made = temp.CreateFile(hostFolder, fd);  // fd open for writing;
//                                          // not Done: nothing was made
//   (or: FileResult made = temp.CreateFolder(hostFolder);)
//   ... write the file through fd and close it, or fill the folder ...
//   FileResult moved = temp.Commit(toFolder, toName, replace);  // renamed
//                                          // into place; else the entry is
//                                          // still there (Exists: the name
//                                          // was taken, without `replace`)
//   FileResult dropped = temp.Discard();   // or removed
//
// The destructor discards what was neither committed nor discarded.  Its
// name, and this run's lock file beside it: temp_folder_lock.h.
//
// May use: platform/ and the POSIX headers.  Private to src/platform/posix/.
#pragma once

#include <memory>
#include <string>

#include "platform/posix/posix_internal.h"
#include "platform/temp_folder_lock.h"

namespace plat {

class TempEntry {
 public:
  TempEntry() = default;
  ~TempEntry() { Discard(); }
  TempEntry(const TempEntry&) = delete;
  TempEntry& operator=(const TempEntry&) = delete;

  FileResult CreateFile(const std::string& hostFolder, int& fd);
  FileResult CreateFolder(const std::string& hostFolder);
  // Where the entry is found (valid while it lives), and its name.
  posix::At Where() const { return posix::InFolder(folder_, name_); }
  const std::string& Name() const { return name_; }
  // Renames the entry to `toName` in `toFolder` (the same file system); with
  // `replace` an existing entry of that name is replaced, else Exists.
  FileResult Commit(const std::string& toFolder, const std::string& toName, bool replace);
  FileResult Discard();
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
