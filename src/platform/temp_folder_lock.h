// This run's lock file in a folder where it makes temporary entries, shared
// by both builds' TempEntry (posix/posix_temp_entry.h, win32/temp_entry.h).
//
// A temporary entry is named ".layrix-<run>-<n>.tmp" (temp_names.h) and lies
// beside the lock file ".layrix-<run>.lock" of the run that made it, which
// that run holds locked while any of its temporary entries, or a FileCopier,
// needs it there.  The first time a run takes its lock file in a folder, it
// removes what runs that ended without cleaning up (killed, crashed) left
// there: the entries of every run whose lock file it can lock, which proves
// that run gone.  An entry that cannot be removed keeps its run's lock file
// in place to the end, so that a later run removes it.
//
// May use: the standard library only.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace plat {

// The lock file of one folder, shared by all that need it; the last holder
// lets go of it through `release`, which deletes the file first unless it
// is to stay.
class TempFolderLock {
 public:
  using Release = std::function<void(bool keepFile)>;
  TempFolderLock(std::string folder, Release release)
      : folder_(std::move(folder)), release_(std::move(release)) {}
  ~TempFolderLock();
  TempFolderLock(const TempFolderLock&) = delete;
  TempFolderLock& operator=(const TempFolderLock&) = delete;

  // The lock of `folder` held now, or null.
  static std::shared_ptr<TempFolderLock> Held(const std::string& folder);
  // A lock newly taken in `folder`, shared from now on.
  static std::shared_ptr<TempFolderLock> Share(const std::string& folder, Release release);
  // An entry of this run could not be removed: the lock file stays until
  // the process ends, and then shows a later run the entry as a leftover.
  void KeepToTheEnd();

 private:
  std::string folder_;
  Release release_;
  bool keepFile_ = false;
};

}  // namespace plat
