// The one folder comparison of the library: the same folder however it is
// written, and one folder inside another.
#include <gtest/gtest.h>

#include <string>

#include "scenery/folder_match.h"

namespace {

const std::string kSimulator = "C:\\FS9\\";

TEST(FolderMatch, SameOrInsideHoweverWritten) {
  const struct {
    const char* A;
    const char* B;
    bool Same;
    bool AInsideB;
  } cases[] = {
      {"Addon Scenery\\Old Mesh", "C:\\FS9\\Addon Scenery\\Old Mesh", true, false},
      {"addon scenery/old mesh/", "c:\\fs9\\ADDON SCENERY\\Old Mesh\\", true, false},
      {"Addon Scenery\\.\\Old Mesh", "..\\FS9\\Addon Scenery\\\\Old Mesh", true, false},
      {"Addon Scenery\\Stra\xDF""e", "ADDON SCENERY\\STRASSE", true, false},
      {"Addon Scenery\\Old Mesh", "Addon Scenery\\Old Mesh 2", false, false},
      {"Addon Scenery\\Pack\\Sub A", "Addon Scenery\\Pack", false, true},
      {"ADDON SCENERY\\PACK\\sub b\\", "C:\\FS9\\Addon Scenery\\Pack\\", false, true},
      {"C:\\FS9\\Scenery\\World", "Scenery", false, true},
      {"Addon Scenery\\Packs\\x", "Addon Scenery\\Pack", false, false},
      {"D:\\FS9\\Scenery\\World", "Scenery", false, false},
      {"C:\\x", "C:\\", false, true},
      {"", "", false, false},
      {"Addon Scenery", "", false, false},
  };
  const FolderKeys keys(kSimulator);
  for (const auto& c : cases) {
    const std::string a = FullFolder(kSimulator, c.A), b = FullFolder(kSimulator, c.B);
    EXPECT_EQ(IsSameFolder(a, b), c.Same) << c.A << " | " << c.B;
    EXPECT_EQ(IsInsideFolder(a, b), c.AInsideB) << c.A << " | " << c.B;
    EXPECT_FALSE(IsInsideFolder(b, a) && c.Same) << c.A << " | " << c.B;
    // A plain relative folder is told by its text and the text below the
    // simulator folder; the same folder has the same key.
    if (keys.IsPlainBelow(c.A)) {
      EXPECT_EQ(plat::SameText(c.A, keys.TextBelow(b)), c.Same) << c.A;
    }
    if (c.Same) {
      EXPECT_EQ(keys.Of(c.A, [&] { return a; }), keys.Of(c.B, [&] { return b; })) << c.A;
    }
  }
  EXPECT_EQ(FullFolder(kSimulator, "Addon Scenery\\X\\"), "C:\\FS9\\Addon Scenery\\X");
  EXPECT_EQ(FullFolder(kSimulator, "C:/"), "C:\\");
}

TEST(FolderMatch, PlainRelativeFoldersAndTheCurrentFolder) {
  for (const char* plain : {"Addon Scenery\\Old Mesh", "Scenery\\World", "a"})
    EXPECT_TRUE(IsPlainRelativeFolder(plain)) << plain;
  for (const char* other : {"", "Addon Scenery\\", "a\\\\b", ".\\a", "a\\..", "a.\\b", "a /b",
                            "a/b", "x\\NUL", "x\\com1.txt", "\\a", "C:a", "a\\b*"})
    EXPECT_FALSE(IsPlainRelativeFolder(other)) << other;
  EXPECT_TRUE(IsPlainRelativeFolder("x\\Nullarbor"));
  for (const char* needs : {"\\tmp\\addons", "C:addons"})
    EXPECT_TRUE(NeedsCurrentFolder(kSimulator, needs)) << needs;
  for (const char* full : {"Addon Scenery", "C:\\x", "\\\\server\\share\\x", ""})
    EXPECT_FALSE(NeedsCurrentFolder(kSimulator, full)) << full;
  EXPECT_TRUE(NeedsCurrentFolder("", "Addon Scenery"));
}

}  // namespace
