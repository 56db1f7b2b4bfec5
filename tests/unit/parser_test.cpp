// The parser's pieces that need no installation: integer arguments, path
// variable expansion, batch line splitting and the argument rows.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/commands.h"
#include "app/parser.h"
#include "app/path_variables.h"
#include "app/settings.h"

namespace {

using app::BatchWords;
using app::CommandState;
using app::ExpandPathVariables;
using app::SplitBatchLine;
using app::VariableTable;

// ------------------------------------------------------------ integers

TEST(IntegerArguments, StrictAcceptsDecimalAndHexForms) {
  EXPECT_EQ(app::StrictInteger("12"), 12);
  EXPECT_EQ(app::StrictInteger("  -7"), -7);
  EXPECT_EQ(app::StrictInteger("+3"), 3);
  EXPECT_EQ(app::StrictInteger("0x10"), 16);
  EXPECT_EQ(app::StrictInteger("0X1f"), 31);
  EXPECT_EQ(app::StrictInteger("$ff"), 255);
  EXPECT_EQ(app::StrictInteger("x10"), 16);
  EXPECT_EQ(app::StrictInteger("X10"), 16);
  EXPECT_EQ(app::StrictInteger("2147483647"), 2147483647);
  EXPECT_EQ(app::StrictInteger("-2147483648"), INT32_MIN);
}

TEST(IntegerArguments, StrictRejectsWithTheOffendingText) {
  for (const char* bad : {"abc", "", "12 ", "1.5", "2147483648", "0x", "--1", "0x1g"}) {
    try {
      app::StrictInteger(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const FatalError& e) {
      EXPECT_NE(std::string(e.what()).find(std::string("'") + bad + "'"), std::string::npos)
          << e.what();
    }
  }
}

// ------------------------------------------------------------ path variables

VariableTable SampleValues() {
  return {"C:\\Work\\", "C:\\Temp\\", "C:\\FS9\\", "C:\\FS9\\Addon Scenery\\",
          "C:\\FS9\\Scenery\\", "C:\\FS9\\Texture\\", "C:\\FS9\\Effects\\", "D:\\Mine\\", "\\"};
}

TEST(PathVariables, EachTokenInAnyCase) {
  const VariableTable v = SampleValues();
  EXPECT_EQ(ExpandPathVariables("%c", v), "C:\\Work\\");
  EXPECT_EQ(ExpandPathVariables("%P", v), "C:\\Temp\\");
  EXPECT_EQ(ExpandPathVariables("%f", v), "C:\\FS9\\");
  EXPECT_EQ(ExpandPathVariables("%a\\x", v), "C:\\FS9\\Addon Scenery\\x");
  EXPECT_EQ(ExpandPathVariables("%A\\x", v), "C:\\FS9\\Addon Scenery\\x");
  EXPECT_EQ(ExpandPathVariables("%S", v), "C:\\FS9\\Scenery\\");
  EXPECT_EQ(ExpandPathVariables("%t", v), "C:\\FS9\\Texture\\");
  EXPECT_EQ(ExpandPathVariables("%X", v), "C:\\FS9\\Effects\\");
  EXPECT_EQ(ExpandPathVariables("%b\\sub", v), "D:\\Mine\\sub");
  EXPECT_EQ(ExpandPathVariables("%a%a", v), "C:\\FS9\\Addon Scenery\\C:\\FS9\\Addon Scenery\\");
}

TEST(PathVariables, UnknownPercentTurnsTheWholePathIntoMinusOne) {
  const VariableTable v = SampleValues();
  EXPECT_EQ(ExpandPathVariables("%q\\x", v), "-1");
  EXPECT_EQ(ExpandPathVariables("%a\\100%", v), "-1");
  EXPECT_EQ(ExpandPathVariables("%", v), "-1");
  // %u is a title variable, not a path variable.
  EXPECT_EQ(ExpandPathVariables("%u", v), "-1");
}

TEST(PathVariables, DoubledBackslashesBecomeOne) {
  const VariableTable v = SampleValues();
  EXPECT_EQ(ExpandPathVariables("\\\\server\\share", v), "\\server\\share");
  EXPECT_EQ(ExpandPathVariables("C:\\\\a\\\\\\b", v), "C:\\a\\\\b");
  EXPECT_EQ(ExpandPathVariables("plain\\path", v), "plain\\path");
  EXPECT_EQ(ExpandPathVariables("", v), "");
}

TEST(PathVariables, InsertedValuesAreSearchedOnlyForLaterTokens) {
  VariableTable v = SampleValues();
  // A value holding a later token is expanded by it; one holding its own
  // token is not searched again (the "%" left over then spoils the path).
  v[0] = "C:\\%f";
  EXPECT_EQ(ExpandPathVariables("%c", v), "C:\\C:\\FS9\\");
  v[2] = "%F";
  EXPECT_EQ(ExpandPathVariables("%f", v), "-1");
  // Outside a "-bu" batch %b is empty.
  v = SampleValues();
  v[7] = "";
  EXPECT_EQ(ExpandPathVariables("%b\\x", v), "\\x");
}

TEST(TitleVariable, ReplacedInAnyCase) {
  EXPECT_EQ(app::ReplaceTitleVariable("%u", "My Title"), "My Title");
  EXPECT_EQ(app::ReplaceTitleVariable("x %U y %u", "T"), "x T y T");
  EXPECT_EQ(app::ReplaceTitleVariable("100%", "T"), "100%");
}

// ------------------------------------------------------------ batch lines

std::vector<std::string> Words(const BatchWords& w) {
  std::vector<std::string> out;
  for (int i = 1; i <= w.Count && i <= 4; ++i) out.push_back(w.Args[static_cast<size_t>(i)]);
  return out;
}

using Strings = std::vector<std::string>;

TEST(BatchLines, CommentsAndEmptyLines) {
  EXPECT_EQ(SplitBatchLine("").Count, 0);
  EXPECT_EQ(SplitBatchLine("; -s").Count, 0);
  EXPECT_EQ(SplitBatchLine("   ;comment").Count, 0);
  BatchWords w = SplitBatchLine("-s ; sort now");
  EXPECT_EQ(w.Count, 1);
  EXPECT_EQ(Words(w), Strings({"-s"}));
  // Quotes do not protect a semicolon.
  w = SplitBatchLine("-dt \"a;b\"");
  EXPECT_EQ(Words(w), Strings({"-dt", "a"}));
  // Only blanks go with the comment; a tab stays in the word.
  w = SplitBatchLine("-s\t;x");
  EXPECT_EQ(Words(w), Strings({"-s\t"}));
}

TEST(BatchLines, QuotedWords) {
  BatchWords w = SplitBatchLine("-i \"%a\\My Scenery\" \"%u\" -1");
  EXPECT_EQ(w.Count, 4);
  EXPECT_EQ(Words(w), Strings({"-i", "%a\\My Scenery", "%u", "-1"}));
  // Without a closing quote the word runs to the end of the line.
  w = SplitBatchLine("-dt \"open title");
  EXPECT_EQ(Words(w), Strings({"-dt", "open title"}));
  // The first word is never quoted.
  w = SplitBatchLine("\"-s\" x");
  EXPECT_EQ(Words(w), Strings({"\"-s\"", "x"}));
  // A quote inside an unquoted word is an ordinary character.
  w = SplitBatchLine("-dt ab\"c");
  EXPECT_EQ(Words(w), Strings({"-dt", "ab\"c"}));
  // An empty quoted word.
  w = SplitBatchLine("-ft \"\" 1");
  EXPECT_EQ(Words(w), Strings({"-ft", "", "1"}));
  // Only one blank after the closing quote is dropped.
  w = SplitBatchLine("-ft \"a\"  1");
  EXPECT_EQ(Words(w), Strings({"-ft", "a", "", "1"}));
}

TEST(BatchLines, BlanksSeparateExactlyOneAtATime) {
  // A leading blank gives an empty first word.
  BatchWords w = SplitBatchLine(" -s");
  EXPECT_EQ(Words(w), Strings({"", "-s"}));
  // Two blanks give an empty word in between.
  w = SplitBatchLine("-d  3");
  EXPECT_EQ(Words(w), Strings({"-d", "", "3"}));
  // A trailing blank adds no word.
  w = SplitBatchLine("-s ");
  EXPECT_EQ(Words(w), Strings({"-s"}));
  // A tab is no separator.
  w = SplitBatchLine("-d\t3");
  EXPECT_EQ(Words(w), Strings({"-d\t3"}));
}

TEST(BatchLines, AFifthWordIsCountedButNotKept) {
  BatchWords w = SplitBatchLine("-g a b c d");
  EXPECT_EQ(w.Count, 5);
  EXPECT_EQ(Words(w), Strings({"-g", "a", "b", "c"}));
  w = SplitBatchLine("-i a b c d e f");
  EXPECT_EQ(w.Count, 5);
  w = SplitBatchLine("-i a b c ");
  EXPECT_EQ(w.Count, 4);
}

TEST(BatchLines, SplitIntoLinesAtCrLfOrLf) {
  EXPECT_EQ(app::SplitLines("a\r\nb\nc"), Strings({"a", "b", "c"}));
  EXPECT_EQ(app::SplitLines("a\r\n"), Strings({"a"}));
  EXPECT_EQ(app::SplitLines(""), Strings({}));
  EXPECT_EQ(app::SplitLines("\n\nx\r\n"), Strings({"", "", "x"}));
  // A lone CR inside a line is part of it; bytes stay as they are.
  EXPECT_EQ(app::SplitLines("a\rb\n\xE9t\xE9"), Strings({"a\rb", "\xE9t\xE9"}));
}

// ------------------------------------------------------------ argument rows

// A command state on an empty configuration (no installation).
struct ParsedCommand {
  CommandState State;
  explicit ParsedCommand(const Strings& words) {
    State.Library = std::make_unique<SceneryLibrary>();
    State.Library->SimulatorFolder = "C:\\FS9\\";
    app::ReadCommandLine(State, words);
  }
  app::ParseOutcome Parse() { return app::ParseCommand(State).Outcome; }
};

TEST(ArgumentRows, WordCountsAndOptionWords) {
  EXPECT_EQ(ParsedCommand({}).Parse(), app::ParseOutcome::Invalid);
  EXPECT_EQ(ParsedCommand({"-g"}).Parse(), app::ParseOutcome::Ok);
  EXPECT_EQ(ParsedCommand({"-G"}).Parse(), app::ParseOutcome::Ok);  // lower-cased on the command line
  EXPECT_EQ(ParsedCommand({"-g", "extra"}).Parse(), app::ParseOutcome::Invalid);
  EXPECT_EQ(ParsedCommand({"-s"}).Parse(), app::ParseOutcome::Ok);
  EXPECT_EQ(ParsedCommand({"-di"}).Parse(), app::ParseOutcome::Ok);
  EXPECT_EQ(ParsedCommand({"-q"}).Parse(), app::ParseOutcome::Invalid);
  EXPECT_EQ(ParsedCommand({"-d"}).Parse(), app::ParseOutcome::Invalid);
  EXPECT_EQ(ParsedCommand({"-d", "1", "2"}).Parse(), app::ParseOutcome::Invalid);
}

TEST(ArgumentRows, LayerNumbersAreStrict) {
  ParsedCommand md({"-md", "0x10"});
  EXPECT_EQ(md.Parse(), app::ParseOutcome::Ok);
  EXPECT_EQ(md.State.Arguments.Layer, 16);
  EXPECT_THROW(ParsedCommand({"-md", "abc"}).Parse(), FatalError);
  EXPECT_THROW(ParsedCommand({"-t", ""}).Parse(), FatalError);
  // A wrong word count is refused before the number is read.
  EXPECT_EQ(ParsedCommand({"-md", "abc", "x"}).Parse(), app::ParseOutcome::Invalid);
}

TEST(ArgumentRows, SwitchIsTrueOnlyForTheWordOne) {
  ParsedCommand x1({"-x", "1"});
  EXPECT_EQ(x1.Parse(), app::ParseOutcome::Ok);
  EXPECT_TRUE(x1.State.Arguments.AutoRemove);
  for (const char* word : {"0", "2", "01", "true", "0x1"}) {
    ParsedCommand x({"-x", word});
    EXPECT_EQ(x.Parse(), app::ParseOutcome::Ok);
    EXPECT_FALSE(x.State.Arguments.AutoRemove) << word;
  }
}

TEST(ArgumentRows, BglFilterAndVersion) {
  ParsedCommand ok({"-v-", "5", "9", "0x3fff"});
  EXPECT_EQ(ok.Parse(), app::ParseOutcome::Ok);
  EXPECT_EQ(ok.State.Arguments.Layer, 5);
  EXPECT_EQ(ok.State.Arguments.Version, 9);
  EXPECT_EQ(ok.State.Arguments.Filter, 16383);
  EXPECT_EQ(ParsedCommand({"-v+", "5", "0", "0"}).Parse(), app::ParseOutcome::Ok);
  EXPECT_EQ(ParsedCommand({"-v-", "5", "9", "16384"}).Parse(), app::ParseOutcome::Invalid);
  EXPECT_EQ(ParsedCommand({"-v-", "5", "9", "-1"}).Parse(), app::ParseOutcome::Invalid);
  EXPECT_EQ(ParsedCommand({"-v-", "5", "9", "abc"}).Parse(), app::ParseOutcome::Invalid);
  EXPECT_EQ(ParsedCommand({"-v-", "5", "abc", "1"}).Parse(), app::ParseOutcome::Invalid);
  for (const char* version : {"6", "7", "10"})
    EXPECT_EQ(ParsedCommand({"-v-", "5", version, "1"}).Parse(), app::ParseOutcome::Ok) << version;
  for (const char* version : {"8", "5", "-1", "11"})
    EXPECT_EQ(ParsedCommand({"-v+", "5", version, "1"}).Parse(), app::ParseOutcome::Invalid) << version;
  EXPECT_THROW(ParsedCommand({"-v-", "x", "9", "1"}).Parse(), FatalError);
}

TEST(ArgumentRows, EachArgumentGoesIntoTheFieldNamedForIt) {
  ParsedCommand copy({"-c", "C:/no/source", "%f\\new", "2"});
  EXPECT_EQ(copy.Parse(), app::ParseOutcome::NoFolder);  // the source must exist as written
  EXPECT_EQ(copy.State.Arguments.SourceFolder, "c:\\no\\source");  // lower-cased
  EXPECT_EQ(copy.State.Arguments.DestFolder, "C:\\FS9\\new");
  EXPECT_EQ(copy.State.Arguments.Overwrite, 2);
  EXPECT_EQ(copy.State.Arguments.Layer, -1);  // an overwrite mode is no layer
  EXPECT_EQ(copy.State.Arguments.Folder, "");
  // A message is no path: its '/' stay, and it is not looked for on disk.
  ParsedCommand pause({"-p", "see %f/readme"});
  EXPECT_EQ(pause.Parse(), app::ParseOutcome::Ok);
  EXPECT_EQ(pause.State.Arguments.Message, "see C:\\FS9\\/readme");
  EXPECT_EQ(pause.State.Arguments.Folder, "");
  ParsedCommand find({"-ft", "My Title", "1"});
  EXPECT_EQ(find.Parse(), app::ParseOutcome::Ok);
  EXPECT_EQ(find.State.Arguments.Title, "my title");
  EXPECT_TRUE(find.State.Arguments.Activate);
  EXPECT_FALSE(find.State.Arguments.AutoRemove);
}

TEST(ArgumentRows, ParseResetsTheArgumentsOfTheLastCommand) {
  ParsedCommand p({"-md", "3"});
  EXPECT_EQ(p.Parse(), app::ParseOutcome::Ok);
  app::ReadCommandLine(p.State, {"-s"});
  EXPECT_EQ(p.Parse(), app::ParseOutcome::Ok);
  EXPECT_EQ(p.State.Arguments.Layer, -1);
  EXPECT_STREQ(p.State.Parsed->Word, "-s");
}

TEST(CommandLine, AtMostFourWordsAllLowerCased) {
  CommandState s;
  app::ReadCommandLine(s, {"-I", "Path \xCE\xA9", "My TITLE \xC3\x89t\xC3\xA9", "3", "extra"});
  EXPECT_EQ(s.ArgCount, 4);
  EXPECT_EQ(s.Args[1], "-i");
  EXPECT_EQ(s.Args[2], "path \xCF\x89");                   // Ω beyond 1252 too
  EXPECT_EQ(s.Args[3], "my title \xC3\xA9t\xC3\xA9");
  EXPECT_EQ(s.Args[4], "3");
}

TEST(Settings, KeysOfSectionMain) {
  CommandState s;
  app::ApplySettings(s, "[Main]\r\nForceVersion=9\r\nRenameExtension=off\r\n");
  EXPECT_EQ(s.ForceVersion, 9);
  EXPECT_EQ(s.RenameExtension, ".off");
  app::ApplySettings(s, "[main]\nforceversion=$a\nRenameExtension=.old\n");
  EXPECT_EQ(s.ForceVersion, 10);
  EXPECT_EQ(s.RenameExtension, ".old");
  app::ApplySettings(s, "[Main]\nForceVersion=abc\nRenameExtension=\n");
  EXPECT_EQ(s.ForceVersion, -1);
  EXPECT_EQ(s.RenameExtension, ".~bgl");
  app::ApplySettings(s, "[Other]\nForceVersion=9\n");
  EXPECT_EQ(s.ForceVersion, -1);
  app::ApplySettings(s, "");
  EXPECT_EQ(s.RenameExtension, ".~bgl");
}

TEST(Settings, LockTimeoutInSecondsAndItsDefault) {
  CommandState s;
  EXPECT_EQ(s.LockTimeout, 60);
  const std::pair<const char*, int32_t> cases[] = {
      {"[Main]\r\nLockTimeout=5\r\n", 5},     {"[Main]\r\nLockTimeout=0\r\n", 0},
      {"[main]\r\nlocktimeout=0x10\r\n", 16}, {"[Main]\r\nLockTimeout=-1\r\n", 60},
      {"[Main]\r\nLockTimeout=abc\r\n", 60},  {"[Main]\r\nLockTimeout=\r\n", 60},
      {"[Main]\r\nLockTimeout=1.5\r\n", 60},  {"[Other]\r\nLockTimeout=5\r\n", 60},
  };
  for (const auto& [ini, expected] : cases) {
    s.LockTimeout = 7;  // a value left from before must not survive
    app::ApplySettings(s, ini);
    EXPECT_EQ(s.LockTimeout, expected) << ini;
  }
}

TEST(UserBatch, AsksOnlyWithoutExactlyFourWords) {
  CommandState s;
  auto words = [&](std::vector<std::string> w) {
    s.ArgCount = static_cast<int32_t>(w.size());
    s.Args = {};
    for (size_t i = 0; i < w.size(); ++i) s.Args[i + 1] = w[i];
    return app::AsksForFolderAndTitle(s);
  };
  EXPECT_TRUE(words({"-bu"}));
  EXPECT_TRUE(words({"-bu", "x.txt"}));
  EXPECT_TRUE(words({"-bu", "x.txt", "folder"}));
  EXPECT_FALSE(words({"-bu", "x.txt", "folder", "title"}));
  EXPECT_FALSE(words({"-b", "x.txt"}));
  EXPECT_FALSE(words({}));
  s.BatchMode = true;  // a "-bu" inside a batch is refused before it could ask
  EXPECT_FALSE(words({"-bu", "x.txt"}));
}

TEST(Settings, SimulatorIsTakenAsWrittenAndForgottenWhenAbsent) {
  CommandState s;
  app::ApplySettings(s, "[Main]\r\nForceVersion=9\r\nSimulator= p3dv5 \r\n");
  EXPECT_EQ(s.SimulatorName, "p3dv5");  // checked when the installation is located
  EXPECT_EQ(s.ForceVersion, 9);
  app::ApplySettings(s, "[Main]\r\nsimulator=\"FSX-SE\"\r\n");
  EXPECT_EQ(s.SimulatorName, "FSX-SE");
  app::ApplySettings(s, "[Main]\r\nSimulator=\r\n");
  EXPECT_EQ(s.SimulatorName, "");
  app::ApplySettings(s, "[Main]\r\nSimulator=FS9\r\n");
  app::ApplySettings(s, "[Other]\r\nSimulator=FS9\r\n");
  EXPECT_EQ(s.SimulatorName, "");
}

}  // namespace
