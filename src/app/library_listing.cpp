// The listing of "-l": the scenery library as the simulator stacks it.
#include "app/library_listing.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/console.h"
#include "platform/platform.h"
#include "platform/winpath.h"

namespace app {

namespace {

constexpr size_t kTitleWidth = 40;

// The folders listed so far, to tell a folder that an area above has
// already.  Folders are matched as the library matches them (SameText); the
// hash of the folded key only narrows the search to the folders that may
// match.  One flat table, at most half full, probed from the hash's slot
// on: a large library costs about one memory access per area, where a table
// of nodes costs a few.
class FolderSet {
 public:
  explicit FolderSet(size_t expected) {
    size_t capacity = 16;
    while (capacity < 2 * expected) capacity *= 2;
    slots_.resize(capacity);
  }

  static size_t HashOf(const std::string& folder) {
    return std::hash<std::string>{}(plat::CaseFoldedKey(folder));
  }

  // True when a folder equal to `folder` (whose HashOf is `hash`) was added
  // before; adds it if not.  `folder` must outlive the set, and at most
  // `expected` folders are added.
  bool AddOrFind(size_t hash, const std::string& folder) {
    Slot& slot = SlotOf(hash, folder);
    if (slot.Folder) return true;
    slot = {hash, &folder};
    return false;
  }
  // True when a folder equal to `folder` was added before.
  bool Contains(size_t hash, const std::string& folder) { return SlotOf(hash, folder).Folder; }

 private:
  struct Slot {
    size_t Hash = 0;
    const std::string* Folder = nullptr;  // null: free
  };
  // The slot that holds a folder equal to `folder`, else the free one where
  // it would go.
  Slot& SlotOf(size_t hash, const std::string& folder) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (!slot.Folder || (slot.Hash == hash && plat::SameText(*slot.Folder, folder))) return slot;
    }
  }
  std::vector<Slot> slots_;
};

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
  size_t FolderHash;        // FolderSet::HashOf its folder
  const std::string* Folder;
  size_t TextStart;         // in the texts: state, title filled, folder
  size_t TextSize;
};
constexpr size_t kNotLookedAt = static_cast<size_t>(-1);

// The areas' records and texts, highest layer first, equal layers in list
// order, duplicates marked; `areas` in file order, `indexes` their list
// positions.
void OrderAreas(const std::vector<const Area*>& areas, const std::vector<size_t>& indexes,
                std::vector<ListedArea>& order, std::string& texts) {
  order.reserve(areas.size());
  texts.reserve(areas.size() * (kTitleWidth + 32));
  size_t nextLookedAt = 0;
  for (size_t k = 0; k < areas.size(); ++k) {
    const Area& area = *areas[k];
    const size_t start = texts.size();
    texts += area.Active ? "  on   " : "  off  ";
    texts += area.Title;
    if (area.Title.size() < kTitleWidth) texts.append(kTitleWidth - area.Title.size(), ' ');
    texts += "  ";
    texts += area.Local;
    order.push_back({area.Layer, area.Active, area.Required, false, indexes[k],
                     area.Required ? kNotLookedAt : nextLookedAt++, FolderSet::HashOf(area.Local),
                     &area.Local, start, texts.size() - start});
  }
  std::sort(order.begin(), order.end(), [](const ListedArea& a, const ListedArea& b) {
    return a.Layer != b.Layer ? a.Layer > b.Layer : a.Index < b.Index;
  });
  FolderSet folders(order.size());
  for (ListedArea& listed : order) listed.Duplicate = folders.AddOrFind(listed.FolderHash, *listed.Folder);
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

std::string Counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

void DropTrailingBlanks(std::string& text, size_t lineStart) {
  size_t end = text.size();
  while (end > lineStart && text[end - 1] == ' ') --end;
  text.resize(end);
}

}  // namespace

void ListLibrary(const SceneryLibrary& library, const AddonPackages& packages,
                 const std::function<void(const std::string&)>& emit) {
  std::vector<const Area*> areas, lookedAt;  // lookedAt: those not required
  std::vector<size_t> indexes;
  for (size_t i = 0; i < library.Sections.size(); ++i) {
    if (!library.IsAreaEntry(i)) continue;
    const Area* area = library.Sections[i].Record.get();
    areas.push_back(area);
    indexes.push_back(i);
    if (!area->Required) lookedAt.push_back(area);
  }
  // The disk is looked at while the lines are prepared: what an area's
  // line says but "missing" needs no look.
  std::vector<ListedArea> order;
  std::string texts;
  std::vector<bool> hasSceneryFolder, componentHasScenery;
  plat::RunSideBySide([&] { OrderAreas(areas, indexes, order, texts); },
                      [&] {
                        hasSceneryFolder = library.HaveSceneryFolders(lookedAt);
                        if (packages.Found) componentHasScenery = HaveSceneryFolders(packages);
                      });
  const std::vector<ListedComponent> components = OrderComponents(packages);
  size_t layerWidth =
      order.empty() ? 1
                    : std::max(std::to_string(order.front().Layer).size(),
                               std::to_string(order.back().Layer).size());
  for (const ListedComponent& listed : components)
    layerWidth = std::max(layerWidth, listed.Layer ? std::to_string(*listed.Layer).size() : 3);

  // Where packages are merged in, folders are compared in full as well: a
  // component's with every folder listed above it, an area's with the
  // components' above it (areas among themselves as they are stored).
  std::vector<std::string> fullFolders;
  FolderSet everyFolder(packages.Found ? order.size() + components.size() : 0);
  FolderSet componentFolders(components.size());
  if (packages.Found) fullFolders.reserve(order.size());

  // The lines are handed on a piece at a time, so that the text of a large
  // library is never held twice over (here and in the console's encoding).
  constexpr size_t kPiece = 64 * 1024;
  std::string out = " Scenery library: " + library.ConfigPath + "\r\n";
  out.reserve(kPiece + 1024);
  size_t off = 0, missing = 0, duplicates = 0;
  const auto startLine = [&](const std::string& layer) {
    out += ' ';
    out.append(layerWidth - layer.size(), ' ');
    out += layer;
  };
  const auto endLine = [&](size_t lineStart) {
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
    bool duplicate = listed.Duplicate;
    if (packages.Found) {
      const std::string& folder = fullFolders.emplace_back(FullFolderPath(
          winpath::IsRelativePath(*listed.Folder) ? library.SimulatorFolder + *listed.Folder
                                                  : *listed.Folder));
      const size_t hash = FolderSet::HashOf(folder);
      duplicate = componentFolders.Contains(hash, folder) || duplicate;
      everyFolder.AddOrFind(hash, folder);
    }
    if (duplicate) {
      out += "  duplicate";
      ++duplicates;
    }
    if (!listed.Active) ++off;
    endLine(lineStart);
  };
  size_t componentsOff = 0, componentsMissing = 0, componentsDuplicate = 0;
  const auto listComponent = [&](const ListedComponent& listed) {
    const SceneryComponent& component = *listed.Component;
    const size_t lineStart = out.size();
    startLine(listed.Layer ? std::to_string(*listed.Layer) : "top");
    out += listed.Package->Active ? "  on   " : "  off  ";
    out += component.Name;
    if (component.Name.size() < kTitleWidth) out.append(kTitleWidth - component.Name.size(), ' ');
    out += "  " + component.Folder + "  package " + PackageSourceName(listed.Package->Source);
    if (!componentHasScenery[listed.Found]) {
      out += "  missing";
      ++componentsMissing;
    }
    const size_t hash = FolderSet::HashOf(component.Folder);
    componentFolders.AddOrFind(hash, component.Folder);
    if (everyFolder.AddOrFind(hash, component.Folder)) {
      out += "  duplicate";
      ++componentsDuplicate;
    }
    if (!listed.Package->Active) ++componentsOff;
    endLine(lineStart);
  };

  // Components on top first, then areas and components by layer number, an
  // area above a component of the same number.
  size_t nextComponent = 0;
  while (nextComponent < components.size() && !components[nextComponent].Layer)
    listComponent(components[nextComponent++]);
  for (const ListedArea& listed : order) {
    while (nextComponent < components.size() && *components[nextComponent].Layer > listed.Layer)
      listComponent(components[nextComponent++]);
    listArea(listed);
  }
  while (nextComponent < components.size()) listComponent(components[nextComponent++]);

  out += " " + Counted(order.size(), "area", "areas") + ", " + std::to_string(off) + " off, " +
         std::to_string(missing) + " missing, " + Counted(duplicates, "duplicate", "duplicates");
  if (packages.Found) {
    size_t withScenery = 0;
    for (const AddonPackage& package : packages.Packages) withScenery += !package.Scenery.empty();
    out += "; " + Counted(withScenery, "package", "packages") + ", " +
           Counted(components.size(), "component", "components") + ", " +
           std::to_string(componentsOff) + " off, " + std::to_string(componentsMissing) +
           " missing, " + Counted(componentsDuplicate, "duplicate", "duplicates");
  }
  out += "\r\n";
  emit(out);
}

void PrintLibraryListing(const SceneryLibrary& library) {
  const AddonPackages packages = FindAddonPackages(library.Served, library.Report);
  ListLibrary(library, packages, [](const std::string& piece) { WriteText(piece); });
}

}  // namespace app
