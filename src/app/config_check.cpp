// The configuration check of "-x": reports areas whose folder is missing or
// whose layer number is out of range, and can remove them.
#include "app/config_check.h"

#include <string>

#include "app/console.h"

namespace app {

void CheckSceneryConfig(SceneryLibrary& library, bool autoRemove) {
  size_t i = 0;
  while (i < library.Sections.size()) {
    if (!library.IsAreaEntry(i)) {
      ++i;
      continue;
    }
    const Area& area = *library.Sections[i].Record;
    std::string report;
    // Required areas are not given the folder test.
    if (!area.Required && !library.HasSceneryFolder(area)) report += " not found! - ";
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
