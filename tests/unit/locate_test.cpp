// Installation discovery: which scenery.cfg is served, and FSPath, for every
// combination of installed versions and forced version.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "TestPrefix.h"
#include "platform/posix/posix_internal.h"
#include "scenery/LbFS.h"

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
  // LocateConfigFile on a configuration whose FSPath starts as a marker.
  std::string Run(int32_t version, std::string* fsPath = nullptr) {
    plat::posix::ResetCaches();
    TLayrix cfg;
    cfg.FSPath = "unchanged";
    std::string path = cfg.LocateConfigFile(version);
    if (fsPath) *fsPath = cfg.FSPath;
    return path;
  }
  std::unique_ptr<ts::TestPrefix> prefix_;
};

TEST_F(Locate, NothingInstalled) {
  std::string fsPath;
  for (int32_t v : {-1, 9, 10}) {
    EXPECT_EQ(Run(v, &fsPath), "") << v;
    EXPECT_EQ(fsPath, "unchanged") << v;
  }
}

TEST_F(Locate, OnlyFS9) {
  prefix_->RegisterFS9("C:\\FS9");
  std::string fsPath;
  for (int32_t v : {-1, 0, 7, 9}) {
    EXPECT_EQ(Run(v, &fsPath), "C:\\FS9\\scenery.cfg") << v;
    EXPECT_EQ(fsPath, "C:\\FS9\\") << v;
  }
  EXPECT_EQ(Run(10, &fsPath), "");
  EXPECT_EQ(fsPath, "unchanged");
}

TEST_F(Locate, OnlyFSX) {
  prefix_->RegisterFSX("D:\\FSX", "C:\\ProgramData");
  std::string fsPath;
  for (int32_t v : {-1, 10, 11}) {
    EXPECT_EQ(Run(v, &fsPath), "C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg") << v;
    EXPECT_EQ(fsPath, "D:\\FSX\\") << v;
  }
  EXPECT_EQ(Run(9, &fsPath), "");
  EXPECT_EQ(fsPath, "unchanged");
}

TEST_F(Locate, BothInstalledFSXWinsUnlessFS9IsForced) {
  prefix_->RegisterFS9("C:\\FS9\\");
  prefix_->RegisterFSX("C:\\FSX", "C:\\ProgramData\\");
  std::string fsPath;
  // A Common AppData ending in a backslash gives a doubled one.
  EXPECT_EQ(Run(-1, &fsPath), "C:\\ProgramData\\\\Microsoft\\FSX\\scenery.cfg");
  EXPECT_EQ(fsPath, "C:\\FSX\\");
  EXPECT_EQ(Run(10, &fsPath), "C:\\ProgramData\\\\Microsoft\\FSX\\scenery.cfg");
  EXPECT_EQ(Run(9, &fsPath), "C:\\FS9\\scenery.cfg");
  EXPECT_EQ(fsPath, "C:\\FS9\\");
}

TEST_F(Locate, FSXWithoutShellFolders) {
  prefix_->RegisterFSX("C:\\FSX", "");
  std::string fsPath;
  EXPECT_EQ(Run(-1, &fsPath), "\\Microsoft\\FSX\\scenery.cfg");
  EXPECT_EQ(fsPath, "C:\\FSX\\");
}

TEST_F(Locate, EmptyOrMissingAppPathIsNotInstalled) {
  prefix_->AddUserValue("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0",
                        "\"AppPath\"=\"\"");
  prefix_->AddUserValue("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0",
                        "\"Other\"=\"C:\\\\FSX\"");
  EXPECT_EQ(Run(-1), "");
  TFSRegistry reg;
  EXPECT_TRUE(reg.InstalledVersions.empty());
  EXPECT_FALSE(reg.HasVersion(9));
}

TEST_F(Locate, RegistryReaderFields) {
  prefix_->RegisterFS9("C:\\FS9");
  prefix_->RegisterFSX("C:\\FSX\\");
  plat::posix::ResetCaches();
  TFSRegistry reg;
  EXPECT_EQ(reg.FS9Path, "C:\\FS9\\");
  EXPECT_EQ(reg.FS10Path, "C:\\FSX\\");
  EXPECT_TRUE(reg.HasVersion(9));
  EXPECT_TRUE(reg.HasVersion(10));
  EXPECT_EQ(reg.InstalledVersions.size(), 2u);
}

TEST_F(Locate, ValueOfWrongTypeIsAnError) {
  prefix_->AddUserValue("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0",
                        "\"AppPath\"=dword:00000001");
  try {
    Run(-1);
    ADD_FAILURE() << "no error";
  } catch (const ELayrixError& e) {
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
  TRegistry reg;
  reg.SetRootKey(plat::RegRoot::CurrentUser);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Vendor"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("Sub"));
  EXPECT_EQ(reg.ReadString("v"), "below");
  EXPECT_EQ(reg.ReadString("missing"), "");
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Sub"));
  EXPECT_EQ(reg.ReadString("V"), "root");
  EXPECT_FALSE(reg.OpenKeyReadOnly("\\No\\Such\\Key"));
  EXPECT_EQ(reg.ReadString("V"), "root");  // the open key stays open
  reg.SetRootKey(plat::RegRoot::LocalMachine);  // closes it
  EXPECT_EQ(reg.ReadString("V"), "");
}

}  // namespace
