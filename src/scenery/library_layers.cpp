// Layer list operations of SceneryLibrary: find, sort, move, insert, delete,
// activate and toggle areas in Sections.
//
// Layer and area numbers are 32-bit; arithmetic on them wraps like the
// file's own unsigned formatting (Area.4294967295 for -1) instead of
// overflowing.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/platform.h"
#include "platform/winpath.h"
#include "scenery/addon_packages.h"
#include "scenery/folder_match.h"
#include "scenery/library.h"

namespace {

int32_t Plus(int32_t value, int32_t delta) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}

std::string DropTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

// ------------------------------------------------------------ finds

long SceneryLibrary::FindAreaByFolder(const std::string& folder) const {
  // Compared as the file holds folders (a code page 1252 file holds '?' for
  // a character it has no form for).
  const std::string wanted = FullFolder(SimulatorFolder, AsStored(folder));
  if (wanted.empty()) return -1;
  // Most listed folders are plain relative ones, compared by their text
  // alone with the text of `folder` below the simulator folder; only the
  // others are made full.
  const FolderKeys keys(SimulatorFolder);
  const std::string below = keys.TextBelow(wanted);
  for (size_t i = 0; i < Sections.size(); ++i) {
    if (!IsAreaEntry(i)) continue;
    const std::string& local = Sections[i].Record->Local;
    if (keys.IsPlainBelow(local) ? !below.empty() && plat::SameText(local, below)
                                 : IsSameFolder(FullFolder(SimulatorFolder, local), wanted))
      return static_cast<long>(i);
  }
  return -1;
}

long SceneryLibrary::FindAreaForCommand(std::string& path) {
  LastLayer = -1;
  path = DropTrailingBackslash(path);
  // A relative folder is looked for below the simulator folder, as the
  // library reads it; one that is only below the current folder (which the
  // commands accept too) is that one.
  std::string folder = path;
  if (winpath::IsRelativePath(path) && !plat::FolderExists(SimulatorFolder + path)) {
    const std::string full = plat::FullPath(path);
    if (!full.empty() && plat::FolderExists(full)) folder = full;
  }
  const long index = FindAreaByFolder(folder);
  if (index >= 0) LastLayer = Sections[static_cast<size_t>(index)].Record->Layer;
  return index;
}

int32_t SceneryLibrary::FindLayerByPath(std::string& path, bool activate) {
  const long index = FindAreaForCommand(path);
  const int32_t result = LastLayer;
  if (index >= 0 && activate) ActivateLayer(result);
  return result;
}

long SceneryLibrary::FindAreaByTitle(const std::string& title) const {
  const std::string wanted = AsStored(title);  // as the file holds titles
  for (size_t i = 0; i < Sections.size(); ++i)
    if (IsAreaEntry(i) && plat::SameText(Sections[i].Record->Title, wanted))
      return static_cast<long>(i);
  return -1;
}

long SceneryLibrary::FindAreaByLayer(int32_t layer) const {
  for (size_t i = 0; i < Sections.size(); ++i)
    if (IsAreaEntry(i) && Sections[i].Record->Layer == layer) return static_cast<long>(i);
  return -1;
}

int32_t SceneryLibrary::FindLayerByTitle(const std::string& title, bool activate) {
  const long index = FindAreaByTitle(title);
  LastLayer = index >= 0 ? Sections[index].Record->Layer : -1;
  const int32_t result = LastLayer;
  if (index >= 0 && activate) ActivateLayer(result);
  return result;
}

int32_t SceneryLibrary::IndexOfLayer(int32_t layer) {
  LastLayer = -1;
  if (layer == -1) return -1;
  return static_cast<int32_t>(FindAreaByLayer(layer));
}

// ------------------------------------------------------------ names

std::string SceneryLibrary::AreaSectionName(int32_t number) {
  // "%03u" of the number as unsigned, without the cost of a format string
  // (a sort names every area).
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, static_cast<uint32_t>(number));
  const size_t length = static_cast<size_t>(result.ptr - digits);
  std::string name = "Area.";
  if (length < 3) name.append(3 - length, '0');
  name.append(digits, length);
  return name;
}

int32_t SceneryLibrary::NextFreeAreaNumber() const {
  // Only names of exactly the form Area.NNN block a number: "Area." in any
  // letter case (no other character of the code page folds to one of its
  // letters), then the digits of the number as "%03u" writes them.  Of the
  // other folds of the comparison only the soft hyphen, which it ignores,
  // can turn another name into that form.  The lowest free number is at
  // most one more than the number of sections, so only those are marked.
  std::vector<bool> blocked(Sections.size() + 2, false);
  std::string cleaned;
  for (const Section& entry : Sections) {
    std::string_view name = entry.Name;
    if (name.find('\xAD') != std::string_view::npos) {
      cleaned.assign(name);
      std::erase(cleaned, '\xAD');
      name = cleaned;
    }
    if (name.size() < 8) continue;
    bool prefix = true;
    for (size_t k = 0; k < 5 && prefix; ++k) prefix = (name[k] | 0x20) == "area."[k];
    if (!prefix || name[4] != '.') continue;
    const std::string_view digits = name.substr(5);
    if (digits.size() > 10 || (digits.size() > 3 && digits[0] == '0')) continue;
    uint64_t value = 0;
    bool allDigits = true;
    for (char c : digits) {
      if (c < '0' || c > '9') {
        allDigits = false;
        break;
      }
      value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (allDigits && value < blocked.size()) blocked[value] = true;
  }
  int32_t number = 1;
  while (blocked[static_cast<size_t>(number)]) ++number;
  return number;
}

// ------------------------------------------------------------ order

namespace {

// An area's layer number as an unsigned key of the same order.
uint32_t LayerOrderKey(int32_t layer) { return static_cast<uint32_t>(layer) ^ 0x80000000u; }

struct AreaKey {
  uint32_t Key;
  uint32_t Index;
};

// A stable sort of `keys` by Key in three passes of eleven bits: linear in
// the number of areas.
void SortByKey(std::vector<AreaKey>& keys) {
  std::vector<AreaKey> buffer(keys.size());
  for (unsigned shift = 0; shift < 32; shift += 11) {
    std::vector<uint32_t> start(2049, 0);
    for (const AreaKey& k : keys) ++start[((k.Key >> shift) & 0x7FF) + 1];
    for (size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
    for (const AreaKey& k : keys) buffer[start[(k.Key >> shift) & 0x7FF]++] = k;
    keys.swap(buffer);
  }
}

// The numbers areas get when they are renumbered in stacking order: given
// their layer numbers in that order (ascending), the smallest ascending
// numbers, from 1 on, that keep each area on its side of every component
// layer (an area stands above a component of its own number).  Without
// components that is 1..N.  Areas of one number get numbers of their own
// unless a component leaves no room between: then an area shares the
// number of the area below it, as the two shared one before.
std::vector<int32_t> StackNumbers(const std::vector<int32_t>& layers,
                                  const std::vector<int32_t>& componentLayers) {
  std::vector<int32_t> numbers;
  numbers.reserve(layers.size());
  size_t below = 0;  // the components at or under the current area's number
  int64_t previous = 0;
  for (size_t k = 0; k < layers.size(); ++k) {
    const int64_t layer = layers[k];
    while (below < componentLayers.size() && componentLayers[below] <= layer) ++below;
    const int64_t lowest = below > 0 ? componentLayers[below - 1] : INT64_MIN;
    const int64_t ceiling = below < componentLayers.size() ? componentLayers[below] : INT64_MAX;
    int64_t number = std::max<int64_t>(k > 0 ? previous + 1 : 1, lowest);
    if (number >= ceiling) number = k > 0 ? std::max(previous, ceiling - 1) : ceiling - 1;
    previous = number;
    numbers.push_back(static_cast<int32_t>(std::min<int64_t>(number, INT32_MAX)));
  }
  return numbers;
}

}  // namespace

void SceneryLibrary::SortLayers() { SortLayers(PackageComponentLayers()); }

void SceneryLibrary::SortLayers(const std::vector<int32_t>& componentLayers) {
  // The areas keep their stacking order: they are ordered by their layer
  // numbers as numbers (so a library of a thousand areas and more keeps
  // Area.1000 above Area.999), areas of equal number in their list order,
  // so that the result is the same everywhere.  The few other sections (the
  // General section) are sorted apart by name and each put before the first
  // area whose name Area.NNN it sorts before as text: the General section
  // ends up last.
  std::vector<AreaKey> areas;
  std::vector<uint32_t> others;
  areas.reserve(Sections.size());
  for (size_t i = 0; i < Sections.size(); ++i) {
    if (IsAreaEntry(i))
      areas.push_back({LayerOrderKey(Sections[i].Record->Layer), static_cast<uint32_t>(i)});
    else
      others.push_back(static_cast<uint32_t>(i));
  }
  SortByKey(areas);
  std::stable_sort(others.begin(), others.end(), [this](uint32_t a, uint32_t b) {
    return plat::CompareTextOrder(Sections[a].Name, Sections[b].Name) < 0;
  });

  std::vector<uint32_t> order;
  order.reserve(Sections.size());
  size_t nextArea = 0;
  for (uint32_t other : others) {
    // Before the first area it sorts before; an equal name goes by the
    // sections' first order.  A name at or after "Area.:" (':' follows the
    // digits) goes after every area, as "General" does, without a look at
    // each.
    const bool afterAll = plat::CompareTextOrder(Sections[other].Name, "Area.:") >= 0;
    const auto first = afterAll ? areas.end() : std::find_if(
        areas.begin() + static_cast<ptrdiff_t>(nextArea), areas.end(), [&](const AreaKey& area) {
          const int c = plat::CompareTextOrder(Sections[other].Name,
                                               AreaSectionName(Sections[area.Index].Record->Layer));
          return c < 0 || (c == 0 && other < area.Index);
        });
    const size_t upTo = static_cast<size_t>(first - areas.begin());
    for (; nextArea < upTo; ++nextArea) order.push_back(areas[nextArea].Index);
    order.push_back(other);
  }
  for (; nextArea < areas.size(); ++nextArea) order.push_back(areas[nextArea].Index);

  std::vector<Section> sorted;
  sorted.reserve(Sections.size());
  for (uint32_t index : order) sorted.push_back(std::move(Sections[index]));
  Sections.swap(sorted);

  // Each area is named after its new number, Area.001 upwards when they run
  // 1..N.  Numbers that one area shares with another, or below 1, cannot
  // name a section: the areas are then named by their place in the stack.
  std::vector<int32_t> layers;
  layers.reserve(areas.size());
  for (size_t p = 0; p < Sections.size(); ++p)
    if (IsAreaEntry(p)) layers.push_back(Sections[p].Record->Layer);
  const std::vector<int32_t> numbers = StackNumbers(layers, componentLayers);
  bool namedByNumber = true;
  for (size_t k = 0; k < numbers.size() && namedByNumber; ++k)
    namedByNumber = numbers[k] >= 1 && (k == 0 || numbers[k] > numbers[k - 1]);
  size_t k = 0;
  for (size_t p = 0; p < Sections.size(); ++p) {
    if (!IsAreaEntry(p)) continue;
    Sections[p].Record->Layer = numbers[k];
    Sections[p].Name = AreaSectionName(namedByNumber ? numbers[k] : static_cast<int32_t>(k + 1));
    ++k;
  }
  Modified = true;
}

void SceneryLibrary::MoveLayerDown(int32_t layer) {
  if (layer == -1) layer = LastLayer;
  const int32_t upper = IndexOfLayer(layer);
  const int32_t lower = IndexOfLayer(Plus(layer, -1));
  if (upper < 0 || lower < 0) return;
  Sections[upper].Record->Layer = Plus(Sections[upper].Record->Layer, -1);
  Sections[lower].Record->Layer = Plus(Sections[lower].Record->Layer, 1);
  Modified = true;
}

void SceneryLibrary::MoveLayerUp(int32_t layer) {
  if (layer == -1) layer = LastLayer;
  const int32_t lower = IndexOfLayer(layer);
  const int32_t upper = IndexOfLayer(Plus(layer, 1));
  if (upper < 0 || lower < 0) return;
  Sections[lower].Record->Layer = Plus(Sections[lower].Record->Layer, 1);
  Sections[upper].Record->Layer = Plus(Sections[upper].Record->Layer, -1);
  Modified = true;
}

// ------------------------------------------------------------ insert

SceneryLibrary::Insertion SceneryLibrary::InsertLayer(const std::string& folder,
                                                      const std::string& title,
                                                      int32_t layerWanted) {
  std::optional<std::vector<int32_t>> componentLayers;
  return InsertArea(folder, title, layerWanted, componentLayers);
}

SceneryLibrary::Insertion SceneryLibrary::InsertLayer(
    const std::string& folder, const std::string& title, int32_t layerWanted,
    const std::vector<int32_t>& componentLayers) {
  std::optional<std::vector<int32_t>> known(componentLayers);
  return InsertArea(folder, title, layerWanted, known);
}

SceneryLibrary::Insertion SceneryLibrary::InsertArea(
    const std::string& folder, const std::string& title, int32_t layerWanted,
    std::optional<std::vector<int32_t>>& componentLayers) {
  // A relative path that names a scenery folder below the simulator folder is
  // stored as given.  One that names a folder only below the current folder
  // would be read by the simulator against its own folder, where it does not
  // exist: it is completed against the current folder first and then made
  // relative to the simulator folder like an absolute path.  A path without
  // a drive ("\tmp\addons", or a host path typed on Linux) would name
  // another folder for every program whose current drive differs: it is
  // completed with the current drive first.
  std::string path = folder;
  if (winpath::IsRelativePath(path)) {
    const bool belowFS = plat::FolderExists(SimulatorFolder + DropTrailingBackslash(path) + "\\scenery");
    if (!belowFS) {
      const std::string full = plat::FullPath(path);
      if (!full.empty() && plat::FolderExists(DropTrailingBackslash(full) + "\\scenery"))
        path = full;
    }
  } else if (NeedsCurrentFolder(SimulatorFolder, path)) {
    const std::string full = plat::FullPath(path);
    if (!full.empty()) path = full;
  }

  // 1. Relative to SimulatorFolder when both are on the same drive.  The
  // path is a folder: with its backslash, so that the simulator folder
  // written without one comes out empty too, not as "..\FS9".
  if (!winpath::DriveOf(path).empty() && !SimulatorFolder.empty())
    path = winpath::ExtractRelativePath(SimulatorFolder, winpath::IncludeTrailingBackslash(path),
                                        &plat::SameText);
  path = DropTrailingBackslash(path);
  // The simulator folder itself comes out as an empty path.  Its "Scenery"
  // folder (the default scenery) would let it pass the test below, but an
  // area with an empty folder names no folder at all: it is never added.
  if (path.empty()) return {InsertOutcome::SimulatorFolder};

  // 2. A folder that is listed already, in any spelling, is not added
  // again, also when it is gone; the find remembers its layer, as a find by
  // folder does.  (A folder that is neither listed nor there stops at 3.
  // before the find, and leaves the layer found last as it is.)
  const long listed = FindAreaByFolder(path);
  if (listed >= 0) {
    LastLayer = Sections[static_cast<size_t>(listed)].Record->Layer;
    return {InsertOutcome::ListedAlready, listed};
  }

  // 3. The folder must have a "scenery" sub-folder, as given or below SimulatorFolder.
  // (A relative path is tried below SimulatorFolder first: that is where a scan's
  // paths lie, and the result is the same either way.)
  const std::string asGiven = path + "\\scenery";
  const std::string belowFS = SimulatorFolder + path + "\\scenery";
  if (winpath::IsRelativePath(path) ? !plat::FolderExists(belowFS) && !plat::FolderExists(asGiven)
                           : !plat::FolderExists(asGiven) && !plat::FolderExists(belowFS))
    return {InsertOutcome::NoSceneryFolder};
  LastLayer = -1;  // the find found nothing

  // A folder whose name the file cannot hold (a code page 1252 file has no
  // form for most scripts) would be stored as a name with '?' in it, which
  // names no folder, and a later check would delete it: it is not added.
  // A title is only text: it is stored with its '?', and the user told.
  std::u32string pathLost, titleLost;
  AsStored(path, &pathLost);
  if (!pathLost.empty()) {
    if (Report) Report->Note("did not add the folder " + path + ": " + ConfigPath +
                             " is kept in code page 1252, which has no " + LettersNamed(pathLost));
    return {InsertOutcome::CannotName};
  }
  const std::string storedTitle = AsStored(title, &titleLost);

  // 4. The layer number: on top, one above the highest layer in use by an
  // area or a package component (and never below the number of sections,
  // which it is in a library numbered without gaps, nor below 1), so that
  // it stands above every other area and component whatever the numbering;
  // or at the number given, which moves those at and above it up.
  int32_t layer = layerWanted;
  if (layerWanted == -1) {
    // The packages are looked for only now that an area is added.
    if (!componentLayers) componentLayers = PackageComponentLayers();
    int64_t top = std::max<int64_t>(static_cast<int64_t>(Sections.size()), 1);
    if (!componentLayers->empty())
      top = std::max<int64_t>(top, int64_t{componentLayers->back()} + 1);
    for (size_t i = 0; i < Sections.size(); ++i)
      if (IsAreaEntry(i)) top = std::max<int64_t>(top, int64_t{Sections[i].Record->Layer} + 1);
    layer = static_cast<int32_t>(std::min<int64_t>(top, INT32_MAX));
  } else {
    for (Section& entry : Sections)
      if (entry.Record && entry.Record->Layer >= layerWanted)
        entry.Record->Layer = Plus(entry.Record->Layer, 1);
  }

  // 5.-7. The new area, under the lowest free area number.
  TellLost("title", title, storedTitle, titleLost);
  std::string name = AreaSectionName(NextFreeAreaNumber());
  Sections.push_back(Section{
      std::move(name), std::make_unique<Area>(storedTitle, path, std::string(), layer, true, false,
                                                   std::string())});
  Modified = true;
  return {};
}

// ------------------------------------------------------------ delete

void SceneryLibrary::CloseLayerGap(int32_t layer) {
  for (size_t i = 0; i < Sections.size(); ++i)
    if (IsAreaEntry(i) && Sections[i].Record->Layer > layer)
      Sections[i].Record->Layer = Plus(Sections[i].Record->Layer, -1);
}

void SceneryLibrary::RemoveEntryAt(size_t index, bool closeGap) {
  if (index >= Sections.size()) return;
  const bool area = IsAreaEntry(index);
  const int32_t layer = area ? Sections[index].Record->Layer : 0;
  Sections.erase(Sections.begin() + static_cast<std::ptrdiff_t>(index));
  if (area && closeGap) CloseLayerGap(layer);
  Modified = true;
}

bool SceneryLibrary::DeleteLayer(int32_t layer) {
  if (layer == -1) layer = LastLayer;
  const int32_t index = IndexOfLayer(layer);
  if (index < 0) return false;
  if (Sections[index].Record->Required) return false;
  RemoveEntryAt(static_cast<size_t>(index), true);
  return true;
}

bool SceneryLibrary::DeleteLayerByTitle(const std::string& title) {
  LastLayer = -1;
  const long index = FindAreaByTitle(title);
  if (index < 0 || Sections[size_t(index)].Record->Required) return false;
  RemoveEntryAt(size_t(index), true);
  return true;
}

void SceneryLibrary::DeleteInactiveLayers() {
  // The result equals deleting the inactive areas one by one in list order,
  // each deletion closing the gap above its own (current) layer number at
  // once, but takes one pass and one compaction instead of a walk per
  // deletion.
  //
  // Each gap closing maps every number v to v - [v > L], a monotone map in
  // which L and L + 1 become one value.  Expressed in the original numbers,
  // deletion j lowers exactly the areas whose original number exceeds a
  // threshold t_j, so an area that stays ends with its original number minus
  // the count of thresholds below it.  The threshold of a deletion is the
  // original number of the deleted area, moved up past every threshold that
  // an earlier deletion already took at that value and the ones above it (those
  // numbers have merged with it): the lowest number not yet taken, at or above
  // the deleted area's original number.
  std::vector<int64_t> thresholds;
  std::unordered_map<int64_t, int64_t> nextFree;  // taken value -> a value above it to try
  auto findFree = [&nextFree](int64_t v) {
    int64_t root = v;
    for (auto it = nextFree.find(root); it != nextFree.end(); it = nextFree.find(root))
      root = it->second;
    while (v != root) {  // shorten the chain for later look-ups
      auto it = nextFree.find(v);
      v = it->second;
      it->second = root;
    }
    return root;
  };

  std::vector<bool> remove(Sections.size(), false);
  for (size_t i = 0; i < Sections.size(); ++i) {
    if (!IsAreaEntry(i)) continue;
    const Area& rec = *Sections[i].Record;
    if (rec.Active || rec.Required) continue;
    remove[i] = true;
    const int64_t t = findFree(rec.Layer);
    nextFree[t] = t + 1;
    thresholds.push_back(t);
  }
  if (thresholds.empty()) return;
  std::sort(thresholds.begin(), thresholds.end());

  size_t out = 0;
  for (size_t i = 0; i < Sections.size(); ++i) {
    if (remove[i]) continue;
    if (IsAreaEntry(i)) {
      int32_t& layer = Sections[i].Record->Layer;
      const auto below = std::lower_bound(thresholds.begin(), thresholds.end(), int64_t{layer}) -
                         thresholds.begin();
      layer = Plus(layer, -static_cast<int32_t>(below));
    }
    if (out != i) Sections[out] = std::move(Sections[i]);
    ++out;
  }
  Sections.resize(out);
  Modified = true;
}

// ------------------------------------------------------------ state

void SceneryLibrary::ActivateLayer(int32_t layer) {
  const int32_t index = IndexOfLayer(layer);
  if (index < 0) return;
  Sections[index].Record->Active = true;
  Modified = true;
}

void SceneryLibrary::ToggleLayer(int32_t layer) {
  if (layer == -1) layer = LastLayer;
  const int32_t index = IndexOfLayer(layer);
  if (index < 0 || Sections[index].Record->Required) return;
  Sections[index].Record->Active = !Sections[index].Record->Active;
  Modified = true;
}

// ------------------------------------------------------------ package components

std::vector<int32_t> SceneryLibrary::PackageComponentLayers() const {
  // Every component with a <Layer> counts, also one of a package that is
  // off: switched on again it stands where its number says.
  const AddonPackages packages = FindAddonPackages(Served, Report);
  std::vector<int32_t> layers;
  for (const AddonPackage& package : packages.Packages)
    for (const SceneryComponent& component : package.Scenery)
      if (component.Layer) layers.push_back(*component.Layer);
  std::sort(layers.begin(), layers.end());
  layers.erase(std::unique(layers.begin(), layers.end()), layers.end());
  return layers;
}

// ------------------------------------------------------------ check

void SceneryLibrary::CheckAreas(bool autoRemove,
                                const std::function<void(const std::string&)>& report) {
  // The folders of all areas but the required ones (which are not given the
  // folder test) are looked at first, in one batch.  The loop below meets
  // each area once, in the same order (a removal takes only the area at
  // hand), so their answers are taken one after the other.
  // A removal also looks at the required ones, to tell which it keeps.
  std::vector<const Area*> tested;
  for (size_t i = 0; i < Sections.size(); ++i)
    if (IsAreaEntry(i) && (autoRemove || !Sections[i].Record->Required))
      tested.push_back(Sections[i].Record.get());
  const std::vector<bool> hasSceneryFolder = HaveSceneryFolders(tested);
  size_t nextTested = 0;
  // Where the simulator stacks add-on packages among the areas, installers
  // leave numbers free for them: a number above the count is no fault.
  const bool numbersAboveCountAreGaps = Served && FactsOf(*Served).PackagesProduct != nullptr;

  size_t i = 0;
  while (i < Sections.size()) {
    if (!IsAreaEntry(i)) {
      ++i;
      continue;
    }
    const Area& area = *Sections[i].Record;
    std::string line;
    const bool looked = autoRemove || !area.Required;
    const bool folderMissing = looked && !hasSceneryFolder[nextTested++];
    // A required area is never reported missing nor removed; a removal
    // tells that it kept one.
    const bool folderGone = folderMissing && !area.Required;
    if (folderMissing && area.Required && Report)
      Report->Note("kept layer " + std::to_string(area.Layer) + " '" + area.Title + "' (" +
                   area.Local + "): its folder is missing, but the area is required");
    if (folderGone) line += " not found! - ";
    if (area.Layer < 1) line += " negative!  - ";
    if (!numbersAboveCountAreGaps &&
        static_cast<int64_t>(area.Layer) > static_cast<int64_t>(Sections.size()))
      line += " too big!   - ";
    if (line.empty()) {
      ++i;
      continue;
    }
    report(line + std::to_string(area.Layer) + ": " + area.Local);
    // Only an area whose folder is gone is removed.  One reported for its
    // number alone is kept as it is, number included: a gap in the numbers
    // may be the place of an add-on package, and its folder is there.
    if (!autoRemove || !folderGone) {
      ++i;
      continue;
    }
    // The entry that moves into this position is examined next.  Removing a
    // layer below 1 closes no gap: that would push the areas numbered 1 down
    // to 0, where they would be reported and removed in their turn.
    if (Report)
      Report->Note("removed layer " + std::to_string(area.Layer) + " '" + area.Title + "' (" +
                   area.Local + "): its folder is missing");
    RemoveEntryAt(i, area.Layer >= 1);
  }
}
