// Which simulator installation is served and where its scenery.cfg lies,
// found in the registry (the posix build reads the Wine prefix's registry
// files).  Only reads; never writes the registry or the disk.
//
// May use: platform/, walk/notices.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "walk/notices.h"

// A thin reader over the registry: a root key and one open key.  A value of
// a type that is not a string is an error (FatalError) naming the value and
// its key.
class RegistryReader {
 public:
  void SetRootKey(plat::RegRoot root);
  // Opens an existing key for reading (a leading backslash means "from the
  // root", otherwise the path is below the open key); never creates it.  A
  // key that cannot be opened leaves the open one open.
  bool OpenKeyReadOnly(const std::string& key);
  // The string value of the open key; "" when it does not exist.
  std::string ReadString(const std::string& name);

 private:
  plat::RegRoot root_ = plat::RegRoot::CurrentUser;
  std::string currentKey_;
  bool open_ = false;
};

// The program folders of FS9 and FSX as their installers registered them
// ("AppPath"), read when constructed.  An empty or missing AppPath counts as
// not installed.
struct InstalledSimulators {
  InstalledSimulators();

  std::string FS9Folder;  // ends in a backslash; empty = FS9 not installed
  std::string FSXFolder;  // the same for FSX
  std::vector<int> InstalledVersions;  // 9 and/or 10, in that order
  bool HasVersion(int version) const;
};

// Where a run's scenery library is.
struct InstallLocation {
  std::string ConfigPath;       // full path of scenery.cfg; empty when none was found
  std::string SimulatorFolder;  // the simulator's program folder, ending in a backslash
};

// Picks the installation to serve: `forceVersion` 9 or 10 serves that
// version or nothing; any other value serves FSX when installed, else FS9.
// FS9 keeps scenery.cfg in its program folder, FSX in the all-users
// application data folder.  Does not test that the file exists.  A registry
// that cannot be read holds no keys, and is told to `report` as a fault.
InstallLocation LocateInstall(int32_t forceVersion, Notices* report = nullptr);
