// The configuration check of "-x": reports areas whose folder is missing or
// whose layer number is out of range, and can remove those whose folder is
// missing.
#include "app/config_check.h"

#include <string>
#include <vector>

#include "app/console.h"
#include "scenery/addon_packages.h"

namespace app {

void CheckSceneryConfig(SceneryLibrary& library, bool autoRemove) {
  // The folders of all areas but the required ones (which are not given the
  // folder test) are looked at first, in one batch.  The loop below meets
  // each area once, in the same order (a removal takes only the area at
  // hand), so their answers are taken one after the other.
  std::vector<const Area*> tested;
  for (size_t i = 0; i < library.Sections.size(); ++i)
    if (library.IsAreaEntry(i) && !library.Sections[i].Record->Required)
      tested.push_back(library.Sections[i].Record.get());
  const std::vector<bool> hasSceneryFolder = library.HaveSceneryFolders(tested);
  size_t nextTested = 0;

  size_t i = 0;
  while (i < library.Sections.size()) {
    if (!library.IsAreaEntry(i)) {
      ++i;
      continue;
    }
    const Area& area = *library.Sections[i].Record;
    std::string report;
    const bool folderGone = !area.Required && !hasSceneryFolder[nextTested++];
    if (folderGone) report += " not found! - ";
    if (area.Layer < 1) report += " negative!  - ";
    if (static_cast<int64_t>(area.Layer) > static_cast<int64_t>(library.Sections.size()))
      report += " too big!   - ";
    if (report.empty()) {
      ++i;
      continue;
    }
    WriteLine(report + std::to_string(area.Layer) + ": " + area.Local);
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
    library.RemoveEntryAt(i, area.Layer >= 1);
  }

  // The scenery components of add-on packages are checked too, and only
  // reported: a package and its files belong to the user's package manager.
  const AddonPackages packages = FindAddonPackages(library.Served, library.Report);
  const std::vector<bool> componentHasScenery = HaveSceneryFolders(packages);
  size_t next = 0;
  for (const AddonPackage& package : packages.Packages) {
    for (const SceneryComponent& component : package.Scenery) {
      if (componentHasScenery[next++]) continue;
      WriteLine(" not found! - " + (component.Layer ? std::to_string(*component.Layer) : "top") +
                ": " + component.Folder + "  package " + package.DescriptionFile());
    }
  }
}

}  // namespace app
