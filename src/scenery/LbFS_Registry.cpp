// Installation discovery: the registry reader and the location of
// scenery.cfg for FS9 or FSX.
#include <algorithm>
#include <string>

#include "platform/platform.h"
#include "scenery/LbFS.h"

namespace {

const char* const kFS9Key = "\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0";
const char* const kFS10Key = "\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
const char* const kShellFoldersKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

const char* RootName(plat::RegRoot Root) {
  return Root == plat::RegRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

std::string WithTrailingBackslash(std::string Path) {
  if (!Path.empty() && Path.back() != '\\') Path += '\\';
  return Path;
}

}  // namespace

// ------------------------------------------------------------ TRegistry

void TRegistry::SetRootKey(plat::RegRoot Root) {
  if (Root != Root_) {
    Open_ = false;
    CurrentKey_.clear();
  }
  Root_ = Root;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
  // A leading backslash names the key from the root; otherwise the path is
  // below the key that is open.
  std::string path;
  if (!Key.empty() && Key[0] == '\\')
    path = Key.substr(1);
  else if (Open_ && !CurrentKey_.empty())
    path = Key.empty() ? CurrentKey_ : CurrentKey_ + "\\" + Key;
  else
    path = Key;
  if (!plat::RegKeyExists(Root_, path)) return false;  // the open key stays open
  CurrentKey_ = path;
  Open_ = true;
  return true;
}

std::string TRegistry::ReadString(const std::string& Name) {
  // Without an open key the value is looked up at the root itself.
  const std::string key = Open_ ? CurrentKey_ : std::string();
  std::string value;
  switch (plat::RegReadString(Root_, key, Name, value)) {
    case plat::RegResult::Ok:
      return value;
    case plat::RegResult::NotFound:
      return std::string();
    case plat::RegResult::WrongType:
      break;
  }
  throw ELayrixError("Registry value '" + Name + "' of key " + RootName(Root_) + "\\" + key +
                     " is not a string");
}

// ------------------------------------------------------------ TFSRegistry

TFSRegistry::TFSRegistry() {
  SetRootKey(plat::RegRoot::CurrentUser);
  FS9Path = OpenKeyReadOnly(kFS9Key) ? ReadString("AppPath") : std::string();
  FS10Path = OpenKeyReadOnly(kFS10Key) ? ReadString("AppPath") : std::string();
  if (!FS9Path.empty()) {
    InstalledVersions = {9};
    FS9Path = WithTrailingBackslash(FS9Path);
  }
  if (!FS10Path.empty()) {
    InstalledVersions.push_back(10);
    FS10Path = WithTrailingBackslash(FS10Path);
  }
}

bool TFSRegistry::HasVersion(int Version) const {
  return std::find(InstalledVersions.begin(), InstalledVersions.end(), Version) !=
         InstalledVersions.end();
}

// ------------------------------------------------------------ location

std::string TLayrix::LocateConfigFile(int32_t FSVersion) {
  TFSRegistry reg;
  if (reg.InstalledVersions.empty() || (FSVersion == 10 && !reg.HasVersion(10)) ||
      (FSVersion == 9 && !reg.HasVersion(9)))
    return std::string();

  if (FSVersion != 9 && reg.HasVersion(10)) {
    // FSX keeps scenery.cfg in the all-users application data folder.
    reg.SetRootKey(plat::RegRoot::LocalMachine);
    std::string commonAppData;
    if (reg.OpenKeyNoCreate(kShellFoldersKey)) commonAppData = reg.ReadString("Common AppData");
    FSPath = reg.FS10Path;
    return commonAppData + "\\Microsoft\\FSX\\" + "scenery.cfg";
  }
  // FS9 keeps it in its program folder.
  FSPath = reg.FS9Path;
  return reg.FS9Path + "scenery.cfg";
}
