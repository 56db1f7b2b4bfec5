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
#include "platform/winpath.h"

namespace {

// `dest` relative to the folder part of `base`, ignoring case as the user's
// locale does.
std::string RelativeTo(const std::string& base, const std::string& dest) {
  return winpath::ExtractRelativePath(base, dest, plat::SameText);
}

// Creates `folder` (ending in a backslash or not) with every missing parent.
// Failures are left for the caller's later file operations to meet.
void ForceFolders(const std::string& folder) {
  const std::string path = winpath::ExcludeTrailingBackslash(folder);
  if (path.empty() || plat::FolderExists(path)) return;
  const std::string parent = winpath::ExtractFilePath(path);
  if (!parent.empty() && parent.size() < path.size()) ForceFolders(parent);
  plat::MakeFolder(path);
}

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

void TreeWalker::ProcessFile(const std::string& folder, const std::string& fileName) {
  // Called from WalkFiles, the listed name addresses the file; called
  // directly, the name given does.
  const std::string& hostName = currentName_.empty() ? fileName : currentName_;
  const std::string full = folder + hostName;

  switch (Mode) {
    case WalkMode::RemoveTree:
    case WalkMode::DeleteFiles:
      // A read-only file stays; the host refuses to delete it.
      plat::RemoveFile(full);
      break;

    case WalkMode::Copy: {
      if (fileName == "layrix.exe" || fileName == "setup_scn.bat") return;
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
      plat::CopyFileTo(full, target, keep, /*privateFolder=*/!stagedAt_.empty());
      break;
    }

    case WalkMode::RenameBgl: {
      bool matches = false;
      {
        const BglInfo bgl = ReadBglInfo(full);
        matches = ContentFlagsMatch(bgl.ContentFlags, ContentMask) &&
                  (VersionFilter == 0 || bgl.Version == VersionFilter);
      }
      // A failed rename (the new name exists, say) leaves the file as it was.
      if (matches) plat::RenameFile(full, folder + ChangeExtension(fileName, NewExtension));
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

std::vector<plat::DirEntry> TreeWalker::List(const std::string& pattern) const {
  // Of files, only a copy that keeps newer targets needs more than that
  // they are files.
  return plat::FindEntries(pattern,
                           NeedsFileTimes() ? plat::FileFacts::All : plat::FileFacts::KindOnly);
}

void TreeWalker::ProcessListedFiles(const std::string& folder,
                                      const std::vector<plat::DirEntry>& entries) {
  for (const plat::DirEntry& entry : entries) {
    if (!PassesFilter(entry, kFilterFiles)) continue;
    if (NeedsFileTimes()) SourceTime = FileTimeToDateTime(entry.Info.LastWriteTime);
    currentName_ = entry.Name;
    // Only a copy and a rename use the lower-cased name; a removal goes by
    // the listed one.
    const bool removing = Mode == WalkMode::RemoveTree || Mode == WalkMode::DeleteFiles;
    ProcessFile(folder, removing ? entry.Name : plat::LowerAnsi(entry.Name));
    currentName_.clear();
  }
}

void TreeWalker::WalkFiles(const std::string& folder, const std::string& mask) {
  ProcessListedFiles(folder, List(folder + mask));
}

void TreeWalker::WalkTree(const std::string& folder, const std::string& mask) {
  if (Mode == WalkMode::Copy) {
    if (stagedFinal_.empty() && !noStaging_ && CopyIntoNewFolder(folder, mask)) return;
    ForceFolders(CopyTargetFolder(folder));
  }
  WalkFolder(folder, mask);
}

bool TreeWalker::CopyIntoNewFolder(const std::string& folder, const std::string& mask) {
  // A new folder appears whole or not at all: were the copy cut short, only
  // a hidden folder beside it would stay, never a target folder holding half
  // its files, nor a file holding half its data (which a later copy that
  // keeps newer targets would keep).  Its files need no temporary files of
  // their own.
  const std::string final = CopyTargetFolder(folder);
  const std::string finalPath = winpath::ExcludeTrailingBackslash(final);
  const std::string parent = winpath::ExtractFilePath(finalPath);
  if (parent.empty() || parent.size() >= finalPath.size()) return false;  // a drive root
  if (plat::FolderExists(finalPath) || plat::FileExists(finalPath)) return false;
  ForceFolders(parent);
  std::string staged;
  if (!plat::MakeStagingFolder(parent, staged)) return false;

  stagedFinal_ = final;
  stagedAt_ = winpath::IncludeTrailingBackslash(staged);
  targetOf_.clear();
  WalkFolder(folder, mask);
  stagedFinal_.clear();
  stagedAt_.clear();
  targetOf_.clear();
  if (plat::RenameFile(staged, finalPath)) return true;

  // Something took the name meanwhile (another program made the folder):
  // copy into it as into any existing folder, then drop what was built (a
  // read-only copy, which a removal leaves, keeps the hidden folder).
  noStaging_ = true;
  ForceFolders(final);
  WalkFolder(folder, mask);
  noStaging_ = false;
  RemoveFolderTree(winpath::IncludeTrailingBackslash(staged));
  return true;
}

void RemoveFolderTree(const std::string& folder) {
  TreeWalker walker;
  walker.Mode = WalkMode::RemoveTree;
  walker.WalkTree(folder, "*.*");
  plat::RemoveEmptyFolder(winpath::ExcludeTrailingBackslash(folder));
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
    std::vector<plat::DirEntry> entries =
        Mode == WalkMode::ScanScenery ? plat::FindFolders(folder + "*.*") : List(folder + "*.*");
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
    WalkTree(folder + name + "\\", mask);
    if (Mode == WalkMode::RemoveTree) {
      plat::RemoveEmptyFolder(folder + name);
    } else if (Mode == WalkMode::ScanScenery && OnSceneryFolder &&
               plat::SameText(name, "scenery")) {
      const std::string relative = winpath::ExcludeTrailingBackslash(RelativeTo(SourceRoot, folder));
      OnSceneryFolder(relative);
    }
  }
}
