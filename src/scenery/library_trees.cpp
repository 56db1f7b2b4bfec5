// Tree operations of the scenery library: copy a folder tree, remove a
// layer's folder tree, add new scenery folders as layers, switch BGL files
// off and on.  Each sets up one TreeWalker and runs it.  And the test of
// whether an area's folder is there, which the check and the listing share.
//
// Copy and removal delete and overwrite users' files, so they refuse every
// request that would destroy what they are not meant to touch: a removal of
// a required layer, of a drive root, of the simulator folder or anything
// holding it, of the "Addon Scenery" folder, of a folder that holds another
// listed layer's folder, of a folder that is, holds or lies inside an add-on
// package's or one of its scenery components', of a link to a folder; a copy
// into its own source tree, and a copy that would first empty one of those
// protected folders.  A refusal changes nothing and is told as a note.  A
// folder on a drive that is not there is missing: nothing is removed from
// it or copied to it, and a note says so.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bgl/content_filter.h"
#include "platform/winpath.h"
#include "scenery/addon_packages.h"
#include "scenery/folder_match.h"
#include "scenery/library.h"
#include "walk/tree_walker.h"

namespace {

// Why the "Addon Scenery" folder is never removed or emptied.
constexpr const char* kAddonSceneryFolder =
    "it is the 'Addon Scenery' folder, which holds every add-on";

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

// `path` completed by the simulator folder when it is relative.
std::string Absolute(const std::string& simulatorFolder, const std::string& path) {
  return winpath::IsRelativePath(path) ? simulatorFolder + path : path;
}

bool IsFolderLink(const std::string& folder) {
  plat::FileInfo info;
  const uint32_t link = plat::kAttrDirectory | plat::kAttrReparsePoint;
  return plat::GetFileInfo(winpath::ExcludeTrailingBackslash(folder), info) &&
         (info.Attributes & link) == link;
}

// `folder` as it is told to the user: full, without a trailing backslash
// except for a drive root.
std::string Shown(const std::string& folder) {
  return winpath::FullFolder(folder, plat::FullPath, true);
}

// Why removing the tree at `folder` could destroy more than one layer's
// scenery, or "" when it cannot: a drive root, the simulator folder, a
// folder holding it, or the simulator's "Addon Scenery" folder, however they
// are written.
std::string ProtectedBecause(const std::string& simulatorFolder, const std::string& folder) {
  PathParts target;
  if (!SplitFullPath(folder, target)) return "its full path cannot be told";
  if (target.Components.empty()) return "it is a drive root";
  if (simulatorFolder.empty()) return "";
  PathParts simulator, addons;
  if (!SplitFullPath(simulatorFolder, simulator)) return "the simulator's folder cannot be told";
  if (IsSamePath(simulator, target)) return "it is the simulator's folder";
  if (IsSameOrInside(simulator, target)) return "it holds the simulator";
  if (SplitFullPath(winpath::IncludeTrailingBackslash(simulatorFolder) + "Addon Scenery", addons) &&
      IsSamePath(target, addons))
    return kAddonSceneryFolder;
  return "";
}

// Why no folder can be made at `folder`, or "": a component that is a
// device name or holds a character Windows forbids in names, or a file
// where the folder would be.
std::string NoFolderPossibleBecause(const std::string& folder) {
  const std::string full = plat::FullPath(folder);
  if (full.empty() || winpath::IsUncPath(full)) return "no folder can have that name";
  for (const std::string& component :
       winpath::SplitComponents(std::string_view(full).substr(winpath::DriveOf(full).size()))) {
    if (winpath::IsDeviceName(component)) return component + " is the name of a device";
    if (winpath::HasForbiddenCharacter(component)) return "no folder can have that name";
  }
  if (plat::FileExists(winpath::ExcludeTrailingBackslash(folder))) return "it is a file, not a folder";
  return "";
}

// The drive of `folder` ("D:") when the host has no such drive, else "".
// A folder on an unplugged drive is a missing folder, not a fault.
std::string MissingDrive(const std::string& folder) {
  const std::string drive = winpath::DriveOf(plat::FullPath(folder));
  if (drive.size() != 2 || drive[1] != ':' || plat::FolderExists(drive + "\\")) return "";
  return std::string(1, static_cast<char>(drive[0] & ~0x20)) + ":";
}

// Why removing or emptying the tree at `folder` would destroy an add-on
// package's files, or "": `folder` is, holds, or lies inside the folder of
// a package or of one of its scenery components.  Packages belong to the
// user's package manager; no command changes them.
std::string PackageBecause(std::optional<Simulator> simulator, const std::string& simulatorFolder,
                           const std::string& folder) {
  if (!simulator || !FactsOf(*simulator).PackagesProduct) return "";
  const std::string target = FullFolder(simulatorFolder, folder);
  if (target.empty()) return "";
  // The packages' problems are the listing's and the check's to tell, not
  // a removal's.
  const AddonPackages packages = FindAddonPackages(simulator, nullptr);
  // How `target` stands to `other`, or "" when apart.
  const auto relation = [&target](const std::string& other) -> std::string {
    const std::string full = FullFolder(std::string(), other);
    if (IsSameFolder(target, full)) return "it is the folder of ";
    if (IsInsideFolder(full, target)) return "it holds the folder of ";
    if (IsInsideFolder(target, full)) return "it lies inside the folder of ";
    return "";
  };
  for (const AddonPackage& package : packages.Packages) {
    const std::string named =
        "the add-on package '" + package.Title + "' (" + package.DescriptionFile() + ")";
    if (std::string how = relation(package.Folder); !how.empty()) return how + named;
    for (const SceneryComponent& component : package.Scenery)
      if (std::string how = relation(component.Folder); !how.empty())
        return how + "the scenery component '" + component.Name + "' of " + named;
  }
  // A package whose description cannot be read is not among those found,
  // but its folder is a package's all the same.
  const std::string ownDescription = winpath::IncludeTrailingBackslash(target) + "add-on.xml";
  if (plat::FileExists(ownDescription))
    return "it is the folder of an add-on package (" + ownDescription + ")";
  return "";
}

}  // namespace

std::vector<bool> SceneryLibrary::HaveSceneryFolders(const std::vector<const Area*>& areas) const {
  // A "scenery" folder inside it shows that the folder is there.  Only a
  // path that the full-path rule may read otherwise at its end than inside
  // ("..", trailing dots or blanks, a drive alone, a device name) is looked
  // at by itself as well.
  // One text serves every area: the folder, then its "scenery" folder.
  std::vector<bool> found(areas.size());
  std::string path;
  for (size_t i = 0; i < areas.size(); ++i) {
    const std::string& local = areas[i]->Local;  // made absolute as Absolute does
    const bool relative = winpath::IsRelativePath(local);
    path.assign(relative ? SimulatorFolder : local);
    if (relative) path += local;
    const size_t folderSize = path.size();
    path += "\\scenery";
    if (!plat::FolderExists(path)) continue;
    path.resize(folderSize);
    found[i] = winpath::IsPlainFullPath(path) || plat::FolderExists(path);
  }
  return found;
}

void SceneryLibrary::Refuse(const std::string& what, const std::string& why) {
  if (Report) Report->Note("refused to " + what + ": " + why);
}

std::string SceneryLibrary::LayersInsideBecause(const std::string& folder) const {
  // A layer's own folder, also when a second area lists it, is not inside.
  const std::string outer = FullFolder(SimulatorFolder, folder);
  // Below the simulator folder the keys of most folders come from their
  // text alone, and a folder inside `folder` has a key that begins with its
  // key: only those are made full and compared.
  const FolderKeys keys(SimulatorFolder);
  const bool outerBelow = !keys.TextBelow(outer).empty();
  const std::string outerKey = keys.OfFullForm(outer) + '\\';
  const Area* first = nullptr;
  size_t count = 0;
  for (size_t i = 0; i < Sections.size(); ++i) {
    if (!IsAreaEntry(i)) continue;
    const Area& area = *Sections[i].Record;
    const auto full = [&] { return FullFolder(SimulatorFolder, area.Local); };
    if (outerBelow && keys.Of(area.Local, full).compare(0, outerKey.size(), outerKey) != 0) continue;
    if (!IsInsideFolder(full(), outer)) continue;
    if (count++ == 0) first = &area;
  }
  if (count == 0) return "";
  std::string why = "it holds the folder of layer " + std::to_string(first->Layer) + " '" +
                    first->Title + "'";
  if (count == 2) why += " and 1 other";
  if (count > 2) why += " and " + std::to_string(count - 1) + " others";
  return why;
}

void SceneryLibrary::CopyTree(const std::string& sourceFolder, const std::string& destFolder,
                              int32_t overwrite) {
  if (sourceFolder.empty() || destFolder.empty()) return;
  const std::string sourceRoot =
      Absolute(SimulatorFolder, winpath::IncludeTrailingBackslash(sourceFolder));
  const std::string destRoot = Absolute(SimulatorFolder, winpath::IncludeTrailingBackslash(destFolder));
  if (!plat::FolderExists(sourceRoot)) return;
  // Paths are told in their full form, as the user can look them up.
  const std::string destPath = Shown(destRoot);

  // A destination on a drive that is not there (unplugged) takes nothing.
  if (const std::string drive = MissingDrive(destRoot); !drive.empty()) {
    if (Report) Report->Note("copied nothing to " + destPath + ": there is no drive " + drive);
    return;
  }
  // A destination that cannot be a folder takes nothing: a fault, told once.
  const std::string impossible = NoFolderPossibleBecause(destRoot);
  if (!impossible.empty()) {
    if (Report) Report->Fault("cannot copy into " + destPath + ": " + impossible);
    return;
  }
  // A destination inside the source would be walked into while it is being
  // made; with overwrite 3 a source inside the destination would be emptied
  // before it is copied.
  PathParts source, dest;
  if (!SplitFullPath(sourceRoot, source) || !SplitFullPath(destRoot, dest)) return;
  const std::string what = "copy " + Shown(sourceRoot) + " to " + destPath;
  if (IsSameOrInside(dest, source))
    return Refuse(what, "the destination lies inside the source");
  if (overwrite == 3 && IsSameOrInside(source, dest))
    return Refuse(what, "the source lies inside the destination, which would be emptied first");
  // Emptying the destination first must not empty more than one layer's
  // folder: not a drive root, the simulator folder or anything holding it,
  // nor the "Addon Scenery" folder that holds every add-on.
  // Nor a folder that holds the folders of other layers below it.
  if (overwrite == 3) {
    std::string protection = ProtectedBecause(SimulatorFolder, destRoot);
    if (protection.empty()) protection = PackageBecause(Served, SimulatorFolder, destRoot);
    if (protection.empty()) protection = LayersInsideBecause(destRoot);
    if (!protection.empty()) return Refuse(what + " emptying it first", protection);
  }

  TreeWalker walker;
  walker.Report = Report;
  walker.SourceRoot = sourceRoot;
  walker.DestRoot = destRoot;
  if (overwrite == 3 && !IsFolderLink(destRoot)) {
    walker.Mode = WalkMode::DeleteFiles;
    walker.WalkTree(destRoot, "*.*");
    if (walker.KeptReadOnly() > 0 && Report)
      Report->Note("kept " + ReadOnlyFiles(walker.KeptReadOnly()) + " in " + destPath);
  }
  walker.Mode = WalkMode::Copy;
  walker.Overwrite = overwrite;
  const int keptBefore = walker.KeptReadOnly();
  walker.WalkTree(sourceRoot, "*.*");
  const int notReplaced = walker.KeptReadOnly() - keptBefore;
  if (notReplaced > 0 && Report)
    Report->Note("did not replace " + ReadOnlyFiles(notReplaced) + " in " + destPath);
}

void SceneryLibrary::RemoveLayerTree(int32_t layer) {
  if (layer == -1) layer = LastLayer;
  const int32_t index = IndexOfLayer(layer);
  if (index < 0) return;
  RemoveAreaTree(static_cast<size_t>(index));
}

void SceneryLibrary::RemoveAreaTree(size_t index) {
  if (!IsAreaEntry(index)) return;
  const Area& area = *Sections[index].Record;
  if (area.Local.empty()) return;
  const std::string folder = winpath::IncludeTrailingBackslash(Absolute(SimulatorFolder, area.Local));
  const std::string what = "remove " + Shown(folder);
  if (area.Required) return Refuse(what, "it is a required layer");
  if (plat::SameText(area.Local, "Addon scenery"))
    return Refuse(what, kAddonSceneryFolder);
  // A folder on a drive that is not there (unplugged) is a missing folder.
  if (const std::string drive = MissingDrive(folder); !drive.empty()) {
    if (Report)
      Report->Note("removed nothing: " + Shown(folder) + " is on drive " + drive + ", which is not there");
    return;
  }
  std::string protection = ProtectedBecause(SimulatorFolder, folder);
  if (protection.empty()) protection = PackageBecause(Served, SimulatorFolder, folder);
  // A folder that holds other layers' folders (the simulator's "Scenery"
  // folder, an add-on pack with areas of its own) is more than one layer's.
  if (protection.empty()) protection = LayersInsideBecause(folder);
  if (!protection.empty()) return Refuse(what, protection);
  // A layer folder that is a link to a folder elsewhere is not walked.
  if (IsFolderLink(folder)) return Refuse(what, "it is a link to a folder elsewhere");

  RemoveFolderTree(folder, Report);
}

int32_t SceneryLibrary::RemoveListedFolderTree(std::string& path) {
  const long index = FindAreaForCommand(path);
  const int32_t layer = LastLayer;
  // The area found is addressed by its position: an earlier area with the
  // same layer number would otherwise lose its folder instead.  The found
  // layer is used up, as a removal by number uses it up.
  LastLayer = -1;
  if (index < 0) return -1;
  RemoveAreaTree(static_cast<size_t>(index));
  return layer;
}

void SceneryLibrary::AddNewScenery(const std::string& path) {
  TreeWalker walker;
  walker.Mode = WalkMode::ScanScenery;
  walker.Report = Report;
  walker.SourceRoot = SimulatorFolder;
  // Each new area goes on top of the areas and package components: the
  // packages are looked for once for the whole scan, when it adds the first.
  std::optional<std::vector<int32_t>> componentLayers;
  walker.OnSceneryFolder = [this, &componentLayers](const std::string& folder) {
    InsertArea(folder, folder, -1, componentLayers);
  };
  walker.WalkTree(winpath::IncludeTrailingBackslash(Absolute(SimulatorFolder, path)), "*.*");
}

void SceneryLibrary::RenameBglFiles(int32_t layer, int32_t version, int32_t filter,
                                    const std::string& oldExt, const std::string& newExt) {
  if (layer == -1) layer = LastLayer;
  const int32_t index = IndexOfLayer(layer);
  if (index < 0) return;
  const Area* area = Sections[static_cast<size_t>(index)].Record.get();
  // A layer without a folder has no files to switch.
  if (area == nullptr || area->Local.empty()) return;

  TreeWalker walker;
  walker.Mode = WalkMode::RenameBgl;
  walker.Report = Report;
  walker.VersionFilter = version;
  walker.ContentMask = FilterToContentFlags(filter);
  walker.NewExtension = newExt;
  const std::string folder =
      Absolute(SimulatorFolder, winpath::IncludeTrailingBackslash(area->Local) + "scenery\\");
  walker.WalkFiles(folder, "*" + oldExt);
}
