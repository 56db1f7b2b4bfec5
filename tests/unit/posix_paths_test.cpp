// The posix host layer's mapping of Windows paths onto a Wine prefix: drives,
// case-insensitive resolution, the current folder, the temporary folder, and
// the registry files.
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "env_var.h"
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace fs = std::filesystem;
using plat::posix::Resolve;
using plat::posix::Resolved;

namespace {

using testing_support::EnvVar;

// A throwaway prefix: <root>/prefix with drive_c, dosdevices/c: -> ../drive_c.
class PosixPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/layrix-paths-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    root_ = fs::canonical(folder).string();
    prefix_ = root_ + "/prefix";
    fs::create_directories(prefix_ + "/drive_c");
    fs::create_directories(prefix_ + "/dosdevices");
    fs::create_directory_symlink("../drive_c", prefix_ + "/dosdevices/c:");
    ::setenv("WINEPREFIX", prefix_.c_str(), 1);
    cwd_ = fs::current_path();
    plat::posix::ResetCaches();
  }
  void TearDown() override {
    fs::current_path(cwd_);
    fs::remove_all(root_);
    plat::posix::ResetCaches();
  }
  // Host path of a path below drive C:, as the layer spells it.
  std::string C(const std::string& below) const { return prefix_ + "/dosdevices/c:/" + below; }
  void Touch(const std::string& hostPath, const std::string& bytes = "x") {
    fs::create_directories(fs::path(hostPath).parent_path());
    std::ofstream(hostPath, std::ios::binary) << bytes;
  }

  std::string root_, prefix_;
  fs::path cwd_;
};

TEST_F(PosixPaths, ComponentsResolveIgnoringCase) {
  Touch(prefix_ + "/drive_c/FS9/Scenery/World/scenery/a.bgl");
  Resolved r = Resolve("c:\\fs9\\SCENERY\\world\\Scenery\\A.BGL");
  ASSERT_TRUE(r.Valid);
  EXPECT_TRUE(r.Exists);
  EXPECT_EQ(r.Host, C("FS9/Scenery/World/scenery/a.bgl"));
  EXPECT_EQ(r.Folder, C("FS9/Scenery/World/scenery"));
  EXPECT_EQ(r.Name, "a.bgl");

  // '/' separates, empty components, "." and ".." and trailing dots are Windows text.
  r = Resolve("C:/fs9//scenery\\.\\x\\..\\WORLD\\scenery.\\A.bgl. ");
  EXPECT_TRUE(r.Exists);
  EXPECT_EQ(r.Host, C("FS9/Scenery/World/scenery/a.bgl"));
}

TEST_F(PosixPaths, ExactSpellingWinsElseFirstInListingOrder) {
  for (const char* name : {"data", "Data", "DATA2"}) fs::create_directories(prefix_ + "/drive_c/" + name);
  EXPECT_EQ(Resolve("C:\\data").Host, C("data"));
  EXPECT_EQ(Resolve("C:\\Data").Host, C("Data"));
  // "Data" and "data" are equal ignoring case; "Data" comes first by its bytes.
  EXPECT_EQ(Resolve("C:\\DATA").Host, C("Data"));
  EXPECT_EQ(Resolve("C:\\dAtA\\new.txt").Host, C("Data/new.txt"));
  EXPECT_EQ(Resolve("C:\\data2").Host, C("DATA2"));
}

TEST_F(PosixPaths, MissingComponentsKeepTheirSpelling) {
  fs::create_directories(prefix_ + "/drive_c/FS9");
  Resolved r = Resolve("C:\\fs9\\New Folder\\File.TXT");
  EXPECT_TRUE(r.Valid);
  EXPECT_FALSE(r.Exists);
  EXPECT_EQ(r.Host, C("FS9/New Folder/File.TXT"));
  EXPECT_EQ(r.Folder, C("FS9/New Folder"));
  EXPECT_EQ(r.Name, "File.TXT");
  EXPECT_TRUE(plat::MakeFolder("c:\\FS9\\New Folder"));
  EXPECT_TRUE(fs::is_directory(prefix_ + "/drive_c/FS9/New Folder"));
}

// The folder spelled exactly and only the last name in another spelling, or
// missing, or below a file: the folder as spelled, the name as listed or given.
TEST_F(PosixPaths, LastNameBelowAnExactlySpelledFolder) {
  Touch(prefix_ + "/drive_c/Pack/scenery/b.bgl");
  Touch(prefix_ + "/drive_c/pack/scenery/B.bgl");
  Touch(prefix_ + "/drive_c/pack/scenery/a.BGL");
  Touch(prefix_ + "/drive_c/pack/file.txt");
  Resolved r = Resolve("C:\\pack\\scenery\\A.bgl");
  EXPECT_TRUE(r.Exists);
  EXPECT_EQ(r.Host, C("pack/scenery/a.BGL"));
  EXPECT_EQ(r.Folder, C("pack/scenery"));
  EXPECT_EQ(r.Name, "a.BGL");
  EXPECT_TRUE(S_ISREG(r.Lstat.st_mode));
  // The exactly spelled folder wins although "Pack" holds "b.bgl" as spelled.
  EXPECT_EQ(Resolve("C:\\pack\\scenery\\b.BGL").Host, C("pack/scenery/B.bgl"));
  EXPECT_EQ(Resolve("C:\\PACK\\scenery\\b.BGL").Host, C("Pack/scenery/b.bgl"));

  r = Resolve("C:\\pack\\scenery\\New.bgl");
  EXPECT_TRUE(r.Valid);
  EXPECT_FALSE(r.Exists);
  EXPECT_EQ(r.Host, C("pack/scenery/New.bgl"));
  EXPECT_EQ(r.Folder, C("pack/scenery"));
  EXPECT_EQ(r.Name, "New.bgl");
  EXPECT_EQ(r.Lstat.st_ino, ino_t(0));

  r = Resolve("C:\\pack\\file.txt\\x");
  EXPECT_TRUE(r.Valid);
  EXPECT_FALSE(r.Exists);
  EXPECT_EQ(r.Host, C("pack/file.txt/x"));
  EXPECT_EQ(r.Name, "x");
}

// Names in a folder spelled out just before reuse its host form; every
// check and every other-spelling lookup still applies to them.
TEST_F(PosixPaths, NamesInAFolderJustSpelledOut) {
  Touch(prefix_ + "/drive_c/Pack/a.bgl");
  // "C:\PACK" is on disk only as "Pack".
  EXPECT_FALSE(Resolve("C:\\PACK\\missing").Exists);
  Resolved r = Resolve("C:\\PACK\\A.BGL");
  EXPECT_TRUE(r.Exists);
  EXPECT_EQ(r.Host, C("Pack/a.bgl"));
  EXPECT_EQ(r.Folder, C("Pack"));
  EXPECT_FALSE(Resolve("C:\\PACK\\nul").Valid);
  EXPECT_FALSE(Resolve("C:\\PACK\\...\\x").Valid);
  EXPECT_EQ(Resolve("C:\\PACK\\...").Host, C("Pack"));
  EXPECT_EQ(Resolve("C:\\PACK\\.").Host, C("Pack"));
  EXPECT_EQ(Resolve("C:\\PACK\\x\\..\\a.bgl").Host, C("Pack/a.bgl"));
  // A new drive table forgets what was spelled out.
  fs::remove(prefix_ + "/dosdevices/c:");
  fs::create_directories(root_ + "/other/Pack");
  fs::create_directory_symlink(root_ + "/other", prefix_ + "/dosdevices/c:");
  plat::posix::ResetCaches();
  EXPECT_FALSE(Resolve("C:\\PACK\\a.bgl").Exists);
}

// Keeping the host text of folders just spelled out never changes how a
// path is spelled: each second path gives what it gives with nothing kept,
// whatever folder the first one left behind (dots and blanks that the
// full-path rule drops or keeps, devices, separators, the drive root).
TEST_F(PosixPaths, KeptFoldersNeverChangeASpelling) {
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"C:\\d\\b...\\one", "C:\\d\\b..\\two"},
      {"C:\\d\\b..\\one", "C:\\d\\b..\\two"},
      {"C:\\d\\a \\one", "C:\\d\\a \\two"},
      {"C:\\d\\.x\\one", "C:\\d\\.x\\two"},
      {"C:\\d\\CON\\one", "C:\\d\\CON\\two"},
      {"C:\\d\\e\\one", "C:\\d\\e\\two."},
      {"C:\\d\\e\\one", "C:\\d\\e\\two "},
      {"C:\\d\\e\\one", "C:\\d\\e\\.two"},
      {"C:\\d\\e\\one", "C:\\d\\e\\t/wo"},
      {"C:\\d\\e\\one", "C:\\d\\e\\aux"},
      {"C:\\d\\e\\one", "C:\\d\\e\\..."},
      {"C:\\one", "C:\\two"},
      {"C:\\d\\e\\one", "c:\\d\\e\\two"},
      // A sub-folder of a folder beside the one kept.
      {"C:\\d\\p1\\scenery", "C:\\d\\p2\\scenery"},
      {"C:\\d\\p1\\scenery", "C:\\d\\P1\\Scenery"},
      {"C:\\d\\p1\\scenery", "C:\\D\\p2\\scenery"},
      {"C:\\d\\p1\\scenery", "C:\\d\\p2.\\scenery"},
      {"C:\\d\\p1\\scenery", "C:\\d\\p2\\scenery "},
      {"C:\\d\\p1\\scenery", "C:\\d\\CON\\scenery"},
      {"C:\\d\\p1\\scenery", "C:\\d\\p2\\nul"},
      {"C:\\d\\p1\\scenery", "C:\\d\\..\\scenery"},
      {"C:\\d\\p1\\scenery", "C:\\d\\p2\\..\\x"},
      {"C:\\d\\p1 \\scenery", "C:\\d\\p2\\scenery"},
      {"C:\\d\\p1\\x\\scenery", "C:\\d\\p1\\y\\scenery"},
      {"C:\\p1\\scenery", "C:\\p2\\scenery"},
      {"C:\\p1\\scenery", "C:\\d\\p2\\scenery"},
  };
  for (const auto& [first, second] : pairs) {
    plat::posix::ResetCaches();
    const Resolved alone = plat::posix::Spelled(second);
    const Resolved resolvedAlone = Resolve(second);
    plat::posix::ResetCaches();
    (void)plat::posix::Spelled(first);
    const Resolved after = plat::posix::Spelled(second);
    EXPECT_EQ(after.Valid, alone.Valid) << first << " then " << second;
    EXPECT_EQ(after.Host, alone.Host) << first << " then " << second;
    EXPECT_EQ(after.Folder, alone.Folder) << first << " then " << second;
    EXPECT_EQ(after.Name, alone.Name) << first << " then " << second;
    plat::posix::ResetCaches();
    (void)Resolve(first);
    EXPECT_EQ(Resolve(second).Host, resolvedAlone.Host) << first << " then " << second;
  }
}

TEST_F(PosixPaths, DrivesOfThePrefix) {
  // d: is a folder of its own inside dosdevices; e: is missing.
  Touch(prefix_ + "/dosdevices/d:/Dir/x.txt");
  EXPECT_EQ(Resolve("d:\\dir\\X.TXT").Host, prefix_ + "/dosdevices/d:/Dir/x.txt");
  EXPECT_FALSE(Resolve("E:\\x").Valid);
  std::vector<plat::DirEntry> none;
  EXPECT_TRUE(plat::FindEntries("E:\\*", none) && none.empty());
  EXPECT_FALSE(plat::MakeFolder("E:\\x"));

  // z: is the host root unless the prefix defines it.
  EXPECT_EQ(Resolve("Z:\\").Host, "/");
  EXPECT_EQ(Resolve(std::string("z:") + root_).Host, root_);
  EXPECT_TRUE(plat::FolderExists("Z:\\tmp"));
  fs::create_directories(root_ + "/zroot/inside");
  plat::posix::ResetCaches();
  fs::create_directory_symlink(root_ + "/zroot", prefix_ + "/dosdevices/z:");
  plat::posix::ResetCaches();
  EXPECT_EQ(Resolve("Z:\\Inside").Host, prefix_ + "/dosdevices/z:/inside");
  EXPECT_TRUE(plat::FolderExists("Z:\\inside"));
}

TEST_F(PosixPaths, UncPathsAndDevicesNameNoFile) {
  Touch(prefix_ + "/drive_c/nul.txt");
  Touch(prefix_ + "/drive_c/con");
  for (const char* path : {"\\\\server\\share\\x", "//server/share/x", "C:\\nul.txt", "C:\\CON",
                           "C:\\x\\com1.bgl", "LPT1", "aux"}) {
    EXPECT_FALSE(Resolve(path).Valid) << path;
    plat::FileInfo info;
    EXPECT_FALSE(plat::GetFileInfo(path, info)) << path;
  }
  std::vector<plat::DirEntry> none;
  EXPECT_TRUE(plat::FindEntries("\\\\server\\share\\*", none) && none.empty());
  EXPECT_FALSE(Resolve(std::string("C:\\a\0b", 6)).Valid);
}

TEST_F(PosixPaths, HostNamesAreUtf8) {
  Touch(prefix_ + "/drive_c/Z\xC3\xBCrich/caf\xC3\xA9.txt");  // UTF-8
  Touch(prefix_ + "/drive_c/latin\xE9.txt");                   // not UTF-8: taken as 1252
  Touch(prefix_ + "/drive_c/\xE6\x97\xA5.txt");                // beyond 1252
  EXPECT_EQ(Resolve("C:\\Z\xC3\xBCrich\\caf\xC3\xA9.txt").Host, C("Z\xC3\xBCrich/caf\xC3\xA9.txt"));
  EXPECT_EQ(Resolve("C:\\Z\xC3\x9CRICH\\CAF\xC3\x89.TXT").Host, C("Z\xC3\xBCrich/caf\xC3\xA9.txt"));
  EXPECT_EQ(Resolve("C:\\Z\xDCRICH\\CAF\xC9.TXT").Host, C("Z\xC3\xBCrich/caf\xC3\xA9.txt"));  // 1252 bytes
  // Entries are found by the names their listing gives.
  std::vector<plat::DirEntry> entries;
  ASSERT_TRUE(plat::FindEntries("C:\\*.txt", entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Name, "latin\xC3\xA9.txt");
  EXPECT_TRUE(plat::FileExists("C:\\" + entries[0].Name));
  EXPECT_EQ(entries[1].Name, "\xE6\x97\xA5.txt");
  EXPECT_TRUE(plat::FileExists("C:\\" + entries[1].Name));
  EXPECT_EQ(Resolve("C:\\LATIN\xC3\x89.txt").Host, C("latin\xE9.txt"));
  // A name not there in any spelling is made in UTF-8.
  EXPECT_EQ(Resolve("C:\\new\xE9").Host, C("new\xC3\xA9"));
}

TEST_F(PosixPaths, CurrentFolderInWindowsForm) {
  fs::create_directories(prefix_ + "/drive_c/FS9/Scenery");
  fs::create_directories(prefix_ + "/drive_c/Z\xC3\xBCrich");
  fs::create_directories(prefix_ + "/dosdevices/d:/sub");
  fs::create_directories(root_ + "/data");
  fs::create_directories(root_ + "/database/x");
  fs::create_directory_symlink(root_ + "/data", prefix_ + "/dosdevices/e:");
  std::string folder;

  fs::current_path(prefix_ + "/drive_c/FS9/Scenery");
  ASSERT_TRUE(plat::CurrentFolder(folder));
  EXPECT_EQ(folder, "C:\\FS9\\Scenery\\");
  EXPECT_EQ(plat::FullPath("x\\..\\y.txt"), "C:\\FS9\\Scenery\\y.txt");
  EXPECT_EQ(plat::FullPath("\\top"), "C:\\top");
  EXPECT_EQ(plat::FullPath("c:world"), "C:\\FS9\\Scenery\\world");
  EXPECT_EQ(plat::FullPath("d:world"), "d:\\world");  // the drive as given
  EXPECT_TRUE(plat::FolderExists(".."));
  EXPECT_EQ(Resolve("..\\scenery").Host, C("FS9/Scenery"));

  fs::current_path(prefix_ + "/drive_c");
  ASSERT_TRUE(plat::CurrentFolder(folder));
  EXPECT_EQ(folder, "C:\\");
  fs::current_path(prefix_ + "/drive_c/Z\xC3\xBCrich");
  ASSERT_TRUE(plat::CurrentFolder(folder));
  EXPECT_EQ(folder, "C:\\Z\xC3\xBCrich\\");
  fs::current_path(prefix_ + "/dosdevices/d:/sub");
  ASSERT_TRUE(plat::CurrentFolder(folder));
  EXPECT_EQ(folder, "D:\\sub\\");
  fs::current_path(root_ + "/data");
  ASSERT_TRUE(plat::CurrentFolder(folder));
  EXPECT_EQ(folder, "E:\\");
  // Leading parts count in whole components: "database" is not inside "data".
  fs::current_path(root_ + "/database/x");
  ASSERT_TRUE(plat::CurrentFolder(folder));
  std::string expected = "Z:" + root_ + "/database/x/";
  for (char& c : expected)
    if (c == '/') c = '\\';
  EXPECT_EQ(folder, expected);
}

// A folder argument written as a host path, or as a Z: path into another
// drive, is given on the drive that holds it; the rest keeps the spelling
// typed.
TEST_F(PosixPaths, DriveFormOfHostAndZPaths) {
  fs::create_directories(prefix_ + "/drive_c/FS9/Addon Scenery");
  fs::create_directories(root_ + "/data/pack");
  fs::create_directories(root_ + "/database");
  fs::create_directory_symlink(root_ + "/data", prefix_ + "/dosdevices/e:");
  fs::create_directory_symlink(root_ + "/data", prefix_ + "/drive_c/FS9/Linked");
  std::string z = "Z:" + root_;
  for (char& c : z)
    if (c == '/') c = '\\';
  const std::pair<std::string, std::string> cases[] = {
      {prefix_ + "/drive_c/FS9/Addon Scenery/New", "C:\\FS9\\Addon Scenery\\New"},
      {C("FS9/Addon Scenery/"), "C:\\FS9\\Addon Scenery\\"},
      {prefix_ + "/drive_c", "C:\\"},
      {prefix_ + "/drive_c/FS9/Linked/pack", "E:\\pack"},  // links resolved, as for the current folder
      {root_ + "/data/pack", "E:\\pack"},
      {root_ + "/database", z + "\\database"},  // whole components only
      {z + "\\PREFIX\\drive_c\\fs9\\addon scenery\\New", "C:\\fs9\\addon scenery\\New"},
      {z + "\\prefix\\drive_c\\FS9\\x\\..\\Addon Scenery", "C:\\FS9\\Addon Scenery"},
      {z + "\\database", z + "\\database"},
      {"C:\\FS9\\Addon Scenery", "C:\\FS9\\Addon Scenery"},
      {"Addon Scenery/New", "Addon Scenery/New"},
      {"\\tmp\\addons", "\\tmp\\addons"},
      {"//server/share", "//server/share"},
      {"Q:\\Scenery", "Q:\\Scenery"},
  };
  for (const auto& [typed, form] : cases) EXPECT_EQ(plat::DriveFormOf(typed), form) << typed;
}

TEST_F(PosixPaths, RemovedCurrentFolder) {
  fs::create_directories(root_ + "/gone");
  fs::current_path(root_ + "/gone");
  fs::remove(root_ + "/gone");
  std::string folder = "unchanged";
  EXPECT_FALSE(plat::CurrentFolder(folder));
  EXPECT_EQ(folder, "unchanged");
  EXPECT_EQ(plat::FullPath("x.txt"), "");
  EXPECT_EQ(plat::FullPath("C:\\x\\..\\y.txt"), "C:\\y.txt");  // needs no current folder
  EXPECT_FALSE(plat::FileExists("x.txt"));
}

TEST_F(PosixPaths, TempFolderValue) {
  fs::create_directories(prefix_ + "/drive_c/windows/temp");
  EnvVar temp("TEMP", nullptr), tmp("TMP", nullptr), tmpdir("TMPDIR", nullptr);
  EXPECT_EQ(plat::TempFolderValue(), "Z:\\tmp");
  {
    EnvVar dir("TMPDIR", (prefix_ + "/drive_c/windows/temp/").c_str());
    EXPECT_EQ(plat::TempFolderValue(), "C:\\windows\\temp");
    EnvVar t("TMP", "C:\\Users\\Caf\xC3\xA9");
    EXPECT_EQ(plat::TempFolderValue(), "C:\\Users\\Caf\xC3\xA9");  // Windows form, as given
    EnvVar t2("TEMP", (prefix_ + "/drive_c").c_str());
    EXPECT_EQ(plat::TempFolderValue(), "C:\\");
    EnvVar t3("TEMP", "");  // empty counts as not set
    EXPECT_EQ(plat::TempFolderValue(), "C:\\Users\\Caf\xC3\xA9");
  }
}

TEST_F(PosixPaths, PrefixDefaultsToHomeWine) {
  EnvVar prefix("WINEPREFIX", ""), home("HOME", root_.c_str());
  plat::posix::ResetCaches();
  EXPECT_EQ(plat::posix::PrefixPath(), root_ + "/.wine");
}

TEST_F(PosixPaths, RegistryFilesReadOncePerProcess) {
  std::ofstream(prefix_ + "/user.reg", std::ios::binary)
      << "WINE REGISTRY Version 2\n;; comment\n#arch=win64\n\n"
         "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\9.0] 1796672504\n"
         "#time=1d8\n\"AppPath\"=\"C:\\\\FS9\\\\\"\n\"Number\"=dword:00000001\n";
  std::ofstream(prefix_ + "/system.reg", std::ios::binary)
      << "WINE REGISTRY Version 2\n"
         "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders]\n"
         "\"Common AppData\"=\"C:\\\\ProgramData\\x0000tail\"\n";
  const std::string fs9 = "\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0";
  std::string value;
  EXPECT_TRUE(plat::RegKeyExists(plat::RegRoot::CurrentUser, fs9));
  EXPECT_TRUE(plat::RegKeyExists(plat::RegRoot::CurrentUser, "SOFTWARE\\microsoft"));
  EXPECT_FALSE(plat::RegKeyExists(plat::RegRoot::LocalMachine, fs9));
  EXPECT_EQ(plat::RegReadString(plat::RegRoot::CurrentUser, fs9, "apppath", value).Outcome,
            plat::FileOutcome::Done);
  EXPECT_EQ(value, "C:\\FS9\\");
  value = "kept";
  EXPECT_EQ(plat::RegReadString(plat::RegRoot::CurrentUser, fs9, "Number", value).Outcome,
            plat::FileOutcome::WrongKind);
  EXPECT_EQ(plat::RegReadString(plat::RegRoot::CurrentUser, fs9, "None", value).Outcome,
            plat::FileOutcome::Missing);
  EXPECT_EQ(value, "kept");
  EXPECT_EQ(plat::RegReadString(plat::RegRoot::LocalMachine,
                                "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                "Common AppData", value).Outcome,
            plat::FileOutcome::Done);
  EXPECT_EQ(value, "C:\\ProgramData");  // up to the first NUL

  // Parsed once: a later change of the file is not seen until the caches are reset.
  fs::remove(prefix_ + "/user.reg");
  EXPECT_TRUE(plat::RegKeyExists(plat::RegRoot::CurrentUser, fs9));
  plat::posix::ResetCaches();
  EXPECT_FALSE(plat::RegKeyExists(plat::RegRoot::CurrentUser, fs9));
  EXPECT_EQ(plat::RegReadString(plat::RegRoot::CurrentUser, fs9, "AppPath", value).Outcome,
            plat::FileOutcome::Missing);
}

}  // namespace
