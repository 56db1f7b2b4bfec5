// Installation discovery: the registry reader, the simulators served and
// where each keeps scenery.cfg, and the choice of the installation to serve.
#include "scenery/install_locator.h"

#include <algorithm>
#include <string>

#include "platform/platform.h"
#include "platform/simulator_keys.h"
#include "base/problems.h"

namespace {

const char* const kShellFoldersKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

const char* RootName(plat::RegRoot root) {
  return root == plat::RegRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

std::string WithTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

}  // namespace

// ------------------------------------------------------------ RegistryReader

void RegistryReader::SetRootKey(plat::RegRoot root) {
  if (root != root_) {
    open_ = false;
    currentKey_.clear();
  }
  root_ = root;
}

bool RegistryReader::OpenKeyReadOnly(const std::string& key) {
  // A leading backslash names the key from the root; otherwise the path is
  // below the key that is open.
  std::string path;
  if (!key.empty() && key[0] == '\\')
    path = key.substr(1);
  else if (open_ && !currentKey_.empty())
    path = key.empty() ? currentKey_ : currentKey_ + "\\" + key;
  else
    path = key;
  if (!plat::RegKeyExists(root_, path)) return false;  // the open key stays open
  currentKey_ = path;
  open_ = true;
  return true;
}

std::string RegistryReader::ReadString(const std::string& name) {
  // Without an open key the value is looked up at the root itself.
  const std::string key = open_ ? currentKey_ : std::string();
  std::string value;
  switch (plat::RegReadString(root_, key, name, value).Outcome) {
    case plat::FileOutcome::Done: return value;
    case plat::FileOutcome::WrongKind: break;
    default: return std::string();
  }
  throw FatalError("the registry value '" + name + "' of key " + RootName(root_) + "\\" + key +
                   " is not a string; run the simulator's installer again, or correct the value "
                   "with the registry editor");
}

// ------------------------------------------------------------ simulators

const std::vector<SimulatorFacts>& KnownSimulators() {
  static const std::vector<SimulatorFacts> known = {
      {Simulator::FS9, "FS9", simkeys::kFS9, nullptr},
      {Simulator::FSX, "FSX", simkeys::kFSX, "\\Microsoft\\FSX\\"},
      {Simulator::FSXSteamEdition, "FSX-SE", simkeys::kFSXSteamEdition, "\\Microsoft\\FSX-SE\\"},
      {Simulator::Prepar3Dv3, "P3Dv3", simkeys::kPrepar3Dv3, "\\Lockheed Martin\\Prepar3D v3\\"},
      {Simulator::Prepar3Dv4, "P3Dv4", simkeys::kPrepar3Dv4, "\\Lockheed Martin\\Prepar3D v4\\",
       "Prepar3D v4"},
      {Simulator::Prepar3Dv5, "P3Dv5", simkeys::kPrepar3Dv5, "\\Lockheed Martin\\Prepar3D v5\\",
       "Prepar3D v5"},
      {Simulator::Prepar3Dv6, "P3Dv6", simkeys::kPrepar3Dv6, "\\Lockheed Martin\\Prepar3D v6\\",
       "Prepar3D v6"},
  };
  return known;
}

bool KeepsLibraryInUtf8(Simulator simulator) {
  return simulator == Simulator::Prepar3Dv4 || simulator == Simulator::Prepar3Dv5 ||
         simulator == Simulator::Prepar3Dv6;
}

const SimulatorFacts& FactsOf(Simulator simulator) {
  for (const SimulatorFacts& facts : KnownSimulators())
    if (facts.Which == simulator) return facts;
  return KnownSimulators().front();  // not reached: every enumerator is listed
}

std::optional<Simulator> SimulatorNamed(std::string_view name) {
  // The names are ASCII: letters compare without regard to case, nothing else.
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
  for (const SimulatorFacts& facts : KnownSimulators()) {
    const std::string_view known = facts.Name;
    if (known.size() == name.size() &&
        std::equal(known.begin(), known.end(), name.begin(),
                   [&](char a, char b) { return upper(a) == upper(b); }))
      return facts.Which;
  }
  return std::nullopt;
}

std::string KnownSimulatorNames() {
  std::string names;
  for (const SimulatorFacts& facts : KnownSimulators())
    names += (names.empty() ? "" : ", ") + std::string(facts.Name);
  return names;
}

std::string RegisteredFolder(Simulator simulator) {
  RegistryReader registry;
  registry.SetRootKey(plat::RegRoot::CurrentUser);
  const std::string key = std::string("\\") + FactsOf(simulator).AppPathKey;
  if (!registry.OpenKeyReadOnly(key)) return std::string();
  return WithTrailingBackslash(registry.ReadString(simkeys::kAppPathValue));
}

// ------------------------------------------------------------ InstalledSimulators

InstalledSimulators::InstalledSimulators() {
  // Both keys are always read, whichever version is forced.
  FS9Folder = RegisteredFolder(Simulator::FS9);
  FSXFolder = RegisteredFolder(Simulator::FSX);
  if (!FS9Folder.empty()) InstalledVersions.push_back(9);
  if (!FSXFolder.empty()) InstalledVersions.push_back(10);
}

bool InstalledSimulators::HasVersion(int version) const {
  return std::find(InstalledVersions.begin(), InstalledVersions.end(), version) !=
         InstalledVersions.end();
}

// ------------------------------------------------------------ location

namespace {

// `simulator` installed in `folder` (ending in a backslash); nothing when
// the folder is empty (not installed).
InstallLocation Serve(Simulator simulator, const std::string& folder) {
  if (folder.empty()) return {};
  const char* below = FactsOf(simulator).LibraryBelowCommonAppData;
  // The parts are joined as they are: a folder ending in a backslash gives
  // a doubled one, and a missing folder a path from the drive's root.
  const bool utf8 = KeepsLibraryInUtf8(simulator);
  if (below)
    return {ShellFolder(plat::RegRoot::LocalMachine, "Common AppData") + below + "scenery.cfg", folder,
            utf8, simulator};
  return {folder + "scenery.cfg", folder, utf8, simulator};
}

}  // namespace

std::string ShellFolder(plat::RegRoot root, const std::string& name) {
  RegistryReader registry;
  registry.SetRootKey(root);
  if (!registry.OpenKeyReadOnly(kShellFoldersKey)) return std::string();
  return registry.ReadString(name);
}

InstallLocation LocateInstall(const InstallChoice& choice, Notices* report) {
  for (plat::RegRoot root : {plat::RegRoot::CurrentUser, plat::RegRoot::LocalMachine}) {
    const plat::FileResult problem = plat::RegistryProblem(root);
    if (!problem.Done() && report) report->Fault(problem.Cause);
  }
  if (!choice.SimulatorName.empty()) {
    const std::optional<Simulator> named = SimulatorNamed(choice.SimulatorName);
    if (!named)
      throw FatalError("unknown simulator '" + choice.SimulatorName +
                       "' in the setting Simulator of layrix.ini; the known names are " +
                       KnownSimulatorNames());
    return Serve(*named, RegisteredFolder(*named));
  }

  const InstalledSimulators installed;
  if (choice.ForceVersion == 9) return Serve(Simulator::FS9, installed.FS9Folder);
  if (choice.ForceVersion == 10) return Serve(Simulator::FSX, installed.FSXFolder);
  if (installed.HasVersion(10)) return Serve(Simulator::FSX, installed.FSXFolder);
  if (installed.HasVersion(9)) return Serve(Simulator::FS9, installed.FS9Folder);

  // Neither FS9 nor FSX: the newer simulators of the same library format,
  // each key read only when the ones before it found nothing.
  for (Simulator newer : {Simulator::FSXSteamEdition, Simulator::Prepar3Dv6, Simulator::Prepar3Dv5,
                          Simulator::Prepar3Dv4, Simulator::Prepar3Dv3}) {
    const std::string folder = RegisteredFolder(newer);
    if (!folder.empty()) return Serve(newer, folder);
  }
  return {};
}

// ------------------------------------------------------------ why none

namespace {

// "FS9 at C:\FS9\, FSX at C:\FSX\", or "none".
std::string InstalledSimulatorsText() {
  std::string text;
  for (const SimulatorFacts& facts : KnownSimulators()) {
    const std::string folder = RegisteredFolder(facts.Which);
    if (!folder.empty())
      text += (text.empty() ? "" : ", ") + std::string(facts.Name) + " at " + folder;
  }
  return text.empty() ? "none" : text;
}

std::string AppPathOf(Simulator simulator) {
  return std::string("its key HKEY_CURRENT_USER\\") + FactsOf(simulator).AppPathKey +
         " has no value " + simkeys::kAppPathValue;
}

}  // namespace

std::string WhyNoLibrary(const InstallChoice& choice, const InstallLocation& found) {
  const std::string place = plat::RegistryPlaceProblem();
  if (!place.empty()) return place;
  // A registry that could not be read has been told as the run's fault.
  if (!plat::RegistryProblem(plat::RegRoot::CurrentUser).Done()) return std::string();
  if (!found.Served) {
    const char* const settings = " in layrix.ini";
    if (!choice.SimulatorName.empty()) {
      const Simulator named = *SimulatorNamed(choice.SimulatorName);  // an unknown name threw
      return "the setting Simulator=" + choice.SimulatorName + settings +
             " names a simulator that is not installed in " + plat::RegistryPlaceName() + " (" +
             AppPathOf(named) + "); installed: " + InstalledSimulatorsText() +
             "; name one of those, or remove the setting";
    }
    if (choice.ForceVersion == 9 || choice.ForceVersion == 10) {
      const Simulator forced = choice.ForceVersion == 9 ? Simulator::FS9 : Simulator::FSX;
      return "the setting ForceVersion=" + std::to_string(choice.ForceVersion) + settings +
             " asks for " + FactsOf(forced).Name + ", which is not installed in " +
             plat::RegistryPlaceName() + " (" + AppPathOf(forced) +
             "); installed: " + InstalledSimulatorsText() + "; remove the setting";
    }
    std::string keys;
    for (const SimulatorFacts& facts : KnownSimulators())
      keys += (keys.empty() ? "HKEY_CURRENT_USER\\" : ", ") + std::string(facts.AppPathKey);
    return "no simulator is registered in " + plat::RegistryPlaceName() + ": none of the keys " +
           keys + " has a value " + simkeys::kAppPathValue +
           "; install the simulator (its installer registers it), or, under Wine, set "
           "WINEPREFIX to the prefix that holds it";
  }
  const SimulatorFacts& facts = FactsOf(*found.Served);
  if (plat::FolderExists(found.ConfigPath))
    return found.ConfigPath + " is a folder, not a file; " + facts.Name +
           " keeps its scenery library in a file of that name";
  std::string why = std::string(facts.Name) + " is registered at " + found.SimulatorFolder +
                    ", but its scenery library " + found.ConfigPath + " does not exist";
  if (facts.LibraryBelowCommonAppData &&
      ShellFolder(plat::RegRoot::LocalMachine, "Common AppData").empty())
    return why + ": the all-users application data folder (Common AppData of " +
           "HKEY_LOCAL_MACHINE" + kShellFoldersKey + ") is not set";
  return why + "; start the simulator once, so that it writes one, or put yours back there";
}
