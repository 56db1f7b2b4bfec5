// Which Wine prefix the Linux build serves: WINEPREFIX, else ~/.wine when it
// registers a simulator, else the Proton prefix of FSX Steam Edition in
// Steam's library folders, else ~/.wine with notes on where it looked.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/simulator_keys.h"
#include "env_var.h"
#include "test_prefix.h"

namespace ts = testing_support;

namespace {

const char* const kProton = "steamapps/compatdata/314160/pfx";

using testing_support::EnvVar;

// A user.reg registering `appPath` under `key` (nothing when `key` is empty).
std::string UserReg(const std::string& key, const std::string& appPath) {
  std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21\n\n#arch=win64\n";
  if (key.empty()) return text;
  std::string escapedKey, escapedPath;
  for (char c : key) escapedKey += c == '\\' ? std::string("\\\\") : std::string(1, c);
  for (char c : appPath) escapedPath += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return text + "\n[" + escapedKey + "] 1700000000\n\"AppPath\"=\"" + escapedPath + "\"\n";
}

std::string LibraryFoldersVdf(const std::vector<std::string>& folders) {
  std::string text = "\"libraryfolders\"\n{\n";
  for (size_t i = 0; i < folders.size(); ++i)
    text += "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + folders[i] + "\"\n\t}\n";
  return text + "}\n";
}

// A home folder of its own, with WINEPREFIX unset; the host layer forgets
// the prefix it chose before.
class PrefixSearch : public ::testing::Test {
 protected:
  void SetUp() override { plat::posix::ResetCaches(); }
  void TearDown() override { plat::posix::ResetCaches(); }

  std::string Home() const { return root_.Home(); }
  std::string HomeWine() const { return Home() + "/.wine"; }
  std::string Steam() const { return Home() + "/.steam/steam"; }
  std::string Library2() const { return root_.Root() + "/games/Steam Library"; }

  // Chooses again, as a new run would.
  std::string Chosen() {
    plat::posix::ResetCaches();
    return plat::posix::PrefixPath();
  }
  static std::string Notes() {
    std::string all;
    for (const std::string& note : plat::InstallSearchNotes()) all += note + "\n";
    return all;
  }

  ts::TestPrefix root_;
  EnvVar winePrefix_{"WINEPREFIX", nullptr};
  EnvVar home_{"HOME", root_.Home().c_str()};
};

TEST_F(PrefixSearch, WinePrefixDecidesWhenSet) {
  ts::WriteFile(HomeWine() + "/user.reg", UserReg(simkeys::kFS9, "C:\\FS9"));
  EnvVar named("WINEPREFIX", (root_.Prefix() + "//").c_str());
  EXPECT_EQ(Chosen(), root_.Prefix());
  EXPECT_EQ(Notes(), "");
  EnvVar empty("WINEPREFIX", "");  // empty counts as not set
  EXPECT_EQ(Chosen(), HomeWine());
}

TEST_F(PrefixSearch, HomeWineWhenItRegistersAnySimulator) {
  ts::MakeDirs(Steam() + "/" + kProton);
  for (const char* key : simkeys::kAll) {
    ts::WriteFile(HomeWine() + "/user.reg", UserReg(key, "C:\\Sim"));
    EXPECT_EQ(Chosen(), HomeWine()) << key;
    EXPECT_EQ(Notes(), "");
  }
  // An empty AppPath, an AppPath that is no string, or another key registers nothing.
  for (const std::string& reg :
       {UserReg(simkeys::kFSX, ""), UserReg("Software\\Other\\10.0", "C:\\Sim"),
        UserReg("", "") + "\n[Software\\\\Lockheed Martin\\\\Prepar3D v5]\n\"AppPath\"=dword:00000001\n"}) {
    ts::WriteFile(HomeWine() + "/user.reg", reg);
    EXPECT_EQ(Chosen(), Steam() + "/" + kProton) << reg;
  }
}

TEST_F(PrefixSearch, ProtonPrefixInASecondLibrary) {
  ts::WriteFile(HomeWine() + "/user.reg", UserReg("", ""));
  ts::WriteFile(Steam() + "/steamapps/libraryfolders.vdf",
                LibraryFoldersVdf({Steam(), Library2() + "/"}));
  const std::string proton = Library2() + "/" + kProton;
  ts::WriteFile(proton + "/user.reg", UserReg(simkeys::kFSXSteamEdition, "C:\\FSX-SE"));
  EXPECT_EQ(Chosen(), proton);
  EXPECT_EQ(Notes(), "");
  // The chosen prefix's registry is the one read.
  std::string value;
  EXPECT_EQ(plat::RegReadString(plat::RegRoot::CurrentUser, simkeys::kFSXSteamEdition, "AppPath", value).Outcome,
            plat::FileOutcome::Done);
  EXPECT_EQ(value, "C:\\FSX-SE");
  // The first library holding one wins.
  ts::MakeDirs(Steam() + "/" + kProton);
  EXPECT_EQ(Chosen(), Steam() + "/" + kProton);
}

TEST_F(PrefixSearch, SteamInItsInstallFolderWithTheOlderList) {
  const std::string steam = Home() + "/.local/share/Steam";
  ts::WriteFile(steam + "/config/libraryfolders.vdf",
                "\"LibraryFolders\"\n{\n\t\"ContentStatsID\"\t\"-1\"\n\t\"1\"\t\t\"" + Library2() + "\"\n}\n");
  ts::MakeDirs(Library2() + "/" + kProton);
  EXPECT_EQ(Chosen(), Library2() + "/" + kProton);
}

TEST_F(PrefixSearch, MissingListSearchesSteamItselfAndSaysSo) {
  ts::MakeDirs(Steam() + "/" + kProton);
  EXPECT_EQ(Chosen(), Steam() + "/" + kProton);
  EXPECT_EQ(Notes(), "");  // found: nothing to say
  ts::MakeDirs(Library2() + "/" + kProton);
  std::filesystem::remove_all(Steam() + "/steamapps");
  EXPECT_EQ(Chosen(), HomeWine());
  EXPECT_EQ(Notes(),
            "Steam's list of library folders " + Steam() + "/steamapps/libraryfolders.vdf is missing; only " +
                Steam() + " was searched\n"
                "no simulator is registered in the Wine prefix " + HomeWine() +
                ", and no Steam library holds a Proton prefix of FSX Steam Edition (" + kProton + ") in " +
                Steam() + "; set WINEPREFIX to the Wine prefix that holds the simulator\n");
}

TEST_F(PrefixSearch, MalformedListIsNamedNeverFatal) {
  ts::MakeDirs(Library2() + "/" + kProton);
  const std::string list = Steam() + "/steamapps/libraryfolders.vdf";
  ts::WriteFile(list, "\"libraryfolders\"\n{\n\t\"1\" { \"path\" \"" + Library2() + "\n");
  EXPECT_EQ(Chosen(), HomeWine());
  const std::string notes = Notes();
  EXPECT_NE(notes.find("Steam's list of library folders " + list +
                       " is malformed (line 3: a quoted text is not closed); only " + Steam() +
                       " was searched\n"),
            std::string::npos)
      << notes;
  EXPECT_NE(notes.find("no simulator is registered in the Wine prefix " + HomeWine()), std::string::npos);
  // A list of another kind.
  ts::WriteFile(list, "\"AppState\" { \"appid\" \"314160\" }");
  EXPECT_EQ(Chosen(), HomeWine());
  EXPECT_NE(Notes().find(" is malformed (it holds no 'libraryfolders' block)"), std::string::npos) << Notes();
}

TEST_F(PrefixSearch, NothingAnywhere) {
  EXPECT_EQ(Chosen(), HomeWine());
  EXPECT_EQ(Notes(), "no simulator is registered in the Wine prefix " + HomeWine() +
                         ", and no Steam folder was found (" + Home() + "/.steam/steam or " + Home() +
                         "/.local/share/Steam); set WINEPREFIX to the Wine prefix that holds the simulator\n");
}

TEST_F(PrefixSearch, NotesKeepTheHostNames) {
  const std::string home = root_.Root() + "/Caf\xC3\xA9";
  ts::MakeDirs(home);
  EnvVar h("HOME", home.c_str());
  EXPECT_EQ(Chosen(), home + "/.wine");
  EXPECT_NE(Notes().find(root_.Root() + "/Caf\xC3\xA9/.wine"), std::string::npos) << Notes();
}

}  // namespace
