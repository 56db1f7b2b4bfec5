// Windows path text.  The FullPath cases were measured with GetFullPathNameA
// under Wine 8 (host.md rule 4).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_rules.h"
#include "platform/winpath.h"

using winpath::FullPath;

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) { return textrules::EqualIgnoreCase(a, b); }

std::string Rel(const std::string& base, const std::string& dest) {
  return winpath::ExtractRelativePath(base, dest, &SameIgnoringCase);
}

}  // namespace

// ---------------------------------------------------------------- FullFolder

namespace {
std::string InX(const std::string& path) { return winpath::FullPath(path, "C:\\x\\"); }
std::string Fails(const std::string&) { return std::string(); }
}  // namespace

// A folder made full by the host's rule, without its trailing backslash but
// a drive root's; where the rule fails, nothing, or the folder as written.
TEST(WinpathFullFolder, FullWithoutTrailingBackslash) {
  EXPECT_EQ(winpath::FullFolder("C:\\Addons\\Pack", &Fails), "C:\\Addons\\Pack");  // plain: its own
  EXPECT_EQ(winpath::FullFolder("C:\\Addons\\Pack\\", &InX), "C:\\Addons\\Pack");
  EXPECT_EQ(winpath::FullFolder("Pack\\..\\Other\\", &InX), "C:\\x\\Other");
  EXPECT_EQ(winpath::FullFolder("C:\\", &InX), "C:\\");
  EXPECT_EQ(winpath::FullFolder("C:\\Pack\\.", &InX), "C:\\Pack");
  EXPECT_EQ(winpath::FullFolder("Pack\\", &Fails), "");
  EXPECT_EQ(winpath::FullFolder("Pack\\", &Fails, true), "Pack");
}

// ---------------------------------------------------------------- FullPath

TEST(WinpathFullPath, RelativeAgainstTheCurrentFolder) {
  EXPECT_EQ(FullPath("a", "C:\\x\\y\\"), "C:\\x\\y\\a");
  EXPECT_EQ(FullPath("a", "C:\\x\\y"), "C:\\x\\y\\a");  // a folder without its backslash
  EXPECT_EQ(FullPath("a\\b\\", "C:\\x\\"), "C:\\x\\a\\b\\");
  EXPECT_EQ(FullPath("a\\\\\\b", "C:\\x\\y\\"), "C:\\x\\y\\a\\b");
  EXPECT_EQ(FullPath("  a", "C:\\x\\y\\"), "C:\\x\\y\\  a");  // leading blanks count
  EXPECT_EQ(FullPath("a  \\b  ", "C:\\x\\y\\"), "C:\\x\\y\\a  \\b");
  EXPECT_EQ(FullPath("Addon Scenery\\x", "Z:\\home\\u\\"), "Z:\\home\\u\\Addon Scenery\\x");
}

TEST(WinpathFullPath, DotsAndDoubleDots) {
  EXPECT_EQ(FullPath(".", "C:\\x\\y\\"), "C:\\x\\y");
  EXPECT_EQ(FullPath(".\\", "C:\\x\\y\\"), "C:\\x\\y\\");
  EXPECT_EQ(FullPath("..", "C:\\x\\y\\"), "C:\\x");
  EXPECT_EQ(FullPath("..\\", "C:\\x\\y\\"), "C:\\x\\");
  EXPECT_EQ(FullPath("..\\..\\..\\..\\q", "C:\\x\\y\\"), "C:\\q");  // stops at the root
  EXPECT_EQ(FullPath("C:\\..", "C:\\x\\y\\"), "C:\\");
  EXPECT_EQ(FullPath("C:\\a\\..", "C:\\x\\"), "C:\\");
  EXPECT_EQ(FullPath("C:\\a\\b\\..", "C:\\x\\"), "C:\\a");
  EXPECT_EQ(FullPath("C:\\a\\b\\..\\", "C:\\x\\"), "C:\\a\\");
  EXPECT_EQ(FullPath("C:\\a\\.", "C:\\x\\"), "C:\\a");
  EXPECT_EQ(FullPath("C:\\a\\.\\", "C:\\x\\"), "C:\\a\\");
  EXPECT_EQ(FullPath("C:\\a\\.\\b\\.\\c", "C:\\x\\"), "C:\\a\\b\\c");
  EXPECT_EQ(FullPath("C:\\a\\b\\c\\...\\d", "C:\\x\\"), "C:\\a\\b\\c\\..\\d");  // "..." is a name
  EXPECT_EQ(FullPath("..\\x\\..\\..\\y", "Z:\\home\\u\\"), "Z:\\y");
}

TEST(WinpathFullPath, TrailingDotsAndBlanks) {
  EXPECT_EQ(FullPath("x.", "C:\\x\\y\\"), "C:\\x\\y\\x");
  EXPECT_EQ(FullPath("C:\\a\\b.", "C:\\x\\"), "C:\\a\\b");
  EXPECT_EQ(FullPath("C:\\a\\b. . ", "C:\\x\\"), "C:\\a\\b");
  EXPECT_EQ(FullPath("C:\\a\\b...", "C:\\x\\"), "C:\\a\\b");
  EXPECT_EQ(FullPath("C:\\a\\...", "C:\\x\\"), "C:\\a\\");
  EXPECT_EQ(FullPath("C:\\a\\b\\ ", "C:\\x\\"), "C:\\a\\b\\");
  EXPECT_EQ(FullPath("C:\\a\\b\\ .", "C:\\x\\"), "C:\\a\\b\\");
  EXPECT_EQ(FullPath("C:\\a\\ b\\.. ", "C:\\x\\"), "C:\\a\\ b\\");  // ".. " is no ".."
  // Inner components lose one trailing dot, but not blanks.
  EXPECT_EQ(FullPath("C:\\a.\\b", "C:\\x\\"), "C:\\a\\b");
  EXPECT_EQ(FullPath("C:\\a..\\b", "C:\\x\\"), "C:\\a.\\b");
  EXPECT_EQ(FullPath("C:\\a. \\b", "C:\\x\\"), "C:\\a. \\b");
}

TEST(WinpathFullPath, RootedAndDriveRelative) {
  EXPECT_EQ(FullPath("\\q", "C:\\x\\y\\"), "C:\\q");
  EXPECT_EQ(FullPath("\\q\\..\\r", "Z:\\home\\"), "Z:\\r");
  EXPECT_EQ(FullPath("/q/r/", "C:\\x\\y\\"), "C:\\q\\r\\");
  // "C:x" is relative to the current folder when that is on C:, else to C:\.
  EXPECT_EQ(FullPath("c:q", "C:\\x\\y\\"), "C:\\x\\y\\q");
  EXPECT_EQ(FullPath("C:q", "C:\\x\\y\\"), "C:\\x\\y\\q");
  EXPECT_EQ(FullPath("C:q", "c:\\x\\y\\"), "c:\\x\\y\\q");
  EXPECT_EQ(FullPath("C:..\\q", "C:\\x\\y\\"), "C:\\x\\q");
  EXPECT_EQ(FullPath("c:q", "Z:\\tmp\\"), "c:\\q");
  EXPECT_EQ(FullPath("D:q", "C:\\x\\y\\"), "D:\\q");
  EXPECT_EQ(FullPath("d:q", "C:\\x\\y\\"), "d:\\q");
  EXPECT_EQ(FullPath("C:", "Z:\\tmp\\"), "C:\\");
  EXPECT_EQ(FullPath("c:", "Z:\\tmp\\"), "c:\\");
  EXPECT_EQ(FullPath("C:", "C:\\x\\y\\"), "C:\\x\\y\\");
  EXPECT_EQ(FullPath("C:..\\..\\..", "Z:\\tmp\\"), "C:\\");
}

TEST(WinpathFullPath, AbsolutePathsKeepTheirSpelling) {
  EXPECT_EQ(FullPath("c:\\a\\b", "C:\\x\\y\\"), "c:\\a\\b");
  EXPECT_EQ(FullPath("c:/a/b/", "C:\\x\\y\\"), "c:\\a\\b\\");
  EXPECT_EQ(FullPath("C:\\a\\\\b", "C:\\x\\y\\"), "C:\\a\\b");
  EXPECT_EQ(FullPath("C:\\", "Z:\\"), "C:\\");
  EXPECT_EQ(FullPath("Z:\\Program Files\\FS9\\", "C:\\"), "Z:\\Program Files\\FS9\\");
}

TEST(WinpathFullPath, UncPaths) {
  EXPECT_EQ(FullPath("\\\\server\\share\\a\\..\\..\\b", "C:\\x\\"), "\\\\server\\share\\b");
  EXPECT_EQ(FullPath("\\\\server\\share", "C:\\x\\"), "\\\\server\\share");
  EXPECT_EQ(FullPath("\\\\server\\share\\..", "C:\\x\\"), "\\\\server\\share\\");
  EXPECT_EQ(FullPath("\\\\server", "C:\\x\\"), "\\\\server");
  EXPECT_EQ(FullPath("//server/share/a/./b", "C:\\x\\"), "\\\\server\\share\\a\\b");
  EXPECT_EQ(FullPath("\\\\.\\c:\\a\\..\\b", "C:\\x\\"), "\\\\.\\c:\\b");
  EXPECT_EQ(FullPath("\\\\?\\c:\\a\\..\\b", "C:\\x\\"), "\\\\?\\c:\\b");
  // A UNC current folder.
  EXPECT_EQ(FullPath("a\\..\\..\\b", "\\\\srv\\sh\\d\\"), "\\\\srv\\sh\\b");
  EXPECT_EQ(FullPath("\\b", "\\\\srv\\sh\\d\\"), "\\\\srv\\sh\\b");
}

TEST(WinpathFullPath, DevicesAndFailures) {
  EXPECT_EQ(FullPath("", "C:\\x\\"), "");
  EXPECT_EQ(FullPath("   ", "C:\\x\\"), "");
  EXPECT_EQ(FullPath("nul", "C:\\x\\"), "\\\\.\\nul");
  EXPECT_EQ(FullPath("c:\\x\\nul.txt", "C:\\x\\"), "\\\\.\\nul");
  EXPECT_EQ(FullPath("c:\\x\\COM1", "C:\\x\\"), "\\\\.\\COM1");
  EXPECT_EQ(FullPath("c:\\x\\CON .txt", "C:\\x\\"), "\\\\.\\CON");
  EXPECT_EQ(FullPath("c:\\x\\lpt1  ", "C:\\x\\"), "\\\\.\\lpt1");
  EXPECT_EQ(FullPath("c:\\x\\nul:", "C:\\x\\"), "\\\\.\\nul");
  EXPECT_EQ(FullPath("c:\\x\\nul.txt\\a", "C:\\x\\"), "c:\\x\\nul.txt\\a");  // not the last component
  EXPECT_EQ(FullPath("c:\\x\\com0", "C:\\x\\"), "c:\\x\\com0");
  EXPECT_EQ(FullPath("c:\\x\\com10", "C:\\x\\"), "c:\\x\\com10");
  // Without a current folder only what does not need it is completed.
  EXPECT_EQ(FullPath("a", ""), "");
  EXPECT_EQ(FullPath("\\a", ""), "");
  EXPECT_EQ(FullPath("C:a", ""), "C:\\a");
  EXPECT_EQ(FullPath("C:\\a\\..\\b", ""), "C:\\b");
}

// ---------------------------------------------------------------- pieces

TEST(WinpathFullPath, PlainFullPathsAreTheirOwnFullPath) {
  for (const char* plain : {"C:\\x", "c:\\FS9\\Addon Scenery\\scenery\\a.bgl", "Z:\\a b\\x.y.z",
                            "C:\\con.txt\\x", "C:\\x\\\xE9t\xE9"}) {
    EXPECT_TRUE(winpath::IsPlainFullPath(plain)) << plain;
    EXPECT_EQ(FullPath(plain, "D:\\cur\\"), plain);
  }
  // Each of these is either changed by FullPath or not recognised cheaply.
  for (const char* other : {"C:\\", "C:\\x\\", "C:x", "\\x", "x\\y", "C:\\x\\\\y", "C:/x",
                            "C:\\x\\.\\y", "C:\\x\\..\\y", "C:\\.hidden", "C:\\x.\\y", "C:\\x ",
                            "C:\\x.", "C:\\nul", "C:\\x\\com1.txt", "1:\\x", "\\\\s\\share\\x"})
    EXPECT_FALSE(winpath::IsPlainFullPath(other)) << other;
}

TEST(WinpathPieces, DeviceNames) {
  for (const char* name : {"NUL", "nul", "Con", "AUX", "prn", "COM1", "com9", "LPT1", "lpt9", "nul.txt",
                           "CON.tar.gz", "con .txt", "aux  ", "nul:", "C:\\x\\nul", "x/prn.doc"})
    EXPECT_TRUE(winpath::IsDeviceName(name)) << name;
  for (const char* name : {"", "NULL", "nu", "COM0", "COM10", "LPT", "lpt0", " nul", "xnul", "nul\\x", "console",
                           "\\\\server\\nul", "a.nul"})
    EXPECT_FALSE(winpath::IsDeviceName(name)) << name;
}

TEST(WinpathPieces, RelativePaths) {
  for (const char* path : {"", "\\FS9", "\\\\server\\share", "C:\\FS", "c:FS"})
    EXPECT_FALSE(winpath::IsRelativePath(path)) << path;
  for (const char* path : {"Addon Scenery\\", "a", "/x", "..\\x"})
    EXPECT_TRUE(winpath::IsRelativePath(path)) << path;
}

TEST(WinpathPieces, UncPaths) {
  EXPECT_TRUE(winpath::IsUncPath("\\\\server\\share"));
  EXPECT_TRUE(winpath::IsUncPath("//server/share"));
  EXPECT_TRUE(winpath::IsUncPath("\\\\server\\share\\x\\y"));
  EXPECT_FALSE(winpath::IsUncPath("\\x"));
  EXPECT_FALSE(winpath::IsUncPath("C:\\x"));
  EXPECT_FALSE(winpath::IsUncPath(""));
}

TEST(WinpathPieces, DriveOf) {
  EXPECT_EQ(winpath::DriveOf("C:\\x"), "C:");
  EXPECT_EQ(winpath::DriveOf("c:x"), "c:");
  EXPECT_EQ(winpath::DriveOf("C:"), "C:");
  EXPECT_EQ(winpath::DriveOf("\\\\server\\share\\x\\y"), "\\\\server\\share");
  EXPECT_EQ(winpath::DriveOf("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(winpath::DriveOf("\\x"), "");
  EXPECT_EQ(winpath::DriveOf("x\\y"), "");
  EXPECT_EQ(winpath::DriveOf(""), "");
}

TEST(WinpathPieces, FilePathAndName) {
  EXPECT_EQ(winpath::ExtractFilePath("C:\\a\\b.txt"), "C:\\a\\");
  EXPECT_EQ(winpath::ExtractFileName("C:\\a\\b.txt"), "b.txt");
  EXPECT_EQ(winpath::ExtractFilePath("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(winpath::ExtractFileName("C:\\a\\"), "");
  EXPECT_EQ(winpath::ExtractFilePath("C:b"), "C:");
  EXPECT_EQ(winpath::ExtractFileName("C:b"), "b");
  EXPECT_EQ(winpath::ExtractFilePath("b"), "");
  EXPECT_EQ(winpath::ExtractFileName("b"), "b");
  EXPECT_EQ(winpath::ExtractFileName("a/b"), "a/b");  // only '\' and ':' delimit
}

TEST(WinpathPieces, TrailingBackslash) {
  EXPECT_EQ(winpath::IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(winpath::IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(winpath::IncludeTrailingBackslash(""), "\\");
  EXPECT_EQ(winpath::ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
  EXPECT_EQ(winpath::ExcludeTrailingBackslash("C:\\a\\\\"), "C:\\a\\");  // one only
  EXPECT_EQ(winpath::ExcludeTrailingBackslash("C:\\a"), "C:\\a");
  EXPECT_EQ(winpath::ExcludeTrailingBackslash(""), "");
}

TEST(WinpathPieces, SplitComponents) {
  EXPECT_EQ(winpath::SplitComponents("\\a\\\\b\\c\\"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(winpath::SplitComponents("a/b"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(winpath::SplitComponents("Addon Scenery\\x y"), (std::vector<std::string>{"Addon Scenery", "x y"}));
  EXPECT_TRUE(winpath::SplitComponents("").empty());
  EXPECT_TRUE(winpath::SplitComponents("\\\\").empty());
}

// ---------------------------------------------------------------- relative

TEST(WinpathRelative, InsideTheBaseFolder) {
  EXPECT_EQ(Rel("C:\\FS9\\", "C:\\FS9\\Addon Scenery\\My\\"), "Addon Scenery\\My\\");
  EXPECT_EQ(Rel("C:\\FS9\\", "C:\\FS9\\Addon Scenery\\My"), "Addon Scenery\\My");
  EXPECT_EQ(Rel("C:\\FS9\\", "C:\\FS9\\x.bgl"), "x.bgl");
  EXPECT_EQ(Rel("C:\\FS9\\", "C:\\FS9\\"), "");
  EXPECT_EQ(Rel("C:\\FS9\\fs9.exe", "C:\\FS9\\Scenery\\World\\"), "Scenery\\World\\");  // base's file part ignored
  EXPECT_EQ(Rel("C:\\src\\", "C:\\src\\a\\b\\c.bgl"), "a\\b\\c.bgl");
}

TEST(WinpathRelative, FoldersCompareIgnoringCase) {
  EXPECT_EQ(Rel("C:\\FS9\\", "c:\\fs9\\Addon Scenery\\My\\"), "Addon Scenery\\My\\");
  EXPECT_EQ(Rel("C:\\Program Files\\FS9\\", "C:\\PROGRAM FILES\\fs9\\Scenery\\"), "Scenery\\");
  EXPECT_EQ(Rel("C:\\Stra\xDF" "e\\", "C:\\STRASSE\\x\\"), "x\\");  // the linguistic rule
}

TEST(WinpathRelative, ParentSteps) {
  EXPECT_EQ(Rel("C:\\FS9\\", "C:\\Scenery\\My\\"), "..\\Scenery\\My\\");
  EXPECT_EQ(Rel("C:\\a\\b\\", "C:\\a\\"), "..\\");
  EXPECT_EQ(Rel("C:\\a\\b\\c\\", "C:\\a\\"), "..\\..\\");
  EXPECT_EQ(Rel("C:\\a\\b\\", "C:\\a\\c\\f.txt"), "..\\c\\f.txt");
  EXPECT_EQ(Rel("C:\\a\\b\\c\\", "C:\\x\\y"), "..\\..\\..\\x\\y");
  EXPECT_EQ(Rel("C:\\a\\b\\", "C:\\"), "..\\..\\");
  EXPECT_EQ(Rel("C:\\", "C:\\a\\"), "a\\");
}

TEST(WinpathRelative, OtherDrivesAndRelativePaths) {
  EXPECT_EQ(Rel("C:\\FS9\\", "D:\\Scenery\\My\\"), "D:\\Scenery\\My\\");
  EXPECT_EQ(Rel("C:\\FS9\\", "\\\\server\\share\\x\\"), "\\\\server\\share\\x\\");
  EXPECT_EQ(Rel("C:\\FS9\\", "Addon Scenery\\My"), "Addon Scenery\\My");  // no drive: unchanged
  EXPECT_EQ(Rel("c:\\fs9\\", "C:\\FS9\\Addon Scenery\\"), "Addon Scenery\\");  // drives ignore case
  EXPECT_EQ(Rel("\\\\server\\share\\a\\", "\\\\SERVER\\Share\\a\\b\\"), "b\\");
  EXPECT_EQ(Rel("\\\\server\\share\\a\\", "\\\\server\\other\\a\\b\\"), "\\\\server\\other\\a\\b\\");
}
