// The posix host layer's files: attributes, listings, the Windows rules of
// the file operations (the tests run as root), safe replacing under faults,
// and the console's conversions.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace fs = std::filesystem;
using plat::DirEntry;
using plat::FileInfo;

namespace {

class PosixFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/layrix-files-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    root_ = fs::canonical(folder).string();
    prefix_ = root_ + "/prefix";
    fs::create_directories(prefix_ + "/drive_c/d");
    fs::create_directories(prefix_ + "/dosdevices");
    fs::create_directory_symlink("../drive_c", prefix_ + "/dosdevices/c:");
    ::setenv("WINEPREFIX", prefix_.c_str(), 1);
    plat::posix::ResetCaches();
  }
  void TearDown() override {
    plat::posix::Sys() = plat::posix::DefaultSys();
    fs::remove_all(root_);
    plat::posix::ResetCaches();
  }
  // Host path of C:\d\<name>.
  std::string D(const std::string& name) const { return prefix_ + "/drive_c/d/" + name; }
  void Put(const std::string& name, const std::string& bytes, mode_t mode = 0644) {
    fs::create_directories(fs::path(D(name)).parent_path());
    std::ofstream(D(name), std::ios::binary) << bytes;
    ::chmod(D(name).c_str(), mode);
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(D(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  mode_t Mode(const std::string& name) const {
    struct stat st;
    return ::lstat(D(name).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
  std::vector<std::string> Names() const {  // host names in C:\d, sorted by bytes
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(D(""))) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Makes copies read and write their data, for tests that slow or fail
  // those calls: the file system may otherwise share or copy the blocks
  // without them.
  static void CopyByReadingAndWriting() {
    plat::posix::Sys().CloneFile = [](int, int) {
      errno = EOPNOTSUPP;
      return -1;
    };
    plat::posix::Sys().CopyFileRange = [](int, int, size_t) -> ssize_t {
      errno = ENOSYS;
      return -1;
    };
  }
  // Listings and reads as these tests look at them: a fault gives nothing.
  static std::vector<DirEntry> Entries(const std::string& pattern,
                                       plat::FileFacts facts = plat::FileFacts::All) {
    std::vector<DirEntry> entries;
    (void)plat::FindEntries(pattern, entries, facts);
    return entries;
  }
  static std::vector<DirEntry> Folders(const std::string& pattern) {
    std::vector<DirEntry> folders;
    (void)plat::FindFolders(pattern, folders);
    return folders;
  }
  static std::unique_ptr<plat::InputFile> Open(const std::string& path) {
    std::unique_ptr<plat::InputFile> file;
    (void)plat::OpenInputFile(path, file);
    return file;
  }
  // The number of bytes read, or -1 on a fault.
  static int64_t ReadAt(plat::InputFile& file, uint64_t offset, char* buffer, size_t count) {
    size_t got = 0;
    return file.ReadAt(offset, buffer, count, got) ? int64_t(got) : -1;
  }
  static std::vector<std::string> NamesOf(const std::vector<DirEntry>& entries) {
    std::vector<std::string> names;
    for (const DirEntry& e : entries) names.push_back(e.Name);
    return names;
  }
  uint32_t Attr(const std::string& path) {
    FileInfo info;
    return plat::GetFileInfo(path, info) ? info.Attributes : 0xFFFFFFFF;
  }

  std::string root_, prefix_;
};

// ---------------------------------------------------------------- attributes

TEST_F(PosixFiles, ReadOnlyMeansNoWriteBitAtAll) {
  Put("ro", "1", 0444);
  Put("owner-only", "1", 0400);
  Put("group-writable", "1", 0464);
  Put("rw", "12345", 0644);
  EXPECT_EQ(Attr("C:\\d\\ro"), plat::kAttrArchive | plat::kAttrReadOnly);
  EXPECT_EQ(Attr("C:\\d\\OWNER-ONLY"), plat::kAttrArchive | plat::kAttrReadOnly);
  EXPECT_EQ(Attr("C:\\d\\group-writable"), plat::kAttrArchive);
  FileInfo info;
  ASSERT_TRUE(plat::GetFileInfo("C:\\d\\rw", info));
  EXPECT_EQ(info.Attributes, plat::kAttrArchive);
  EXPECT_EQ(info.Size, 5u);
  EXPECT_EQ(Attr("C:\\d"), plat::kAttrDirectory);
  EXPECT_EQ(Attr("C:\\d\\missing"), 0xFFFFFFFF);
}

TEST_F(PosixFiles, HiddenFromDotOrDosAttrib) {
  Put(".dot", "1");
  Put("plain", "1");
  Put(".shown", "1");
  Put("sys", "1");
  EXPECT_EQ(Attr("C:\\d\\.dot"), plat::kAttrArchive | plat::kAttrHidden);
  EXPECT_EQ(Attr("C:\\d\\plain"), plat::kAttrArchive);
  if (::setxattr(D("plain").c_str(), "user.DOSATTRIB", "0x2", 3, 0) != 0)
    GTEST_SKIP() << "no user extended attributes here";
  ::setxattr(D(".shown").c_str(), "user.DOSATTRIB", "0x20", 4, 0);
  ::setxattr(D("sys").c_str(), "user.DOSATTRIB", "0x6\0binary", 11, 0);
  EXPECT_EQ(Attr("C:\\d\\plain"), plat::kAttrArchive | plat::kAttrHidden);
  EXPECT_EQ(Attr("C:\\d\\.shown"), plat::kAttrArchive);  // the attribute decides
  EXPECT_EQ(Attr("C:\\d\\sys"), plat::kAttrArchive | plat::kAttrHidden | plat::kAttrSystem);
}

TEST_F(PosixFiles, SymbolicLinks) {
  Put("target.txt", "abc");
  fs::create_directories(D("sub"));
  fs::create_directory_symlink("/", D("rootlink"));
  fs::create_symlink("target.txt", D("filelink"));
  fs::create_symlink("nowhere", D("dangling"));
  EXPECT_EQ(Attr("C:\\d\\rootlink"), plat::kAttrDirectory | plat::kAttrReparsePoint);
  EXPECT_TRUE(plat::FolderExists("C:\\d\\rootlink"));
  FileInfo info;
  ASSERT_TRUE(plat::GetFileInfo("C:\\d\\FILELINK", info));
  EXPECT_EQ(info.Attributes, plat::kAttrArchive);
  EXPECT_EQ(info.Size, 3u);
  EXPECT_TRUE(plat::FileExists("C:\\d\\filelink"));
  EXPECT_EQ(Attr("C:\\d\\dangling"), plat::kAttrArchive);

  // A link to a folder is neither removed nor followed by a removal.
  EXPECT_FALSE(plat::RemoveFile("C:\\d\\rootlink"));
  EXPECT_FALSE(plat::RemoveEmptyFolder("C:\\d\\rootlink"));
  EXPECT_TRUE(fs::is_symlink(D("rootlink")));
  // A link to a file is handled as a file: removing it removes the link.
  EXPECT_TRUE(plat::RemoveFile("C:\\d\\filelink"));
  EXPECT_EQ(Get("target.txt"), "abc");
}

// The folder test answers from one look at the path as spelled where it can,
// and must still say what the full facts say.
TEST_F(PosixFiles, FolderTestSeesFoldersInAnySpellingAndNothingElse) {
  Put("file.txt", "x");
  for (const char* pack : {"Pack 1/scenery", "Pack 2/Scenery", "Pack 3/texture"})
    fs::create_directories(D(pack));
  fs::create_directory_symlink("Pack 1", D("folderlink"));
  fs::create_symlink("file.txt", D("filelink"));
  fs::create_symlink("nowhere", D("dangling"));
  EXPECT_TRUE(plat::FolderExists("C:\\"));
  EXPECT_TRUE(plat::FolderExists("C:\\d"));
  EXPECT_TRUE(plat::FolderExists("c:\\D\\"));
  EXPECT_FALSE(plat::FolderExists("C:\\d\\file.txt"));
  EXPECT_FALSE(plat::FolderExists("C:\\d\\FILE.TXT"));
  EXPECT_TRUE(plat::FolderExists("C:\\d\\folderlink"));
  EXPECT_TRUE(plat::FolderExists("C:\\d\\FOLDERLINK\\scenery"));
  EXPECT_FALSE(plat::FolderExists("C:\\d\\filelink"));
  EXPECT_FALSE(plat::FolderExists("C:\\d\\dangling"));
  EXPECT_FALSE(plat::FolderExists("C:\\d\\nowhere"));
  EXPECT_FALSE(plat::FolderExists("C:\\d\\nowhere\\scenery"));
  EXPECT_FALSE(plat::FolderExists(""));
  // Taken apart from the drive on: each folder's names looked up in other
  // spellings, those of a link's target too.
  EXPECT_TRUE(plat::FolderExists("C:\\D\\PACK 2\\scenery"));
  EXPECT_TRUE(plat::FolderExists("C:\\D\\folderlink\\SCENERY"));
  EXPECT_TRUE(plat::FolderExists("C:\\D\\FolderLink\\Scenery"));
  EXPECT_FALSE(plat::FolderExists("C:\\D\\dangling\\scenery"));
  EXPECT_FALSE(plat::FolderExists("C:\\D\\Pack 3\\SCENERY"));
  // A sub-folder in each of many folders side by side, in any spelling;
  // one that is missing, then made and removed by another program.
  for (int round = 0; round < 2; ++round) {
    EXPECT_TRUE(plat::FolderExists("C:\\d\\Pack 1\\scenery"));
    EXPECT_TRUE(plat::FolderExists("C:\\d\\pack 2\\SCENERY"));
    EXPECT_FALSE(plat::FolderExists("C:\\d\\Pack 3\\scenery"));
    EXPECT_TRUE(plat::FolderExists("C:\\d\\PACK 3\\Texture"));
  }
  fs::create_directory(D("Pack 3/scenery"));
  EXPECT_TRUE(plat::FolderExists("C:\\d\\Pack 3\\scenery"));
  fs::remove(D("Pack 1/scenery"));
  EXPECT_FALSE(plat::FolderExists("C:\\d\\Pack 1\\scenery"));
  EXPECT_TRUE(plat::FolderExists("C:\\d\\Pack 1"));
  // Replaced by a file of the same name.
  fs::remove(D("Pack 3/scenery"));
  Put("Pack 3/scenery", "not a folder");
  EXPECT_FALSE(plat::FolderExists("C:\\d\\Pack 3\\scenery"));
}

// A folder gone from a folder of many is ruled out by the names of the
// folder that held it; one there in another spelling is still found, and
// one made or removed by another program is seen.
TEST_F(PosixFiles, FolderTestRulesOutFoldersMissingInEverySpelling) {
  Put("file.txt", "x");
  fs::create_directories(D("Pack 1/scenery"));
  fs::create_directories(D("PACK 2/Scenery"));
  for (int round = 0; round < 2; ++round) {
    EXPECT_FALSE(plat::FolderExists("C:\\d\\Pack 0\\scenery"));
    EXPECT_TRUE(plat::FolderExists("C:\\d\\Pack 1\\scenery"));
    EXPECT_TRUE(plat::FolderExists("C:\\d\\Pack 2\\scenery"));
    EXPECT_FALSE(plat::FolderExists("C:\\d\\Pack 3\\scenery"));
    EXPECT_FALSE(plat::FolderExists("C:\\d\\FILE.TXT\\scenery"));
    EXPECT_FALSE(plat::FolderExists("C:\\nowhere\\Pack 1\\scenery"));
  }
  fs::create_directories(D("pack 3/SCENERY"));
  EXPECT_TRUE(plat::FolderExists("C:\\d\\Pack 3\\scenery"));
  fs::remove_all(D("PACK 2"));
  EXPECT_FALSE(plat::FolderExists("C:\\d\\Pack 2\\scenery"));
}

TEST_F(PosixFiles, TimesAreFileTimes) {
  Put("t", "1");
  // 2020-01-02 03:04:05.5 UTC
  struct timespec times[2] = {{1577934245, 500000000}, {1577934245, 500000000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, D("t").c_str(), times, 0), 0);
  FileInfo info;
  ASSERT_TRUE(plat::GetFileInfo("C:\\d\\t", info));
  EXPECT_EQ(info.LastWriteTime, (1577934245ULL + 11644473600ULL) * 10000000ULL + 5000000ULL);
  EXPECT_EQ(info.LastAccessTime, info.LastWriteTime);

  const char* oldTz = ::getenv("TZ");
  std::string saved = oldTz ? oldTz : "";
  ::setenv("TZ", "UTC-2", 1);  // two hours east of UTC
  ::tzset();
  EXPECT_EQ(plat::FileTimeToLocal(info.LastWriteTime), info.LastWriteTime + 72000000000ULL);
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(plat::FileTimeToLocal(info.LastWriteTime), info.LastWriteTime);
  if (oldTz) ::setenv("TZ", saved.c_str(), 1);
  else ::unsetenv("TZ");
  ::tzset();
}

// ---------------------------------------------------------------- listings

TEST_F(PosixFiles, ListingInNtfsOrder) {
  for (const char* name : {"b", "_x", "a", "A", "Zebra", "z~", "\xC3\xA9", "\xC3\x84", "10", "9"})
    Put(name, "1");
  EXPECT_EQ(NamesOf(Entries("C:\\d\\*.*")),
            (std::vector<std::string>{"10", "9", "A", "a", "b", "Zebra", "z~", "_x", "\xC3\x84", "\xC3\xA9"}));
  EXPECT_EQ(NamesOf(Entries("C:\\d\\*")).size(), 10u);
}

// Whatever order the host lists in (creation order, its reverse as tmpfs
// gives it, hash order), the listing comes sorted.  Made where tmpfs is, when
// it is there, so that the order the names were made in reaches the listing.
TEST_F(PosixFiles, ListingSortedWhateverOrderTheNamesWereMadeIn) {
  const std::string shm = "/dev/shm";
  std::string base = root_;
  if (fs::is_directory(shm) && ::access(shm.c_str(), W_OK) == 0) {
    char folder[] = "/dev/shm/layrix-order-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    base = folder;
  }
  const std::string prefix = base + "/prefix-order";
  fs::create_directories(prefix + "/drive_c");
  fs::create_directories(prefix + "/dosdevices");
  fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
  ::setenv("WINEPREFIX", prefix.c_str(), 1);
  plat::posix::ResetCaches();

  const std::vector<std::string> sorted = {"A1", "b2", "C3", "d4", "E5", "f6", "G7", "h8"};
  const std::vector<std::vector<size_t>> orders = {
      {0, 1, 2, 3, 4, 5, 6, 7}, {7, 6, 5, 4, 3, 2, 1, 0}, {3, 0, 7, 1, 6, 2, 5, 4}};
  for (size_t k = 0; k < orders.size(); ++k) {
    const std::string folder = prefix + "/drive_c/o" + std::to_string(k);
    fs::create_directories(folder);
    for (size_t i : orders[k]) std::ofstream(folder + "/" + sorted[i]) << "x";
    EXPECT_EQ(NamesOf(Entries("C:\\o" + std::to_string(k) + "\\*.*")), sorted) << k;
  }
  if (base != root_) fs::remove_all(base);
}

TEST_F(PosixFiles, ListingPatterns) {
  for (const char* name : {"x.BGL", "y.bgl", "z.bglx", "bgl", "noext", ".bgl", "a.txt", "A.TXT"})
    Put(name, "1");
  fs::create_directories(D("Sub.bgl"));
  EXPECT_EQ(NamesOf(Entries("c:\\D\\*.bgl")),
            (std::vector<std::string>{".bgl", "Sub.bgl", "x.BGL", "y.bgl"}));
  EXPECT_EQ(NamesOf(Entries("C:\\d\\*.*")).size(), 9u);  // names without a dot too
  EXPECT_EQ(NamesOf(Entries("C:\\d\\a.txt")), (std::vector<std::string>{"A.TXT", "a.txt"}));
  EXPECT_EQ(NamesOf(Entries("C:\\d\\NOEXT")), (std::vector<std::string>{"noext"}));
  EXPECT_EQ(NamesOf(Entries("C:\\d\\?.bgl")), (std::vector<std::string>{"x.BGL", "y.bgl"}));
  EXPECT_TRUE(Entries("C:\\d\\missing").empty());
  EXPECT_TRUE(Entries("C:\\nowhere\\*.*").empty());
  EXPECT_TRUE(Entries("C:\\d\\").empty());
  EXPECT_TRUE(Entries("C:\\d\\..").empty());
  std::vector<DirEntry> sub = Entries("C:\\d\\sub.BGL");
  ASSERT_EQ(sub.size(), 1u);
  EXPECT_EQ(sub[0].Info.Attributes, plat::kAttrDirectory);
}

TEST_F(PosixFiles, FolderListingPassesFilesOverButKeepsLinksToFolders) {
  Put("file.bgl", "1");
  Put("Scenery/inner.bgl", "1");
  fs::create_directories(D("texture"));
  fs::create_directory_symlink("Scenery", D("linked"));
  fs::create_symlink("file.bgl", D("filelink"));
  fs::create_symlink("nowhere", D("dangling"));
  ::mkfifo(D("pipe").c_str(), 0644);
  std::vector<DirEntry> folders = Folders("C:\\d\\*.*");
  EXPECT_EQ(NamesOf(folders), (std::vector<std::string>{"linked", "Scenery", "texture"}));
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(folders[0].Info.Attributes, plat::kAttrDirectory | plat::kAttrReparsePoint);
  EXPECT_EQ(folders[1].Info.Attributes, plat::kAttrDirectory);
  // The same folders, with the same facts, as the full listing gives them.
  std::vector<DirEntry> all = Entries("C:\\d\\*.*");
  std::vector<std::string> fromAll;
  for (const DirEntry& e : all)
    if (e.Info.Attributes & plat::kAttrDirectory) fromAll.push_back(e.Name);
  EXPECT_EQ(fromAll, NamesOf(folders));
  EXPECT_EQ(NamesOf(Folders("C:\\d\\SCENERY")), (std::vector<std::string>{"Scenery"}));
  EXPECT_TRUE(Folders("C:\\d\\file.bgl").empty());
  EXPECT_TRUE(Folders("C:\\d\\scenery\\*.*").empty());
}

// The names alone, as the folder listing gives them, the folders the listing
// tells are folders left unlooked at.
TEST_F(PosixFiles, FolderNamesAreThoseOfTheFolderListing) {
  Put("file.bgl", "1");
  fs::create_directories(D("B Pack"));
  fs::create_directories(D("a pack"));
  fs::create_directory_symlink("a pack", D("linked"));
  fs::create_symlink("file.bgl", D("filelink"));
  std::vector<std::string> names;
  std::vector<plat::DirEntry> folders;
  EXPECT_TRUE(plat::FindFolderNames("C:\\d\\*.*", names).Done());
  EXPECT_TRUE(plat::FindFolders("C:\\d\\*.*", folders).Done());
  EXPECT_EQ(names, NamesOf(folders));
  EXPECT_EQ(names, (std::vector<std::string>{"a pack", "B Pack", "linked"}));
  EXPECT_TRUE(plat::FindFolderNames("C:\\d\\none\\*.*", names).Done());
  EXPECT_TRUE(names.empty());
}

TEST_F(PosixFiles, KindOnlyListingGivesFilesWithoutTheirFacts) {
  Put("a.bgl", "12345", 0444);
  Put("sub.bgl/x", "1");
  fs::create_symlink("a.bgl", D("link.bgl"));
  std::vector<DirEntry> entries = Entries("C:\\d\\*.bgl", plat::FileFacts::KindOnly);
  ASSERT_EQ(NamesOf(entries), (std::vector<std::string>{"a.bgl", "link.bgl", "sub.bgl"}));
  EXPECT_EQ(entries[0].Info.Attributes, plat::kAttrArchive);
  EXPECT_EQ(entries[0].Info.Size, 0u);
  // A link is looked at: what it leads to decides its kind.
  EXPECT_EQ(entries[1].Info.Attributes, plat::kAttrArchive | plat::kAttrReadOnly);
  EXPECT_EQ(entries[2].Info.Attributes, plat::kAttrDirectory);
  EXPECT_EQ(Entries("C:\\d\\a.bgl", plat::FileFacts::KindOnly)[0].Info.Size, 5u);
}

TEST_F(PosixFiles, ListingMasksOverNamesOutsideAscii) {
  for (const char* name : {"caf\xC3\xA9.bgl", "cafe.bgl", "CAF\xC3\x89.txt", "\xC3\x84.bgl"}) Put(name, "1");
  EXPECT_EQ(NamesOf(Entries("C:\\d\\caf?.bgl")),
            (std::vector<std::string>{"cafe.bgl", "caf\xC3\xA9.bgl"}));
  EXPECT_EQ(NamesOf(Entries("C:\\d\\*\xC3\x89.*")),
            (std::vector<std::string>{"caf\xC3\xA9.bgl", "CAF\xC3\x89.txt"}));
  EXPECT_EQ(NamesOf(Entries("C:\\d\\*.BGL")),
            (std::vector<std::string>{"cafe.bgl", "caf\xC3\xA9.bgl", "\xC3\x84.bgl"}));
  EXPECT_EQ(NamesOf(Entries("C:\\d\\CAF\xC3\xA9.TXT")), (std::vector<std::string>{"CAF\xC3\x89.txt"}));
  // A 1252 byte in a path means its letter.
  EXPECT_EQ(NamesOf(Entries("C:\\d\\CAF\xE9.TXT")), (std::vector<std::string>{"CAF\xC3\x89.txt"}));
}

TEST_F(PosixFiles, NameCacheSeesChangesByOthers) {
  Put("one.txt", "1");
  EXPECT_FALSE(plat::FileExists("C:\\d\\TWO.txt"));  // the folder's names are now cached
  Put("Two.TXT", "2");
  // Another program's change shows in the folder's modification time.
  fs::last_write_time(D(""), fs::file_time_type::clock::now() + std::chrono::hours(1));
  EXPECT_TRUE(plat::FileExists("C:\\d\\TWO.txt"));
  fs::remove(D("Two.TXT"));
  fs::last_write_time(D(""), fs::file_time_type::clock::now() + std::chrono::hours(2));
  EXPECT_FALSE(plat::FileExists("C:\\d\\two.txt"));
}

// ---------------------------------------------------------------- operations

TEST_F(PosixFiles, RemoveFileKeepsWindowsRules) {
  Put("ro.bgl", "1", 0444);
  Put("rw.bgl", "1");
  fs::create_directories(D("folder"));
  Put("ro2.bgl", "1", 0444);
  Put("Mixed.bgl", "12");
  fs::create_symlink("ro2.bgl", D("to-ro"));
  fs::create_symlink("gone", D("broken"));
  EXPECT_FALSE(plat::RemoveFile("C:\\d\\ro.bgl"));
  EXPECT_TRUE(fs::exists(D("ro.bgl")));
  EXPECT_FALSE(plat::RemoveFile("C:\\d\\folder"));
  EXPECT_FALSE(plat::RemoveFile("C:\\d\\missing"));
  EXPECT_TRUE(plat::RemoveFile("C:\\d\\RW.BGL"));
  EXPECT_FALSE(fs::exists(D("rw.bgl")));

  // The same rules for names in a folder already looked at; other spellings
  // still found.
  EXPECT_FALSE(plat::RemoveFile("C:\\d\\ro2.bgl"));
  EXPECT_FALSE(plat::RemoveFile("C:\\d\\to-ro"));
  EXPECT_TRUE(fs::is_symlink(D("to-ro")));
  EXPECT_TRUE(plat::RemoveFile("C:\\d\\broken"));
  EXPECT_FALSE(fs::is_symlink(D("broken")));
  auto file = Open("C:\\d\\MIXED.BGL");
  ASSERT_TRUE(file);
  char buffer[4];
  EXPECT_EQ(ReadAt(*file, 0, buffer, sizeof buffer), 2);
  file.reset();
  EXPECT_TRUE(plat::RemoveFile("C:\\d\\mixed.BGL"));
  EXPECT_FALSE(fs::exists(D("Mixed.bgl")));
  EXPECT_TRUE(fs::exists(D("ro2.bgl")));
}

TEST_F(PosixFiles, FoldersMadeAndRemoved) {
  EXPECT_TRUE(plat::MakeFolder("C:\\d\\New"));
  EXPECT_FALSE(plat::MakeFolder("C:\\d\\NEW"));      // exists in another case
  EXPECT_FALSE(plat::MakeFolder("C:\\d\\a\\b\\c"));  // one level only
  EXPECT_TRUE(fs::is_directory(D("New")));
  Put("New/file", "1");
  EXPECT_FALSE(plat::RemoveEmptyFolder("C:\\d\\new"));
  EXPECT_TRUE(fs::exists(D("New/file")));
  EXPECT_TRUE(plat::RemoveFile("C:\\d\\new\\FILE"));
  EXPECT_TRUE(plat::RemoveEmptyFolder("C:\\d\\new"));
  EXPECT_FALSE(fs::exists(D("New")));
  EXPECT_FALSE(plat::RemoveEmptyFolder("C:\\d\\new"));
}

// A folder made, removed or renamed again under the same path is met under
// that path, never as the one it replaced.
TEST_F(PosixFiles, FolderReplacedUnderTheSamePathIsMetThere) {
  Put("src", "data");
  ASSERT_TRUE(plat::MakeFolder("C:\\d\\x"));
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\x\\one", true));
  // Removed and made again by this program.
  ASSERT_TRUE(plat::RemoveFile("C:\\d\\x\\one"));
  ASSERT_TRUE(plat::RemoveEmptyFolder("C:\\d\\x"));
  ASSERT_TRUE(plat::MakeFolder("C:\\d\\x"));
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\x\\two", true));
  EXPECT_EQ(Get("x/two"), "data");
  // Renamed by this program, then a new folder under the old name.
  ASSERT_TRUE(plat::RenameFile("C:\\d\\x", "C:\\d\\y"));
  ASSERT_TRUE(plat::MakeFolder("C:\\d\\x"));
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\x\\three", true));
  EXPECT_TRUE(fs::exists(D("x/three")));
  EXPECT_FALSE(fs::exists(D("y/three")));
  EXPECT_TRUE(plat::FileExists("C:\\d\\y\\two"));
  // Replaced by another program: met under its path.
  fs::rename(D("x"), D("z"));
  fs::create_directory(D("x"));
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\x\\four", true));
  EXPECT_TRUE(fs::exists(D("x/four")));
  EXPECT_FALSE(fs::exists(D("z/four")));
}

// The names of a folder kept for this program's own changes: a change
// through another path to the same folder (a link) and a change by another
// program are seen.
TEST_F(PosixFiles, NameChecksSeeChangesThroughOtherPathsAndPrograms) {
  Put("src", "1");
  fs::create_directories(D("real"));
  fs::create_directory_symlink("real", D("link"));
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\real\\one", true));
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\link\\TWO", true));
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\real\\two", true));
  EXPECT_FALSE(plat::RenameFile("C:\\d\\real\\one", "C:\\d\\real\\Two"));

  Put("real/Three", "other program");
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\real\\three", true));
  EXPECT_FALSE(plat::RenameFile("C:\\d\\real\\one", "C:\\d\\real\\THREE"));
  EXPECT_EQ(Get("real/Three"), "other program");
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(D("real"))) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"TWO", "Three", "one"}));
}

// Renames keep the folder's names as they are on disk, in every letter
// case: the new name blocks its spellings, the old one no longer does, also
// when two host names share one spelling.
TEST_F(PosixFiles, RenamesKeepEverySpellingKnown) {
  Put("src", "1");
  Put("x.bgl", "x");
  Put("twin", "lower");
  Put("TWIN", "upper");
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\first", true));  // names now cached
  ASSERT_TRUE(plat::RenameFile("C:\\d\\x.bgl", "C:\\d\\y.bgl"));
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\Y.BGL", true));
  EXPECT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\X.BGL", true));
  // Only the letter case changes.
  ASSERT_TRUE(plat::RenameFile("C:\\d\\y.bgl", "C:\\d\\Y.bgl"));
  EXPECT_EQ(Get("Y.bgl"), "x");
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\y.BGL", true));
  // One of two names sharing a spelling moves away; the other still blocks it.
  ASSERT_TRUE(plat::RenameFile("C:\\d\\TWIN", "C:\\d\\single"));
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\Twin", true));
  EXPECT_FALSE(plat::RenameFile("C:\\d\\first", "C:\\d\\SINGLE"));
  // And a name moves onto a spelling that another name already has on disk.
  Put("y2", "2");
  EXPECT_FALSE(plat::RenameFile("C:\\d\\single", "C:\\d\\TWIN"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"X.BGL", "Y.bgl", "first", "single", "src", "twin",
                                                "y2"}));
}

TEST_F(PosixFiles, CopyCarriesTimeAndReadOnly) {
  Put("src.bgl", "payload", 0444);
  struct timespec times[2] = {{1000000000, 0}, {1234567890, 123456700}};
  ASSERT_EQ(::utimensat(AT_FDCWD, D("src.bgl").c_str(), times, 0), 0);
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\SRC.BGL", "C:\\d\\Copy.Bgl", true));
  EXPECT_EQ(Get("Copy.Bgl"), "payload");  // created under the given spelling
  EXPECT_EQ(Mode("Copy.Bgl") & 0222, 0u);
  FileInfo source, copy;
  ASSERT_TRUE(plat::GetFileInfo("C:\\d\\src.bgl", source));
  ASSERT_TRUE(plat::GetFileInfo("C:\\d\\copy.bgl", copy));
  EXPECT_EQ(copy.LastWriteTime, source.LastWriteTime);
  EXPECT_EQ(copy.Attributes, plat::kAttrArchive | plat::kAttrReadOnly);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Copy.Bgl", "src.bgl"}));  // no temporary left
}

TEST_F(PosixFiles, CopyCarriesEveryByteWhateverTheSize) {
  // Empty, one byte, exactly one copy buffer (256 KB), and more than two.
  for (size_t size : {size_t(0), size_t(1), size_t(256 * 1024), size_t(512 * 1024 + 5)}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = char(i * 7 + i / 1000);
    Put("src.bin", bytes);
    ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src.bin", "C:\\d\\copy.bin", false)) << size;
    EXPECT_TRUE(Get("copy.bin") == bytes) << size;
  }
}

TEST_F(PosixFiles, CopyCarriesHiddenAndSystemAttributes) {
  Put("marked.bgl", "m");
  if (::setxattr(D("marked.bgl").c_str(), "user.DOSATTRIB", "0x6", 3, 0) != 0)
    GTEST_SKIP() << "no user extended attributes here";
  Put("plain.bgl", "p");
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\marked.bgl", "C:\\d\\copy.bgl", false));
  EXPECT_EQ(Attr("C:\\d\\copy.bgl"), plat::kAttrArchive | plat::kAttrHidden | plat::kAttrSystem);
  // Replacing a hidden target with a plain file leaves a plain file.
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\plain.bgl", "C:\\d\\copy.bgl", false));
  EXPECT_EQ(Attr("C:\\d\\copy.bgl"), plat::kAttrArchive);
}

// Names beyond code page 1252 are listed and found as they are, in any
// letter case; a '?' reaches none of them.  A host name that is not UTF-8
// is listed with the letters its bytes mean in 1252, and found under them.
TEST_F(PosixFiles, NamesBeyondCodePage1252) {
  fs::create_directories(D("\xce\xa9mega"));       // Ωmega
  fs::create_directories(D("\xe6\x9d\xb1\xe4\xba\xac"));  // 東京
  fs::create_directories(D("Z\xfcrich"));           // made by a program that wrote Latin-1
  EXPECT_EQ(NamesOf(Entries("C:\\d\\*.*")),
            (std::vector<std::string>{"Z\xC3\xBCrich", "\xCE\xA9mega", "\xE6\x9D\xB1\xE4\xBA\xAC"}));
  EXPECT_TRUE(plat::FolderExists("C:\\d\\\xCF\x89MEGA"));
  EXPECT_TRUE(plat::FolderExists("C:\\d\\\xE6\x9D\xB1\xE4\xBA\xAC"));
  EXPECT_TRUE(plat::FolderExists("C:\\d\\Z\xC3\x9CRICH"));
  EXPECT_FALSE(plat::FolderExists("C:\\d\\?mega"));
  EXPECT_FALSE(plat::FolderExists("C:\\d\\??"));
}

TEST_F(PosixFiles, CopyRefusesWhatWindowsRefuses) {
  Put("src", "new");
  Put("RO.txt", "old", 0444);
  Put("Exists.TXT", "old");
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\ro.txt", false));
  EXPECT_EQ(Get("RO.txt"), "old");
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\exists.txt", true));  // any case
  EXPECT_EQ(Get("Exists.TXT"), "old");
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\SRC", false));  // onto itself
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\missing", "C:\\d\\x", false));
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\no\\folder\\x", false));
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d", "C:\\d\\x", false));  // a folder
  EXPECT_EQ(Get("src"), "new");

  // Overwriting keeps the existing spelling and replaces the contents whole.
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\exists.txt", false));
  EXPECT_EQ(Get("Exists.TXT"), "new");
  EXPECT_EQ(Names(), (std::vector<std::string>{"Exists.TXT", "RO.txt", "src"}));
}

// A folder built under a hidden name and renamed into place once complete:
// its new files are written in place (no temporary file, no rename each),
// with the same time, attributes and refusals as any copy.
TEST_F(PosixFiles, StagingFolderTakesFilesInPlaceAndMovesWhole) {
  Put("src", "data", 0444);
  Put("other", "other data");
  plat::StagedFolder folder, second;
  ASSERT_TRUE(folder.Make("C:\\d"));
  const std::string staged = folder.Path();
  ASSERT_TRUE(second.Make("C:\\d\\"));
  EXPECT_NE(staged, second.Path());
  EXPECT_EQ(staged.rfind("C:\\d\\.layrix-", 0), 0u) << staged;
  EXPECT_TRUE(plat::FolderExists(staged));
  EXPECT_TRUE(second.Discard());
  plat::StagedFolder atRoot;
  ASSERT_TRUE(atRoot.Make("C:\\"));
  EXPECT_TRUE(atRoot.Discard());
  EXPECT_FALSE(second.Make("C:\\d\\missing"));
  EXPECT_FALSE(second.Make("C:\\d\\other"));  // a file

  static int renames;
  renames = 0;
  plat::posix::Sys().Rename = [](int a, const char* b, int c, const char* d) {
    ++renames;
    return plat::posix::DefaultSys().Rename(a, b, c, d);
  };
  plat::posix::Sys().RenameNoReplace = [](int a, const char* b, int c, const char* d) {
    ++renames;
    return plat::posix::DefaultSys().RenameNoReplace(a, b, c, d);
  };
  ASSERT_TRUE(plat::MakeFolder(staged + "\\Sub"));
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", staged + "\\Sub\\copy.bgl", false, true));
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\other", staged + "\\b.bgl", true, true));
  EXPECT_EQ(renames, 0);
  // Names already there (in any case) are refused or replaced whole.
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", staged + "\\B.BGL", true, true));
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", staged + "\\B.BGL", false, true));
  EXPECT_EQ(renames, 1);
  // A failing write leaves no part of the file.
  CopyByReadingAndWriting();
  plat::posix::Sys().Write = [](int, const void*, size_t) -> ssize_t {
    errno = ENOSPC;
    return -1;
  };
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\other", staged + "\\c.bgl", false, true));
  plat::posix::Sys() = plat::posix::DefaultSys();

  // A name taken meanwhile is not replaced; the folder stays staged.
  ASSERT_TRUE(plat::MakeFolder("C:\\d\\taken"));
  EXPECT_EQ(folder.Commit("C:\\d\\TAKEN").Outcome, plat::FileOutcome::Exists);
  ASSERT_TRUE(plat::RemoveEmptyFolder("C:\\d\\taken"));
  ASSERT_TRUE(folder.Commit("C:\\d\\Final"));
  EXPECT_EQ(Get("Final/Sub/copy.bgl"), "data");
  EXPECT_EQ(Get("Final/b.bgl"), "data");
  EXPECT_FALSE(fs::exists(D("Final/c.bgl")));
  plat::FileInfo source, copy;
  ASSERT_TRUE(plat::GetFileInfo("C:\\d\\src", source));
  ASSERT_TRUE(plat::GetFileInfo("C:\\d\\final\\sub\\copy.bgl", copy));
  EXPECT_EQ(copy.LastWriteTime, source.LastWriteTime);
  EXPECT_EQ(copy.Attributes, plat::kAttrArchive | plat::kAttrReadOnly);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Final", "other", "src"}));
}

// A copier takes this run's lock file in a folder once for all the copies
// into it, gives it up when it writes into another folder, and leaves
// nothing behind when it ends.
TEST_F(PosixFiles, CopierKeepsItsLockFileWhileItWritesIntoOneFolder) {
  Put("src", "data");
  Put("a/old", "old");
  Put("b/old", "old");
  static int lockFilesMade;
  lockFilesMade = 0;
  plat::posix::Sys().Open = [](int dir, const char* path, int flags, mode_t mode) {
    if ((flags & O_CREAT) && std::string(path).find(".lock") != std::string::npos) ++lockFilesMade;
    return plat::posix::DefaultSys().Open(dir, path, flags, mode);
  };
  const auto lockFiles = [&](const std::string& folder) {
    int count = 0;
    for (const auto& e : fs::directory_iterator(D(folder))) count += e.path().extension() == ".lock";
    return count;
  };
  {
    plat::FileCopier copier;
    ASSERT_TRUE(copier.Copy("C:\\d\\src", "C:\\d\\a\\old", false));
    ASSERT_TRUE(copier.Copy("C:\\d\\src", "C:\\d\\a\\new", false));
    EXPECT_EQ(lockFiles("a"), 1);
    ASSERT_TRUE(copier.Copy("C:\\d\\src", "C:\\d\\b\\old", false));
    EXPECT_EQ(lockFiles("a"), 0);
    EXPECT_EQ(lockFiles("b"), 1);
  }
  EXPECT_EQ(lockFilesMade, 2);
  EXPECT_EQ(lockFiles("b"), 0);
  EXPECT_EQ(Get("a/old") + Get("a/new") + Get("b/old"), "datadatadata");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "src"}));
}

// A target that another program makes while the copy is written is never
// replaced: a fault, unless the copy meant to keep an existing target.
TEST_F(PosixFiles, TargetMadeMeanwhileIsNotReplaced) {
  Put("src", "data");
  CopyByReadingAndWriting();
  static std::string theirs;
  theirs = D("fresh");
  plat::posix::Sys().Write = [](int fd, const void* data, size_t count) -> ssize_t {
    if (!fs::exists(theirs)) std::ofstream(theirs) << "theirs";
    return plat::posix::DefaultSys().Write(fd, data, count);
  };
  const plat::FileResult replacing = plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\fresh", false);
  EXPECT_TRUE(replacing.IsFault());
  EXPECT_EQ(replacing.Cause, "another program made it while it was being copied");
  fs::remove(theirs);
  EXPECT_EQ(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\fresh", true).Outcome, plat::FileOutcome::Exists);
  plat::posix::Sys() = plat::posix::DefaultSys();
  EXPECT_EQ(Get("fresh"), "theirs");
  EXPECT_EQ(Names(), (std::vector<std::string>{"fresh", "src"}));
}

TEST_F(PosixFiles, CopyFailureLeavesTargetAndNoTemporary) {
  Put("src", std::string(100000, 's'));
  Put("dst", "old");
  CopyByReadingAndWriting();
  plat::posix::Sys().Write = [](int, const void*, size_t) -> ssize_t {
    errno = ENOSPC;
    return -1;
  };
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\dst", false));
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\fresh", false));
  plat::posix::Sys() = plat::posix::DefaultSys();
  EXPECT_EQ(Get("dst"), "old");
  EXPECT_EQ(Names(), (std::vector<std::string>{"dst", "src"}));
}

// The folders of the paths spelled out last are kept for the next names in
// them, in a few places used in turn: spelling the target out must not take
// the place that still holds the source's folder.
TEST_F(PosixFiles, RenameBetweenFoldersWhenTheTargetsFolderIsNew) {
  for (const char* folder : {"a", "b", "c", "d", "e"}) Put(std::string(folder) + "/x.txt", folder);
  for (const char* path : {"C:\\d\\a\\x.txt", "C:\\d\\b\\x.txt", "C:\\d\\c\\x.txt",
                           "C:\\d\\d\\x.txt"})
    ASSERT_TRUE(plat::FileExists(path)) << path;
  ASSERT_TRUE(plat::RenameFile("C:\\d\\a\\x.txt", "C:\\d\\e\\y.txt"));
  EXPECT_FALSE(fs::exists(D("a/x.txt")));
  EXPECT_EQ(Get("e/y.txt"), "a");
  EXPECT_EQ(Get("e/x.txt"), "e");
}

TEST_F(PosixFiles, RenameNeverReplaces) {
  Put("a.bgl", "a");
  Put("B.BGL", "b");
  fs::create_directories(D("Folder"));
  EXPECT_FALSE(plat::RenameFile("C:\\d\\a.bgl", "C:\\d\\b.bgl"));  // exists in another case
  EXPECT_FALSE(plat::RenameFile("C:\\d\\a.bgl", "C:\\d\\FOLDER"));
  EXPECT_FALSE(plat::RenameFile("C:\\d\\missing", "C:\\d\\x"));
  EXPECT_EQ(Get("B.BGL"), "b");
  // A new name; then another case of a file's own name, as on Windows.
  EXPECT_TRUE(plat::RenameFile("C:\\d\\a.bgl", "C:\\d\\a.~bgl"));
  EXPECT_TRUE(plat::RenameFile("C:\\d\\A.~BGL", "C:\\d\\A.~Bgl"));
  EXPECT_TRUE(plat::RenameFile("C:\\d\\b.bgl", "C:\\d\\B.BGL"));  // its own name: nothing to do
  EXPECT_TRUE(plat::RenameFile("C:\\d\\folder", "C:\\d\\Moved"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.~Bgl", "B.BGL", "Moved"}));
  EXPECT_TRUE(plat::FileExists("C:\\d\\a.~bgl"));
}

TEST_F(PosixFiles, NameCacheFollowsRenamesWithinAndBetweenFolders) {
  Put("one/a.txt", "a");
  Put("two/keep.txt", "k");
  // Both folders' names cached by lookups that need them.
  EXPECT_FALSE(plat::FileExists("C:\\d\\ONE\\B.TXT"));
  EXPECT_FALSE(plat::FileExists("C:\\d\\TWO\\C.TXT"));
  ASSERT_TRUE(plat::RenameFile("C:\\d\\one\\a.txt", "C:\\d\\one\\b.txt"));
  EXPECT_TRUE(plat::FileExists("C:\\d\\ONE\\B.TXT"));
  EXPECT_FALSE(plat::FileExists("C:\\d\\ONE\\A.TXT"));
  ASSERT_TRUE(plat::RenameFile("C:\\d\\one\\b.txt", "C:\\d\\two\\c.txt"));
  EXPECT_TRUE(plat::FileExists("C:\\d\\TWO\\C.TXT"));
  EXPECT_FALSE(plat::FileExists("C:\\d\\ONE\\B.TXT"));
  EXPECT_FALSE(plat::RenameFile("C:\\d\\two\\keep.txt", "C:\\d\\two\\C.Txt"));
  EXPECT_EQ(Get("two/c.txt"), "a");
}

TEST_F(PosixFiles, NameCacheFollowsChangesThroughALinkedFolder) {
  Put("real/a.txt", "a");
  Put("src.txt", "s");
  fs::create_directory_symlink("real", D("alias"));
  EXPECT_FALSE(plat::FileExists("C:\\d\\REAL\\B.TXT"));  // "real" cached under its own path
  ASSERT_TRUE(plat::RemoveFile("C:\\d\\alias\\a.txt"));
  EXPECT_FALSE(plat::FileExists("C:\\d\\REAL\\A.TXT"));
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src.txt", "C:\\d\\alias\\B.txt", true));
  EXPECT_TRUE(plat::FileExists("C:\\d\\real\\b.TXT"));
  EXPECT_FALSE(plat::FileCopier().Copy("C:\\d\\src.txt", "C:\\d\\real\\b.txt", true));
  ASSERT_TRUE(plat::RemoveFile("C:\\d\\REAL\\b.txt"));
  EXPECT_FALSE(plat::FileExists("C:\\d\\alias\\B.TXT"));
}

TEST_F(PosixFiles, ManyFilesInOneFolder) {
  // Copies and renames into one folder find their names through the cache,
  // which follows the layer's own changes.
  Put("src", "x");
  for (int i = 0; i < 300; ++i)
    ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\F" + std::to_string(i) + ".BGL", true));
  for (int i = 0; i < 300; ++i) {
    std::string name = "C:\\d\\f" + std::to_string(i);
    ASSERT_TRUE(plat::RenameFile(name + ".bgl", name + ".~bgl"));
    ASSERT_FALSE(plat::FileCopier().Copy("C:\\d\\src", name + ".~BGL", true));
  }
  EXPECT_EQ(Entries("C:\\d\\*.~bgl").size(), 300u);
  EXPECT_TRUE(Entries("C:\\d\\*.bgl").empty());
  EXPECT_EQ(Names().size(), 301u);
}

// ---------------------------------------------------------------- reading and replacing

TEST_F(PosixFiles, ReadingFiles) {
  Put("data", "0123456789");
  std::string bytes;
  ASSERT_TRUE(plat::ReadWholeFile("C:\\d\\DATA", bytes));
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_EQ(plat::ReadWholeFile("C:\\d\\none", bytes).Outcome, plat::FileOutcome::Missing);
  EXPECT_EQ(plat::ReadWholeFile("C:\\d", bytes).Tell("read", "C:\\d"),
            "cannot read 'C:\\d': it is a folder, not a file");
  EXPECT_EQ(plat::ReadWholeFile("C:\\d\\DATA", bytes, 9).Cause, "it is larger than 9 bytes");
  EXPECT_EQ(bytes, "");

  auto file = Open("c:\\d\\data");
  ASSERT_TRUE(file);
  char buffer[16] = {};
  EXPECT_EQ(ReadAt(*file, 8, buffer, sizeof buffer), 2);
  EXPECT_EQ(std::string(buffer, 2), "89");
  EXPECT_EQ(ReadAt(*file, 10, buffer, 4), 0);
  EXPECT_EQ(ReadAt(*file, 1ULL << 62, buffer, 4), 0);
  EXPECT_FALSE(Open("C:\\d\\none"));
  // A folder is not read as a file: it does not open, or no read of it succeeds.
  if (auto folder = Open("C:\\d")) {
    EXPECT_EQ(ReadAt(*folder, 0, buffer, 4), -1);
  }
}

TEST_F(PosixFiles, WriteFileReplacing) {
  Put("scenery.cfg", "old", 0640);
  ASSERT_TRUE(plat::WriteFileReplacing("C:\\d\\SCENERY.CFG", "new contents"));
  EXPECT_EQ(Get("scenery.cfg"), "new contents");
  EXPECT_EQ(Mode("scenery.cfg"), 0640u);
  ASSERT_TRUE(plat::WriteFileReplacing("C:\\d\\fresh.cfg", ""));
  EXPECT_TRUE(fs::exists(D("fresh.cfg")));

  // Through a link the link stays, and the file it leads to gets the text.
  fs::create_symlink("scenery.cfg", D("link.cfg"));
  ASSERT_TRUE(plat::WriteFileReplacing("C:\\d\\link.cfg", "via link"));
  EXPECT_TRUE(fs::is_symlink(D("link.cfg")));
  EXPECT_EQ(Get("scenery.cfg"), "via link");

  // A read-only file is refused before anything is written.
  Put("ro.cfg", "old", 0444);
  EXPECT_EQ(plat::WriteFileReplacing("C:\\d\\ro.cfg", "new").Outcome, plat::FileOutcome::ReadOnly);
  EXPECT_EQ(Get("ro.cfg"), "old");
  EXPECT_FALSE(plat::WriteFileReplacing("C:\\d\\no\\x.cfg", "new"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"fresh.cfg", "link.cfg", "ro.cfg", "scenery.cfg"}));
}

TEST_F(PosixFiles, WriteFileReplacingUnderInjectedFaults) {
  Put("scenery.cfg", "old");
  auto& sys = plat::posix::Sys();
  sys.Write = [](int fd, const void* data, size_t count) -> ssize_t {
    if (count > 10) count = 10;  // a short write first, then a full disk
    static int calls = 0;
    if (++calls > 1) {
      calls = 0;
      errno = ENOSPC;
      return -1;
    }
    return plat::posix::DefaultSys().Write(fd, data, count);
  };
  EXPECT_EQ(plat::WriteFileReplacing("C:\\d\\scenery.cfg", std::string(5000, 'n')).Cause,
            "there is no space left on the disk");
  EXPECT_EQ(Get("scenery.cfg"), "old");
  EXPECT_EQ(Names(), (std::vector<std::string>{"scenery.cfg"}));

  sys = plat::posix::DefaultSys();
  sys.Fsync = [](int) {
    errno = EIO;
    return -1;
  };
  EXPECT_FALSE(plat::WriteFileReplacing("C:\\d\\scenery.cfg", "new"));
  EXPECT_EQ(Get("scenery.cfg"), "old");
  sys = plat::posix::DefaultSys();
  sys.Rename = [](int, const char*, int, const char*) {
    errno = EXDEV;
    return -1;
  };
  EXPECT_FALSE(plat::WriteFileReplacing("C:\\d\\scenery.cfg", "new"));
  EXPECT_EQ(Get("scenery.cfg"), "old");
  EXPECT_EQ(Names(), (std::vector<std::string>{"scenery.cfg"}));
}

TEST_F(PosixFiles, WriteFileReplacingPastTheFileSizeLimit) {
  Put("scenery.cfg", "old");
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    struct rlimit limit = {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const plat::FileResult written = plat::WriteFileReplacing("C:\\d\\scenery.cfg", std::string(100000, 'n'));
    ::_exit(written.Cause == "the file is larger than the space allowed" ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Get("scenery.cfg"), "old");
  EXPECT_EQ(Names(), (std::vector<std::string>{"scenery.cfg"}));
}

// ---------------------------------------------------------------- console

TEST_F(PosixFiles, ConsoleConvertsAtTheBoundary) {
  char program[] = "layrix", utf8[] = "Z\xC3\xBCrich", latin[] = "caf\xE9", cjk[] = "\xE6\x97\xA5";
  char* argv[] = {program, utf8, latin, cjk, nullptr};
  EXPECT_EQ(plat::CommandLineWords(4, argv),
            (std::vector<std::string>{"Z\xC3\xBCrich", "caf\xC3\xA9", "\xE6\x97\xA5"}));

  testing::internal::CaptureStdout();
  plat::WriteStdout("Z\xC3\xBCrich \xCE\xA9 Z\xFCrich\r\n");  // a 1252 byte shown as its letter
  plat::FlushStdout();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Z\xC3\xBCrich \xCE\xA9 Z\xC3\xBCrich\r\n");

  std::string input = root_ + "/stdin";
  std::ofstream(input, std::ios::binary) << "yes\r\nZ\xC3\xBC\n\nl\xE4st";
  ASSERT_TRUE(::freopen(input.c_str(), "rb", stdin));
  std::string line;
  std::vector<std::string> lines;
  while (plat::ReadStdinLine(line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"yes", "Z\xC3\xBC", "", "l\xC3\xA4st"}));
  EXPECT_EQ(line, "");
  EXPECT_FALSE(plat::ReadStdinLine(line));
  ASSERT_TRUE(::freopen("/dev/null", "rb", stdin));
  EXPECT_FALSE(plat::ReadStdinLine(line));
}

}  // namespace
