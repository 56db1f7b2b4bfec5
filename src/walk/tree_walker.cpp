// The tree walker's modes: remove a tree, copy a tree, scan for scenery
// folders, rename BGL files, delete files.
//
// Folders are never listed again to find a file just listed, so each folder
// costs one listing whatever its size.
#include "walk/tree_walker.h"

#include <string>
#include <utility>
#include <vector>

#include "bgl/bgl_info.h"
#include "bgl/content_filter.h"
#include "platform/temp_names.h"
#include "platform/winpath.h"

namespace {

// `dest` relative to the folder part of `base`, ignoring case as the user's
// locale does.
std::string RelativeTo(const std::string& base, const std::string& dest) {
  return winpath::ExtractRelativePath(base, dest, plat::SameText);
}

bool IsLibraryLockFile(const std::string& name) {
  return !name.empty() && name[0] == '.' && plat::SameText(name, kLibraryLockFileName);
}

// The attribute bits a filter can exclude.
constexpr uint32_t kFilterableBits = plat::kAttrHidden | plat::kAttrSystem | plat::kAttrDirectory;

bool IsFolderLink(const plat::DirEntry& entry) {
  return (entry.Info.Attributes & plat::kAttrReparsePoint) != 0;
}

// `fileName` with its extension (from the last dot on) replaced by `newExt`;
// a name without a dot gets `newExt` appended.
std::string ChangeExtension(const std::string& fileName, const std::string& newExt) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos) return fileName + newExt;
  return fileName.substr(0, dot) + newExt;
}

}  // namespace

bool PassesFilter(const plat::DirEntry& entry, uint32_t filter) {
  return (entry.Info.Attributes & kFilterableBits & ~filter) == 0;
}

void TreeWalker::Fault(const std::string& text) {
  ++faults_;
  if (Report) Report->Fault(text);
}

std::string TreeWalker::ShownPath(const std::string& path) const {
  if (!stagedAt_.empty() && path.compare(0, stagedAt_.size(), stagedAt_) == 0)
    return stagedFinal_ + path.substr(stagedAt_.size());
  return path;
}

void TreeWalker::ProcessFile(const std::string& folder, const std::string& fileName) {
  // Called from WalkFiles, the listed name addresses the file; called
  // directly, the name given does.
  const std::string& hostName = currentName_.empty() ? fileName : currentName_;
  const std::string full = folder + hostName;

  switch (Mode) {
    case WalkMode::RemoveTree:
    case WalkMode::DeleteFiles: {
      // A read-only file stays; one gone meanwhile needs no removal.
      const plat::FileResult removed = plat::RemoveFile(full);
      if (removed.Outcome == plat::FileOutcome::ReadOnly)
        ++keptReadOnly_;
      else if (!removed.Done() && removed.Outcome != plat::FileOutcome::Missing)
        Fault("cannot delete " + full + ": " + removed.Cause);
      break;
    }

    case WalkMode::Copy: {
      if (fileName == "layrix.exe" || fileName == "setup_scn.bat") return;
      // Temporary entries and lock files of runs at work are never taken along.
      if (tempnames::IsWorkingName(fileName)) return;
      const std::string target = CopyTargetFolder(folder) + fileName;
      bool keep = false;
      if (Overwrite == 0) {
        keep = true;
      } else if (Overwrite == 2) {
        // Keep an existing file written later than the source.
        plat::FileInfo info;
        if (plat::GetFileInfo(target, info) && (info.Attributes & plat::kAttrDirectory) == 0)
          keep = DateDiff(SourceTime, FileTimeToDateTime(info.LastWriteTime)) < 0.0;
      }
      const plat::FileResult copied =
          copier_.Copy(full, target, keep, /*privateFolder=*/!stagedAt_.empty());
      // A read-only target is never replaced, as a read-only file is never
      // removed.
      if (copied.Outcome == plat::FileOutcome::ReadOnly)
        ++keptReadOnly_;
      else if (!copied.Done() && !(keep && copied.Outcome == plat::FileOutcome::Exists))
        Fault("cannot copy " + full + " to " + ShownPath(target) + ": " + copied.Cause);
      break;
    }

    case WalkMode::RenameBgl: {
      const BglInfo bgl = ReadBglInfo(full);
      if (!bgl.Problem.Done()) {
        if (bgl.Problem.Outcome != plat::FileOutcome::Missing)
          Fault("cannot read " + full + ": " + bgl.Problem.Cause);
        break;
      }
      if (!ContentFlagsMatch(bgl.ContentFlags, ContentMask) ||
          (VersionFilter != 0 && bgl.Version != VersionFilter))
        break;
      // A file whose new name exists already keeps its own, and the user
      // hears of it: the file is still switched on (or off).
      const std::string renamed = folder + ChangeExtension(fileName, NewExtension);
      const plat::FileResult result = plat::RenameFile(full, renamed);
      if (result.Outcome == plat::FileOutcome::Exists) {
        if (Report) Report->Note("left " + full + " as it is: " + renamed + " exists already");
      } else if (!result.Done()) {
        Fault("cannot rename " + full + " to " + renamed + ": " + result.Cause);
      }
      break;
    }

    default:
      break;
  }
}

const std::string& TreeWalker::CopyTargetFolder(const std::string& folder) {
  // The relative path of a file is that of its folder followed by its name,
  // so the folder's part serves the folder and all its files.
  if (targetOf_ != folder || targetFolder_.empty()) {
    targetOf_ = folder;
    targetFolder_ = DestRoot + RelativeTo(SourceRoot, folder);
    if (!stagedFinal_.empty() && targetFolder_.compare(0, stagedFinal_.size(), stagedFinal_) == 0)
      targetFolder_.replace(0, stagedFinal_.size(), stagedAt_);
  }
  return targetFolder_;
}

bool TreeWalker::NeedsFileTimes() const { return Mode == WalkMode::Copy && Overwrite == 2; }

std::vector<plat::DirEntry> TreeWalker::List(const std::string& pattern) {
  // Of files, only a copy that keeps newer targets needs more than that
  // they are files.
  std::vector<plat::DirEntry> entries;
  const plat::FileResult problem = plat::FindEntries(
      pattern, entries, NeedsFileTimes() ? plat::FileFacts::All : plat::FileFacts::KindOnly);
  if (!problem.Done())
    Fault("cannot list " + winpath::ExtractFilePath(pattern) + ": " + problem.Cause);
  return entries;
}

void TreeWalker::ProcessListedFiles(const std::string& folder,
                                      const std::vector<plat::DirEntry>& entries) {
  for (const plat::DirEntry& entry : entries) {
    if (Doomed()) break;
    if (!PassesFilter(entry, kFilterFiles)) continue;
    if (IsLibraryLockFile(entry.Name)) continue;
    if (NeedsFileTimes()) SourceTime = FileTimeToDateTime(entry.Info.LastWriteTime);
    currentName_ = entry.Name;
    // Only a copy and a rename use the lower-cased name; a removal goes by
    // the listed one.
    const bool removing = Mode == WalkMode::RemoveTree || Mode == WalkMode::DeleteFiles;
    ProcessFile(folder, removing ? entry.Name : plat::LowerCase(entry.Name));
    currentName_.clear();
  }
}

void TreeWalker::WalkFiles(const std::string& folder, const std::string& mask) {
  ProcessListedFiles(folder, List(folder + mask));
}

void TreeWalker::WalkTree(const std::string& folder, const std::string& mask) {
  if (Doomed()) return;
  if (Mode == WalkMode::Copy) {
    if (stagedFinal_.empty() && !noStaging_ && CopyIntoNewFolder(folder, mask)) return;
    // A folder that cannot be made takes none of its files: told once.
    if (!MakeTargetFolder(CopyTargetFolder(folder))) return;
  }
  WalkFolder(folder, mask);
}

bool TreeWalker::MakeTargetFolder(const std::string& folder) {
  const std::string path = winpath::ExcludeTrailingBackslash(folder);
  if (path.empty() || plat::FolderExists(path)) return true;
  const std::string parent = winpath::ExtractFilePath(path);
  if (!parent.empty() && parent.size() < path.size() && !MakeTargetFolder(parent)) return false;
  const plat::FileResult made = plat::MakeFolder(path);
  // Made meanwhile by another program: as good.
  if (made.Done() || (made.Outcome == plat::FileOutcome::Exists && plat::FolderExists(path)))
    return true;
  // Its parent is there: a folder that "does not exist" is one the file
  // system will not make.
  const std::string cause = made.Outcome == plat::FileOutcome::Missing
                                ? "the file system does not allow a folder there"
                                : made.Cause;
  Fault("cannot make the folder " + ShownPath(path) + ": " + cause);
  return false;
}

bool TreeWalker::CopyIntoNewFolder(const std::string& folder, const std::string& mask) {
  // A new folder appears whole or not at all: were the copy cut short, only
  // a hidden folder beside it would stay (which a later run removes), never
  // a target folder holding half its files, nor a file holding half its
  // data (which a later copy that keeps newer targets would keep).  A fault
  // in any of it drops the whole folder.  Its files need no temporary files
  // of their own.
  const std::string final = CopyTargetFolder(folder);
  const std::string finalPath = winpath::ExcludeTrailingBackslash(final);
  const std::string parent = winpath::ExtractFilePath(finalPath);
  if (parent.empty() || parent.size() >= finalPath.size()) return false;  // a drive root
  if (plat::FolderExists(finalPath) || plat::FileExists(finalPath)) return false;
  if (!MakeTargetFolder(parent)) return true;
  plat::StagedFolder staged;
  if (!staged.Make(parent)) return false;

  stagedFinal_ = final;
  stagedAt_ = winpath::IncludeTrailingBackslash(staged.Path());
  faultsWhenStaged_ = faults_;
  targetOf_.clear();
  WalkFolder(folder, mask);
  const bool failed = Doomed();
  stagedFinal_.clear();
  stagedAt_.clear();
  targetOf_.clear();
  auto drop = [&] {
    // Everything in it is this walk's own making, read-only copies included.
    const std::string path = staged.Path();
    const plat::FileResult removed = staged.Discard();
    if (!removed.Done()) Fault("cannot remove the unfinished copy " + path + ": " + removed.Cause);
  };
  if (failed) {
    drop();
    if (Report) Report->Note(finalPath + " was not created: its copy failed, and nothing of it was kept");
    return true;
  }
  const plat::FileResult moved = staged.Commit(finalPath);
  if (moved.Done()) return true;
  if (moved.Outcome != plat::FileOutcome::Exists) {
    Fault("cannot create " + finalPath + ": " + moved.Cause);
    drop();
    if (Report) Report->Note(finalPath + " was not created: its copy failed, and nothing of it was kept");
    return true;
  }

  // Something took the name meanwhile (another program made the folder):
  // copy into it as into any existing folder, then drop what was built.
  noStaging_ = true;
  if (MakeTargetFolder(final)) WalkFolder(folder, mask);
  noStaging_ = false;
  drop();
  return true;
}

void RemoveFolderTree(const std::string& folder, Notices* report) {
  TreeWalker walker;
  walker.Mode = WalkMode::RemoveTree;
  walker.Report = report;
  walker.WalkTree(folder, "*.*");
  const std::string path = winpath::ExcludeTrailingBackslash(folder);
  const plat::FileResult removed = plat::RemoveEmptyFolder(path);
  if (!removed.Done() && removed.IsFault() && report)
    report->Fault("cannot remove the folder " + path + ": " + removed.Cause);
  if (walker.KeptReadOnly() > 0 && report)
    report->Note("kept " + ReadOnlyFiles(walker.KeptReadOnly()) + " in " + path);
}

std::string ReadOnlyFiles(int count) {
  return std::to_string(count) + " read-only file" + (count == 1 ? "" : "s");
}

void TreeWalker::WalkFolder(const std::string& folder, const std::string& mask) {
  // Only the names of the sub-folders are kept while the walk goes deeper,
  // so memory follows the largest folder, not the whole tree.
  std::vector<std::string> folders;
  {
    // One listing of the folder serves both its files and its sub-folders
    // when the mask takes every name: no mode changes the sub-folders of the
    // folder whose files it processes (a copy never writes into its source).
    // A scan for scenery folders looks at folders only.
    std::vector<plat::DirEntry> entries;
    if (Mode == WalkMode::ScanScenery) {
      const plat::FileResult problem = plat::FindFolders(folder + "*.*", entries);
      if (!problem.Done()) Fault("cannot list " + folder + ": " + problem.Cause);
    } else {
      entries = List(folder + "*.*");
    }
    if (Mode != WalkMode::ScanScenery) {
      if (mask == "*.*")
        ProcessListedFiles(folder, entries);
      else
        WalkFiles(folder, mask);
    }
    for (plat::DirEntry& entry : entries) {
      if (!PassesFilter(entry, kFilterFolders)) continue;
      if ((entry.Info.Attributes & plat::kAttrDirectory) == 0) continue;
      if (IsFolderLink(entry)) continue;
      if (!entry.Name.empty() && entry.Name[0] == '.') continue;
      folders.push_back(std::move(entry.Name));
    }
  }

  for (const std::string& name : folders) {
    if (Doomed()) return;
    WalkTree(folder + name + "\\", mask);
    if (Mode == WalkMode::RemoveTree) {
      // A folder still holding what the rules kept (a read-only file, a
      // hidden folder, a link) stays.
      const plat::FileResult removed = plat::RemoveEmptyFolder(folder + name);
      if (removed.IsFault()) Fault("cannot remove the folder " + folder + name + ": " + removed.Cause);
    } else if (Mode == WalkMode::ScanScenery && OnSceneryFolder &&
               plat::SameText(name, "scenery")) {
      const std::string relative = winpath::ExcludeTrailingBackslash(RelativeTo(SourceRoot, folder));
      OnSceneryFolder(relative);
    }
  }
}
