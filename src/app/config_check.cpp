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
  library.CheckAreas(autoRemove, WriteLine);

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
