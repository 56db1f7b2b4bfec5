// "-c", "-r" and "-rf" run through the program against a throwaway prefix:
// what is copied and removed, what is kept, and every request refused.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <string>
#include <vector>

#include "test_prefix.h"
#include "cfg_text.h"

using testing_support::Banner;
using testing_support::ListTree;
using testing_support::PathExists;
using testing_support::ReadFile;
using testing_support::RunLayrix;
using testing_support::RunResult;
using testing_support::TestPrefix;
using testing_support::WriteFile;

namespace {

using Tree = std::vector<std::string>;

class TreeCommands : public ::testing::Test {
 protected:
  // FS9 with the stock areas and the given add-on areas after them.
  void Install(const std::vector<e2e::Area>& addons = {}) {
    std::vector<e2e::Area> areas = {
        {"Area.001", "Default Terrain", "Scenery\\World", 1, true, true},
        {"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true},
        {"Area.003", "Addon Scenery", "Addon Scenery", 3, true, false},
    };
    areas.insert(areas.end(), addons.begin(), addons.end());
    p.MakeFS9(e2e::CfgText(areas));
    WriteFile(p.C("FS9/fs9.exe"), "exe");
    WriteFile(p.C("FS9/Addon Scenery/scenery/addon.bgl"), "addon");
    WriteFile(p.C("FS9/Scenery/World/scenery/world.bgl"), "world");
    cfgBefore = e2e::Cfg(p);
  }

  // Runs one command; it prints the banner only, tells `err` on standard
  // error (the notes of refusals and kept files, one line each) and leaves
  // scenery.cfg alone.
  void Run(const std::vector<std::string>& args, const std::string& cwd = "",
           const std::string& err = "") {
    // The current folder is on drive C: of the prefix, so that "the current
    // drive" can never mean the host's own root.
    testing_support::RunOptions options;
    options.Cwd = cwd.empty() ? p.C("") : cwd;
    RunResult r = RunLayrix(p, args, options);
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.Out, Banner());
    EXPECT_EQ(r.Err, err);
    EXPECT_EQ(e2e::Cfg(p), cfgBefore);
    EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
  }

  void SetMTime(const std::string& host, time_t seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, host.c_str(), times, 0), 0);
  }

  // The simulator's own files, which no refused request may touch.
  void ExpectSimulatorIntact() {
    EXPECT_EQ(ReadFile(p.C("FS9/fs9.exe")), "exe");
    EXPECT_EQ(ReadFile(p.C("FS9/Addon Scenery/scenery/addon.bgl")), "addon");
    EXPECT_EQ(ReadFile(p.C("FS9/Scenery/World/scenery/world.bgl")), "world");
  }

  TestPrefix p;
  std::string cfgBefore;
};

// ------------------------------------------------------------ -c

TEST_F(TreeCommands, CopyMakesTheTreeWithLowerCaseFileNames) {
  Install();
  WriteFile(p.C("Src/scenery/Tower.BGL"), "tower");
  WriteFile(p.C("Src/Texture/Ground.BMP"), "ground");
  WriteFile(p.C("Src/LAYRIX.EXE"), "tool");
  WriteFile(p.C("Src/Texture/setup_scn.BAT"), "script");
  WriteFile(p.C("Src/.cache"), "cache");
  WriteFile(p.C("Src/.svn/entries"), "svn");
  testing_support::MakeDirs(p.C("Src/Empty/Inner"));
  Run({"-c", "C:\\Src", "C:\\FS9\\Addon Scenery\\Tower", "0"});
  // The folder named on the command line comes lower-cased, as every word does.
  EXPECT_EQ(ListTree(p.C("FS9/Addon Scenery/tower")),
            (Tree{".cache", "Empty/", "Empty/Inner/", "Texture/", "Texture/ground.bmp", "scenery/",
                  "scenery/tower.bgl"}));
  EXPECT_EQ(ReadFile(p.C("FS9/Addon Scenery/tower/scenery/tower.bgl")), "tower");
  EXPECT_EQ(ReadFile(p.C("Src/scenery/Tower.BGL")), "tower");
}

TEST_F(TreeCommands, CopyRelativeSourceAndDestination) {
  // The source is taken against the current folder, the destination below
  // the simulator folder.
  Install();
  WriteFile(p.C("FS9/Downloads/Pack/scenery/a.bgl"), "a");
  Run({"-c", "Downloads\\Pack", "Addon Scenery\\Pack", "0"}, p.C("FS9"));
  EXPECT_EQ(ReadFile(p.C("FS9/Addon Scenery/pack/scenery/a.bgl")), "a");
}

TEST_F(TreeCommands, CopyOverwriteModesByLastWriteTime) {
  Install();
  for (int mode = 0; mode <= 3; ++mode) {
    SCOPED_TRACE(mode);
    const std::string src = "src" + std::to_string(mode), dst = "dst" + std::to_string(mode);
    for (const char* name : {"earlier.bgl", "later.bgl", "equal.bgl", "new.bgl"}) {
      WriteFile(p.C(src + "/" + name), "source");
      SetMTime(p.C(src + "/" + name), 1200000000);
    }
    WriteFile(p.C(dst + "/earlier.bgl"), "dest");
    WriteFile(p.C(dst + "/later.bgl"), "dest");
    WriteFile(p.C(dst + "/equal.bgl"), "dest");
    WriteFile(p.C(dst + "/only.bgl"), "dest");
    SetMTime(p.C(dst + "/earlier.bgl"), 1199999999);
    SetMTime(p.C(dst + "/later.bgl"), 1200000001);
    SetMTime(p.C(dst + "/equal.bgl"), 1200000000);
    Run({"-c", "C:\\" + src, "C:\\" + dst, std::to_string(mode)});

    const bool replaces = mode != 0;
    EXPECT_EQ(ReadFile(p.C(dst + "/earlier.bgl")), replaces ? "source" : "dest");
    EXPECT_EQ(ReadFile(p.C(dst + "/equal.bgl")), replaces ? "source" : "dest");
    EXPECT_EQ(ReadFile(p.C(dst + "/later.bgl")), mode == 1 || mode == 3 ? "source" : "dest");
    EXPECT_EQ(ReadFile(p.C(dst + "/new.bgl")), "source");
    EXPECT_EQ(PathExists(p.C(dst + "/only.bgl")), mode != 3);
  }
}

TEST_F(TreeCommands, CopyOverwriteThreeKeepsFoldersAndReadOnlyFiles) {
  Install();
  WriteFile(p.C("src/scenery/a.bgl"), "new a");
  WriteFile(p.C("src/scenery/locked.bgl"), "new locked");
  WriteFile(p.C("dst/scenery/a.bgl"), "old a");
  WriteFile(p.C("dst/scenery/locked.bgl"), "old locked");
  WriteFile(p.C("dst/texture/old.bmp"), "old");
  WriteFile(p.C("dst/.hidden/keep"), "keep");
  ASSERT_EQ(chmod(p.C("dst/scenery/locked.bgl").c_str(), 0444), 0);
  // Emptying keeps the read-only file, and the copy does not replace it:
  // both rules are told, and the run succeeds.
  Run({"-c", "C:\\src", "C:\\dst", "3"}, "",
      "layrix: kept 1 read-only file in c:\\dst\r\n"
      "layrix: did not replace 1 read-only file in c:\\dst\r\n");
  EXPECT_EQ(ListTree(p.C("dst")), (Tree{".hidden/", ".hidden/keep", "scenery/", "scenery/a.bgl",
                                        "scenery/locked.bgl", "texture/"}));
  EXPECT_EQ(ReadFile(p.C("dst/scenery/a.bgl")), "new a");
  EXPECT_EQ(ReadFile(p.C("dst/scenery/locked.bgl")), "old locked");
}

TEST_F(TreeCommands, CopyDoesNotFollowFolderLinks) {
  Install();
  WriteFile(p.C("src/a.bgl"), "a");
  WriteFile(p.C("outside/private.bgl"), "private");
  ASSERT_EQ(symlink(p.C("outside").c_str(), p.C("src/link").c_str()), 0);
  Run({"-c", "C:\\src", "C:\\dst", "0"});
  EXPECT_EQ(ListTree(p.C("dst")), (Tree{"a.bgl"}));
}

TEST_F(TreeCommands, CopyRefusesADestinationInsideTheSourceAndTheReverseWithMode3) {
  Install();
  WriteFile(p.C("src/a.bgl"), "a");
  WriteFile(p.C("src/sub/b.bgl"), "b");
  const Tree before = ListTree(p.C("src"));
  // Each refusal is told on standard error with its reason (the command
  // line is lower-cased).
  auto inside = [](const std::string& from, const std::string& to) {
    return "layrix: refused to copy " + from + " to " + to +
           ": the destination lies inside the source\r\n";
  };
  for (const char* mode : {"0", "1", "2", "3"}) {
    Run({"-c", "C:\\src", "C:\\src", mode}, "", inside("c:\\src", "c:\\src"));
    Run({"-c", "C:\\src", "C:\\SRC\\", mode}, "", inside("c:\\src", "c:\\src"));
    Run({"-c", "C:\\src", "C:\\src\\copy", mode}, "", inside("c:\\src", "c:\\src\\copy"));
    Run({"-c", "C:\\src", "C:\\src\\sub\\deeper", mode}, "",
        inside("c:\\src", "c:\\src\\sub\\deeper"));
    Run({"-c", "C:\\src\\sub", "C:\\other\\..\\src\\sub", mode}, "",
        inside("c:\\src\\sub", "c:\\src\\sub"));
  }
  const std::string emptied = ": the source lies inside the destination, which would be emptied first\r\n";
  Run({"-c", "C:\\src\\sub", "C:\\src", "3"}, "",
      "layrix: refused to copy c:\\src\\sub to c:\\src" + emptied);
  Run({"-c", "C:\\src\\sub", "C:\\", "3"}, "",
      "layrix: refused to copy c:\\src\\sub to c:\\" + emptied);
  Run({"-c", "C:\\src", "", "3"});
  EXPECT_EQ(ListTree(p.C("src")), before);
  EXPECT_EQ(ReadFile(p.C("src/a.bgl")), "a");
  ExpectSimulatorIntact();
}

// ------------------------------------------------------------ -r and -rf

TEST_F(TreeCommands, RemoveDeletesTheLayerTreeAndKeepsItsEntry) {
  Install({{"Area.004", "Mine", "Addon Scenery\\Mine", 4},
           {"Area.005", "Other", "Addon Scenery\\Other", 5}});
  WriteFile(p.C("FS9/Addon Scenery/Mine/scenery/a.bgl"), "a");
  WriteFile(p.C("FS9/Addon Scenery/Mine/texture/t.bmp"), "t");
  testing_support::MakeDirs(p.C("FS9/Addon Scenery/Mine/empty"));
  WriteFile(p.C("FS9/Addon Scenery/Other/scenery/o.bgl"), "o");
  Run({"-r", "4"});
  EXPECT_FALSE(PathExists(p.C("FS9/Addon Scenery/Mine")));
  EXPECT_EQ(ReadFile(p.C("FS9/Addon Scenery/Other/scenery/o.bgl")), "o");
  ExpectSimulatorIntact();
}

TEST_F(TreeCommands, RemoveKeepsReadOnlyFilesHiddenFoldersAndLinks) {
  Install({{"Area.004", "Mine", "C:\\Mine", 4}});
  WriteFile(p.C("Mine/a/b/locked.bgl"), "locked");
  ASSERT_EQ(chmod(p.C("Mine/a/b/locked.bgl").c_str(), 0444), 0);
  WriteFile(p.C("Mine/a/gone.bgl"), "x");
  WriteFile(p.C("Mine/c/gone.bgl"), "x");
  WriteFile(p.C("Mine/.svn/entries"), "svn");
  WriteFile(p.C("Mine/.hidden.bgl"), "hidden file");
  WriteFile(p.C("outside/private.bgl"), "private");
  ASSERT_EQ(symlink(p.C("outside").c_str(), p.C("Mine/link").c_str()), 0);
  ASSERT_EQ(symlink("/", p.C("Mine/root").c_str()), 0);
  Run({"-r", "4"}, "", "layrix: kept 1 read-only file in C:\\Mine\r\n");
  EXPECT_TRUE(PathExists(p.C("Mine/a/b/locked.bgl")));
  EXPECT_FALSE(PathExists(p.C("Mine/a/gone.bgl")));
  EXPECT_FALSE(PathExists(p.C("Mine/c")));
  EXPECT_FALSE(PathExists(p.C("Mine/.hidden.bgl")));
  EXPECT_EQ(ReadFile(p.C("Mine/.svn/entries")), "svn");
  EXPECT_TRUE(PathExists(p.C("Mine/link")));
  EXPECT_TRUE(PathExists(p.C("Mine/root")));
  EXPECT_EQ(ReadFile(p.C("outside/private.bgl")), "private");
}

TEST_F(TreeCommands, RemoveRefusesRequiredAndProtectedFolders) {
  Install({{"Area.004", "Required", "C:\\Required", 4, true, true},
           {"Area.005", "Addon upper", "ADDON SCENERY", 5},
           {"Area.006", "Addon absolute", "C:\\FS9\\Addon Scenery", 6},
           {"Area.007", "Addon lower", "c:\\fs9\\addon scenery\\", 7},
           {"Area.008", "Addon dotted", "Scenery\\..\\Addon Scenery", 8},
           {"Area.009", "Empty", "", 9},
           {"Area.010", "Simulator", "C:\\FS9", 10},
           {"Area.011", "Simulator dot", ".", 11},
           {"Area.012", "Drive", "C:\\", 12},
           {"Area.013", "Parent", "C:\\FS9\\..", 13},
           {"Area.014", "Current drive", "\\", 14}});
  WriteFile(p.C("Required/r.bgl"), "r");
  WriteFile(p.C("top.bgl"), "top");
  const std::string addons = ": it is the 'Addon Scenery' folder, which holds every add-on\r\n";
  const std::vector<std::string> told = {
      "C:\\FS9\\Addon Scenery" + addons,
      "C:\\Required: it is a required layer\r\n",
      "C:\\FS9\\ADDON SCENERY" + addons,
      "C:\\FS9\\Addon Scenery" + addons,
      "c:\\fs9\\addon scenery" + addons,
      "C:\\FS9\\Addon Scenery" + addons,
      "",  // an area without a folder names nothing to remove
      "C:\\FS9: it is the simulator's folder\r\n",
      "C:\\FS9: it is the simulator's folder\r\n",
      "C:\\: it is a drive root\r\n",
      "C:\\: it is a drive root\r\n",
      "C:\\: it is a drive root\r\n",
  };
  for (int layer = 3; layer <= 14; ++layer) {
    const std::string& why = told[static_cast<size_t>(layer - 3)];
    Run({"-r", std::to_string(layer)}, "", why.empty() ? "" : "layrix: refused to remove " + why);
  }
  EXPECT_EQ(ReadFile(p.C("Required/r.bgl")), "r");
  EXPECT_EQ(ReadFile(p.C("top.bgl")), "top");
  ExpectSimulatorIntact();
}

TEST_F(TreeCommands, RemoveByFolder) {
  Install({{"Area.004", "Mine", "Addon Scenery\\Mine", 4}});
  WriteFile(p.C("FS9/Addon Scenery/Mine/scenery/a.bgl"), "a");
  WriteFile(p.C("FS9/Addon Scenery/Unlisted/scenery/u.bgl"), "u");
  Run({"-rf", "Addon Scenery\\Unlisted"});
  EXPECT_EQ(ReadFile(p.C("FS9/Addon Scenery/Unlisted/scenery/u.bgl")), "u");
  for (const char* addons : {"C:\\FS9\\Addon Scenery", "Addon Scenery"})
    Run({"-rf", addons}, "",
        "layrix: refused to remove C:\\FS9\\Addon Scenery: it is the 'Addon Scenery' folder, "
        "which holds every add-on\r\n");
  ExpectSimulatorIntact();
  Run({"-rf", "ADDON SCENERY\\mine\\"});
  EXPECT_FALSE(PathExists(p.C("FS9/Addon Scenery/Mine")));
}

TEST_F(TreeCommands, RemoveByFolderTakesThatFolderWhenLayerNumbersRepeat) {
  Install({{"Area.004", "Keep", "C:\\Keep", 4}, {"Area.005", "Drop", "C:\\Drop", 4}});
  WriteFile(p.C("Keep/x.bgl"), "keep");
  WriteFile(p.C("Drop/x.bgl"), "drop");
  Run({"-rf", "C:\\Drop"});
  EXPECT_FALSE(PathExists(p.C("Drop")));
  EXPECT_EQ(ReadFile(p.C("Keep/x.bgl")), "keep");
  // The layer found is used up: a following "-r -1" removes nothing.
  WriteFile(p.C("Drop/x.bgl"), "drop");
  WriteFile(p.Work() + "/remove.txt", "-rf C:\\Drop\r\n-r -1\r\n");
  RunResult r = RunLayrix(p, {"-b", "remove.txt"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_FALSE(PathExists(p.C("Drop")));
  EXPECT_EQ(ReadFile(p.C("Keep/x.bgl")), "keep");
}

TEST_F(TreeCommands, RemoveTheFoundLayerOnceInABatch) {
  Install({{"Area.004", "One", "C:\\One", 4}, {"Area.005", "Two", "C:\\Two", 5}});
  WriteFile(p.C("One/x.bgl"), "1");
  WriteFile(p.C("Two/x.bgl"), "2");
  WriteFile(p.Work() + "/remove.txt", "-f C:\\Two 0\r\n-r -1\r\n-r -1\r\n");
  RunResult r = RunLayrix(p, {"-b", "remove.txt"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_FALSE(PathExists(p.C("Two")));
  EXPECT_EQ(ReadFile(p.C("One/x.bgl")), "1");
  EXPECT_EQ(e2e::Cfg(p), cfgBefore);
}

}  // namespace
