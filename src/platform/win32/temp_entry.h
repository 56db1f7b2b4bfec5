// The temporary entry of the Windows build: a file or folder made under a
// temporary name in the folder where it is to appear, then renamed into
// place whole or removed.  Its calling sequence:
//
//   TempEntry temp;
//   FileResult made = temp.Create(folder, kind, make);  // `make(path)` makes the
//                                            // entry at a new temporary name
//                                            // (FALSE and the error code set
//                                            // when it cannot; a name taken
//                                            // already is passed over)
//   ... write the file or fill the folder at temp.Path() ...
//   FileResult moved = temp.Commit(target, replace);  // renamed into place
//                                            // (MoveFileEx); else still there
//   FileResult dropped = temp.Discard();     // or removed
//
// The destructor discards what was neither committed nor discarded.  Its
// name, and this run's lock file beside it: temp_folder_lock.h.
//
// May use: platform/ and <windows.h>.  Only the files of this folder include it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/temp_folder_lock.h"
#include "platform/win32/win32_util.h"

namespace plat {

class TempEntry {
 public:
  enum class Kind { File, Folder };
  TempEntry() = default;
  ~TempEntry() { Discard(); }
  TempEntry(const TempEntry&) = delete;
  TempEntry& operator=(const TempEntry&) = delete;

  // `folder` ends in a separator.
  FileResult Create(const std::string& folder, Kind kind,
                    const std::function<BOOL(const std::string&)>& make);
  const std::string& Path() const { return path_; }
  // With `writeThrough` the rename is on the disk when this returns.
  FileResult Commit(const std::string& target, bool replace, bool writeThrough = false);
  FileResult Discard();
  // This run's lock file in the entry's folder (null once the entry is gone).
  const std::shared_ptr<TempFolderLock>& Lock() const { return lock_; }

 private:
  std::string path_;  // empty: no entry
  Kind kind_ = Kind::File;
  std::shared_ptr<TempFolderLock> lock_;
};

}  // namespace plat
