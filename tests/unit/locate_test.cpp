// Installation discovery: which scenery.cfg is served, and its simulator folder, for every
// combination of installed simulators, forced version and named simulator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "test_prefix.h"
#include "platform/posix/posix_internal.h"
#include "platform/simulator_keys.h"
#include "base/problems.h"
#include "scenery/install_locator.h"

namespace ts = testing_support;

namespace {

// A fresh prefix for each test; the host layer forgets what it read of the
// previous one.
class Locate : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = std::make_unique<ts::TestPrefix>();
    setenv("WINEPREFIX", prefix_->Prefix().c_str(), 1);
    setenv("HOME", prefix_->Home().c_str(), 1);
    plat::posix::ResetCaches();
  }
  void TearDown() override {
    plat::posix::ResetCaches();
    prefix_.reset();
  }
  // LocateInstall; the simulator folder is "unchanged" when nothing is found.
  std::string Run(int32_t version, std::string* simulatorFolder = nullptr) {
    return Run(InstallChoice{version, ""}, simulatorFolder);
  }
  std::string Run(const InstallChoice& choice, std::string* simulatorFolder = nullptr) {
    plat::posix::ResetCaches();
    const InstallLocation found = LocateInstall(choice);
    if (simulatorFolder)
      *simulatorFolder = found.ConfigPath.empty() ? "unchanged" : found.SimulatorFolder;
    return found.ConfigPath;
  }
  std::unique_ptr<ts::TestPrefix> prefix_;
};

TEST_F(Locate, NothingInstalled) {
  std::string folder;
  for (int32_t v : {-1, 9, 10}) {
    EXPECT_EQ(Run(v, &folder), "") << v;
    EXPECT_EQ(folder, "unchanged") << v;
  }
}

TEST_F(Locate, OnlyFS9) {
  prefix_->RegisterFS9("C:\\FS9");
  std::string folder;
  for (int32_t v : {-1, 0, 7, 9}) {
    EXPECT_EQ(Run(v, &folder), "C:\\FS9\\scenery.cfg") << v;
    EXPECT_EQ(folder, "C:\\FS9\\") << v;
  }
  EXPECT_EQ(Run(10, &folder), "");
  EXPECT_EQ(folder, "unchanged");
}

TEST_F(Locate, OnlyFSX) {
  prefix_->RegisterFSX("D:\\FSX", "C:\\ProgramData");
  std::string folder;
  for (int32_t v : {-1, 10, 11}) {
    EXPECT_EQ(Run(v, &folder), "C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg") << v;
    EXPECT_EQ(folder, "D:\\FSX\\") << v;
  }
  EXPECT_EQ(Run(9, &folder), "");
  EXPECT_EQ(folder, "unchanged");
}

TEST_F(Locate, BothInstalledFSXWinsUnlessFS9IsForced) {
  prefix_->RegisterFS9("C:\\FS9\\");
  prefix_->RegisterFSX("C:\\FSX", "C:\\ProgramData\\");
  std::string folder;
  // A Common AppData ending in a backslash gives a doubled one.
  EXPECT_EQ(Run(-1, &folder), "C:\\ProgramData\\\\Microsoft\\FSX\\scenery.cfg");
  EXPECT_EQ(folder, "C:\\FSX\\");
  EXPECT_EQ(Run(10, &folder), "C:\\ProgramData\\\\Microsoft\\FSX\\scenery.cfg");
  EXPECT_EQ(Run(9, &folder), "C:\\FS9\\scenery.cfg");
  EXPECT_EQ(folder, "C:\\FS9\\");
}

TEST_F(Locate, FSXWithoutShellFolders) {
  prefix_->RegisterFSX("C:\\FSX", "");
  std::string folder;
  EXPECT_EQ(Run(-1, &folder), "\\Microsoft\\FSX\\scenery.cfg");
  EXPECT_EQ(folder, "C:\\FSX\\");
}

TEST_F(Locate, EmptyOrMissingAppPathIsNotInstalled) {
  prefix_->AddUserValue("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0",
                        "\"AppPath\"=\"\"");
  prefix_->AddUserValue("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0",
                        "\"Other\"=\"C:\\\\FSX\"");
  EXPECT_EQ(Run(-1), "");
  const InstalledSimulators installed;
  EXPECT_TRUE(installed.InstalledVersions.empty());
  EXPECT_FALSE(installed.HasVersion(9));
}

TEST_F(Locate, InstalledSimulatorsFields) {
  prefix_->RegisterFS9("C:\\FS9");
  prefix_->RegisterFSX("C:\\FSX\\");
  plat::posix::ResetCaches();
  const InstalledSimulators installed;
  EXPECT_EQ(installed.FS9Folder, "C:\\FS9\\");
  EXPECT_EQ(installed.FSXFolder, "C:\\FSX\\");
  EXPECT_TRUE(installed.HasVersion(9));
  EXPECT_TRUE(installed.HasVersion(10));
  EXPECT_EQ(installed.InstalledVersions.size(), 2u);
}

TEST_F(Locate, ValueOfWrongTypeIsAnError) {
  prefix_->AddUserValue("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0",
                        "\"AppPath\"=dword:00000001");
  try {
    Run(-1);
    ADD_FAILURE() << "no error";
  } catch (const FatalError& e) {
    const std::string msg = e.what();
    EXPECT_NE(msg.find("'AppPath'"), std::string::npos) << msg;
    EXPECT_NE(msg.find("Flight Simulator\\9.0"), std::string::npos) << msg;
    EXPECT_NE(msg.find("not a string"), std::string::npos) << msg;
  }
}

TEST_F(Locate, RegistryKeysFromRootOrBelowTheOpenKey) {
  prefix_->AddUserValue("Software\\Vendor\\Sub", "\"V\"=\"below\"");
  prefix_->AddUserValue("Sub", "\"V\"=\"root\"");
  plat::posix::ResetCaches();
  RegistryReader registry;
  registry.SetRootKey(plat::RegRoot::CurrentUser);
  ASSERT_TRUE(registry.OpenKeyReadOnly("\\Software\\Vendor"));
  ASSERT_TRUE(registry.OpenKeyReadOnly("Sub"));
  EXPECT_EQ(registry.ReadString("v"), "below");
  EXPECT_EQ(registry.ReadString("missing"), "");
  ASSERT_TRUE(registry.OpenKeyReadOnly("\\Sub"));
  EXPECT_EQ(registry.ReadString("V"), "root");
  EXPECT_FALSE(registry.OpenKeyReadOnly("\\No\\Such\\Key"));
  EXPECT_EQ(registry.ReadString("V"), "root");  // the open key stays open
  registry.SetRootKey(plat::RegRoot::LocalMachine);  // closes it
  EXPECT_EQ(registry.ReadString("V"), "");
}

// ------------------------------------------------------------ the newer simulators

TEST_F(Locate, EachNewerSimulatorAloneIsServedFromItsOwnPlace) {
  struct Row {
    const char* Key;
    const char* AppPath;
    const char* ConfigPath;
  };
  const Row rows[] = {
      {simkeys::kFSXSteamEdition, "C:\\Steam\\steamapps\\common\\FSX",
       "C:\\ProgramData\\Microsoft\\FSX-SE\\scenery.cfg"},
      {simkeys::kPrepar3Dv3, "C:\\P3D3", "C:\\ProgramData\\Lockheed Martin\\Prepar3D v3\\scenery.cfg"},
      {simkeys::kPrepar3Dv4, "D:\\P3D4\\", "C:\\ProgramData\\Lockheed Martin\\Prepar3D v4\\scenery.cfg"},
      {simkeys::kPrepar3Dv5, "C:\\P3D5", "C:\\ProgramData\\Lockheed Martin\\Prepar3D v5\\scenery.cfg"},
      {simkeys::kPrepar3Dv6, "C:\\P3D6", "C:\\ProgramData\\Lockheed Martin\\Prepar3D v6\\scenery.cfg"},
  };
  for (const Row& row : rows) {
    SetUp();
    prefix_->RegisterAppPath(row.Key, row.AppPath);
    prefix_->SetCommonAppData("C:\\ProgramData");
    std::string folder;
    EXPECT_EQ(Run(-1, &folder), row.ConfigPath) << row.Key;
    // The program folder with the trailing backslash rule.
    std::string expected = row.AppPath;
    if (expected.back() != '\\') expected += '\\';
    EXPECT_EQ(folder, expected) << row.Key;
    // ForceVersion 9 or 10 takes only FS9 or FSX, as it always did.
    EXPECT_EQ(Run(9, &folder), "") << row.Key;
    EXPECT_EQ(Run(10, &folder), "") << row.Key;
    EXPECT_EQ(folder, "unchanged");
  }
}

TEST_F(Locate, FS9OrFSXInstalledComeFirst) {
  prefix_->RegisterAppPath(simkeys::kFSXSteamEdition, "C:\\FSXSE");
  prefix_->RegisterAppPath(simkeys::kPrepar3Dv5, "C:\\P3D5");
  prefix_->RegisterFS9("C:\\FS9");
  std::string folder;
  // Where FS9 or FSX is installed the choice stays as it was.
  EXPECT_EQ(Run(-1, &folder), "C:\\FS9\\scenery.cfg");
  EXPECT_EQ(folder, "C:\\FS9\\");
  prefix_->RegisterFSX("C:\\FSX");
  EXPECT_EQ(Run(-1, &folder), "C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg");
  EXPECT_EQ(folder, "C:\\FSX\\");
}

TEST_F(Locate, SteamEditionBeforePrepar3DAndTheNewestPrepar3DFirst) {
  prefix_->SetCommonAppData("C:\\ProgramData");
  prefix_->RegisterAppPath(simkeys::kPrepar3Dv3, "C:\\P3D3");
  prefix_->RegisterAppPath(simkeys::kPrepar3Dv5, "C:\\P3D5");
  std::string folder;
  EXPECT_EQ(Run(-1, &folder), "C:\\ProgramData\\Lockheed Martin\\Prepar3D v5\\scenery.cfg");
  EXPECT_EQ(folder, "C:\\P3D5\\");
  // An empty AppPath is no installation: v6 does not count.
  prefix_->AddUserValue(simkeys::kPrepar3Dv6, "\"AppPath\"=\"\"");
  EXPECT_EQ(Run(-1, &folder), "C:\\ProgramData\\Lockheed Martin\\Prepar3D v5\\scenery.cfg");
  prefix_->RegisterAppPath(simkeys::kFSXSteamEdition, "C:\\FSXSE");
  EXPECT_EQ(Run(-1, &folder), "C:\\ProgramData\\Microsoft\\FSX-SE\\scenery.cfg");
  EXPECT_EQ(folder, "C:\\FSXSE\\");
}

TEST_F(Locate, WrongTypeInANewerKeyCountsOnlyWhereThatKeyIsRead) {
  prefix_->AddUserValue(simkeys::kPrepar3Dv6, "\"AppPath\"=dword:00000006");
  prefix_->RegisterFS9("C:\\FS9");
  // FS9 is served without reading the newer keys.
  EXPECT_EQ(Run(-1), "C:\\FS9\\scenery.cfg");
  EXPECT_EQ(Run(InstallChoice{-1, "P3Dv5"}), "");
  // Where the newer keys are read, the value's type stops the run.
  EXPECT_THROW(Run(InstallChoice{-1, "P3Dv6"}), FatalError);
  TearDown();
  SetUp();
  prefix_->AddUserValue(simkeys::kPrepar3Dv6, "\"AppPath\"=dword:00000006");
  try {
    Run(-1);
    ADD_FAILURE() << "no error";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("Lockheed Martin\\Prepar3D v6"), std::string::npos) << e.what();
  }
}

// ------------------------------------------------------------ the setting Simulator=

TEST_F(Locate, ANamedSimulatorDecidesOverForceVersion) {
  prefix_->RegisterFS9("C:\\FS9");
  prefix_->RegisterFSX("C:\\FSX");
  prefix_->RegisterAppPath(simkeys::kFSXSteamEdition, "C:\\FSXSE");
  prefix_->RegisterAppPath(simkeys::kPrepar3Dv4, "C:\\P3D4");
  std::string folder;
  EXPECT_EQ(Run(InstallChoice{9, "fsx-se"}, &folder), "C:\\ProgramData\\Microsoft\\FSX-SE\\scenery.cfg");
  EXPECT_EQ(folder, "C:\\FSXSE\\");
  EXPECT_EQ(Run(InstallChoice{10, "FS9"}, &folder), "C:\\FS9\\scenery.cfg");
  EXPECT_EQ(Run(InstallChoice{-1, "fsx"}, &folder), "C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg");
  EXPECT_EQ(folder, "C:\\FSX\\");
  EXPECT_EQ(Run(InstallChoice{9, "p3dV4"}, &folder),
            "C:\\ProgramData\\Lockheed Martin\\Prepar3D v4\\scenery.cfg");
  EXPECT_EQ(folder, "C:\\P3D4\\");
  // Named but not installed: nothing, even with others installed.
  EXPECT_EQ(Run(InstallChoice{-1, "P3Dv6"}, &folder), "");
  EXPECT_EQ(folder, "unchanged");
}

TEST_F(Locate, AnUnknownNameListsTheKnownOnes) {
  prefix_->RegisterFS9("C:\\FS9");
  for (const char* name : {"FS10", "P3D v5", "P3Dv7", "MSFS", " FSX"}) {
    try {
      Run(InstallChoice{-1, name});
      ADD_FAILURE() << name << ": no error";
    } catch (const FatalError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(std::string("'") + name + "'"), std::string::npos) << message;
      EXPECT_NE(message.find("FS9, FSX, FSX-SE, P3Dv3, P3Dv4, P3Dv5, P3Dv6"), std::string::npos)
          << message;
    }
  }
}

TEST(SimulatorNames, EveryNameInAnyCaseAndNothingElse) {
  for (const SimulatorFacts& facts : KnownSimulators()) {
    std::string lower = facts.Name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(SimulatorNamed(facts.Name), facts.Which) << facts.Name;
    EXPECT_EQ(SimulatorNamed(lower), facts.Which) << lower;
    EXPECT_EQ(FactsOf(facts.Which).Name, facts.Name);
  }
  EXPECT_EQ(KnownSimulators().size(), simkeys::kAll.size());
  EXPECT_FALSE(SimulatorNamed(""));
  EXPECT_FALSE(SimulatorNamed("FSX-SE "));
  EXPECT_FALSE(SimulatorNamed("FSXSE"));
}

}  // namespace
