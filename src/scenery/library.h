// The scenery library: scenery.cfg in memory for one run.  It is located,
// locked (library_lock.h) and loaded when a run starts, changed by the layer
// operations and the tree operations, and saved once at the end when anything
// changed.
//
// Its parts live in several files behind this header:
//   library_file.cpp    locating, loading and saving
//   library_layers.cpp  layer operations: find, sort, move, insert, delete,
//                       activate, toggle
//   library_trees.cpp   tree operations: copy a folder tree, remove a layer's
//                       folder, scan for new scenery, switch BGL files; and
//                       whether an area's folder is there
//
// May use: base/, platform/, formats/, walk/, bgl/ and the rest of scenery/.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formats/profile.h"
#include "scenery/area.h"
#include "base/problems.h"
#include "scenery/install_locator.h"

class SceneryLibrary {
 public:
  // An empty library, not yet tied to an installation.
  SceneryLibrary() = default;
  SceneryLibrary(const SceneryLibrary&) = delete;
  SceneryLibrary& operator=(const SceneryLibrary&) = delete;

  // Full path of the scenery.cfg in use; empty when none was found.
  std::string ConfigPath;
  // The simulator's program folder, ending in a backslash: the base of
  // relative scenery folders.
  std::string SimulatorFolder;
  // The simulator served; nullopt until Locate found one.
  std::optional<Simulator> Served;
  // The sections in file order (until SortLayers reorders them).
  std::vector<Section> Sections;
  // True when the library in memory differs from the file.
  bool Modified = false;
  // The layer number found by the last find, which the next operation given
  // layer -1 uses once: -1 when a run starts (no layer found yet), once used,
  // or when a find found nothing.
  int32_t LastLayer = -1;
  // How scenery.cfg is read when it has no byte-order mark: UTF-8 for the
  // simulators that write it so (Locate sets it), else code page 1252.
  profile::Unmarked UnmarkedEncoding = profile::Unmarked::CodePage1252;
  // The encoding the file was read in, and is written back in (a byte-order
  // mark is kept).
  profile::Encoding FileEncoding = profile::Encoding::CodePage1252;
  // Where the tree operations tell refusals and faults; none are told when
  // null.
  Notices* Report = nullptr;

  // Finds the installation to serve (LocateInstall with `choice`): sets
  // SimulatorFolder and ConfigPath, and leaves ConfigPath empty when no
  // scenery.cfg is there.  Loads nothing, so that a run can lock the library
  // first.  Throws FatalError on a registry value of the wrong type or an
  // unknown simulator name; tells a registry that cannot be read to Report.
  void Locate(const InstallChoice& choice);
  // Why Locate found no scenery.cfg (WhyNoLibrary); empty when it found one.
  std::string NotFoundBecause;

  // Loading and saving.
  void LoadFromFile(const std::string& fileName);  // throws FatalError
  void LoadFromText(const std::string& bytes);     // the same, from bytes
  std::string SaveToText() const;                  // the written form
  // Writes the library to `fileName` (empty: ConfigPath), with `backup` a
  // copy of the file before ("scenery.~cfg" beside it) first.  A backup that
  // cannot be made, or a file that cannot be written, throws FatalError
  // naming it; nothing is written then, and the old file stays.
  // `beforeWriting` (when given) is handed the new text once the target is
  // known to be writable, before the backup or anything else is written; a
  // FatalError of it stops the save there.
  void SaveToFile(const std::string& fileName, bool backup,
                  const std::function<void(const std::string& text)>& beforeWriting = nullptr);
  // The writing half of SaveToFile: replaces `target` with `text` in the
  // same steps (read-only refused first, then `beforeWriting`, the backup
  // and the whole-file write), for bytes that come from elsewhere (-undo).
  static void ReplaceLibraryFile(const std::string& target, const std::string& text, bool backup,
                                 const std::function<void()>& beforeWriting = nullptr);

  // Layer operations.  A layer argument of -1 stands for LastLayer, except
  // for ActivateLayer and InsertLayer (where -1 means "on top of all").
  // FindLayerByPath finds the first area whose folder is the folder `path`
  // names, however either is written (folder_match.h); a relative `path`
  // names a folder below SimulatorFolder, or, when there is none there, one
  // below the current folder.  It drops one trailing backslash of `path`,
  // also for the caller.
  int32_t FindLayerByPath(std::string& path, bool activate);
  int32_t FindLayerByTitle(const std::string& title, bool activate);
  // Renumbers the areas in the order of their layer numbers (areas of one
  // number in list order) and names each section after its new number.
  // Each area stays on its side of every number of `componentLayers`
  // (sorted: the layers of the add-on package components that stand among
  // the areas, below an area of the same number): the areas get 1..N where
  // that keeps every side, else the smallest numbers that do.
  void SortLayers(const std::vector<int32_t>& componentLayers);
  // The same with the components of the served simulator's packages.
  void SortLayers();
  void MoveLayerDown(int32_t layer);
  void MoveLayerUp(int32_t layer);
  // What InsertLayer did: added the area, or why it added none.
  enum class InsertOutcome {
    Added,
    ListedAlready,    // an area lists the folder (ListedAt), in any spelling
    NoSceneryFolder,  // the folder has no "scenery" sub-folder
    SimulatorFolder,  // the folder is the simulator folder itself
    CannotName,       // the file's encoding cannot hold the folder's name (told to Report)
  };
  struct Insertion {
    InsertOutcome Outcome = InsertOutcome::Added;
    long ListedAt = -1;  // the list position of the area that lists the folder
  };
  // A new area for `path`; `layer` -1 puts it one above every area and
  // every number of `componentLayers` (sorted, as for SortLayers).
  Insertion InsertLayer(const std::string& path, const std::string& title, int32_t layer,
                        const std::vector<int32_t>& componentLayers);
  // The same with the components of the served simulator's packages, which
  // are looked for only when an area is added with `layer` -1.
  Insertion InsertLayer(const std::string& path, const std::string& title, int32_t layer);
  // The layer numbers of the scenery components of the served simulator's
  // add-on packages that carry one (a <Layer>), sorted; empty for a
  // simulator that keeps no packages.  Problems with the packages are told
  // to Report.
  std::vector<int32_t> PackageComponentLayers() const;
  bool DeleteLayer(int32_t layer);
  bool DeleteLayerByTitle(const std::string& title);
  void DeleteInactiveLayers();
  void ActivateLayer(int32_t layer);
  void ToggleLayer(int32_t layer);
  // "Area." and the number in at least three digits ("Area.007").
  static std::string AreaSectionName(int32_t number);
  // The lowest area number whose section name is not in use.
  int32_t NextFreeAreaNumber() const;
  // The list position of the first area with that layer number, or -1.
  // Clears LastLayer.
  int32_t IndexOfLayer(int32_t layer);
  // The same without clearing LastLayer: the list position of the first area
  // with that layer number, or of the first titled `title` (letter case
  // aside), or -1.
  long FindAreaByLayer(int32_t layer) const;
  long FindAreaByTitle(const std::string& title) const;
  // The list position of the first area whose folder is `folder` (as stored
  // in the library: relative to SimulatorFolder or full), or -1.
  long FindAreaByFolder(const std::string& folder) const;
  // Every area above `layer` goes down by one.
  void CloseLayerGap(int32_t layer);
  // Removes the entry at a list position as the deletions do: closes the gap
  // of its layer number when `closeGap`, sets Modified.
  void RemoveEntryAt(size_t index, bool closeGap);
  // The check of "-x": hands `report`, in file order, a line for each area
  // whose folder (or its "scenery" sub-folder) is missing (never said of a
  // required one) or whose layer number is below 1 or above the number of
  // entries.  With `autoRemove` an area whose folder is missing is removed
  // as soon as it is reported, and the areas after it are checked as they
  // then stand; Report is told of each one removed, and of each required
  // area kept though its folder is missing.
  void CheckAreas(bool autoRemove, const std::function<void(const std::string&)>& report);

  // `text` as the file can hold it: unchanged in a UTF-8 or UTF-16 file; in
  // a code page 1252 file each character without a 1252 form becomes '?',
  // and is added to `lost` (when given).
  std::string AsStored(const std::string& text, std::u32string* lost = nullptr) const;
  // Tells Report that the `what` ("title", "folder") `given` lost the
  // characters `lost` and is stored as `stored`; nothing when none was lost.
  void TellLost(const char* what, const std::string& given, const std::string& stored,
                const std::u32string& lost);
  // "東 (U+6771), 京 (U+4EAC)": characters a code page 1252 file lost, each
  // also by its number, which a log in code page 1252 keeps.
  static std::string LettersNamed(const std::u32string& letters);

  // True for the General section's name ("general" in any letter case).
  static bool IsGeneralName(const std::string& name);
  // True for an entry that carries a record and is not the General section.
  bool IsAreaEntry(size_t index) const;

  // For each of `areas`, in their order: true when the area's folder (below
  // SimulatorFolder when it is relative) exists and holds a "scenery"
  // sub-folder, which the simulator needs to find its files.  As a rule one
  // look at the disk per area, the sub-folder's.
  std::vector<bool> HaveSceneryFolders(const std::vector<const Area*>& areas) const;

  // Tree operations.
  void CopyTree(const std::string& source, const std::string& dest, int32_t overwrite);
  // A removal is refused when the folder holds the folder of another listed
  // area somewhere below it.
  void RemoveLayerTree(int32_t layer);
  // The same for the area at a list position: several areas can carry one
  // layer number, a position names exactly one.  LastLayer is left as it is.
  void RemoveAreaTree(size_t index);
  // "-rf": removes the folder tree of the area that FindLayerByPath finds
  // for `path` (without activating it), which loses one trailing
  // backslash.  Returns the layer number found, or -1 when no area lists
  // that folder (nothing is removed then).  LastLayer ends at -1.
  int32_t RemoveListedFolderTree(std::string& path);
  void AddNewScenery(const std::string& path);
  void RenameBglFiles(int32_t layer, int32_t version, int32_t filter, const std::string& oldExt,
                      const std::string& newExt);

 private:
  // InsertLayer with the component layers `componentLayers` holds, or, when
  // it holds none, those of PackageComponentLayers, looked for (and kept
  // there) only when an area is added on top.
  Insertion InsertArea(const std::string& path, const std::string& title, int32_t layer,
                       std::optional<std::vector<int32_t>>& componentLayers);
  // Tells that `what` (a tree operation) was refused, and why.
  void Refuse(const std::string& what, const std::string& why);
  // The list position of the first area FindLayerByPath finds for `path`,
  // or -1; sets LastLayer as the find does.
  long FindAreaForCommand(std::string& path);
  // Why emptying or removing `folder` would destroy the scenery of other
  // layers: "it holds the folder of layer 1 'Default Terrain' and 28 others";
  // "" when no listed area's folder lies below it.
  std::string LayersInsideBecause(const std::string& folder) const;
};
