// The walker behind every scenery tree operation: one walk of a folder tree
// in one of five modes (remove the tree, copy it, find scenery folders in it,
// switch BGL files off or on, delete its files).  It is set up by its caller
// (the tree operations of SceneryLibrary), walked once and dropped.
//
// A file is always addressed through the name its folder listing gave it;
// the lower-cased name handed to ProcessFile is the name a copy is created
// under or a rename gives it.
//
// What the program's rules decide (a read-only file kept by a removal or not
// replaced by a copy, an existing target kept by the copy's overwrite rule, a BGL file kept because
// its new name exists, hidden and dot folders passed over) is the walk's own
// outcome.  Any other failure of a file operation is a fault: it is told to
// Report, and the walk goes on with what it can still do.  A folder that a
// copy makes new appears whole or not at all, also under faults.
//
// May use: base/, platform/, bgl/ and the rest of walk/.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "walk/file_times.h"
#include "platform/platform.h"
#include "base/problems.h"

// The hidden file beside scenery.cfg that runs lock to take turns on the
// library (scenery/library_lock.h).  No walk copies, deletes or renames a
// file of that name, wherever it lies: a copy of the simulator's folder does
// not carry it, and a removal or an emptying of a folder never takes it from
// under a run that holds it (the next run would lock a new file and no
// longer wait).
constexpr const char* kLibraryLockFileName = ".layrix.lock";

// Attribute filters of a listing: an entry is dropped when it carries one of
// the bits hidden, system or folder that the filter does not contain.
constexpr uint32_t kFilterFiles = 47;    // every entry that is not a folder
constexpr uint32_t kFilterFolders = 16;  // neither hidden nor system

// True when `entry` passes `filter`.
bool PassesFilter(const plat::DirEntry& entry, uint32_t filter);

enum class WalkMode {
  RemoveTree,   // delete every file; remove each sub-folder once emptied
  Copy,         // copy every file into the destination tree, making its folders
  ScanScenery,  // no files; report each folder holding a "scenery" sub-folder
  RenameBgl,    // give matching BGL files a new extension
  DeleteFiles,  // delete every file; folders stay
};

// Walks a folder tree depth-first: a folder's files first, then each
// sub-folder's whole tree.  Hidden and system folders, folders whose names
// begin with a dot, and links to folders are never entered.
class TreeWalker {
 public:
  WalkMode Mode = WalkMode::RemoveTree;
  // Copy: the overwrite rule (0 never, 1 and 3 always, 2 when not newer).
  int32_t Overwrite = 0;
  // Copy: the full source and destination roots, each ending in a backslash.
  // Scenery scan: SourceRoot is the simulator folder that found folders are
  // given relative to.
  std::string SourceRoot;
  std::string DestRoot;
  // Copy: the last-write time of the source file being processed.
  DateTime SourceTime = 0;
  // Scenery scan: called with each folder (relative to SourceRoot, without a
  // trailing backslash) that holds a "scenery" sub-folder, deepest first.
  std::function<void(const std::string& folder)> OnSceneryFolder;
  // BGL renaming: the BGL version a file must have (0 = any), the content
  // elements it must share at least one of, and the extension it gets
  // (with its dot).
  int32_t VersionFilter = 0;
  uint32_t ContentMask = 0;
  std::string NewExtension;
  // Where faults and notes go; none are told when null.
  Notices* Report = nullptr;

  // Read-only files kept so far (by a removal, or as copy targets not
  // replaced), and the faults met.
  int KeptReadOnly() const { return keptReadOnly_; }
  int Faults() const { return faults_; }

  // The action on one file: `folder` ends in a backslash, `fileName` is bare.
  void ProcessFile(const std::string& folder, const std::string& fileName);
  // Runs ProcessFile for every file of one folder matching `mask`.
  void WalkFiles(const std::string& folder, const std::string& mask);
  // Walks `folder` and all its sub-folders.
  void WalkTree(const std::string& folder, const std::string& mask);

 private:
  // Whether files' times are needed (a copy that keeps newer targets).
  bool NeedsFileTimes() const;
  // `pattern` listed with as much of each file's facts as the mode uses.
  // A listing that fails is a fault.
  std::vector<plat::DirEntry> List(const std::string& pattern);
  // Where a copy puts the files of source folder `folder` (DestRoot and its
  // path relative to SourceRoot), worked out once per folder: the roots stay
  // the same for the walker's one walk.
  const std::string& CopyTargetFolder(const std::string& folder);
  // ProcessFile for every file among `entries` (a listing of `folder`).
  void ProcessListedFiles(const std::string& folder, const std::vector<plat::DirEntry>& entries);
  // One folder of the walk: its files, then its sub-folders, each walked by
  // WalkTree.
  void WalkFolder(const std::string& folder, const std::string& mask);
  // A copy of `folder` whose target folder does not exist yet: builds it
  // under a temporary name beside its place, then renames it into place
  // whole, or drops it all when a fault met any of it.  False when the
  // target exists or no such folder can be made (the caller then copies into
  // the target as it is).
  bool CopyIntoNewFolder(const std::string& folder, const std::string& mask);
  // Makes the copy's target folder `folder` with every missing parent;
  // false, with the fault told, when it cannot be made.
  bool MakeTargetFolder(const std::string& folder);
  // The path a copy target is known by to the user: below the final folder,
  // not the temporary one it is built in.
  std::string ShownPath(const std::string& path) const;
  void Fault(const std::string& text);
  // True while a new folder is being built that a fault has doomed: the
  // rest of its walk is passed over.
  bool Doomed() const { return !stagedAt_.empty() && faults_ > faultsWhenStaged_; }

  // The copies of a copy walk, one after the other.
  plat::FileCopier copier_;
  // The entry now being processed, as the listing spelled it.
  std::string currentName_;
  // The last copy target folder worked out, and its source folder.
  std::string targetOf_;
  std::string targetFolder_;
  // While a new target folder is being built under a temporary name: its
  // final path and the temporary one (both ending in a backslash).  Targets
  // below the final path are made below the temporary one.
  std::string stagedFinal_;
  std::string stagedAt_;
  // Set while a copy goes into existing folders only, after a new folder
  // could not be renamed into place.
  bool noStaging_ = false;
  int faultsWhenStaged_ = 0;
  int keptReadOnly_ = 0;
  int faults_ = 0;
};

// Removes the files and sub-folders of `folder` (ending in a backslash) with
// a removal walk, then the folder itself once empty.  Read-only files, and
// the folders holding them, stay; how many is told to `report` as a note,
// faults as faults.
void RemoveFolderTree(const std::string& folder, Notices* report);

// "1 read-only file", "3 read-only files": for the notes on kept files.
std::string ReadOnlyFiles(int count);
