// The add-on packages of Prepar3D v4 to v6: the other half of their scenery
// library.  An add-on installed as a package is not listed in scenery.cfg;
// its folder holds a description, add-on.xml, whose scenery components the
// simulator stacks together with the areas of scenery.cfg.
//
// Where packages are found, in this order:
//   1. the package lists: the files add-ons.cfg in the folders
//      "Lockheed Martin\Prepar3D vN" below LocalAppData, AppData and
//      ProgramData (the shell folders of the registry), read in that order;
//      each lists packages in sections [Package.N] (keys PATH, TITLE, ACTIVE,
//      REQUIRED) and discovery paths in sections [DiscoveryPath.N] (PATH,
//      ACTIVE);
//   2. the discovery paths: "Prepar3D vN Add-ons" in the user's Documents,
//      then those the lists name; every direct sub-folder of one that holds
//      an add-on.xml is a package.
// A package reached twice counts once, where it was found first.  A package
// whose list entry, or whose discovery path, says ACTIVE=false is off.
//
// What the simulator takes from add-on.xml (UTF-8 or UTF-16, formats/xml_reader):
//   <SimBase.Document Type="AddOnXml">
//     <AddOn.Name>...</AddOn.Name>
//     <AddOn.Component>
//       <Category>Scenery</Category>     only these belong to the library
//       <Path>...</Path>                 absolute, or below the package folder
//       <Name>...</Name>                 optional
//       <Layer>N</Layer>                 optional: its place among the layers
//     </AddOn.Component> ...
//
// Nothing here writes: the packages belong to the user's package manager.
// A file that cannot be read or is malformed is told to the notices as one
// note naming it, and left out; the rest is found all the same.
//
// May use: base/, platform/, formats/, walk/ and the rest of scenery/.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scenery/install_locator.h"
#include "base/problems.h"

// Where a package was found: the package list below one of the three shell
// folders, or a discovery path.
enum class PackageSource { LocalAppData, AppData, ProgramData, Discovered };
// "LocalAppData", "AppData", "ProgramData" or "discovered".
const char* PackageSourceName(PackageSource source);

// A component of category Scenery: one folder of scenery, as an area of
// scenery.cfg names one.
struct SceneryComponent {
  std::string Name;    // its <Name>, else the package's name
  std::string Folder;  // full Windows path, without a trailing backslash
  std::optional<int32_t> Layer;  // its <Layer>; none: on top of the library
};

struct AddonPackage {
  std::string Folder;  // full Windows path, without a trailing backslash
  std::string Title;   // <AddOn.Name>, else the list's TITLE, else the folder's name
  PackageSource Source = PackageSource::Discovered;
  bool Active = true;
  std::vector<SceneryComponent> Scenery;  // in the file's order

  std::string DescriptionFile() const { return Folder + "\\add-on.xml"; }
};

struct AddonPackages {
  // True when the simulator keeps packages and a package list or a
  // package was found: the library then has a package half to show.
  bool Found = false;
  std::vector<AddonPackage> Packages;  // in the order found
};

// One add-ons.cfg as read: its sections in file order.
struct PackageListEntry {
  std::string Section;  // "Package.3", for messages
  std::string Path;     // PATH as written
  std::string Title;
  bool Active = true;   // ACTIVE; true when absent
};
struct PackageList {
  std::vector<PackageListEntry> Packages;
  std::vector<PackageListEntry> DiscoveryPaths;
  std::vector<std::string> Problems;  // what is wrong with it, in plain words
};
// Reads the text of an add-ons.cfg (UTF-8, with or without its mark).
PackageList ParsePackageList(std::string_view bytes);

// Reads the bytes of add-on.xml into `package` (whose Folder is set): its
// Title when it names one, and its scenery components, their folders made
// full below the package folder.  False, with `error` saying what is wrong,
// when it is malformed or no add-on description; `package` then gains
// nothing.  Problems of single components (a <Layer> that is no number, a
// scenery component without a <Path>) are added to `problems`.
bool ReadPackageDescription(const std::string& bytes, AddonPackage& package, std::string& error,
                            std::vector<std::string>& problems);

// The folders packages are found from, as Windows paths; an empty one is
// not known and not looked at.
struct PackagePlaces {
  std::string LocalAppData;
  std::string AppData;
  std::string ProgramData;
  std::string Documents;
};
// The places of the current user, from the shell folders of the registry
// (on Linux those of the Wine prefix).  A value that is not a string is
// told to `report` and left empty.
PackagePlaces PackagePlacesFromRegistry(Notices* report);
// The package list of the simulator whose package folders are named
// `product` below the place `base`: "<base>\Lockheed Martin\<product>\add-ons.cfg".
std::string PackageListFile(const std::string& base, const std::string& product);

// The packages of the simulator whose package folders are named `product`
// ("Prepar3D v5"), found from `places`, each description read as it is
// met.  Problems go to `report`, in the order met.
AddonPackages FindAddonPackages(const std::string& product, const PackagePlaces& places,
                                Notices* report);
// The packages of `simulator`: none for a simulator that keeps no packages,
// without a look at the registry or the disk.
AddonPackages FindAddonPackages(std::optional<Simulator> simulator, Notices* report);

// For each scenery component of `packages`, package by package, in their
// order: true when its folder holds a "scenery" sub-folder, as the folder
// of an area must.
std::vector<bool> HaveSceneryFolders(const AddonPackages& packages);

// `folder` (a full Windows path) as the packages name folders: '/' as '\',
// "." and ".." resolved, no trailing backslash but a drive root's.
std::string FullFolderPath(const std::string& folder);

