// Steam's list of library folders (libraryfolders.vdf), in the formats of
// today's and of older clients.
#include "formats/steam_libraries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SteamLibraries, PathOfEachNumberedBlock) {
  const std::string vdf =
      "\"libraryfolders\"\n{\n"
      "\t\"contentstatsid\"\t\t\"-3621\"\n"
      "\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/pilot/.local/share/Steam\"\n"
      "\t\t\"label\"\t\t\"\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"0\"\n\t\t}\n\t}\n"
      "\t\"1\"\n\t{\n\t\t\"label\"\t\t\"no path\"\n\t}\n"
      "\t\"2\"\n\t{\n\t\t\"path\"\t\t\"/mnt/games/Steam Library\"\n\t}\n"
      "}\n";
  std::vector<std::string> folders = {"stale"};
  const FormatProblem problem = steam::LibraryFolders(vdf, folders);
  ASSERT_FALSE(problem) << problem.Text;
  EXPECT_EQ(folders, (std::vector<std::string>{"/home/pilot/.local/share/Steam", "/mnt/games/Steam Library"}));
}

TEST(SteamLibraries, OlderClientsNameTheFolderItself) {
  const std::string vdf =
      "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1600000000\"\n"
      "\t\"ContentStatsID\"\t\t\"-362\"\n\t\"1\"\t\t\"/mnt/old library\"\n\t\"2\"\t\t\"\"\n}\n";
  std::vector<std::string> folders;
  const FormatProblem problem = steam::LibraryFolders(vdf, folders);
  ASSERT_FALSE(problem) << problem.Text;
  EXPECT_EQ(folders, (std::vector<std::string>{"/mnt/old library"}));
}

TEST(SteamLibraries, MalformedOrForeignTextListsNothing) {
  std::vector<std::string> folders;
  EXPECT_EQ(steam::LibraryFolders("\"libraryfolders\" { \"0\" { \"path\" \"/x\" }", folders).Text,
            "line 1: a block is not closed");
  EXPECT_TRUE(folders.empty());
  EXPECT_EQ(steam::LibraryFolders("\"AppState\" { \"appid\" \"314160\" }", folders).Text,
            "it holds no 'libraryfolders' block");
  EXPECT_TRUE(steam::LibraryFolders("\"libraryfolders\" \"/x\"", folders));
  EXPECT_TRUE(steam::LibraryFolders("", folders));
  EXPECT_TRUE(folders.empty());
}

}  // namespace
