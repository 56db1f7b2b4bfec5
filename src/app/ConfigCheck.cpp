// The configuration check of "-x": reports areas whose folder is missing or
// whose layer number is out of range, and can remove them.
#include <string>

#include "app/Console.h"
#include "app/Frontend.h"
#include "platform/platform.h"

namespace app {

void CheckSceneryConfig(TLayrix& config, bool autoRemove) {
  size_t i = 0;
  while (i < config.Sections.size()) {
    if (!config.IsAreaEntry(i)) {
      ++i;
      continue;
    }
    const TFSScnLayer& layer = *config.Sections[i].Layer;
    std::string report;
    // Required areas are not given the folder test.
    if (!layer.Required) {
      std::string folder = layer.Local;
      if (IsRelativePath(folder)) folder = config.FSPath + folder;
      if (!plat::FolderExists(folder) || !plat::FolderExists(folder + "\\scenery"))
        report += " not found! - ";
    }
    if (layer.Layer < 1) report += " negative!  - ";
    if (static_cast<int64_t>(layer.Layer) > static_cast<int64_t>(config.Sections.size()))
      report += " too big!   - ";
    if (report.empty()) {
      ++i;
      continue;
    }
    WriteLine(report + std::to_string(layer.Layer) + ": " + layer.Local);
    if (!autoRemove || layer.Required) {
      ++i;
      continue;
    }
    // The entry that moves into this position is examined next.  Removing a
    // layer below 1 closes no gap: that would push the areas numbered 1 down
    // to 0, where they would be reported and removed in their turn.
    config.RemoveEntryAt(i, layer.Layer >= 1);
  }
}

}  // namespace app
