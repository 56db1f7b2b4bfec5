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
  // Most folders are written in full already (and the folders of the
  // components below a package's folder are made so).
  if (winpath::IsPlainFullPath(folder)) return folder;
  std::string full = plat::FullPath(winpath::WithBackslashes(folder));
  if (full.empty()) full = winpath::WithBackslashes(folder);
  if (full.size() > 3 && full.back() == '\\') full.pop_back();
  return full;
}

std::vector<bool> HaveSceneryFolders(const AddonPackages& packages) {
  std::vector<bool> found;
  std::vector<size_t> unseen;  // the components to look at
  std::vector<const std::string*> folders;
  for (const AddonPackage& package : packages.Packages) {
    for (const SceneryComponent& component : package.Scenery) {
      if (!component.SceneryFolderFound) {
        unseen.push_back(found.size());
        folders.push_back(&component.Folder);
      }
      found.push_back(component.SceneryFolderFound.value_or(false));
    }
  }
  if (unseen.empty()) return found;  // all seen when their descriptions were read
  const std::vector<bool> looked =
      plat::FoldersExist(folders.size(), [&](size_t i) { return *folders[i] + "\\scenery"; });
  for (size_t i = 0; i < unseen.size(); ++i) found[unseen[i]] = looked[i];
  return found;
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

// How a component's path (below its package's folder where it is
// relative) is made full: by the host's full-path rule, or by its text
// alone, which serves for a plain full path only (not for one on the
// current drive or in the current folder).
enum class Completion { OnHost, ByText };

enum class Described { Read, Malformed, NeedsHost };

// What a description holds that the simulator takes, kept as the XML is
// read: the first of each element that counts, with its own text.
class DescriptionEvents : public xml::Events {
 public:
  // An element's text, when the element is there.
  struct Kept {
    bool Found = false;
    std::string Value;
  };
  struct Component {
    Kept Category, Name, Path, Layer;
  };
  // Whether the root is <SimBase.Document>; its name, when it is not.
  bool RootIsDescription = false;
  std::string RootName;
  Kept Type;   // the root's attribute
  Kept Title;  // <AddOn.Name>
  std::vector<Component> Components;  // the <AddOn.Component> elements

  // The names are ASCII: compared by their bytes, the case of their letters
  // aside (a name of as many bytes in another script cannot fold to them).
  void ElementStart(std::string_view name) override {
    Kept* target = nullptr;
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
      static constexpr std::pair<Kept Component::*, const char*> kParts[] = {
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
    if (Kept* target = targets_[depth_ - 1]) target->Value.append(text);
  }
  void ElementEnd() override { --depth_; }

 private:
  // `text`, to be filled, when it is the element `expected` met first.
  static Kept* First(Kept& text, std::string_view name, const char* expected) {
    if (text.Found || !xml::SameAsciiCase(name, expected)) return nullptr;
    text.Found = true;
    return &text;
  }
  // Per element begun and not ended (the reader bounds their depth): where
  // its text goes, if anywhere.
  std::array<Kept*, xml::kMaxDepth> targets_{};
  size_t depth_ = 0;
  bool inComponent_ = false;  // the element at depth 2 is an <AddOn.Component>
};

// ReadPackageDescription with the folders made full by `completion`;
// NeedsHost (and `package` as it was) when it completes one not.  With
// `below` (a folder test below the package's folder), a component whose
// path is below the package's folder has its "scenery" sub-folder looked
// for there.  `plainFolder`: the package's folder is known to be a plain
// full path.
Described ReadDescription(const std::string& bytes, AddonPackage& package, std::string& error,
                          std::vector<std::string>& problems, Completion completion,
                          const plat::FilesBeingRead::FolderBelow* below = nullptr,
                          bool plainFolder = false) {
  DescriptionEvents read;
  if (!xml::Read(bytes, read, error)) return Described::Malformed;
  if (!read.RootIsDescription) {
    error = "its root element is <" + read.RootName + ">, not <SimBase.Document>";
    return Described::Malformed;
  }
  if (read.Type.Found && !IsWordIgnoringCase(read.Type.Value, "AddOnXml")) {
    error = "it is a document of type '" + read.Type.Value +
            "', not an add-on description (AddOnXml)";
    return Described::Malformed;
  }
  std::string title = package.Title;
  if (read.Title.Found) {
    std::string named = Trimmed(std::move(read.Title.Value));
    if (!named.empty()) title = std::move(named);
  }
  std::vector<std::string> found;  // the problems of single components
  std::vector<SceneryComponent> scenery;
  std::optional<bool> plainPackage;
  if (plainFolder) plainPackage = true;
  const auto plainPackageFolder = [&] {
    if (!plainPackage) plainPackage = winpath::IsPlainFullPath(package.Folder);
    return *plainPackage;
  };
  scenery.reserve(read.Components.size());
  for (DescriptionEvents::Component& component : read.Components) {
    if (!component.Category.Found || !IsWordIgnoringCase(component.Category.Value, "Scenery"))
      continue;
    SceneryComponent piece;
    piece.Name = Trimmed(std::move(component.Name.Value));
    if (piece.Name.empty()) piece.Name = title;
    const std::string folder = Trimmed(std::move(component.Path.Value));
    if (folder.empty()) {
      found.push_back("its scenery component '" + piece.Name + "' names no <Path>; it is left out");
      continue;
    }
    const bool relative = winpath::IsRelativePath(folder);
    // A plain folder below a plain package folder is full as it is written
    // behind it (most components are so).
    bool plain = true;  // piece.Folder is a plain full path
    if (relative && plainPackageFolder() && IsPlainRelativeFolder(folder)) {
      piece.Folder = package.Folder + "\\" + folder;
    } else {
      std::string path = relative ? package.Folder + "\\" + folder : folder;
      plain = winpath::IsPlainFullPath(path);
      if (plain) piece.Folder = std::move(path);
      else if (completion == Completion::OnHost) piece.Folder = FullFolderPath(path);
      else return Described::NeedsHost;
    }
    // Folded here, on the thread that reads the description, for the
    // listing's comparison of folders.
    if (plain) piece.FoldedFolder = plat::CaseFoldedKey(piece.Folder);
    if (below && relative) piece.SceneryFolderFound = (*below)(folder + "\\scenery");
    if (component.Layer.Found) {
      int32_t number = 0;
      const std::string text = Trimmed(std::move(component.Layer.Value));
      if (ParseInteger(text, number))
        piece.Layer = number;
      else
        found.push_back("the <Layer> '" + text + "' of its scenery component '" + piece.Name +
                        "' is no whole number; the component is taken to stand on top");
    }
    scenery.push_back(std::move(piece));
  }
  package.Title = std::move(title);
  package.Scenery = std::move(scenery);
  problems.insert(problems.end(), std::make_move_iterator(found.begin()),
                  std::make_move_iterator(found.end()));
  return Described::Read;
}

}  // namespace

bool ReadPackageDescription(const std::string& bytes, AddonPackage& package, std::string& error,
                            std::vector<std::string>& problems) {
  return ReadDescription(bytes, package, error, problems, Completion::OnHost) == Described::Read;
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

// Gathers the packages in the order they are found, each once.  The lists
// and the discovery paths are gone through first, and the packages they
// name noted in that order; the descriptions of all are then read, and
// understood, on a thread of their own where the host has one, while the
// caller does other work (FilesBeingRead).  Finish takes the packages in
// the order noted, every note told in its place among theirs.
class PackageSearch::Finder {
 public:
  explicit Finder(Notices* report) : report_(report) {}

  void Note(const std::string& text) { steps_.push_back({text, kNoPackage}); }
  // Notes met before the search began, told first.
  void NoteFirst(const std::vector<std::string>& texts) {
    std::vector<Step> first;
    for (const std::string& text : texts) first.push_back({text, kNoPackage});
    steps_.insert(steps_.begin(), first.begin(), first.end());
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

  // Room for `count` more packages named.
  void Expect(size_t count) {
    named_.reserve(named_.size() + count);
    descriptions_.reserve(descriptions_.size() + count);
    steps_.reserve(steps_.size() + count);
  }

  // The package in `folder`; `listedIn` names the package list that names
  // it, empty for a folder met in a discovery path (which is no package
  // unless it holds an add-on.xml).
  void Add(std::string folder, PackageSource source, bool active, const std::string& title,
           const std::string& listedIn, bool full = false) {
    Named named;
    // Most folders are written in full already.
    const bool plain = full || winpath::IsPlainFullPath(folder);
    if (!plain) folder = FullFolderPath(folder);
    named.Folder = std::move(folder);
    named.FoldedFolder = plat::CaseFoldedKey(named.Folder);
    named.Source = source;
    named.Active = active;
    named.Title = title.empty() ? winpath::ExtractFileName(named.Folder) : title;
    named.ListedIn = listedIn;
    // A folder named twice with the same title is read and understood once.
    const auto [first, isNew] =
        descriptionOf_.emplace(named.Folder + '\n' + named.Title, descriptions_.size());
    if (isNew) descriptions_.push_back({named.Folder, named.Title, plain});
    named.Description = first->second;
    steps_.push_back({std::string(), named_.size()});
    named_.push_back(std::move(named));
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
    Expect(names.size());
    // A plain name in a plain full folder makes a full path as it stands.
    const bool plainFolder = winpath::IsPlainFullPath(folder);
    const std::string above = winpath::IncludeTrailingBackslash(folder);
    for (const std::string& name : names) {
      // Folders whose names begin with a dot are no one's packages (this
      // program's own staging folders among them).
      if (name.empty() || name[0] == '.') continue;
      Add(above + name, PackageSource::Discovered, active, std::string(), std::string(),
          plainFolder && winpath::IsPlainName(name));
    }
  }

  // Begins to read the descriptions of the packages named.
  void BeginReading() {
    // No more packages are named: what found a description by its folder
    // and title goes, on the thread that named them.
    std::unordered_map<std::string, size_t>().swap(descriptionOf_);
    reads_.emplace(
        descriptions_.size(), [this](size_t i) { return descriptions_[i].Package.DescriptionFile(); },
        xml::kMaxBytes, [this](size_t i, plat::WholeFile& file, const plat::FilesBeingRead::FolderBelow& below) {
          Understand(descriptions_[i], file, below);
        });
  }

  // Takes the packages in the order named.
  AddonPackages Finish() {
    std::vector<plat::WholeFile> files = reads_->Finish();
    found_.Packages.reserve(named_.size());
    for (const Step& step : steps_) {
      if (step.Package == kNoPackage) {
        Tell(step.Note);
      } else {
        const Named& named = named_[step.Package];
        TakePackage(named, files[named.Description], descriptions_[named.Description]);
      }
    }
    return std::move(found_);
  }

 private:
  // A package folder as a list or a discovery path names it.
  struct Named {
    std::string Folder;  // full
    std::string FoldedFolder;  // Folder folded (plat::CaseFoldedKey), to find it again
    PackageSource Source = PackageSource::Discovered;
    bool Active = true;
    std::string Title;     // the list's TITLE, else the folder's name
    std::string ListedIn;
    size_t Description = 0;  // its place among the descriptions read
  };
  // A note, or a package named (kNoPackage for a note).
  static constexpr size_t kNoPackage = static_cast<size_t>(-1);
  struct Step {
    std::string Note;
    size_t Package;
  };
  // A description to read, and what was understood of it on the thread
  // that read it.
  struct Description {
    Description(const std::string& folder, const std::string& title, bool plainFolder)
        : PlainFolder(plainFolder) {
      Package.Folder = folder;
      Package.Title = title;
    }
    AddonPackage Package;  // its folder and title before; all it describes once understood
    bool PlainFolder;      // Package.Folder is a plain full path
    std::optional<Described> Outcome;  // none: not understood there
    std::string Error;
    std::vector<std::string> Problems;
  };

  // Understands the description read as `file`, with only the text
  // functions and `below`: on the thread that read it.  The components'
  // folders below the package's folder are looked for there too, through
  // the handle the description was read through.
  static void Understand(Description& description, plat::WholeFile& file,
                         const plat::FilesBeingRead::FolderBelow& below) {
    description.Outcome = ReadDescription(file.Bytes, description.Package, description.Error,
                                          description.Problems, Completion::ByText, &below,
                                          description.PlainFolder);
    if (description.Outcome != Described::NeedsHost) std::string().swap(file.Bytes);
  }

  // The package `named`, whose description was read as `file` and
  // understood as `description`, unless it was taken before.
  void TakePackage(const Named& named, const plat::WholeFile& file, Description& description) {
    const std::string& full = named.Folder;
    const std::string_view key = named.FoldedFolder;
    for (auto [at, end] = seen_.equal_range(key); at != end; ++at) {
      AddonPackage& known = found_.Packages[at->second];
      if (plat::SameText(known.Folder, full)) {
        if (!named.Active) known.Active = false;
        return;
      }
    }
    // Its name is made only where it is told.
    const auto descriptionFile = [&description] { return description.Package.DescriptionFile(); };
    if (!file.Result.Done()) {
      if (plat::FileExists(descriptionFile()))
        Tell(file.Result.Tell("read", descriptionFile()) + "; the package is left out");
      else if (!named.ListedIn.empty() && !plat::FolderExists(full))
        Tell("the package folder " + full + " listed in " + named.ListedIn +
             " does not exist; the package is left out");
      else if (!named.ListedIn.empty())
        Tell("the package folder " + full + " listed in " + named.ListedIn +
             " holds no add-on.xml; the package is left out");
      return;
    }
    // A component's folder that takes the current drive or folder to make
    // full is made here.
    if (description.Outcome == Described::NeedsHost)
      description.Outcome = ReadDescription(file.Bytes, description.Package, description.Error,
                                            description.Problems, Completion::OnHost);
    if (description.Outcome != Described::Read) {
      Tell(descriptionFile() + " is malformed (" + description.Error +
           "); the package is left out");
      return;
    }
    for (const std::string& problem : description.Problems)
      Tell(descriptionFile() + ": " + problem);
    AddonPackage package = std::move(description.Package);
    package.Source = named.Source;
    package.Active = named.Active;
    seen_.emplace(key, found_.Packages.size());
    found_.Packages.push_back(std::move(package));
    found_.Found = true;
  }

  void Tell(const std::string& text) {
    if (report_) report_->Note(text);
  }

  Notices* report_;
  std::vector<Step> steps_;
  std::vector<Named> named_;
  std::vector<Description> descriptions_;                // the add-on.xml files to read
  std::unordered_map<std::string, size_t> descriptionOf_;  // folder and title -> description
  std::optional<plat::FilesBeingRead> reads_;
  AddonPackages found_;
  // A package's folder folded (its Named's FoldedFolder) -> its index.
  std::unordered_multimap<std::string_view, size_t> seen_;
};

PackageSearch::PackageSearch(const std::string& product, const PackagePlaces& places,
                             Notices* report)
    : finder_(new Finder(report)) {
  Finder& finder = *finder_;
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
    finder.Expect(read.List.Packages.size());
    for (PackageListEntry& entry : read.List.Packages)
      finder.Add(std::move(entry.Path), source, entry.Active, entry.Title, read.File);
    lists.push_back(std::move(read));
  }
  if (!places.Documents.empty())
    finder.Discover(winpath::IncludeTrailingBackslash(places.Documents) + product + " Add-ons", true,
                    std::string());
  for (const ReadList& read : lists)
    for (const PackageListEntry& entry : read.List.DiscoveryPaths)
      finder.Discover(entry.Path, entry.Active, read.File);
  finder.BeginReading();
}

PackageSearch::PackageSearch(std::optional<Simulator> simulator, Notices* report) {
  if (!simulator || !FactsOf(*simulator).PackagesProduct) return;
  // The registry's problems are told with the search's own, by Finish: the
  // search may begin before the caller has told what comes before them.
  struct Kept : Notices {
    std::vector<std::string> Texts;
    void Note(const std::string& text) override { Texts.push_back(text); }
    void Fault(const std::string& text) override { Texts.push_back(text); }
  } registryNotes;
  const PackagePlaces places = PackagePlacesFromRegistry(&registryNotes);
  *this = PackageSearch(FactsOf(*simulator).PackagesProduct, places, report);
  finder_->NoteFirst(registryNotes.Texts);
}

PackageSearch::~PackageSearch() = default;
PackageSearch::PackageSearch(PackageSearch&&) noexcept = default;
PackageSearch& PackageSearch::operator=(PackageSearch&&) noexcept = default;

const AddonPackages& PackageSearch::Finish() {
  if (!finished_ && finder_) packages_ = finder_->Finish();
  finished_ = true;
  return packages_;
}

