// The configuration check of "-x": reports areas whose folder is missing or
// whose layer number is out of range, and can remove those whose folder is
// missing.  Then the add-on packages: components and packages whose folder
// is gone, reported and never changed.
#include "app/config_check.h"

#include <string>
#include <vector>

#include "app/console.h"
#include "platform/platform.h"
#include "scenery/addon_packages.h"

namespace app {

namespace {

// " not found! - package: <folder>  listed in <add-ons.cfg>" for each
// package that a package list of `simulator` names and whose folder is
// gone, list by list in the order the search reads them.  The search leaves
// such a package out (it has no description to read) and says so on
// standard error; the check reports it with the other missing folders.
void ReportGonePackages(Simulator simulator) {
  const char* product = FactsOf(simulator).PackagesProduct;
  if (!product) return;
  const PackagePlaces places = PackagePlacesFromRegistry(nullptr);  // told by the search
  for (const std::string* base : {&places.LocalAppData, &places.AppData, &places.ProgramData}) {
    if (base->empty()) continue;
    const std::string file = PackageListFile(*base, product);
    std::string bytes;
    if (!plat::FileExists(file) || !plat::ReadWholeFile(file, bytes)) continue;
    for (const PackageListEntry& entry : ParsePackageList(bytes).Packages) {
      const std::string folder = FullFolderPath(entry.Path);
      if (folder.empty() || plat::FolderExists(folder)) continue;
      WriteLine(" not found! - package: " + folder + "  listed in " + file);
    }
  }
}

}  // namespace

void CheckSceneryConfig(SceneryLibrary& library, bool autoRemove, Notices* packageNotes) {
  library.CheckAreas(autoRemove, WriteLine);

  // The scenery components of add-on packages are checked too, and only
  // reported: a package and its files belong to the user's package manager.
  const AddonPackages packages =
      FindAddonPackages(library.Served, packageNotes ? packageNotes : library.Report);
  const std::vector<bool> componentHasScenery = HaveSceneryFolders(packages);
  size_t next = 0;
  for (const AddonPackage& package : packages.Packages) {
    for (const SceneryComponent& component : package.Scenery) {
      if (componentHasScenery[next++]) continue;
      WriteLine(" not found! - " + (component.Layer ? std::to_string(*component.Layer) : "top") +
                ": " + component.Folder + "  package " + package.DescriptionFile());
    }
  }
  if (library.Served) ReportGonePackages(*library.Served);
}

}  // namespace app
