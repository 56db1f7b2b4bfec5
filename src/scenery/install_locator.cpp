// Installation discovery: the registry reader, the installed simulators and
// the location of scenery.cfg for FS9 or FSX.
#include "scenery/install_locator.h"

#include <algorithm>
#include <string>

#include "platform/platform.h"
#include "scenery/fatal_error.h"

namespace {

const char* const kFS9Key = "\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0";
const char* const kFSXKey = "\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
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
  switch (plat::RegReadString(root_, key, name, value)) {
    case plat::RegResult::Ok:
      return value;
    case plat::RegResult::NotFound:
      return std::string();
    case plat::RegResult::WrongType:
      break;
  }
  throw FatalError("Registry value '" + name + "' of key " + RootName(root_) + "\\" + key +
                   " is not a string");
}

// ------------------------------------------------------------ InstalledSimulators

InstalledSimulators::InstalledSimulators() {
  RegistryReader registry;
  registry.SetRootKey(plat::RegRoot::CurrentUser);
  FS9Folder = registry.OpenKeyReadOnly(kFS9Key) ? registry.ReadString("AppPath") : std::string();
  FSXFolder = registry.OpenKeyReadOnly(kFSXKey) ? registry.ReadString("AppPath") : std::string();
  if (!FS9Folder.empty()) {
    InstalledVersions = {9};
    FS9Folder = WithTrailingBackslash(FS9Folder);
  }
  if (!FSXFolder.empty()) {
    InstalledVersions.push_back(10);
    FSXFolder = WithTrailingBackslash(FSXFolder);
  }
}

bool InstalledSimulators::HasVersion(int version) const {
  return std::find(InstalledVersions.begin(), InstalledVersions.end(), version) !=
         InstalledVersions.end();
}

// ------------------------------------------------------------ location

InstallLocation LocateInstall(int32_t forceVersion, Notices* report) {
  for (plat::RegRoot root : {plat::RegRoot::CurrentUser, plat::RegRoot::LocalMachine}) {
    const std::string problem = plat::RegistryProblem(root);
    if (!problem.empty() && report) report->Fault(problem);
  }
  const InstalledSimulators installed;
  if (installed.InstalledVersions.empty() || (forceVersion == 10 && !installed.HasVersion(10)) ||
      (forceVersion == 9 && !installed.HasVersion(9)))
    return {};

  if (forceVersion != 9 && installed.HasVersion(10)) {
    // FSX keeps scenery.cfg in the all-users application data folder.
    RegistryReader registry;
    registry.SetRootKey(plat::RegRoot::LocalMachine);
    std::string commonAppData;
    if (registry.OpenKeyReadOnly(kShellFoldersKey))
      commonAppData = registry.ReadString("Common AppData");
    return {commonAppData + "\\Microsoft\\FSX\\" + "scenery.cfg", installed.FSXFolder};
  }
  // FS9 keeps it in its program folder.
  return {installed.FS9Folder + "scenery.cfg", installed.FS9Folder};
}
