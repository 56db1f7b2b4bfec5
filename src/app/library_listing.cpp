// The listing of "-l": the scenery library as the simulator stacks it.
#include "app/library_listing.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/console.h"
#include "app/terminal_fit.h"
#include "platform/platform.h"
#include "platform/text_encoding.h"
#include "scenery/folder_match.h"

namespace app {

namespace {

constexpr size_t kTitleWidth = 40;

// The full forms of the areas' folders (FullFolder), as the library
// compares them.  They are made as they are needed, on the thread that
// prepares the lines, except those that need the current folder, which are
// made beforehand on the main thread (Prepare).
class FullFolders {
 public:
  explicit FullFolders(const std::string& simulatorFolder)
      : simulatorFolder_(simulatorFolder),
        keys_(simulatorFolder),
        allNeedCurrentFolder_(NeedsCurrentFolder(simulatorFolder, "x")) {}

  // Called for each area's folder on the main thread, before Of.
  void Prepare(const std::string& local) {
    // Only a folder that is not relative (or every one, when the simulator
    // folder itself is not full) can need the current folder: a look at
    // two characters.
    const bool relative = !local.empty() && local[0] != '\\' && (local.size() < 2 || local[1] != ':');
    if ((allNeedCurrentFolder_ || !relative) && NeedsCurrentFolder(simulatorFolder_, local))
      madeBefore_.emplace(&local, FullFolder(simulatorFolder_, local));
  }

  std::string Of(const std::string& local) const {
    const auto made = madeBefore_.find(&local);
    return made != madeBefore_.end() ? made->second : FullFolder(simulatorFolder_, local);
  }

  // The hash of the folder's key; `folded`, when not empty, is the folded
  // text of `local` that is its own full form.
  size_t HashOf(const std::string& local, const std::string& folded = std::string()) const;

 private:
  const std::string& simulatorFolder_;
  const FolderKeys keys_;
  const bool allNeedCurrentFolder_;
  std::unordered_map<const std::string*, std::string> madeBefore_;
};

// The folders listed so far, to tell a folder that a line above has
// already, each with the place of the first line that has it.  Folders are
// matched as the library matches them (IsSameFolder of their full forms);
// the hash of their keys (FolderKeys) only narrows the search to the
// folders that may match.  One flat table, at most half full, probed from
// the hash's slot on: a large library costs about one memory access per
// area, where a table of nodes costs a few.
class FolderSet {
 public:
  FolderSet(size_t expected, const FullFolders& fullFolders) : fullFolders_(fullFolders) {
    size_t capacity = 16;
    while (capacity < 2 * expected) capacity *= 2;
    slots_.resize(capacity);
  }

  // The hash of a folder's key (FolderKeys); a folder with no key (an
  // empty one) gets kNoFolder and is never added.
  static constexpr size_t kNoFolder = 0;
  static size_t HashOf(std::string_view key) {
    if (key.empty()) return kNoFolder;
    const size_t hash = std::hash<std::string_view>{}(key);
    return hash == kNoFolder ? 1 : hash;
  }

  // True when a folder the same as `folder` (whose hash is `hash`) was added
  // before; adds it if not, as that of the line at `place`.  `folder` (as
  // stored) must outlive the set, and at most `expected` folders are added.
  bool AddOrFind(size_t hash, const std::string& folder, size_t place = 0) {
    if (hash == kNoFolder) return false;
    Slot& slot = SlotOf(hash, folder);
    if (slot.Folder) return true;
    slot = {hash, &folder, place};
    return false;
  }
  // The place of the first line added with a folder the same as `folder`;
  // kNowhere when there is none.
  static constexpr size_t kNowhere = static_cast<size_t>(-1);
  size_t PlaceOf(size_t hash, const std::string& folder) {
    if (hash == kNoFolder) return kNowhere;
    const Slot& slot = SlotOf(hash, folder);
    return slot.Folder ? slot.Place : kNowhere;
  }

 private:
  struct Slot {
    size_t Hash = 0;
    const std::string* Folder = nullptr;  // null: free
    size_t Place = 0;
  };
  // The slot that holds a folder the same as `folder`, else the free one
  // where it would go.
  Slot& SlotOf(size_t hash, const std::string& folder) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (!slot.Folder) return slot;
      if (slot.Hash == hash &&
          (plat::SameText(*slot.Folder, folder) ||
           IsSameFolder(fullFolders_.Of(*slot.Folder), fullFolders_.Of(folder))))
        return slot;
    }
  }
  const FullFolders& fullFolders_;
  std::vector<Slot> slots_;
};

size_t FullFolders::HashOf(const std::string& local, const std::string& folded) const {
  if (!folded.empty()) return FolderSet::HashOf(keys_.OfFolded(folded));
  return FolderSet::HashOf(keys_.Of(local, [&] { return Of(local); }));
}

// The part of a line after its layer that areas and components share: the
// state, the title filled to its column, and the folder.
void AppendStateTitleFolder(bool active, const std::string& title, const std::string& folder,
                            std::string& text) {
  text += active ? "  on   " : "  off  ";
  text += title;
  // Filled by characters, not bytes, so that the folders line up.
  const size_t titleWidth = encoding::CharCount(title);
  if (titleWidth < kTitleWidth) text.append(kTitleWidth - titleWidth, ' ');
  text += "  ";
  text += folder;
}

// On a terminal: the line of `out` from `lineStart`, whose lead (layer and
// state) takes `leadSize` bytes and whose title and folder follow as
// AppendStateTitleFolder wrote them, made to fit `columns`.
void FitLine(std::string& out, size_t lineStart, size_t leadSize, const std::string& title,
             const std::string& folder, size_t columns) {
  const size_t titleWidth = encoding::CharCount(title);
  const size_t titleStart = lineStart + leadSize;
  const size_t folderStart =
      titleStart + title.size() + (titleWidth < kTitleWidth ? kTitleWidth - titleWidth : 0) + 2;
  const std::string line = FitListingLine(
      std::string_view(out).substr(lineStart, leadSize), title, kTitleWidth, folder,
      std::string_view(out).substr(std::min(out.size(), folderStart + folder.size())), columns);
  out.resize(lineStart);
  out += line;
}

// Appends `line` and its line end, fitted to `columns` when it is a terminal's.
void AppendPlainLine(std::string& out, const std::string& line, size_t columns) {
  if (columns == 0) {
    out += line + "\r\n";
    return;
  }
  for (const std::string& part : FitPlainLine(line, columns)) out += part + "\r\n";
}

// What the line of an area needs, gathered in file order, the order in
// which the areas lie in memory: the pass in listing order then reads one
// small record and one piece of text per area, not the scattered areas and
// their strings.
struct ListedArea {
  int32_t Layer;
  bool Active, Required;
  bool Duplicate = false;   // an area listed above has the same folder
  size_t Index;             // list position
  size_t LookedAt;          // its place among the folders looked at; kNotLookedAt if required
  size_t FolderHash;        // the hash of its folder's key (FullFolders::HashOf)
  const std::string* Folder;
  size_t TextStart;         // in the texts: state, title filled, folder
  size_t TextSize;
};
constexpr size_t kNotLookedAt = static_cast<size_t>(-1);

// The areas' records and texts, highest layer first, equal layers in list
// order, duplicates marked; `areas` in file order, `indexes` their list
// positions.  `folders` is given each area's folder, with its place in
// `order`.
void OrderAreas(const std::vector<const Area*>& areas, const std::vector<size_t>& indexes,
                const FullFolders& fullFolders, std::vector<ListedArea>& order,
                std::string& texts, std::optional<FolderSet>& folders) {
  order.reserve(areas.size());
  texts.reserve(areas.size() * (kTitleWidth + 32));
  size_t nextLookedAt = 0;
  for (size_t k = 0; k < areas.size(); ++k) {
    const Area& area = *areas[k];
    const size_t start = texts.size();
    AppendStateTitleFolder(area.Active, area.Title, area.Local, texts);
    order.push_back({area.Layer, area.Active, area.Required, false, indexes[k],
                     area.Required ? kNotLookedAt : nextLookedAt++,
                     fullFolders.HashOf(area.Local),
                     &area.Local, start, texts.size() - start});
  }
  std::sort(order.begin(), order.end(), [](const ListedArea& a, const ListedArea& b) {
    return a.Layer != b.Layer ? a.Layer > b.Layer : a.Index < b.Index;
  });
  folders.emplace(order.size(), fullFolders);
  for (size_t k = 0; k < order.size(); ++k)
    order[k].Duplicate = folders->AddOrFind(order[k].FolderHash, *order[k].Folder, k);
}

// What the line of a package's scenery component needs.
struct ListedComponent {
  std::optional<int32_t> Layer;  // none: on top
  size_t Found;                  // its place among the components, in the order found
  const SceneryComponent* Component;
  const AddonPackage* Package;
};

// The components, highest first: those on top, the one found last highest,
// then the others by layer number, equal numbers in the order found.
std::vector<ListedComponent> OrderComponents(const AddonPackages& packages) {
  std::vector<ListedComponent> order;
  for (const AddonPackage& package : packages.Packages)
    for (const SceneryComponent& component : package.Scenery)
      order.push_back({component.Layer, order.size(), &component, &package});
  std::sort(order.begin(), order.end(), [](const ListedComponent& a, const ListedComponent& b) {
    if (a.Layer.has_value() != b.Layer.has_value()) return !a.Layer.has_value();
    if (!a.Layer) return a.Found > b.Found;
    return *a.Layer != *b.Layer ? *a.Layer > *b.Layer : a.Found < b.Found;
  });
  return order;
}

// The characters of `number` written in decimal.
size_t WidthOf(int32_t number) {
  size_t width = number < 0 ? 2 : 1;
  for (int64_t rest = number < 0 ? -int64_t{number} : number; rest >= 10; rest /= 10) ++width;
  return width;
}

// The text of a component's line after its layer: as an area's, then
// where its package was found.
void AppendComponentText(const AddonPackage& package, const SceneryComponent& component,
                         std::string& text) {
  AppendStateTitleFolder(package.Active, component.Name, component.Folder, text);
  text += "  package ";
  text += PackageSourceName(package.Source);
}

std::string Counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

void DropTrailingBlanks(std::string& text, size_t lineStart) {
  size_t end = text.size();
  while (end > lineStart && text[end - 1] == ' ') --end;
  text.resize(end);
}

}  // namespace

void ListLibrary(const SceneryLibrary& library, PackageSearch& packageSearch,
                 const std::function<void(const std::string&)>& emit, size_t columns) {
  std::vector<const Area*> areas, lookedAt;  // lookedAt: those not required
  std::vector<size_t> indexes;
  FullFolders fullFolders(library.SimulatorFolder);
  for (size_t i = 0; i < library.Sections.size(); ++i) {
    if (!library.IsAreaEntry(i)) continue;
    const Area* area = library.Sections[i].Record.get();
    areas.push_back(area);
    indexes.push_back(i);
    if (!area->Required) lookedAt.push_back(area);
    fullFolders.Prepare(area->Local);
  }
  // The packages are taken first: what is left of reading their
  // descriptions is shared by this thread, and nothing else runs beside the
  // looks at the areas' folders.  A component folder that needs the
  // current folder is made full here; one that is its own full form
  // (folded already) needs none.
  const AddonPackages& packages = packageSearch.Finish();
  size_t componentCount = 0;
  for (const AddonPackage& package : packages.Packages)
    for (const SceneryComponent& component : package.Scenery) {
      ++componentCount;
      if (component.FoldedFolder.empty()) fullFolders.Prepare(component.Folder);
    }
  // The disk is looked at while the lines are prepared beside: what a
  // line says but "missing" needs no look.  The areas' lines come first;
  // then the components are ordered and the text of their lines and their
  // keys made (in the order found, as ListedComponent::Found counts them),
  // with the place among the areas of the first area with the folder of
  // each, where there is one: the one area it may be listed above or below.
  std::vector<ListedArea> order;
  std::string texts;
  std::optional<FolderSet> areaFolders;
  std::vector<ListedComponent> components;
  std::string componentTexts;
  std::vector<size_t> componentStarts, componentHashes, componentAreaPlaces;
  const auto prepareLines = [&] {
    OrderAreas(areas, indexes, fullFolders, order, texts, areaFolders);
    if (componentCount == 0) return;
    components = OrderComponents(packages);
    componentStarts.reserve(componentCount + 1);
    componentHashes.reserve(componentCount);
    componentAreaPlaces.reserve(componentCount);
    for (const AddonPackage& package : packages.Packages)
      for (const SceneryComponent& component : package.Scenery) {
        componentStarts.push_back(componentTexts.size());
        AppendComponentText(package, component, componentTexts);
        const size_t hash = fullFolders.HashOf(component.Folder, component.FoldedFolder);
        componentHashes.push_back(hash);
        componentAreaPlaces.push_back(areaFolders->PlaceOf(hash, component.Folder));
      }
    componentStarts.push_back(componentTexts.size());
  };
  std::vector<bool> hasSceneryFolder;
  plat::RunSideBySide(prepareLines,
                      [&] { hasSceneryFolder = library.HaveSceneryFolders(lookedAt); });
  // The component folders not seen when their descriptions were read.
  const std::vector<bool> componentHasScenery = HaveSceneryFolders(packages);
  size_t layerWidth =
      order.empty() ? 1 : std::max(WidthOf(order.front().Layer), WidthOf(order.back().Layer));
  for (const ListedComponent& listed : components)
    layerWidth = std::max(layerWidth, listed.Layer ? WidthOf(*listed.Layer) : 3);

  // Where packages are merged in, a component's folder is compared with
  // those of the components above it and with that of the first area that
  // has it: the component is a duplicate when that area is listed above it,
  // else the area is (the areas among themselves are marked already).
  FolderSet componentFolders(components.size(), fullFolders);
  std::vector<char> belowAComponent(order.size(), false);
  size_t areasListed = 0;

  // The lines are handed on a piece at a time, so that the text of a large
  // library is never held twice over (here and in the console's encoding).
  constexpr size_t kPiece = 64 * 1024;
  std::string out;
  const std::string heading = " Scenery library: ";
  AppendPlainLine(out,
                  heading + (columns > heading.size()
                                 ? ShortenInMiddle(library.ConfigPath, columns - heading.size())
                                 : library.ConfigPath),
                  columns);
  out.reserve(kPiece + 1024);
  size_t off = 0, missing = 0, duplicates = 0;
  const auto startLine = [&](const std::string& layer) {
    out += ' ';
    out.append(layerWidth - layer.size(), ' ');
    out += layer;
  };
  const auto endLine = [&](size_t lineStart, const std::string& title, const std::string& folder) {
    if (columns > 0) FitLine(out, lineStart, 1 + layerWidth + 7, title, folder, columns);
    DropTrailingBlanks(out, lineStart);
    out += "\r\n";
    if (out.size() >= kPiece) {
      emit(out);
      out.clear();
    }
  };
  const auto listArea = [&](const ListedArea& listed) {
    const size_t lineStart = out.size();
    startLine(std::to_string(listed.Layer));
    out.append(texts, listed.TextStart, listed.TextSize);
    if (listed.Required) out += "  required";
    if (listed.LookedAt != kNotLookedAt && !hasSceneryFolder[listed.LookedAt]) {
      out += "  missing";
      ++missing;
    }
    const bool duplicate = listed.Duplicate || belowAComponent[areasListed];
    ++areasListed;
    if (duplicate) {
      out += "  duplicate";
      ++duplicates;
    }
    if (!listed.Active) ++off;
    endLine(lineStart, library.Sections[listed.Index].Record->Title, *listed.Folder);
  };
  size_t componentsOff = 0, componentsMissing = 0, componentsDuplicate = 0;
  const auto listComponent = [&](size_t k) {
    const ListedComponent& listed = components[k];
    const size_t lineStart = out.size();
    startLine(listed.Layer ? std::to_string(*listed.Layer) : "top");
    out.append(componentTexts, componentStarts[listed.Found],
               componentStarts[listed.Found + 1] - componentStarts[listed.Found]);
    if (!componentHasScenery[listed.Found]) {
      out += "  missing";
      ++componentsMissing;
    }
    const size_t area = componentAreaPlaces[listed.Found];
    const bool belowArea = area != FolderSet::kNowhere && area < areasListed;
    if (area != FolderSet::kNowhere && !belowArea) belowAComponent[area] = true;
    if (componentFolders.AddOrFind(componentHashes[listed.Found], listed.Component->Folder) ||
        belowArea) {
      out += "  duplicate";
      ++componentsDuplicate;
    }
    if (!listed.Package->Active) ++componentsOff;
    endLine(lineStart, listed.Component->Name, listed.Component->Folder);
  };

  // Components on top first, then areas and components by layer number, an
  // area above a component of the same number.
  size_t nextComponent = 0;
  while (nextComponent < components.size() && !components[nextComponent].Layer)
    listComponent(nextComponent++);
  for (const ListedArea& listed : order) {
    while (nextComponent < components.size() && *components[nextComponent].Layer > listed.Layer)
      listComponent(nextComponent++);
    listArea(listed);
  }
  while (nextComponent < components.size()) listComponent(nextComponent++);

  std::string counts = " " + Counted(order.size(), "area", "areas") + ", " + std::to_string(off) +
                       " off, " + std::to_string(missing) + " missing, " +
                       Counted(duplicates, "duplicate", "duplicates");
  if (packages.Found) {
    size_t withScenery = 0;
    for (const AddonPackage& package : packages.Packages) withScenery += !package.Scenery.empty();
    counts += "; " + Counted(withScenery, "package", "packages") + ", " +
           Counted(components.size(), "component", "components") + ", " +
           std::to_string(componentsOff) + " off, " + std::to_string(componentsMissing) +
           " missing, " + Counted(componentsDuplicate, "duplicate", "duplicates");
  }
  AppendPlainLine(out, counts, columns);
  emit(out);
}

void PrintLibraryListing(const SceneryLibrary& library, PackageSearch& packageSearch) {
  ListLibrary(library, packageSearch, [](const std::string& piece) { WriteText(piece); },
              size_t(std::max(0, plat::StdoutColumns())));
}

}  // namespace app
