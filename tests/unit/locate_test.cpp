// Installation discovery: which scenery.cfg is served, and its simulator folder, for every
// combination of installed versions and forced version.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "test_prefix.h"
#include "platform/posix/posix_internal.h"
#include "scenery/fatal_error.h"
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
    plat::posix::ResetCaches();
    const InstallLocation found = LocateInstall(version);
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

}  // namespace
