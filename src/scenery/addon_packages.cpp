// The add-on packages of Prepar3D v4 to v6: reading the package lists
// (add-ons.cfg) and the package descriptions (add-on.xml), and finding the
// packages from the lists and the discovery paths.
#include "scenery/addon_packages.h"

#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/platform.h"
#include "platform/text_encoding.h"
#include "platform/text_rules.h"
#include "platform/winpath.h"
#include "formats/profile.h"
#include "base/problems.h"
#include "scenery/folder_match.h"
#include "scenery/value_syntax.h"
#include "formats/xml_reader.h"

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

// `text` without its leading and trailing blanks, taken from it.
std::string Trimmed(std::string&& text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  size_t b = 0, e = text.size();
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  text.erase(e);
  text.erase(0, b);
  return std::move(text);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && textrules::EqualIgnoreCase(text.substr(0, start.size()), start);
}

// `text` without its leading and trailing blanks equals `word` ignoring case.
bool IsWordIgnoringCase(std::string_view text, std::string_view word) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text == word) return true;  // as it is mostly written
  // An ASCII text of another length is another word.
  if (text.size() != word.size() && encoding::IsAscii(text)) return false;
  return textrules::EqualIgnoreCase(text, word);
}

}  // namespace

std::string FullFolderPath(const std::string& folder) {
  return winpath::FullFolder(winpath::WithBackslashes(folder), plat::FullPath, true);
}

std::vector<bool> HaveSceneryFolders(const AddonPackages& packages) {
  std::vector<bool> found;
  for (const AddonPackage& package : packages.Packages)
    for (const SceneryComponent& component : package.Scenery)
      found.push_back(plat::FolderExists(component.Folder + "\\scenery"));
  return found;
}

// ------------------------------------------------------------ add-ons.cfg

PackageList ParsePackageList(std::string_view bytes) {
  PackageList list;
  std::string text;
  if (const FormatProblem problem = xml::DecodeDocument(bytes, text)) {
    list.Problems.push_back(problem.Text);
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
      const std::string_view keyName = key.Name;
      if (!hasPath && textrules::EqualIgnoreCase(keyName, "PATH")) {
        entry.Path = std::string(key.Value);
        hasPath = true;
      } else if (!hasTitle && textrules::EqualIgnoreCase(keyName, "TITLE")) {
        entry.Title = std::string(key.Value);
        hasTitle = true;
      } else if (!hasActive && textrules::EqualIgnoreCase(keyName, "ACTIVE")) {
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

namespace {

// What a description holds that the simulator takes, kept as the XML is
// read: the first of each element that counts, with its own text.
class DescriptionEvents : public xml::Events {
 public:
  // An element's text, when the element is there.
  struct ElementText {
    bool Found = false;
    std::string Value;
  };
  struct Component {
    ElementText Category, Name, Path, Layer;
  };
  // Whether the root is <SimBase.Document>; its name, when it is not.
  bool RootIsDescription = false;
  std::string RootName;
  ElementText Type;   // the root's attribute
  ElementText Title;  // <AddOn.Name>
  std::vector<Component> Components;  // the <AddOn.Component> elements

  // The names are ASCII: compared by their bytes, the case of their letters
  // aside (a name of as many bytes in another script cannot fold to them).
  void ElementStart(std::string_view name) override {
    ElementText* target = nullptr;
    if (depth_ == 0) {
      RootIsDescription = xml::SameAsciiCase(name, "SimBase.Document");
      if (!RootIsDescription) RootName = name;
    } else if (depth_ == 1) {
      inComponent_ = xml::SameAsciiCase(name, "AddOn.Component");
      if (inComponent_) {
        if (Components.empty()) Components.reserve(4);
        Components.emplace_back();
      } else {
        target = First(Title, name, "AddOn.Name");
      }
    } else if (depth_ == 2 && inComponent_) {
      Component& component = Components.back();
      static constexpr std::pair<ElementText Component::*, const char*> kParts[] = {
          {&Component::Category, "Category"}, {&Component::Name, "Name"},
          {&Component::Path, "Path"}, {&Component::Layer, "Layer"}};
      for (const auto& [part, partName] : kParts)
        if (!target) target = First(component.*part, name, partName);
    }
    targets_[depth_++] = target;
  }
  void Attribute(std::string_view name, std::string_view value) override {
    if (depth_ == 1 && !Type.Found && xml::SameAsciiCase(name, "Type")) {
      Type.Found = true;
      Type.Value = value;
    }
  }
  void Text(std::string_view text) override {
    if (ElementText* target = targets_[depth_ - 1]) target->Value.append(text);
  }
  void ElementEnd() override { --depth_; }

 private:
  // `text`, to be filled, when it is the element `expected` met first.
  static ElementText* First(ElementText& text, std::string_view name, const char* expected) {
    if (text.Found || !xml::SameAsciiCase(name, expected)) return nullptr;
    text.Found = true;
    return &text;
  }
  // Per element begun and not ended (the reader bounds their depth): where
  // its text goes, if anywhere.
  std::array<ElementText*, xml::kMaxDepth> targets_{};
  size_t depth_ = 0;
  bool inComponent_ = false;  // the element at depth 2 is an <AddOn.Component>
};

}  // namespace

bool ReadPackageDescription(const std::string& bytes, AddonPackage& package, std::string& error,
                            std::vector<std::string>& problems) {
  DescriptionEvents read;
  if (const FormatProblem problem = xml::Read(bytes, read)) {
    error = problem.Text;
    return false;
  }
  if (!read.RootIsDescription) {
    error = "its root element is <" + read.RootName + ">, not <SimBase.Document>";
    return false;
  }
  if (read.Type.Found && !IsWordIgnoringCase(read.Type.Value, "AddOnXml")) {
    error = "it is a document of type '" + read.Type.Value +
            "', not an add-on description (AddOnXml)";
    return false;
  }
  if (read.Title.Found) {
    std::string named = Trimmed(std::move(read.Title.Value));
    if (!named.empty()) package.Title = std::move(named);
  }
  std::vector<SceneryComponent> scenery;
  for (DescriptionEvents::Component& component : read.Components) {
    if (!component.Category.Found || !IsWordIgnoringCase(component.Category.Value, "Scenery"))
      continue;
    SceneryComponent piece;
    piece.Name = Trimmed(std::move(component.Name.Value));
    if (piece.Name.empty()) piece.Name = package.Title;
    const std::string folder = Trimmed(std::move(component.Path.Value));
    if (folder.empty()) {
      problems.push_back("its scenery component '" + piece.Name + "' names no <Path>; it is left out");
      continue;
    }
    piece.Folder =
        FullFolderPath(winpath::IsRelativePath(folder) ? package.Folder + "\\" + folder : folder);
    if (component.Layer.Found) {
      int32_t number = 0;
      const std::string text = Trimmed(std::move(component.Layer.Value));
      if (ParseInteger(text, number))
        piece.Layer = number;
      else
        problems.push_back("the <Layer> '" + text + "' of its scenery component '" + piece.Name +
                           "' is no whole number; the component is taken to stand on top");
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

// Gathers the packages in the order they are found, each once, reading
// each one's description as it is met.
class PackageFinder {
 public:
  explicit PackageFinder(Notices* report) : report_(report) {}

  void Note(const std::string& text) {
    if (report_) report_->Note(text);
  }

  // Reads the package list `file`; false when there is none.
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
    std::string bytes;
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
    std::string error;
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
    std::vector<std::string> names;
    const plat::FileResult problem =
        plat::FindFolderNames(winpath::IncludeTrailingBackslash(folder) + "*.*", names);
    if (!problem.Done()) {
      Note("cannot list the discovery path " + folder + ": " + problem.Cause);
      return;
    }
    if (names.empty() && !listedIn.empty() && !plat::FolderExists(folder)) {
      Note("the discovery path " + folder + " listed in " + listedIn + " does not exist");
      return;
    }
    for (const std::string& name : names) {
      // Folders whose names begin with a dot are no one's packages (this
      // program's own staging folders among them).
      if (name.empty() || name[0] == '.') continue;
      Add(winpath::IncludeTrailingBackslash(folder) + name, PackageSource::Discovered, active,
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

std::string PackageListFile(const std::string& base, const std::string& product) {
  return winpath::IncludeTrailingBackslash(base) + "Lockheed Martin\\" + product + "\\add-ons.cfg";
}

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
    read.File = PackageListFile(*base, product);
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
