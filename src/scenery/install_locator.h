// Which simulator installation is served and where its scenery.cfg lies,
// found in the registry (the posix build reads the Wine prefix's registry
// files).  Only reads; never writes the registry or the disk.
//
// Seven simulators keep the same scenery library format: FS9 and FSX, which
// are chosen between as they always were, and FSX Steam Edition and
// Prepar3D v3 to v6, which are served when the setting Simulator= names one,
// or when neither FS9 nor FSX is installed.
//
// May use: base/, platform/.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "base/problems.h"

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

enum class Simulator { FS9, FSX, FSXSteamEdition, Prepar3Dv3, Prepar3Dv4, Prepar3Dv5, Prepar3Dv6 };

// What is known of one simulator.
struct SimulatorFacts {
  Simulator Which;
  const char* Name;        // as the setting Simulator= names it: "FS9", "FSX-SE", "P3Dv5"
  const char* AppPathKey;  // below HKEY_CURRENT_USER, holding the value "AppPath"
  // Where scenery.cfg lies below the all-users application data folder
  // ("\Microsoft\FSX\"); nullptr: in the program folder itself (FS9).
  const char* LibraryBelowCommonAppData;
  // For a simulator that also stacks add-on packages (Prepar3D v4 to v6):
  // its name as its folders of package lists and packages are named
  // ("Prepar3D v5"); nullptr for the others.
  const char* PackagesProduct = nullptr;
};

// True for the simulators that write scenery.cfg in UTF-8 (Prepar3D v4, v5
// and v6); the others write it in code page 1252.
bool KeepsLibraryInUtf8(Simulator simulator);

// Every simulator, in the order of the names above.
const std::vector<SimulatorFacts>& KnownSimulators();
const SimulatorFacts& FactsOf(Simulator simulator);
// The simulator a setting names, in any letter case; nullopt for an unknown name.
std::optional<Simulator> SimulatorNamed(std::string_view name);
// "FS9, FSX, FSX-SE, P3Dv3, P3Dv4, P3Dv5, P3Dv6", for messages.
std::string KnownSimulatorNames();

// The program folder of `simulator` as its installer registered it
// ("AppPath"), with a trailing backslash added when it lacks one; empty when
// the key is missing or has no AppPath or an empty one (not installed).
// Throws FatalError when AppPath is not a string.
std::string RegisteredFolder(Simulator simulator);

// The program folders of FS9 and FSX as their installers registered them
// ("AppPath"), read together when constructed.  An empty or missing AppPath
// counts as not installed.
struct InstalledSimulators {
  InstalledSimulators();

  std::string FS9Folder;  // ends in a backslash; empty = FS9 not installed
  std::string FSXFolder;  // the same for FSX
  std::vector<int> InstalledVersions;  // 9 and/or 10, in that order
  bool HasVersion(int version) const;
};

// The settings (layrix.ini, section Main) that choose the installation.
struct InstallChoice {
  int32_t ForceVersion = -1;  // "ForceVersion": 9 or 10 forces FS9 or FSX
  std::string SimulatorName;  // "Simulator": empty = not set
};

// Where a run's scenery library is.
struct InstallLocation {
  std::string ConfigPath;       // full path of scenery.cfg; empty when none was found
  std::string SimulatorFolder;  // the simulator's program folder, ending in a backslash
  bool Utf8Library = false;     // scenery.cfg without a byte-order mark is UTF-8 (KeepsLibraryInUtf8)
  std::optional<Simulator> Served;  // the simulator served; nullopt when none was found
};

// The shell folders (the key "...\Explorer\Shell Folders" of the current
// user or of the machine) by their value names: "Local AppData", "AppData",
// "Personal" (Documents), "Common AppData".  Empty when the key or the value
// is missing; throws FatalError when the value is not a string.
std::string ShellFolder(plat::RegRoot root, const std::string& name);

// Picks the installation to serve.  A simulator named by the choice is served
// when installed, else nothing; a name that is not known throws FatalError
// listing the known names.  Without a name, ForceVersion 9 or 10 serves that
// version or nothing; any other value serves FSX when installed, else FS9,
// else FSX Steam Edition, else the newest Prepar3D installed.  FS9 keeps
// scenery.cfg in its program folder, the others below the all-users
// application data folder.  Does not test that the file exists.  A registry
// that cannot be read holds no keys, and is told to `report` as a fault.
InstallLocation LocateInstall(const InstallChoice& choice, Notices* report = nullptr);

// Why `found`, what LocateInstall gave for `choice`, serves no scenery
// library: one plain-word line naming the cause and, where there is one, the
// remedy.  The causes, in the order they are looked for: the host's registry
// has nothing to look in (the Wine prefix); the simulator the settings name
// is not installed (the installed ones listed); no simulator is registered
// (the keys looked at listed); scenery.cfg of the simulator found is not a
// file, or is not where the simulator keeps it (both paths shown).
std::string WhyNoLibrary(const InstallChoice& choice, const InstallLocation& found);
