// TFSCfgSearch: the directory walker's modes (remove a tree, copy a tree,
// scan for scenery folders, rename BGL files, delete files).
//
// A file is always addressed through the name its folder listing gave it;
// the lower-cased name handed to ProcessFile is the name a copy is created
// under or a rename gives it.  Folders are never listed again to find a
// file just listed, so each folder costs one listing whatever its size.
#include <string>
#include <utility>
#include <vector>

#include "fsenv/LbNewBGL.h"
#include "platform/winpath.h"
#include "scenery/LbFS.h"

namespace {

// `Dest` relative to the folder part of `Base`, ignoring case as the user's
// locale does.
std::string RelativeTo(const std::string& Base, const std::string& Dest) {
  return winpath::ExtractRelativePath(Base, Dest, plat::SameText);
}

// Creates `Folder` (ending in a backslash or not) with every missing parent.
// Failures are left for the caller's later file operations to meet.
void ForceFolders(const std::string& Folder) {
  const std::string path = winpath::ExcludeTrailingBackslash(Folder);
  if (path.empty() || plat::FolderExists(path)) return;
  const std::string parent = winpath::ExtractFilePath(path);
  if (!parent.empty() && parent.size() < path.size()) ForceFolders(parent);
  plat::MakeFolder(path);
}

bool IsFolderLink(const plat::DirEntry& entry) {
  return (entry.Info.Attributes & plat::kAttrReparsePoint) != 0;
}

// `FileName` with its extension (from the last dot on) replaced by `NewExt`;
// a name without a dot gets `NewExt` appended.
std::string ChangeExtension(const std::string& FileName, const std::string& NewExt) {
  const size_t dot = FileName.rfind('.');
  if (dot == std::string::npos) return FileName + NewExt;
  return FileName.substr(0, dot) + NewExt;
}

}  // namespace

void TFSCfgSearch::ProcessFile(const std::string& Folder, const std::string& FileName) {
  // Called from SearchFiles, the listed name addresses the file; called
  // directly, the name given does.
  const std::string& hostName = CurrentName_.empty() ? FileName : CurrentName_;
  const std::string full = Folder + hostName;

  switch (Mode) {
    case ModeRemoveTree:
    case ModeDeleteFiles:
      // A read-only file stays; the host refuses to delete it.
      plat::RemoveFile(full);
      break;

    case ModeCopy: {
      if (FileName == "layrix.exe" || FileName == "setup_scn.bat") return;
      const std::string target = CopyTargetFolder(Folder) + FileName;
      bool keep = false;
      if (Overwrite == 0) {
        keep = true;
      } else if (Overwrite == 2) {
        // Keep an existing file written later than the source.
        plat::FileInfo info;
        if (plat::GetFileInfo(target, info) && (info.Attributes & plat::kAttrDirectory) == 0)
          keep = DateDiff(SourceTime, FileTimeToDateTime(info.LastWriteTime)) < 0.0;
      }
      plat::CopyFileTo(full, target, keep, /*privateFolder=*/!StagedAt_.empty());
      break;
    }

    case ModeRenameBgl: {
      bool matches = false;
      {
        const TFS_BGLContentObj bgl(full);
        matches = ContentFlagsMatch(bgl.ContentFlags, ContentMask) &&
                  (VersionFilter == 0 || bgl.Version == VersionFilter);
      }
      // A failed rename (the new name exists, say) leaves the file as it was.
      if (matches) plat::RenameFile(full, Folder + ChangeExtension(FileName, SourceRoot));
      break;
    }

    default:
      break;
  }
}

const std::string& TFSCfgSearch::CopyTargetFolder(const std::string& Folder) {
  // The relative path of a file is that of its folder followed by its name,
  // so the folder's part serves the folder and all its files.
  if (TargetOf_ != Folder || TargetFolder_.empty()) {
    TargetOf_ = Folder;
    TargetFolder_ = DestRoot + RelativeTo(SourceRoot, Folder);
    if (!StagedFinal_.empty() && TargetFolder_.compare(0, StagedFinal_.size(), StagedFinal_) == 0)
      TargetFolder_.replace(0, StagedFinal_.size(), StagedAt_);
  }
  return TargetFolder_;
}

bool TFSCfgSearch::NeedsFileTimes() const { return Mode == ModeCopy && Overwrite == 2; }

std::vector<plat::DirEntry> TFSCfgSearch::List(const std::string& Pattern) const {
  // Of files, only a copy that keeps newer targets needs more than that
  // they are files.
  return plat::FindEntries(Pattern,
                           NeedsFileTimes() ? plat::FileFacts::All : plat::FileFacts::KindOnly);
}

void TFSCfgSearch::ProcessListedFiles(const std::string& Folder,
                                      const std::vector<plat::DirEntry>& Entries) {
  for (const plat::DirEntry& entry : Entries) {
    if (!PassesFilter(entry, kFilterFiles)) continue;
    if (NeedsFileTimes()) SourceTime = FileTimeToDateTime(entry.Info.LastWriteTime);
    CurrentName_ = entry.Name;
    // Only a copy and a rename use the lower-cased name; a removal goes by
    // the listed one.
    const bool removing = Mode == ModeRemoveTree || Mode == ModeDeleteFiles;
    ProcessFile(Folder, removing ? entry.Name : plat::LowerAnsi(entry.Name));
    CurrentName_.clear();
  }
}

void TFSCfgSearch::SearchFiles(const std::string& Folder, const std::string& Mask) {
  ProcessListedFiles(Folder, List(Folder + Mask));
}

void TFSCfgSearch::SearchTree(const std::string& Folder, const std::string& Mask) {
  if (Mode == ModeCopy) {
    if (StagedFinal_.empty() && !NoStaging_ && CopyIntoNewFolder(Folder, Mask)) return;
    ForceFolders(CopyTargetFolder(Folder));
  }
  WalkFolder(Folder, Mask);
}

bool TFSCfgSearch::CopyIntoNewFolder(const std::string& Folder, const std::string& Mask) {
  // A new folder appears whole or not at all: were the copy cut short, only
  // a hidden folder beside it would stay, never a target folder holding half
  // its files, nor a file holding half its data (which a later copy that
  // keeps newer targets would keep).  Its files need no temporary files of
  // their own.
  const std::string final = CopyTargetFolder(Folder);
  const std::string finalPath = winpath::ExcludeTrailingBackslash(final);
  const std::string parent = winpath::ExtractFilePath(finalPath);
  if (parent.empty() || parent.size() >= finalPath.size()) return false;  // a drive root
  if (plat::FolderExists(finalPath) || plat::FileExists(finalPath)) return false;
  ForceFolders(parent);
  std::string staged;
  if (!plat::MakeStagingFolder(parent, staged)) return false;

  StagedFinal_ = final;
  StagedAt_ = winpath::IncludeTrailingBackslash(staged);
  TargetOf_.clear();
  WalkFolder(Folder, Mask);
  StagedFinal_.clear();
  StagedAt_.clear();
  TargetOf_.clear();
  if (plat::RenameFile(staged, finalPath)) return true;

  // Something took the name meanwhile (another program made the folder):
  // copy into it as into any existing folder, then drop what was built (a
  // read-only copy, which a removal leaves, keeps the hidden folder).
  NoStaging_ = true;
  ForceFolders(final);
  WalkFolder(Folder, Mask);
  NoStaging_ = false;
  RemoveFolderTree(winpath::IncludeTrailingBackslash(staged));
  return true;
}

void RemoveFolderTree(const std::string& Folder) {
  TFSCfgSearch walker;
  walker.Mode = ModeRemoveTree;
  walker.SearchTree(Folder, "*.*");
  plat::RemoveEmptyFolder(winpath::ExcludeTrailingBackslash(Folder));
}

void TFSCfgSearch::WalkFolder(const std::string& Folder, const std::string& Mask) {
  // Only the names of the sub-folders are kept while the walk goes deeper,
  // so memory follows the largest folder, not the whole tree.
  std::vector<std::string> folders;
  {
    // One listing of the folder serves both its files and its sub-folders
    // when the mask takes every name: no mode changes the sub-folders of the
    // folder whose files it processes (a copy never writes into its source).
    // A scan for scenery folders looks at folders only.
    std::vector<plat::DirEntry> entries =
        Mode == ModeScanScenery ? plat::FindFolders(Folder + "*.*") : List(Folder + "*.*");
    if (Mode != ModeScanScenery) {
      if (Mask == "*.*")
        ProcessListedFiles(Folder, entries);
      else
        SearchFiles(Folder, Mask);
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
    SearchTree(Folder + name + "\\", Mask);
    if (Mode == ModeRemoveTree) {
      plat::RemoveEmptyFolder(Folder + name);
    } else if (Mode == ModeScanScenery && Owner != nullptr && plat::SameText(name, "scenery")) {
      const std::string relative = winpath::ExcludeTrailingBackslash(RelativeTo(SourceRoot, Folder));
      Owner->InsertLayer(relative, relative, -1);
    }
  }
}
