// Scenery tree operations of TLayrix: copy a folder tree, remove a layer's
// folder tree, add new scenery folders as layers, switch BGL files off and on;
// and the content filter of the BGL switch.
//
// Copy and removal delete and overwrite users' files, so they refuse, without
// a word, every request that would destroy what they are not meant to touch:
// a removal of a drive root, of the simulator folder or anything holding it,
// of the "Addon Scenery" folder; a copy into its own source tree, and a copy
// that would first empty one of those protected folders.
#include <string>
#include <vector>

#include "platform/winpath.h"
#include "scenery/LbFS.h"

namespace {

// A full Windows path split into its drive (or UNC root) and its components.
struct PathParts {
  std::string Drive;
  std::vector<std::string> Components;
};

// False when the path cannot be made full.
bool SplitFullPath(const std::string& path, PathParts& parts) {
  const std::string full = plat::FullPath(path);
  if (full.empty()) return false;
  parts.Drive = winpath::DriveOf(full);
  parts.Components = winpath::SplitComponents(std::string_view(full).substr(parts.Drive.size()));
  return true;
}

// True when `inner` is `outer` or lies inside it, component by component,
// ignoring case.
bool IsSameOrInside(const PathParts& inner, const PathParts& outer) {
  if (!plat::SameText(inner.Drive, outer.Drive)) return false;
  if (inner.Components.size() < outer.Components.size()) return false;
  for (size_t i = 0; i < outer.Components.size(); ++i)
    if (!plat::SameText(inner.Components[i], outer.Components[i])) return false;
  return true;
}

bool IsSamePath(const PathParts& a, const PathParts& b) {
  return a.Components.size() == b.Components.size() && IsSameOrInside(a, b);
}

// `Path` completed by the simulator folder when it is relative.
std::string Absolute(const std::string& FSPath, const std::string& Path) {
  return IsRelativePath(Path) ? FSPath + Path : Path;
}

bool IsFolderLink(const std::string& Folder) {
  plat::FileInfo info;
  const uint32_t link = plat::kAttrDirectory | plat::kAttrReparsePoint;
  return plat::GetFileInfo(winpath::ExcludeTrailingBackslash(Folder), info) &&
         (info.Attributes & link) == link;
}

// True when removing the tree at `Folder` could destroy more than one
// layer's scenery: a drive root, the simulator folder, a folder holding it,
// or the simulator's "Addon Scenery" folder, however they are written.
bool IsProtectedFolder(const std::string& FSPath, const std::string& Folder) {
  PathParts target;
  if (!SplitFullPath(Folder, target)) return true;
  if (target.Components.empty()) return true;
  if (FSPath.empty()) return false;
  PathParts simulator, addons;
  if (!SplitFullPath(FSPath, simulator)) return true;
  if (IsSameOrInside(simulator, target)) return true;
  if (SplitFullPath(winpath::IncludeTrailingBackslash(FSPath) + "Addon Scenery", addons) &&
      IsSamePath(target, addons))
    return true;
  return false;
}

// Content elements selected by each bit of the user's filter, lowest bit first.
constexpr uint32_t Elements(int a, int b = -1) {
  return (uint32_t{1} << a) | (b >= 0 ? uint32_t{1} << b : 0);
}
constexpr uint32_t kFilterBitElements[14] = {
    Elements(4, 14),   // 1     airport/facilities
    Elements(0, 15),   // 2     VOR
    Elements(6, 16),   // 4     NDB
    Elements(2, 21),   // 8     static scenery
    Elements(7),       // 16    dynamic scenery (FS6/7)
    Elements(3, 23),   // 32    model/library
    Elements(1),       // 64    seeds (FS6)
    Elements(8),       // 128   miscellaneous (FS6/7)
    Elements(11, 24),  // 256   exclusion
    Elements(17),      // 512   FS9 marker
    Elements(19),      // 1024  FS9/10 waypoint
    Elements(13),      // 2048  FS9/10 traffic
    Elements(12),      // 4096  VTP/LWM/LC/photo terrain
    Elements(26),      // 8192  FS10 vector
};

}  // namespace

uint32_t FilterToContentFlags(int32_t Filter) {
  uint32_t flags = 0;
  for (int bit = 0; bit < 14; ++bit)
    if ((Filter & (int32_t{1} << bit)) != 0) flags |= kFilterBitElements[bit];
  return flags;
}

bool ContentFlagsMatch(uint32_t Flags, uint32_t Mask) { return (Flags & Mask) != 0; }

void TLayrix::CopyTree(const std::string& Source, const std::string& Dest, int32_t Overwrite) {
  if (Source.empty() || Dest.empty()) return;
  const std::string sourceRoot = Absolute(FSPath, winpath::IncludeTrailingBackslash(Source));
  const std::string destRoot = Absolute(FSPath, winpath::IncludeTrailingBackslash(Dest));
  if (!plat::FolderExists(sourceRoot)) return;

  // A destination inside the source would be walked into while it is being
  // made; with overwrite 3 a source inside the destination would be emptied
  // before it is copied.
  PathParts source, dest;
  if (!SplitFullPath(sourceRoot, source) || !SplitFullPath(destRoot, dest)) return;
  if (IsSameOrInside(dest, source)) return;
  if (Overwrite == 3 && IsSameOrInside(source, dest)) return;
  // Emptying the destination first must not empty more than one layer's
  // folder: not a drive root, the simulator folder or anything holding it,
  // nor the "Addon Scenery" folder that holds every add-on.
  if (Overwrite == 3 && IsProtectedFolder(FSPath, destRoot)) return;

  TFSCfgSearch walker;
  walker.SourceRoot = sourceRoot;
  walker.DestRoot = destRoot;
  if (Overwrite == 3 && !IsFolderLink(destRoot)) {
    walker.Mode = ModeDeleteFiles;
    walker.SearchTree(destRoot, "*.*");
  }
  walker.Mode = ModeCopy;
  walker.Overwrite = Overwrite;
  walker.SearchTree(sourceRoot, "*.*");
}

void TLayrix::RemoveLayerTree(int32_t Layer) {
  if (Layer == -1) Layer = LastLayer;
  const int32_t index = IndexOfLayer(Layer);
  if (index < 0) return;
  RemoveAreaTree(static_cast<size_t>(index));
}

void TLayrix::RemoveAreaTree(size_t Index) {
  if (!IsAreaEntry(Index)) return;
  const TFSScnLayer* layer = Sections[Index].Layer.get();
  if (layer->Required) return;
  if (layer->Local.empty() || plat::SameText(layer->Local, "Addon scenery")) return;

  const std::string folder = winpath::IncludeTrailingBackslash(Absolute(FSPath, layer->Local));
  if (IsProtectedFolder(FSPath, folder)) return;
  // A layer folder that is a link to a folder elsewhere is not walked.
  if (IsFolderLink(folder)) return;

  RemoveFolderTree(folder);
}

void TLayrix::AddNewScenery(const std::string& Path) {
  TFSCfgSearch walker;
  walker.Mode = ModeScanScenery;
  walker.SourceRoot = FSPath;
  walker.Owner = this;
  walker.SearchTree(winpath::IncludeTrailingBackslash(Absolute(FSPath, Path)), "*.*");
}

void TLayrix::RenameBglFiles(int32_t Layer, int32_t Version, int32_t Filter,
                             const std::string& OldExt, const std::string& NewExt) {
  if (Layer == -1) Layer = LastLayer;
  const int32_t index = IndexOfLayer(Layer);
  if (index < 0) return;
  const TFSScnLayer* layer = Sections[static_cast<size_t>(index)].Layer.get();
  // A layer without a folder has no files to switch.
  if (layer == nullptr || layer->Local.empty()) return;

  TFSCfgSearch walker;
  walker.Mode = ModeRenameBgl;
  walker.VersionFilter = Version;
  walker.ContentMask = FilterToContentFlags(Filter);
  walker.SourceRoot = NewExt;
  const std::string folder =
      Absolute(FSPath, winpath::IncludeTrailingBackslash(layer->Local) + "scenery\\");
  walker.SearchFiles(folder, "*" + OldExt);
}
