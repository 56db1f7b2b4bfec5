// The listing of "-l": the scenery library as the simulator stacks it.
#include "app/library_listing.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/console.h"
#include "platform/platform.h"

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

  // True when a folder equal to `folder` was added before; adds it if not.
  // `folder` must outlive the set, and at most `expected` folders are added.
  bool AddOrFind(const std::string& folder) {
    const size_t hash = std::hash<std::string>{}(plat::CaseFoldedKey(folder));
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (!slot.Folder) {
        slot = {hash, &folder};
        return false;
      }
      if (slot.Hash == hash && plat::SameText(*slot.Folder, folder)) return true;
    }
  }

 private:
  struct Slot {
    size_t Hash = 0;
    const std::string* Folder = nullptr;  // null: free
  };
  std::vector<Slot> slots_;
};

// An area's place in the listing: its layer number and list position.
struct ListedArea {
  int32_t Layer;
  size_t Index;
};

// The areas, highest layer first, equal layers in list order.
std::vector<ListedArea> AreasTopDown(const SceneryLibrary& library) {
  std::vector<ListedArea> order;
  order.reserve(library.Sections.size());
  for (size_t i = 0; i < library.Sections.size(); ++i)
    if (library.IsAreaEntry(i)) order.push_back({library.Sections[i].Record->Layer, i});
  std::sort(order.begin(), order.end(), [](const ListedArea& a, const ListedArea& b) {
    return a.Layer != b.Layer ? a.Layer > b.Layer : a.Index < b.Index;
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

std::string LibraryListing(const SceneryLibrary& library) {
  const std::vector<ListedArea> order = AreasTopDown(library);
  const size_t layerWidth =
      order.empty() ? 1
                    : std::max(std::to_string(order.front().Layer).size(),
                               std::to_string(order.back().Layer).size());

  std::string out = " Scenery library: " + library.ConfigPath + "\r\n";
  out.reserve(out.size() + order.size() * 96);
  // The folders of the areas that are not required, looked at all at once.
  std::vector<const Area*> lookedAt;
  for (const ListedArea& listed : order) {
    const Area& area = *library.Sections[listed.Index].Record;
    if (!area.Required) lookedAt.push_back(&area);
  }
  const std::vector<bool> hasSceneryFolder = library.HaveSceneryFolders(lookedAt);
  size_t nextLookedAt = 0;

  FolderSet folders(order.size());
  size_t off = 0, missing = 0, duplicates = 0;
  for (const ListedArea& listed : order) {
    const Area& area = *library.Sections[listed.Index].Record;
    const size_t lineStart = out.size();
    const std::string layer = std::to_string(area.Layer);
    out += ' ';
    out.append(layerWidth - layer.size(), ' ');
    out += layer;
    out += area.Active ? "  on   " : "  off  ";
    out += area.Title;
    if (area.Title.size() < kTitleWidth) out.append(kTitleWidth - area.Title.size(), ' ');
    out += "  ";
    out += area.Local;
    if (area.Required) {
      out += "  required";
    } else if (!hasSceneryFolder[nextLookedAt++]) {
      out += "  missing";
      ++missing;
    }
    if (folders.AddOrFind(area.Local)) {
      out += "  duplicate";
      ++duplicates;
    }
    if (!area.Active) ++off;
    DropTrailingBlanks(out, lineStart);
    out += "\r\n";
  }
  out += " " + Counted(order.size(), "area", "areas") + ", " + std::to_string(off) + " off, " +
         std::to_string(missing) + " missing, " +
         Counted(duplicates, "duplicate", "duplicates") + "\r\n";
  return out;
}

void PrintLibraryListing(const SceneryLibrary& library) { WriteText(LibraryListing(library)); }

}  // namespace app
