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

// The folders listed so far, to tell a folder that a line above has
// already.  Folders are matched as the library matches them (IsSameFolder
// of their full forms); their keys (FolderKeys) only narrow the search to
// the folders that may match.
class FolderSet {
 public:
  // `expected`: how many folders will be added, so that the table is made
  // its size once.
  FolderSet(const std::string& simulatorFolder, size_t expected)
      : simulatorFolder_(simulatorFolder), keys_(simulatorFolder) {
    folders_.reserve(expected);
  }

  // True when a folder the same as `folder` was added before; adds it if
  // not.  `folder` must outlive the set.  An empty folder names none.
  bool AddOrFind(const std::string& folder) {
    std::string key = keys_.Of(folder, [&] { return FullFolder(simulatorFolder_, folder); });
    if (key.empty()) return false;
    for (auto [at, end] = folders_.equal_range(key); at != end; ++at)
      if (plat::SameText(*at->second, folder) ||
          IsSameFolder(FullFolder(simulatorFolder_, *at->second),
                       FullFolder(simulatorFolder_, folder)))
        return true;
    folders_.emplace(std::move(key), &folder);
    return false;
  }

 private:
  const std::string& simulatorFolder_;
  const FolderKeys keys_;
  std::unordered_multimap<std::string, const std::string*> folders_;
};

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

// An area's line, with its place in the file and among the folders looked at.
struct ListedArea {
  int32_t Layer;  // the record's, at hand for the sort
  const Area* Record;
  size_t Index;     // list position
  size_t LookedAt;  // its place among the folders looked at; kNotLookedAt if required
};
constexpr size_t kNotLookedAt = static_cast<size_t>(-1);

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

}  // namespace

void ListLibrary(const SceneryLibrary& library, const AddonPackages& packages,
                 const std::function<void(const std::string&)>& emit, size_t columns) {
  // The areas highest layer first, equal layers in list order.
  std::vector<ListedArea> order;
  std::vector<const Area*> lookedAt;  // those not required, in file order
  for (size_t i = 0; i < library.Sections.size(); ++i) {
    if (!library.IsAreaEntry(i)) continue;
    const Area* area = library.Sections[i].Record.get();
    order.push_back({area->Layer, area, i, area->Required ? kNotLookedAt : lookedAt.size()});
    if (!area->Required) lookedAt.push_back(area);
  }
  std::sort(order.begin(), order.end(), [](const ListedArea& a, const ListedArea& b) {
    return a.Layer != b.Layer ? a.Layer > b.Layer : a.Index < b.Index;
  });
  const std::vector<bool> hasSceneryFolder = library.HaveSceneryFolders(lookedAt);
  const std::vector<ListedComponent> components = OrderComponents(packages);
  const std::vector<bool> componentHasScenery = HaveSceneryFolders(packages);

  size_t layerWidth = order.empty() ? 1
                                    : std::max(WidthOf(order.front().Layer),
                                               WidthOf(order.back().Layer));
  for (const ListedComponent& listed : components)
    layerWidth = std::max(layerWidth, listed.Layer ? WidthOf(*listed.Layer) : 3);

  // A line whose folder a line above has already (an area's or a
  // component's) is a duplicate.
  FolderSet listedFolders(library.SimulatorFolder, order.size() + components.size());

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
    const Area& area = *listed.Record;
    const size_t lineStart = out.size();
    startLine(std::to_string(area.Layer));
    AppendStateTitleFolder(area.Active, area.Title, area.Local, out);
    if (area.Required) out += "  required";
    if (listed.LookedAt != kNotLookedAt && !hasSceneryFolder[listed.LookedAt]) {
      out += "  missing";
      ++missing;
    }
    if (listedFolders.AddOrFind(area.Local)) {
      out += "  duplicate";
      ++duplicates;
    }
    if (!area.Active) ++off;
    endLine(lineStart, area.Title, area.Local);
  };
  size_t componentsOff = 0, componentsMissing = 0, componentsDuplicate = 0;
  const auto listComponent = [&](size_t k) {
    const ListedComponent& listed = components[k];
    const size_t lineStart = out.size();
    startLine(listed.Layer ? std::to_string(*listed.Layer) : "top");
    AppendComponentText(*listed.Package, *listed.Component, out);
    if (!componentHasScenery[listed.Found]) {
      out += "  missing";
      ++componentsMissing;
    }
    if (listedFolders.AddOrFind(listed.Component->Folder)) {
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
    while (nextComponent < components.size() &&
           *components[nextComponent].Layer > listed.Layer)
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

void PrintLibraryListing(const SceneryLibrary& library, const AddonPackages& packages) {
  ListLibrary(library, packages, [](const std::string& piece) { WriteText(piece); },
              size_t(std::max(0, plat::StdoutColumns())));
}

}  // namespace app
