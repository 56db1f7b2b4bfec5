// The add-on packages of Prepar3D v4 to v6: reading the package lists
// (add-ons.cfg) and the package descriptions (add-on.xml), and finding the
// packages from the lists and the discovery paths.
#include "scenery/addon_packages.h"

#include <string>
#include <unordered_map>
#include <utility>

#include "platform/platform.h"
#include "platform/winpath.h"
#include "profile/profile.h"
#include "scenery/fatal_error.h"
#include "scenery/value_syntax.h"
#include "xml/xml_reader.h"

const char* PackageSourceName(PackageSource source) {
  switch (source) {
    case PackageSource::LocalAppData: return "LocalAppData";
    case PackageSource::AppData: return "AppData";
    case PackageSource::ProgramData: return "ProgramData";
    case PackageSource::Discovered: break;
  }
  return "discovered";
}

namespace {

std::string Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  size_t b = 0, e = text.size();
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && plat::SameText(std::string(text.substr(0, start.size())),
                                                       std::string(start));
}

}  // namespace

std::string FullFolderPath(const std::string& folder) {
  std::string full = plat::FullPath(winpath::WithBackslashes(folder));
  if (full.empty()) full = winpath::WithBackslashes(folder);
  if (full.size() > 3 && full.back() == '\\') full.pop_back();
  return full;
}

std::vector<bool> HaveSceneryFolders(const AddonPackages& packages) {
  std::vector<const std::string*> folders;
  for (const AddonPackage& package : packages.Packages)
    for (const SceneryComponent& component : package.Scenery) folders.push_back(&component.Folder);
  return plat::FoldersExist(folders.size(), [&](size_t i) { return *folders[i] + "\\scenery"; });
}

// ------------------------------------------------------------ add-ons.cfg

PackageList ParsePackageList(std::string_view bytes) {
  PackageList list;
  std::string text, error;
  if (!xml::DecodeDocument(bytes, text, error)) {
    list.Problems.push_back(error);
    return list;
  }
  auto onSection = [&](std::string_view name, std::span<const profile::KeyRef> keys) {
    const bool package = StartsWithIgnoringCase(name, "Package.");
    if (!package && !StartsWithIgnoringCase(name, "DiscoveryPath.")) return;
    PackageListEntry entry;
    entry.Section = std::string(name);
    const std::string* active = nullptr;
    std::string activeText;
    // The first key of a name counts, as in every profile file.
    bool hasPath = false, hasTitle = false, hasActive = false;
    for (const profile::KeyRef& key : keys) {
      const std::string keyName(key.Name);
      if (!hasPath && plat::SameText(keyName, "PATH")) {
        entry.Path = std::string(key.Value);
        hasPath = true;
      } else if (!hasTitle && plat::SameText(keyName, "TITLE")) {
        entry.Title = std::string(key.Value);
        hasTitle = true;
      } else if (!hasActive && plat::SameText(keyName, "ACTIVE")) {
        activeText = std::string(key.Value);
        active = &activeText;
        hasActive = true;
      }
    }
    if (active && !ParseBoolean(*active, entry.Active)) {
      list.Problems.push_back("[" + entry.Section + "] has ACTIVE=" + *active +
                              ", which is neither true nor false; it is taken as true");
      entry.Active = true;
    }
    if (entry.Path.empty()) {
      list.Problems.push_back("[" + entry.Section + "] names no PATH; it is passed over");
      return;
    }
    (package ? list.Packages : list.DiscoveryPaths).push_back(std::move(entry));
  };
  profile::ForEachSection(text, profile::Unmarked::Utf8, onSection);
  return list;
}

// ------------------------------------------------------------ add-on.xml

bool ReadPackageDescription(std::string_view bytes, AddonPackage& package, std::string& error,
                            std::vector<std::string>& problems) {
  xml::Element root;
  if (!xml::Parse(bytes, root, error)) return false;
  if (!StartsWithIgnoringCase(root.Name, "SimBase.Document") || root.Name.size() != 16) {
    error = "its root element is <" + root.Name + ">, not <SimBase.Document>";
    return false;
  }
  const std::string* type = root.AttributeValue("Type");
  if (type && !plat::SameText(Trimmed(*type), "AddOnXml")) {
    error = "it is a document of type \"" + *type + "\", not an add-on description (AddOnXml)";
    return false;
  }
  if (const xml::Element* name = root.Child("AddOn.Name")) {
    const std::string title = Trimmed(name->Text);
    if (!title.empty()) package.Title = title;
  }
  std::vector<SceneryComponent> scenery;
  for (const xml::Element& component : root.Children) {
    if (!StartsWithIgnoringCase(component.Name, "AddOn.Component") || component.Name.size() != 15)
      continue;
    const xml::Element* category = component.Child("Category");
    if (!category || !plat::SameText(Trimmed(category->Text), "Scenery")) continue;
    SceneryComponent piece;
    const xml::Element* name = component.Child("Name");
    piece.Name = name ? Trimmed(name->Text) : std::string();
    if (piece.Name.empty()) piece.Name = package.Title;
    const xml::Element* path = component.Child("Path");
    const std::string folder = path ? Trimmed(path->Text) : std::string();
    if (folder.empty()) {
      problems.push_back("its scenery component \"" + piece.Name + "\" names no <Path>; it is left out");
      continue;
    }
    piece.Folder = FullFolderPath(winpath::IsRelativePath(folder) ? package.Folder + "\\" + folder : folder);
    if (const xml::Element* layer = component.Child("Layer")) {
      int32_t number = 0;
      const std::string text = Trimmed(layer->Text);
      if (ParseInteger(text, number))
        piece.Layer = number;
      else
        problems.push_back("the <Layer> \"" + text + "\" of its scenery component \"" + piece.Name +
                           "\" is no whole number; the component is taken to stand on top");
    }
    scenery.push_back(std::move(piece));
  }
  package.Scenery = std::move(scenery);
  return true;
}

// ------------------------------------------------------------ finding them

PackagePlaces PackagePlacesFromRegistry(Notices* report) {
  const auto read = [&](plat::RegRoot root, const char* name) {
    try {
      return ShellFolder(root, name);
    } catch (const FatalError& e) {
      if (report) report->Note(std::string(e.what()) + "; the add-on packages there are not looked for");
      return std::string();
    }
  };
  PackagePlaces places;
  places.LocalAppData = read(plat::RegRoot::CurrentUser, "Local AppData");
  places.AppData = read(plat::RegRoot::CurrentUser, "AppData");
  places.ProgramData = read(plat::RegRoot::LocalMachine, "Common AppData");
  places.Documents = read(plat::RegRoot::CurrentUser, "Personal");
  return places;
}

namespace {

// Gathers the packages in the order they are found, each once.
class PackageFinder {
 public:
  explicit PackageFinder(Notices* report) : report_(report) {}

  void Note(const std::string& text) {
    if (report_) report_->Note(text);
  }

  // Reads the package list below `base`; false when there is none.
  bool ReadList(const std::string& file, PackageList& list) {
    if (!plat::FileExists(file)) return false;
    std::string bytes;
    if (const plat::FileResult read = plat::ReadWholeFile(file, bytes, xml::kMaxBytes); !read) {
      Note(read.Tell("read", file) + "; the packages it lists are left out");
      return false;
    }
    list = ParsePackageList(bytes);
    for (const std::string& problem : list.Problems) Note(file + ": " + problem);
    found_.Found = true;
    return true;
  }

  // The package in `folder`; `listedIn` names the package list that names
  // it, empty for a folder met in a discovery path (which is no package
  // unless it holds an add-on.xml).
  void Add(const std::string& folder, PackageSource source, bool active, const std::string& title,
           const std::string& listedIn) {
    const std::string full = FullFolderPath(folder);
    const std::string key = plat::CaseFoldedKey(full);
    for (auto [at, end] = seen_.equal_range(key); at != end; ++at) {
      AddonPackage& known = found_.Packages[at->second];
      if (plat::SameText(known.Folder, full)) {
        if (!active) known.Active = false;
        return;
      }
    }
    AddonPackage package;
    package.Folder = full;
    package.Source = source;
    package.Active = active;
    package.Title = title.empty() ? winpath::ExtractFileName(full) : title;
    const std::string description = package.DescriptionFile();
    std::string bytes, error;
    if (const plat::FileResult read = plat::ReadWholeFile(description, bytes, xml::kMaxBytes); !read) {
      if (plat::FileExists(description))
        Note(read.Tell("read", description) + "; the package is left out");
      else if (!listedIn.empty() && !plat::FolderExists(full))
        Note("the package folder " + full + " listed in " + listedIn +
             " does not exist; the package is left out");
      else if (!listedIn.empty())
        Note("the package folder " + full + " listed in " + listedIn +
             " holds no add-on.xml; the package is left out");
      return;
    }
    std::vector<std::string> problems;
    if (!ReadPackageDescription(bytes, package, error, problems)) {
      Note(description + " is malformed (" + error + "); the package is left out");
      return;
    }
    for (const std::string& problem : problems) Note(description + ": " + problem);
    seen_.emplace(key, found_.Packages.size());
    found_.Packages.push_back(std::move(package));
    found_.Found = true;
  }

  // Every direct sub-folder of `path` that holds an add-on.xml.
  void Discover(const std::string& path, bool active, const std::string& listedIn) {
    const std::string folder = FullFolderPath(path);
    std::vector<plat::DirEntry> entries;
    const plat::FileResult problem =
        plat::FindFolders(winpath::IncludeTrailingBackslash(folder) + "*.*", entries);
    if (!problem.Done()) {
      Note("cannot list the discovery path " + folder + ": " + problem.Cause);
      return;
    }
    if (entries.empty() && !listedIn.empty() && !plat::FolderExists(folder)) {
      Note("the discovery path " + folder + " listed in " + listedIn + " does not exist");
      return;
    }
    for (const plat::DirEntry& entry : entries) {
      // Folders whose names begin with a dot are no one's packages (this
      // program's own staging folders among them).
      if (entry.Name.empty() || entry.Name[0] == '.') continue;
      Add(winpath::IncludeTrailingBackslash(folder) + entry.Name, PackageSource::Discovered, active,
          std::string(), std::string());
    }
  }

  AddonPackages Take() { return std::move(found_); }

 private:
  Notices* report_;
  AddonPackages found_;
  std::unordered_multimap<std::string, size_t> seen_;  // folded folder -> index
};

}  // namespace

AddonPackages FindAddonPackages(const std::string& product, const PackagePlaces& places,
                                Notices* report) {
  PackageFinder finder(report);
  struct ReadList {
    std::string File;
    PackageList List;
  };
  std::vector<ReadList> lists;
  const std::pair<PackageSource, const std::string*> bases[] = {
      {PackageSource::LocalAppData, &places.LocalAppData},
      {PackageSource::AppData, &places.AppData},
      {PackageSource::ProgramData, &places.ProgramData}};
  for (const auto& [source, base] : bases) {
    if (base->empty()) continue;
    ReadList read;
    read.File = winpath::IncludeTrailingBackslash(*base) + "Lockheed Martin\\" + product + "\\add-ons.cfg";
    if (!finder.ReadList(read.File, read.List)) continue;
    for (const PackageListEntry& entry : read.List.Packages)
      finder.Add(entry.Path, source, entry.Active, entry.Title, read.File);
    lists.push_back(std::move(read));
  }
  if (!places.Documents.empty())
    finder.Discover(winpath::IncludeTrailingBackslash(places.Documents) + product + " Add-ons", true,
                    std::string());
  for (const ReadList& read : lists)
    for (const PackageListEntry& entry : read.List.DiscoveryPaths)
      finder.Discover(entry.Path, entry.Active, read.File);
  return finder.Take();
}

AddonPackages FindAddonPackages(std::optional<Simulator> simulator, Notices* report) {
  if (!simulator || !FactsOf(*simulator).PackagesProduct) return {};
  return FindAddonPackages(FactsOf(*simulator).PackagesProduct, PackagePlacesFromRegistry(report),
                           report);
}
