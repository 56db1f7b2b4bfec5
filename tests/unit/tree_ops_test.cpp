// The walker and the tree operations of SceneryLibrary on generated folder trees in
// a throwaway prefix: copy, removal, scan for new scenery, BGL switching, and
// every request they refuse.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "test_prefix.h"
#include "platform/posix/posix_internal.h"
#include "bgl/content_filter.h"
#include "scenery/library.h"
#include "walk/tree_walker.h"

using testing_support::ListTree;
using testing_support::PathExists;
using testing_support::ReadFile;
using testing_support::TestPrefix;
using testing_support::WriteFile;

namespace {

using Tree = std::vector<std::string>;

class TreeOps : public ::testing::Test {
 protected:
  TreeOps() : base_("t" + std::to_string(++count_)) {
    // The current folder on drive C: of the prefix, so that a path on "the
    // current drive" can never reach the host's own folders.
    testing_support::MakeDirs(prefix.C("cwd"));
    if (chdir(prefix.C("cwd").c_str()) != 0) ADD_FAILURE() << "chdir";
    testing_support::MakeDirs(C("FS9/Addon Scenery/scenery"));
    cfg.SimulatorFolder = W("C:\\FS9\\");
    cfg.LoadFromText("[General]\r\nTitle=FS9 World Scenery\r\nClean_on_Exit=TRUE\r\n");
    cfg.LastLayer = -1;
  }

  // Adds an area with the next layer number.
  int32_t AddArea(const std::string& local, bool required = false) {
    const int32_t layer = static_cast<int32_t>(cfg.Sections.size());
    cfg.Sections.push_back(Section{
        SceneryLibrary::AreaSectionName(layer),
        std::make_unique<Area>(local, local, "", layer, true, required, "")});
    return layer;
  }

  ~TreeOps() override {
    if (chdir("/") != 0) ADD_FAILURE() << "chdir";
  }

  // Each test works in its own folder of drive C: (the host layer reads the
  // prefix once per process).
  std::string C(const std::string& below) const { return prefix.C(base_ + "/" + below); }
  // A Windows path "C:\x" moved into the test's folder.
  std::string W(const std::string& path) const {
    return path.substr(0, 3) + base_ + "\\" + path.substr(3);
  }
  void Write(const std::string& below, const std::string& bytes = "data") { WriteFile(C(below), bytes); }
  Tree List(const std::string& below) const { return ListTree(C(below)); }

  void SetMTime(const std::string& below, time_t seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, C(below).c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
  }
  void ReadOnly(const std::string& below) { ASSERT_EQ(chmod(C(below).c_str(), 0444), 0); }
  void Link(const std::string& target, const std::string& below) {
    ASSERT_EQ(symlink(target.c_str(), C(below).c_str()), 0);
  }

  static TestPrefix& SharedPrefix() {
    static TestPrefix shared;
    static const bool set = (setenv("WINEPREFIX", shared.Prefix().c_str(), 1), true);
    (void)set;
    return shared;
  }

  inline static int count_ = 0;
  TestPrefix& prefix = SharedPrefix();
  std::string base_;
  SceneryLibrary cfg;
};

// ------------------------------------------------------------ folder test

// An area's folder counts as there when it holds a "scenery" sub-folder,
// looked for below the simulator folder when the path is relative.
TEST_F(TreeOps, SceneryFolderTestWantsTheFolderAndItsSceneryFolder) {
  testing_support::MakeDirs(C("FS9/Addon Scenery/Full/Scenery"));
  testing_support::MakeDirs(C("FS9/Addon Scenery/Bare/texture"));
  Write("FS9/Addon Scenery/Flat/scenery", "a file, not a folder");
  testing_support::MakeDirs(C("Elsewhere/Pack/scenery"));
  // Only the host can name a folder with a trailing dot; Windows reads
  // "Dotted." at the end of a path as "Dotted", which is not there.
  testing_support::MakeDirs(C("FS9/Addon Scenery/Dotted./scenery"));
  std::vector<std::string> asked;
  const auto has = [&](const std::string& local) -> bool {
    asked.push_back(local);
    const Area area(local, local, "", 1, true, false, "");
    return cfg.HaveSceneryFolders({&area}).front();
  };
  EXPECT_TRUE(has("Addon Scenery\\Full"));
  EXPECT_TRUE(has("ADDON SCENERY\\FULL\\"));
  EXPECT_TRUE(has("Addon Scenery"));
  EXPECT_TRUE(has(W("C:\\Elsewhere\\Pack")));
  EXPECT_TRUE(has("..\\Elsewhere\\Pack"));
  EXPECT_TRUE(has("Addon Scenery\\Bare\\..\\Full"));
  EXPECT_FALSE(has("Addon Scenery\\Bare"));
  EXPECT_FALSE(has("Addon Scenery\\Flat"));
  EXPECT_FALSE(has("Addon Scenery\\Gone"));
  EXPECT_FALSE(has(W("C:\\Elsewhere\\Gone")));
  EXPECT_FALSE(has(""));
  EXPECT_FALSE(has("Addon Scenery\\Dotted."));
  // Asked all at once, each folder gets the answer it gets alone.
  std::vector<Area> areas;
  std::vector<const Area*> all;
  std::vector<bool> alone;
  for (const std::string& local : std::vector<std::string>(asked)) {
    areas.emplace_back(local, local, "", 1, true, false, "");
    alone.push_back(has(local));
  }
  for (const Area& area : areas) all.push_back(&area);
  EXPECT_EQ(cfg.HaveSceneryFolders(all), alone);
}

// ------------------------------------------------------------ copy

TEST_F(TreeOps, CopyReproducesTheTreeWithLowerCaseFileNames) {
  Write("src/Tower.BGL", "tower");
  Write("src/Sub Folder/Texture.BMP", "tex");
  testing_support::MakeDirs(C("src/Empty/Deeper"));
  Write("src/Sub Folder/LAYRIX.EXE");
  Write("src/Setup_Scn.bat");
  Write("src/.cache", "cache");
  Write("src/.svn/entries");
  cfg.CopyTree(W("C:\\src"), W("C:\\dst"), 0);
  EXPECT_EQ(List("dst"), (Tree{".cache", "Empty/", "Empty/Deeper/", "Sub Folder/",
                               "Sub Folder/texture.bmp", "tower.bgl"}));
  EXPECT_EQ(ReadFile(C("dst/tower.bgl")), "tower");
  // The source is untouched.
  EXPECT_TRUE(PathExists(C("src/Tower.BGL")));
}

// The last name of a path a system call was given.
std::string NameIn(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

// A copy into a new folder never shows the folder half-filled: it is built
// under a hidden name beside its place and renamed into place once, so no
// data are written while the target folder exists, and nothing stays beside.
TEST_F(TreeOps, CopyIntoANewFolderAppearsWhole) {
  Write("src/a.bgl", "a");
  Write("src/Scenery/b.bgl", "b");
  Write("src/Scenery/Deep/c.bgl", "c");
  Write("src/Texture/d.bmp", "d");
  static std::string target;
  static int writesWhileThere, renames;
  target = C("new/dst");
  writesWhileThere = renames = 0;
  auto& sys = plat::posix::Sys();
  sys.Write = [](int fd, const void* data, size_t count) -> ssize_t {
    if (PathExists(target)) ++writesWhileThere;
    return plat::posix::DefaultSys().Write(fd, data, count);
  };
  sys.CopyFileRange = [](int in, int out, size_t count) -> ssize_t {
    if (PathExists(target)) ++writesWhileThere;
    return plat::posix::DefaultSys().CopyFileRange(in, out, count);
  };
  sys.CloneFile = [](int in, int out) {
    if (PathExists(target)) ++writesWhileThere;
    return plat::posix::DefaultSys().CloneFile(in, out);
  };
  sys.RenameNoReplace = [](int a, const char* b, int c, const char* d) {
    ++renames;
    return plat::posix::DefaultSys().RenameNoReplace(a, b, c, d);
  };
  cfg.CopyTree(W("C:\\src"), W("C:\\new\\dst"), 1);
  sys = plat::posix::DefaultSys();
  EXPECT_EQ(writesWhileThere, 0);
  EXPECT_EQ(renames, 1);
  EXPECT_EQ(List("new"), (Tree{"dst/", "dst/Scenery/", "dst/Scenery/Deep/", "dst/Scenery/Deep/c.bgl",
                               "dst/Scenery/b.bgl", "dst/Texture/", "dst/Texture/d.bmp", "dst/a.bgl"}));

  // Into an existing folder, a new sub-folder appears whole, by one rename
  // onto its name; the files of existing folders are replaced one by one.
  Write("src/Texture/e.bmp", "e");
  Write("src/More/f.bgl", "f");
  renames = 0;
  sys.RenameNoReplace = [](int a, const char* b, int c, const char* d) {
    if (NameIn(d) == "More") ++renames;
    return plat::posix::DefaultSys().RenameNoReplace(a, b, c, d);
  };
  cfg.CopyTree(W("C:\\src"), W("C:\\new\\dst"), 1);
  sys = plat::posix::DefaultSys();
  EXPECT_EQ(renames, 1);
  EXPECT_EQ(ReadFile(C("new/dst/More/f.bgl")), "f");
  EXPECT_EQ(ReadFile(C("new/dst/Texture/e.bmp")), "e");
  EXPECT_EQ(List("new").size(), 11u);
}

// Another program making the folder while it is being built: the copy goes
// into that folder as into any existing one, and what was built goes away.
TEST_F(TreeOps, CopyIntoAFolderMadeMeanwhile) {
  Write("src/a.bgl", "a");
  Write("src/Scenery/b.bgl", "b");
  static std::string target;
  target = C("dst");
  plat::posix::Sys().RenameNoReplace = [](int a, const char* b, int c, const char* d) {
    if (NameIn(b).rfind(".layrix-", 0) == 0 && !PathExists(target)) {
      testing_support::MakeDirs(target);
      WriteFile(target + "/theirs.txt", "theirs");
    }
    return plat::posix::DefaultSys().RenameNoReplace(a, b, c, d);
  };
  cfg.CopyTree(W("C:\\src"), W("C:\\dst"), 1);
  plat::posix::Sys() = plat::posix::DefaultSys();
  EXPECT_EQ(List("dst"), (Tree{"Scenery/", "Scenery/b.bgl", "a.bgl", "theirs.txt"}));
  for (const std::string& entry : List(""))
    EXPECT_EQ(entry.find(".layrix-"), std::string::npos) << entry;
}

TEST_F(TreeOps, CopyRelativePathsAreBelowTheSimulatorFolder) {
  Write("FS9/Addon Scenery/Mine/scenery/a.bgl", "a");
  cfg.CopyTree("Addon Scenery\\Mine", "Addon Scenery\\Copy\\", 0);
  EXPECT_EQ(ReadFile(C("FS9/Addon Scenery/Copy/scenery/a.bgl")), "a");
}

TEST_F(TreeOps, CopyOverwriteRules) {
  for (int mode = 0; mode <= 3; ++mode) {
    SCOPED_TRACE(mode);
    const std::string src = "src" + std::to_string(mode), dst = "dst" + std::to_string(mode);
    Write(src + "/newer.bgl", "source");
    Write(src + "/older.bgl", "source");
    Write(src + "/same.bgl", "source");
    Write(src + "/missing.bgl", "source");
    SetMTime(src + "/newer.bgl", 1000000000);
    SetMTime(src + "/older.bgl", 1000000000);
    SetMTime(src + "/same.bgl", 1000000000);
    Write(dst + "/newer.bgl", "dest");  // written after the source
    Write(dst + "/older.bgl", "dest");
    Write(dst + "/same.bgl", "dest");
    Write(dst + "/extra.bgl", "dest");
    SetMTime(dst + "/newer.bgl", 1000000100);
    SetMTime(dst + "/older.bgl", 999999900);
    SetMTime(dst + "/same.bgl", 1000000000);
    cfg.CopyTree(W("C:\\" + src), W("C:\\" + dst), mode);

    const std::string replaced = mode == 0 ? "dest" : "source";
    EXPECT_EQ(ReadFile(C(dst + "/newer.bgl")), mode == 2 || mode == 0 ? "dest" : "source");
    EXPECT_EQ(ReadFile(C(dst + "/older.bgl")), replaced);
    EXPECT_EQ(ReadFile(C(dst + "/same.bgl")), replaced);
    EXPECT_EQ(ReadFile(C(dst + "/missing.bgl")), "source");
    // Only overwrite 3 empties the destination first.
    EXPECT_EQ(PathExists(C(dst + "/extra.bgl")), mode != 3);
  }
}

TEST_F(TreeOps, CopyCarriesTheLastWriteTime) {
  Write("src/a.bgl");
  SetMTime("src/a.bgl", 1000000000);
  cfg.CopyTree(W("C:\\src"), W("C:\\dst"), 1);
  struct stat st;
  ASSERT_EQ(stat(C("dst/a.bgl").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1000000000);
}

TEST_F(TreeOps, CopyOverwriteThreeKeepsTheDestinationFolders) {
  Write("src/scenery/a.bgl", "new");
  Write("dst/old/deep/x.bgl");
  Write("dst/scenery/b.bgl");
  Write("dst/.hidden/keep.txt", "k");
  cfg.CopyTree(W("C:\\src"), W("C:\\dst"), 3);
  EXPECT_EQ(List("dst"), (Tree{".hidden/", ".hidden/keep.txt", "old/", "old/deep/", "scenery/",
                               "scenery/a.bgl"}));
}

TEST_F(TreeOps, CopyLeavesReadOnlyTargetsAlone) {
  Write("src/a.bgl", "new");
  Write("dst/a.bgl", "old");
  ReadOnly("dst/a.bgl");
  cfg.CopyTree(W("C:\\src"), W("C:\\dst"), 1);
  EXPECT_EQ(ReadFile(C("dst/a.bgl")), "old");
  cfg.CopyTree(W("C:\\src"), W("C:\\dst"), 3);
  EXPECT_EQ(ReadFile(C("dst/a.bgl")), "old");
}

TEST_F(TreeOps, CopyDoesNotFollowFolderLinks) {
  Write("src/a.bgl");
  Write("elsewhere/secret.bgl");
  Link(C("elsewhere"), "src/linked");
  Link(C("src/a.bgl"), "src/alias.bgl");
  cfg.CopyTree(W("C:\\src"), W("C:\\dst"), 0);
  EXPECT_EQ(List("dst"), (Tree{"a.bgl", "alias.bgl"}));
}

TEST_F(TreeOps, CopyRefusesWhatWouldDestroyOrRecurse) {
  Write("src/a.bgl", "a");
  Write("src/sub/b.bgl", "b");
  const Tree before = List("src");
  for (int mode = 0; mode <= 3; ++mode) {
    cfg.CopyTree(W("C:\\src"), "", mode);
    cfg.CopyTree(W("C:\\src"), W("C:\\src"), mode);
    cfg.CopyTree(W("C:\\src"), W("c:\\SRC\\"), mode);
    cfg.CopyTree(W("C:\\src"), W("C:\\src\\sub"), mode);
    cfg.CopyTree(W("C:\\src"), W("C:\\src\\new\\deeper"), mode);
    cfg.CopyTree(W("C:\\src\\sub"), W("C:\\x\\..\\src\\sub\\"), mode);
  }
  EXPECT_EQ(List("src"), before);
  // With overwrite 3, a destination holding the source would empty it.
  cfg.CopyTree(W("C:\\src\\sub"), W("C:\\src"), 3);
  EXPECT_EQ(List("src"), before);
  // Without it, copying into a parent is harmless.
  cfg.CopyTree(W("C:\\src\\sub"), W("C:\\src"), 0);
  EXPECT_EQ(ReadFile(C("src/b.bgl")), "b");
  // A sibling whose name begins like the source is not inside it.
  cfg.CopyTree(W("C:\\src"), W("C:\\src2"), 0);
  EXPECT_EQ(ReadFile(C("src2/sub/b.bgl")), "b");
}

TEST_F(TreeOps, CopyWithOverwriteThreeNeverEmptiesTheSimulatorOrAllAddons) {
  Write("src/a.bgl", "a");
  Write("FS9/fs9.exe", "exe");
  Write("FS9/Addon Scenery/Other/scenery/o.bgl", "o");
  const Tree simulator = List("FS9");
  for (const char* dest : {"C:\\FS9", "c:\\fs9\\", "C:\\", "C:\\FS9\\Addon Scenery",
                           "C:\\FS9\\ADDON SCENERY\\"}) {
    cfg.CopyTree(W("C:\\src"), std::string(dest) == "C:\\" ? dest : W(dest), 3);
    EXPECT_EQ(List("FS9"), simulator) << dest;
  }
  // Relative to the simulator folder, too.
  cfg.CopyTree(W("C:\\src"), "Addon Scenery", 3);
  EXPECT_EQ(List("FS9"), simulator);
  // One add-on's own folder is emptied and filled as asked.
  cfg.CopyTree(W("C:\\src"), "Addon Scenery\\Other", 3);
  EXPECT_FALSE(PathExists(C("FS9/Addon Scenery/Other/scenery/o.bgl")));
  EXPECT_EQ(ReadFile(C("FS9/Addon Scenery/Other/a.bgl")), "a");
}

// ------------------------------------------------------------ removal

TEST_F(TreeOps, RemoveDeletesTheWholeLayerFolder) {
  Write("FS9/Addon Scenery/Mine/scenery/a.bgl");
  Write("FS9/Addon Scenery/Mine/texture/t.bmp");
  testing_support::MakeDirs(C("FS9/Addon Scenery/Mine/empty"));
  const int32_t layer = AddArea("Addon Scenery\\Mine");
  cfg.RemoveLayerTree(layer);
  EXPECT_FALSE(PathExists(C("FS9/Addon Scenery/Mine")));
  EXPECT_TRUE(PathExists(C("FS9/Addon Scenery/scenery")));
  // The entry stays listed.
  EXPECT_EQ(cfg.IndexOfLayer(layer), 1);
}

TEST_F(TreeOps, RemoveKeepsReadOnlyHiddenAndLinkedContent) {
  Write("Mine/a/b/locked.bgl", "keep");
  ReadOnly("Mine/a/b/locked.bgl");
  Write("Mine/a/gone.bgl");
  Write("Mine/other/gone.bgl");
  Write("Mine/.svn/entries", "svn");
  Write("Mine/.hidden.bgl");
  Write("Outside/precious.bgl", "p");
  Link(C("Outside"), "Mine/link");
  Link(C("Outside/precious.bgl"), "Mine/filelink.bgl");
  cfg.RemoveLayerTree(AddArea(W("C:\\Mine")));
  // (The listing names the kept link by its target.)
  EXPECT_EQ(List("Mine"), (Tree{"../Outside", ".svn/", ".svn/entries", "a/", "a/b/", "a/b/locked.bgl"}));
  EXPECT_TRUE(PathExists(C("Mine/link")));
  EXPECT_FALSE(PathExists(C("Mine/filelink.bgl")));
  EXPECT_EQ(ReadFile(C("Outside/precious.bgl")), "p");
}

TEST_F(TreeOps, RemoveByRememberedLayerServesOnce) {
  Write("One/x.bgl");
  Write("Two/x.bgl");
  AddArea(W("C:\\One"));
  const int32_t two = AddArea(W("C:\\Two"));
  cfg.LastLayer = two;
  cfg.RemoveLayerTree(-1);
  EXPECT_FALSE(PathExists(C("Two")));
  EXPECT_EQ(cfg.LastLayer, -1);
  cfg.RemoveLayerTree(-1);
  EXPECT_TRUE(PathExists(C("One/x.bgl")));
}

TEST_F(TreeOps, RemoveRefusesProtectedFolders) {
  Write("FS9/fs9.exe", "exe");
  Write("FS9/Addon Scenery/Other/scenery/o.bgl", "o");
  Write("FS9/Scenery/World/scenery/w.bgl", "w");
  Write("Required/r.bgl");
  Write("c-root.bgl");
  const std::vector<std::string> refused = {
      "",
      "Addon scenery",
      "ADDON SCENERY\\",
      W("C:\\FS9\\Addon Scenery"),
      W("c:\\fs9\\addon scenery\\"),
      W("C:\\FS9\\Scenery\\..\\Addon Scenery"),
      W("C:\\FS9"),
      W("c:\\FS9\\"),
      ".",
      "C:\\",
      "C:",
      "\\",
      W("C:\\FS9\\.."),
  };
  for (const std::string& local : refused) cfg.RemoveLayerTree(AddArea(local));
  cfg.RemoveLayerTree(AddArea(W("C:\\Required"), true));

  EXPECT_EQ(ReadFile(C("FS9/fs9.exe")), "exe");
  EXPECT_EQ(ReadFile(C("FS9/Addon Scenery/Other/scenery/o.bgl")), "o");
  EXPECT_EQ(ReadFile(C("FS9/Scenery/World/scenery/w.bgl")), "w");
  EXPECT_TRUE(PathExists(C("Required/r.bgl")));
  EXPECT_TRUE(PathExists(C("c-root.bgl")));
  EXPECT_TRUE(PathExists(C("FS9/Addon Scenery/scenery")));
}

TEST_F(TreeOps, RemoveOfAFolderBesideTheSimulatorIsAllowed) {
  // "C:\FS9 Extra" begins with the simulator folder's text but is not in it.
  Write("FS9 Extra/x.bgl");
  Write("FS9/Addon Scenery/Mine2/x.bgl");
  cfg.RemoveLayerTree(AddArea(W("C:\\FS9 Extra")));
  cfg.RemoveLayerTree(AddArea("Addon Scenery\\Mine2"));
  EXPECT_FALSE(PathExists(C("FS9 Extra")));
  EXPECT_FALSE(PathExists(C("FS9/Addon Scenery/Mine2")));
}

// ------------------------------------------------------------ scan

std::vector<std::string> Locals(const SceneryLibrary& cfg) {
  std::vector<std::string> out;
  for (size_t i = 0; i < cfg.Sections.size(); ++i)
    if (cfg.IsAreaEntry(i)) out.push_back(cfg.Sections[i].Record->Local);
  return out;
}

TEST_F(TreeOps, ScanAddsScenerFoldersDeepestFirstInListingOrder) {
  testing_support::MakeDirs(C("FS9/Addon Scenery/New/b/Scenery"));
  testing_support::MakeDirs(C("FS9/Addon Scenery/New/A/scenery/scenery"));
  testing_support::MakeDirs(C("FS9/Addon Scenery/New/.hidden/scenery"));
  testing_support::MakeDirs(C("FS9/Addon Scenery/New/c/texture"));
  testing_support::MakeDirs(C("Outside/scenery"));
  Link(C("Outside"), "FS9/Addon Scenery/New/linked");
  cfg.AddNewScenery("Addon Scenery\\New");
  EXPECT_EQ(Locals(cfg), (std::vector<std::string>{"Addon Scenery\\New\\A\\scenery",
                                                   "Addon Scenery\\New\\A",
                                                   "Addon Scenery\\New\\b"}));
  EXPECT_EQ(cfg.Sections.back().Record->Title, "Addon Scenery\\New\\b");
  EXPECT_TRUE(cfg.Modified);

  // A second scan, absolute and with a trailing backslash, adds nothing more.
  cfg.AddNewScenery(W("C:\\FS9\\Addon Scenery\\New\\"));
  EXPECT_EQ(Locals(cfg).size(), 3u);
}

TEST_F(TreeOps, ScanOfTheStartFolderItself) {
  testing_support::MakeDirs(C("FS9/Addon Scenery/Single/scenery"));
  AddArea("Addon Scenery\\Other");
  cfg.AddNewScenery(W("C:\\FS9\\Addon Scenery\\Single"));
  EXPECT_EQ(Locals(cfg), (std::vector<std::string>{"Addon Scenery\\Other",
                                                   "Addon Scenery\\Single"}));
}

// ------------------------------------------------------------ BGL switching

std::string NewBgl(std::vector<int32_t> types) {
  std::string bytes(56, '\0');
  bytes[0] = 1;
  bytes[1] = 2;
  bytes[4] = 56;
  bytes[20] = static_cast<char>(types.size());
  for (int32_t t : types) {
    std::string rec(20, '\0');
    for (int i = 0; i < 4; ++i) rec[i] = static_cast<char>((t >> (8 * i)) & 0xFF);
    bytes += rec;
  }
  return bytes;
}

TEST_F(TreeOps, SwitchOffAndOnByVersionAndContent) {
  Write("FS9/Addon Scenery/Mine/scenery/Airport.BGL", NewBgl({3}));
  Write("FS9/Addon Scenery/Mine/scenery/vector.bgl", NewBgl({3, 101}));
  Write("FS9/Addon Scenery/Mine/scenery/unknown.bgl", NewBgl({200}));
  Write("FS9/Addon Scenery/Mine/scenery/notes.txt", "text");
  Write("FS9/Addon Scenery/Mine/scenery/text.bgl", "not a bgl file at all, just text........");
  Write("FS9/Addon Scenery/Mine/scenery/deeper/deep.bgl", NewBgl({3}));
  const int32_t layer = AddArea("Addon Scenery\\Mine");

  cfg.RenameBglFiles(layer, 9, 16383, ".bgl", ".~bgl");
  EXPECT_EQ(List("FS9/Addon Scenery/Mine/scenery"),
            (Tree{"airport.~bgl", "deeper/", "deeper/deep.bgl", "notes.txt", "text.bgl",
                  "unknown.bgl", "vector.bgl"}));
  cfg.RenameBglFiles(layer, 0, 8192, ".bgl", ".~bgl");
  EXPECT_TRUE(PathExists(C("FS9/Addon Scenery/Mine/scenery/vector.~bgl")));
  EXPECT_TRUE(PathExists(C("FS9/Addon Scenery/Mine/scenery/unknown.bgl")));

  cfg.RenameBglFiles(layer, 0, 16383, ".~bgl", ".bgl");
  EXPECT_EQ(List("FS9/Addon Scenery/Mine/scenery"),
            (Tree{"airport.bgl", "deeper/", "deeper/deep.bgl", "notes.txt", "text.bgl",
                  "unknown.bgl", "vector.bgl"}));
}

TEST_F(TreeOps, SwitchLeavesAFileWhoseNewNameExists) {
  Write("Mine/scenery/a.bgl", NewBgl({3}));
  Write("Mine/scenery/A.~BGL", "older copy");
  const int32_t layer = AddArea(W("C:\\Mine"));
  cfg.RenameBglFiles(layer, 0, 1, ".bgl", ".~bgl");
  EXPECT_EQ(List("Mine/scenery"), (Tree{"A.~BGL", "a.bgl"}));
  EXPECT_EQ(ReadFile(C("Mine/scenery/A.~BGL")), "older copy");
}

TEST_F(TreeOps, SwitchWithoutLayerDoesNothing) {
  Write("Mine/scenery/a.bgl", NewBgl({3}));
  AddArea(W("C:\\Mine"));
  cfg.RenameBglFiles(-1, 0, 16383, ".bgl", ".~bgl");
  cfg.RenameBglFiles(77, 0, 16383, ".bgl", ".~bgl");
  EXPECT_TRUE(PathExists(C("Mine/scenery/a.bgl")));
}

// ------------------------------------------------------------ the walker

TEST_F(TreeOps, RenameModeOnANameWithoutDot) {
  Write("r/NODOT", NewBgl({3}));
  TreeWalker walker;
  walker.Mode = WalkMode::RenameBgl;
  walker.ContentMask = FilterToContentFlags(1);
  walker.NewExtension = ".~bgl";
  walker.WalkFiles(W("C:\\r\\"), "*.*");
  EXPECT_EQ(List("r"), (Tree{"nodot.~bgl"}));
}

}  // namespace
