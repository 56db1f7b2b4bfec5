// The kept states' names, facts and times, and the difference of two
// libraries area by area.
#include <gtest/gtest.h>

#include <string>

#include "app/settings.h"
#include "scenery/library_diff.h"
#include "scenery/library_history.h"

namespace {

TEST(StateFiles, NamesAndFactsReadBack) {
  EXPECT_EQ(StateFileName(12), "scenery.000012.cfg");
  EXPECT_EQ(StateFactsFileName(1234567), "scenery.1234567.txt");
  const struct {
    const char* Name;
    const char* Extension;
    std::optional<uint64_t> Sequence;
  } names[] = {
      {"scenery.000012.cfg", ".cfg", 12},
      {"SCENERY.000012.CFG", ".cfg", 12},  // as a host may spell it
      {"scenery.1234567.txt", ".txt", 1234567},
      {"scenery.000012.txt", ".cfg", std::nullopt},
      {"scenery..cfg", ".cfg", std::nullopt},
      {"scenery.00a1.cfg", ".cfg", std::nullopt},
      {"scenery.cfg", ".cfg", std::nullopt},
      {".layrix-123x-1.tmp", ".cfg", std::nullopt},
      {"scenery.99999999999999999999.cfg", ".cfg", std::nullopt},  // beyond any count
  };
  for (const auto& n : names) EXPECT_EQ(SequenceOfName(n.Name, n.Extension), n.Sequence) << n.Name;

  // A line end in the command line cannot start a line of its own.
  const StateFacts facts{"2026-12-10 13:09:37", "-i \"%a\\x\r\nTime=1999-01-01 00:00:00\" T -1"};
  const std::string text = StateFactsText(facts);
  EXPECT_EQ(text, "Time=2026-12-10 13:09:37 UTC\r\nCommand=-i \"%a\\x  Time=1999-01-01 00:00:00\" T -1\r\n");
  const StateFacts back = ParseStateFacts(text);
  EXPECT_EQ(back.Time, facts.Time);
  EXPECT_EQ(back.CommandLine, "-i \"%a\\x  Time=1999-01-01 00:00:00\" T -1");
  // A time of another form is no time; unknown lines are passed over.
  EXPECT_EQ(ParseStateFacts("Time=yesterday\nOther=1\nCommand=-s\n").Time, "");
  EXPECT_EQ(ParseStateFacts("Time=yesterday\nOther=1\nCommand=-s\n").CommandLine, "-s");
}

TEST(StateFiles, TimesRoundTrip) {
  for (const char* time : {"1601-01-01 00:00:00", "1970-01-01 00:00:00", "2024-02-29 23:59:59",
                           "2026-12-10 13:09:37", "2100-03-01 12:00:00"}) {
    const std::optional<uint64_t> fileTime = ParseTimeText(time);
    ASSERT_TRUE(fileTime) << time;
    EXPECT_EQ(TimeText(*fileTime), time);
  }
  EXPECT_EQ(*ParseTimeText("1970-01-01 00:00:01"), 116444736010000000ull);
  for (const char* bad : {"2026-13-01 00:00:00", "2026-12-10 24:00:00", "2026-12-10T13:09:37",
                          "2026-12-10 13:09", "1600-12-31 23:59:59", ""})
    EXPECT_FALSE(ParseTimeText(bad)) << bad;
  // Now is after this code was written, and reads back to the second.
  const uint64_t now = NowAsFileTime();
  EXPECT_GT(now, *ParseTimeText("2026-01-01 00:00:00"));
  EXPECT_EQ(*ParseTimeText(TimeText(now)), now / 10000000 * 10000000);
}

TEST(StateFiles, CommandLineKeepsWordsWithBlanksTogether) {
  EXPECT_EQ(CommandLineText({"-t", "4"}), "-t 4");
  EXPECT_EQ(CommandLineText({"-i", "%a\\My Airport", "My Airport", "-1"}),
            "-i \"%a\\My Airport\" \"My Airport\" -1");
  EXPECT_EQ(CommandLineText({"-bu", "install.txt", "", "Title"}), "-bu install.txt \"\" Title");
  EXPECT_EQ(CommandLineText({}), "");
}

// A library of areas given as (folder, title, layer, on).
struct A {
  const char* Folder;
  const char* Title;
  int Layer;
  bool On;
};
std::unique_ptr<SceneryLibrary> Library(std::initializer_list<A> areas) {
  std::string text = "[General]\r\nTitle=x\r\nDescription=y\r\nClean_on_Exit=TRUE\r\n";
  int n = 0;
  for (const A& a : areas)
    text += "[Area." + std::to_string(++n) + "]\r\nTitle=" + a.Title + "\r\nLocal=" + a.Folder +
            "\r\nLayer=" + std::to_string(a.Layer) + "\r\nActive=" + (a.On ? "TRUE" : "FALSE") +
            "\r\nRequired=FALSE\r\n";
  auto library = std::make_unique<SceneryLibrary>();
  library->LoadFromText(text);
  return library;
}

std::vector<std::string> DiffLines(const SceneryLibrary& a, const SceneryLibrary& b) {
  const LibraryDiff diff = CompareLibraries(a, b, "C:\\FS9\\");
  std::vector<std::string> lines;
  for (const AreaChange& c : diff.Changes) lines.push_back(ChangeLine(c));
  lines.push_back(DiffCountText(diff));
  return lines;
}

TEST(LibraryDiff, AreasMatchedByFolderHoweverWritten) {
  const auto before = Library({{"Scenery\\World", "World", 1, true},
                               {"Addon Scenery\\Pack", "Pack", 2, true},
                               {"Addon Scenery\\Pack", "Pack again", 3, false},
                               {"C:\\Mesh", "Mesh", 4, true},
                               {"", "No folder", 5, true},
                               {"Addon Scenery\\Gone", "Gone", 6, true}});
  // Reordered and renumbered, one folder written in full, another in other
  // letter case with '/', the second copy of a folder gone, one area new.
  const auto after = Library({{"", "No folder", 5, true},
                              {"c:/mesh/", "Mesh", 4, true},
                              {"C:\\FS9\\Addon Scenery\\Pack", "Pack", 2, true},
                              {"Scenery\\World", "World", 1, true},
                              {"Addon Scenery\\New", "New", 7, false}});
  EXPECT_EQ(DiffLines(*before, *after),
            (std::vector<std::string>{
                "added    Addon Scenery\\New: layer 7, off, \"New\"",
                "removed  Addon Scenery\\Pack: layer 3, off, \"Pack again\"",
                "removed  Addon Scenery\\Gone: layer 6, on, \"Gone\"",
                "changed  c:/mesh/: folder \"C:\\Mesh\" -> \"c:/mesh/\"",
                "changed  C:\\FS9\\Addon Scenery\\Pack: folder \"Addon Scenery\\Pack\" -> "
                "\"C:\\FS9\\Addon Scenery\\Pack\"",
                "1 added, 2 removed, 2 changed"}));
  // The same library against itself: nothing.
  EXPECT_EQ(DiffLines(*after, *after), std::vector<std::string>{"0 added, 0 removed, 0 changed"});
  // Every field that can change, at once; a folder of the same name on
  // another drive is another folder.
  EXPECT_EQ(DiffLines(*Library({{"Addon Scenery\\Pack", "Pack", 2, true}, {"C:\\Mesh", "Mesh", 4, true}}),
                      *Library({{"Addon Scenery\\PACK", "Pack 2", 9, false}, {"D:\\Mesh", "Mesh", 4, true}})),
            (std::vector<std::string>{
                "added    D:\\Mesh: layer 4, on, \"Mesh\"",
                "removed  C:\\Mesh: layer 4, on, \"Mesh\"",
                "changed  Addon Scenery\\PACK: layer 2 -> 9, on -> off, title \"Pack\" -> \"Pack 2\", "
                "folder \"Addon Scenery\\Pack\" -> \"Addon Scenery\\PACK\"",
                "1 added, 1 removed, 1 changed"}));
}

TEST(HistorySetting, CountOfStatesAndItsDefault) {
  app::CommandState s;
  EXPECT_EQ(s.History, 20);
  const std::pair<const char*, int32_t> cases[] = {
      {"[Main]\r\nHistory=3\r\n", 3},     {"[Main]\r\nHistory=0\r\n", 0},
      {"[main]\r\nhistory=0x10\r\n", 16}, {"[Main]\r\nHistory=-1\r\n", 20},
      {"[Main]\r\nHistory=many\r\n", 20}, {"[Other]\r\nHistory=3\r\n", 20},
  };
  for (const auto& [ini, expected] : cases) {
    s.History = 7;  // a value left from before must not survive
    app::ApplySettings(s, ini);
    EXPECT_EQ(s.History, expected) << ini;
  }
}

}  // namespace
