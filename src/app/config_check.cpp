// The configuration check of "-x": reports areas whose folder is missing or
// whose layer number is out of range, and can remove them.
#include "app/config_check.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "app/console.h"

namespace app {

void CheckSceneryConfig(SceneryLibrary& library, bool autoRemove) {
  // The folders of all areas but the required ones (which are not given the
  // folder test) are looked at first, in one batch; removals below change
  // the positions of the areas, not the areas.
  std::vector<const Area*> tested;
  for (size_t i = 0; i < library.Sections.size(); ++i)
    if (library.IsAreaEntry(i) && !library.Sections[i].Record->Required)
      tested.push_back(library.Sections[i].Record.get());
  const std::vector<bool> found = library.HaveSceneryFolders(tested);
  std::unordered_map<const Area*, bool> hasSceneryFolder;
  hasSceneryFolder.reserve(tested.size());
  for (size_t k = 0; k < tested.size(); ++k) hasSceneryFolder.emplace(tested[k], found[k]);

  size_t i = 0;
  while (i < library.Sections.size()) {
    if (!library.IsAreaEntry(i)) {
      ++i;
      continue;
    }
    const Area& area = *library.Sections[i].Record;
    std::string report;
    if (!area.Required && !hasSceneryFolder.at(&area)) report += " not found! - ";
    if (area.Layer < 1) report += " negative!  - ";
    if (static_cast<int64_t>(area.Layer) > static_cast<int64_t>(library.Sections.size()))
      report += " too big!   - ";
    if (report.empty()) {
      ++i;
      continue;
    }
    WriteLine(report + std::to_string(area.Layer) + ": " + area.Local);
    if (!autoRemove || area.Required) {
      ++i;
      continue;
    }
    // The entry that moves into this position is examined next.  Removing a
    // layer below 1 closes no gap: that would push the areas numbered 1 down
    // to 0, where they would be reported and removed in their turn.
    library.RemoveEntryAt(i, area.Layer >= 1);
  }
}

}  // namespace app
