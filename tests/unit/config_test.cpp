// scenery.cfg in memory: loading, the written form, saving with a backup, and
// construction from an installation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_prefix.h"
#include "scenery/library.h"

namespace ts = testing_support;
namespace fs = std::filesystem;

namespace {

// One prefix for the whole program, with FS9 registered at C:\FS9: the host
// layer reads the prefix's registry once per process.
ts::TestPrefix* gPrefix = nullptr;

class PrefixEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    gPrefix = new ts::TestPrefix();
    gPrefix->MakeFS9("[General]\r\nTitle=t\r\nDescription=d\r\nClean_on_Exit=TRUE\r\n");
    setenv("WINEPREFIX", gPrefix->Prefix().c_str(), 1);
    setenv("HOME", gPrefix->Home().c_str(), 1);
  }
  void TearDown() override {
    delete gPrefix;
    gPrefix = nullptr;
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PrefixEnvironment);

std::string Crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

std::string RoundTrip(const std::string& text) {
  SceneryLibrary cfg;
  cfg.LoadFromText(text);
  return cfg.SaveToText();
}

std::string LoadError(const std::string& text) {
  SceneryLibrary cfg;
  try {
    cfg.LoadFromText(text);
  } catch (const FatalError& e) {
    return e.what();
  }
  return "(no error)";
}

// No write permission bit at all: read-only as Windows shows it.
void ReadOnly(const std::string& hostPath) {
  fs::permissions(hostPath, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

const std::string kGeneral = "[General]\r\nTitle=FS\r\nDescription=Data\r\nClean_on_Exit=TRUE\r\n";

// ------------------------------------------------------------ written form

// The canonical form of a stock file, derived by the rules: blank lines go,
// every area gets an empty Remote after Required (the stock areas have their
// keys in the written order already and no Exclude), lines end in CR LF.
std::string CanonicalStock(const std::string& file) {
  std::istringstream in(file);
  std::string line, out;
  bool inArea = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line[0] == '[') inArea = line != "[General]";
    out += line + "\r\n";
    if (inArea && line.rfind("Required=", 0) == 0) out += "Remote=\r\n";
  }
  return out;
}

TEST(WrittenForm, StockFilesRoundTripToTheirCanonicalForm) {
  for (const char* name : {"fsx-stock-scenery.cfg", "fsx-stock-ids-scenery.cfg"}) {
    const std::string file = ts::ReadFile(ts::StockCfgPath(name));
    ASSERT_FALSE(file.empty()) << name;
    SceneryLibrary cfg;
    cfg.LoadFromText(file);
    EXPECT_EQ(cfg.Sections.size(), 121u + (std::string(name).find("ids") != std::string::npos ? 4 : 0));
    EXPECT_EQ(cfg.SaveToText(), CanonicalStock(file)) << name;
    // The written form is a fixed point.
    EXPECT_EQ(RoundTrip(cfg.SaveToText()), cfg.SaveToText()) << name;
  }
}

TEST(WrittenForm, AreaKeysInTableOrderWithCanonicalValues) {
  const std::string in =
      "; comment\r\n"
      "[Area.001]\r\n"
      "Exclude=x.bgl\r\nRequired=0\r\nActive=1\r\nLayer=007\r\nLocal=Addon\\A\r\n"
      "Texture_ID=5\r\nTitle=A\r\nFoo=bar\r\n\r\n"
      "[Area.002]\r\nTitle=B\r\nLocal=B\r\nLayer=$0A\r\nActive=true\r\nRequired=False\r\n"
      "Exclude=\r\nRemote=r\r\n"
      "[Area.003]\r\nTitle=C\r\nLocal=C\r\nLayer=-5\r\nActive=2\r\nRequired=TRUE\r\n";
  EXPECT_EQ(RoundTrip(in),
            Crlf({"[Area.001]", "Title=A", "Texture_ID=5", "Local=Addon\\A", "Layer=7", "Active=TRUE",
                  "Required=FALSE", "Remote=", "Exclude=x.bgl", "Foo=bar", "[Area.002]", "Title=B",
                  "Local=B", "Layer=10", "Active=TRUE", "Required=FALSE", "Remote=r",
                  "[Area.003]", "Title=C", "Local=C", "Layer=-5", "Active=TRUE",
                  "Required=TRUE", "Remote="}));
}

// Without a Texture_ID of its own only the world area spelled exactly so
// gets one; one read is written back with its value, wherever it stood.
TEST(WrittenForm, TextureIdAsReadElseOneForSceneryWorldSpelledExactly) {
  const std::string in =
      "[Area.001]\r\nTitle=W\r\nLocal=Scenery\\World\r\nLayer=1\r\nActive=1\r\nRequired=1\r\n"
      "[Area.002]\r\nTitle=w\r\nLocal=scenery\\world\r\nLayer=2\r\nActive=1\r\nRequired=1\r\n"
      "[Area.003]\r\nTitle=x\r\nLocal=scenery\\world\r\nLayer=3\r\nActive=1\r\nRequired=1\r\n"
      "texture_id=1\r\n";
  EXPECT_EQ(RoundTrip(in),
            Crlf({"[Area.001]", "Title=W", "Texture_ID=1", "Local=Scenery\\World", "Layer=1",
                  "Active=TRUE", "Required=TRUE", "Remote=", "[Area.002]", "Title=w",
                  "Local=scenery\\world", "Layer=2", "Active=TRUE", "Required=TRUE", "Remote=",
                  "[Area.003]", "Title=x", "Texture_ID=1", "Local=scenery\\world", "Layer=3",
                  "Active=TRUE", "Required=TRUE", "Remote="}));
}

// Keys the program does not read (other tools' and editors') are written
// back as they were read, in their section, after the keys it writes.
TEST(WrittenForm, KeysNotReadAreKeptInTheirSectionAndOrder) {
  const std::string area = "Local=A\r\nLayer=1\r\nActive=TRUE\r\nRequired=FALSE\r\n";
  const std::vector<std::string> written = {"Local=A", "Layer=1", "Active=TRUE", "Required=FALSE",
                                            "Remote="};
  auto with = [](std::vector<std::string> head, const std::vector<std::string>& middle,
                 const std::vector<std::string>& tail) {
    head.insert(head.end(), middle.begin(), middle.end());
    head.insert(head.end(), tail.begin(), tail.end());
    return Crlf(head);
  };
  const struct {
    const char* What;
    std::string In;
    std::string Out;
  } cases[] = {
      {"another tool's key in General",
       "[General]\r\nCustomKey=abc\r\nTitle=T\r\nDescription=D\r\nClean_on_Exit=TRUE\r\n",
       Crlf({"[General]", "Title=T", "Description=D", "Clean_on_Exit=TRUE", "CustomKey=abc"})},
      {"an area's own key and its Texture_ID",
       "[Area.001]\r\nTitle=A\r\nMyTool_Tag=keep me\r\n" + area + "Texture_ID=7\r\n",
       with({"[Area.001]", "Title=A", "Texture_ID=7"}, written, {"MyTool_Tag=keep me"})},
      {"the world area's Texture_ID",
       "[Area.001]\r\nTitle=W\r\nTexture_ID=9\r\nLocal=Scenery\\World\r\nLayer=1\r\n"
       "Active=TRUE\r\nRequired=TRUE\r\n",
       Crlf({"[Area.001]", "Title=W", "Texture_ID=9", "Local=Scenery\\World", "Layer=1",
             "Active=TRUE", "Required=TRUE", "Remote="})},
      {"keys of the other kind of section",
       "[General]\r\nLocal=x\r\nTitle=T\r\nLayer=5\r\nDescription=D\r\nClean_on_Exit=1\r\n"
       "Texture_ID=2\r\n[Area.001]\r\nDescription=d\r\nTitle=A\r\nClean_on_Exit=0\r\n" + area,
       Crlf({"[General]", "Title=T", "Description=D", "Clean_on_Exit=TRUE", "Local=x", "Layer=5",
             "Texture_ID=2"}) +
           with({"[Area.001]", "Title=A"}, written, {"Description=d", "Clean_on_Exit=0"})},
      {"a repeat of a key read gives way to the value written; other repeats stay",
       "[Area.001]\r\nTitle=A\r\nX=1\r\nTitle=B\r\n" + area + "Layer=9\r\nX=2\r\n",
       with({"[Area.001]", "Title=A"}, written, {"X=1", "X=2"})},
      {"empty values and the spelling of names",
       "[Area.001]\r\nTitle=A\r\nmy_key=\r\n" + area + "MiXeD Name = Some Value \r\n",
       with({"[Area.001]", "Title=A"}, written, {"my_key=", "MiXeD Name=Some Value"})},
  };
  for (const auto& c : cases) {
    const std::string out = RoundTrip(c.In);
    EXPECT_EQ(out, c.Out) << c.What;
    EXPECT_EQ(RoundTrip(out), out) << c.What;  // and they stay so
  }
}

// Sorts, moves, deletions and toggles carry each area's own keys with it.
TEST(WrittenForm, LayerOperationsCarryTheKeysOfEachArea) {
  std::string in = kGeneral;
  for (const auto& [number, layer] : std::vector<std::pair<int, int>>{{1, 3}, {2, 1}, {3, 2}, {4, 4}}) {
    const std::string n = std::to_string(number);
    in += "[Area.00" + n + "]\r\nTitle=T" + n + "\r\nTexture_ID=" + n + "\r\nLocal=L" + n +
          "\r\nLayer=" + std::to_string(layer) + "\r\nActive=TRUE\r\nRequired=FALSE\r\nTag=of " + n + "\r\n";
  }
  SceneryLibrary cfg;
  cfg.LoadFromText(in);
  cfg.SortLayers({});
  cfg.MoveLayerUp(1);
  cfg.DeleteLayer(3);  // T1
  cfg.ToggleLayer(1);
  SceneryLibrary saved;
  saved.LoadFromText(cfg.SaveToText());
  ASSERT_EQ(saved.Sections.size(), 4u);
  std::vector<std::string> seen;
  for (const Section& entry : saved.Sections) {
    const Area& rec = *entry.Record;
    if (rec.Local == "General") continue;
    const std::string n = rec.Title.substr(1);
    EXPECT_EQ(rec.TextureId, n) << rec.Title;
    ASSERT_EQ(rec.OtherKeys.size(), 1u) << rec.Title;
    EXPECT_EQ(rec.OtherKeys[0].Value, "of " + n);
    seen.push_back(entry.Name + " " + rec.Title + ":" + std::to_string(rec.Layer));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Area.001 T2:2", "Area.002 T3:1", "Area.004 T4:3"}));
}

TEST(WrittenForm, GeneralSectionInAnySpellingAndPlace) {
  const std::string in =
      "[Area.001]\r\nTitle=A\r\nLocal=A\r\nLayer=1\r\nActive=1\r\nRequired=0\r\n"
      "[GENERAL]\r\nClean_on_Exit=1\r\nDescription=Desc\r\nTitle=T\r\nLocal=ignored\r\n"
      "[Custom]\r\nTitle=C\r\nLocal=C\r\nLayer=2\r\nActive=0\r\nRequired=0\r\n";
  SceneryLibrary cfg;
  cfg.LoadFromText(in);
  ASSERT_EQ(cfg.Sections.size(), 3u);
  const Area& general = *cfg.Sections[1].Record;
  EXPECT_EQ(general.Local, "General");
  EXPECT_EQ(general.Layer, -1);
  EXPECT_TRUE(general.Required);
  EXPECT_TRUE(general.Active);
  EXPECT_EQ(general.Remote, "Desc");
  EXPECT_FALSE(cfg.IsAreaEntry(1));
  EXPECT_TRUE(cfg.IsAreaEntry(2));  // a custom name is an area
  EXPECT_EQ(cfg.SaveToText(),
            Crlf({"[Area.001]", "Title=A", "Local=A", "Layer=1", "Active=TRUE", "Required=FALSE",
                  "Remote=", "[GENERAL]", "Title=T", "Description=Desc", "Clean_on_Exit=TRUE",
                  "Local=ignored", "[Custom]", "Title=C", "Local=C", "Layer=2", "Active=FALSE", "Required=FALSE",
                  "Remote="}));
}

TEST(WrittenForm, DuplicateSectionsStayApart) {
  const std::string in =
      "[Area.001]\r\nTitle=A\r\nLocal=A\r\nLayer=1\r\nActive=1\r\nRequired=0\r\n"
      "[area.001]\r\nTitle=B\r\nLocal=B\r\nLayer=2\r\nActive=0\r\nRequired=1\r\n";
  SceneryLibrary cfg;
  cfg.LoadFromText(in);
  ASSERT_EQ(cfg.Sections.size(), 2u);
  EXPECT_EQ(cfg.Sections[1].Record->Title, "B");
  EXPECT_EQ(cfg.Sections[1].Record->Layer, 2);
  EXPECT_EQ(cfg.SaveToText(),
            Crlf({"[Area.001]", "Title=A", "Local=A", "Layer=1", "Active=TRUE", "Required=FALSE",
                  "Remote=", "[area.001]", "Title=B", "Local=B", "Layer=2", "Active=FALSE",
                  "Required=TRUE", "Remote="}));
}

TEST(WrittenForm, TenThousandAreasSurviveWhole) {
  std::string in = kGeneral;
  for (int i = 1; i <= 10000; ++i) {
    const std::string n = std::to_string(i);
    in += "[" + SceneryLibrary::AreaSectionName(i) + "]\r\nTitle=Title " + n + "\r\nLocal=Addon Scenery\\" +
          n + "\r\nLayer=" + n + "\r\nActive=TRUE\r\nRequired=FALSE\r\nRemote=\r\n";
  }
  SceneryLibrary cfg;
  cfg.LoadFromText(in);
  ASSERT_EQ(cfg.Sections.size(), 10001u);
  EXPECT_EQ(cfg.Sections.back().Name, "Area.10000");
  EXPECT_EQ(cfg.Sections.back().Record->Local, "Addon Scenery\\10000");
  EXPECT_EQ(cfg.SaveToText(), in);
}

// Each library is read in its own encoding and written back byte for byte:
// a code page 1252 file, a file with the UTF-8 mark for any simulator, and
// the UTF-8 file of Prepar3D v4-v6, whose bytes that are not UTF-8 (an older
// installer wrote 1252 into it) stay as they are.
TEST(WrittenForm, EachLibraryKeepsItsEncoding) {
  struct Case {
    const char* What;
    profile::Unmarked Unmarked;
    std::string Mark, Title, Local;  // Title and Local as the file holds them
    std::string SeenTitle;           // the title as the program holds it
  };
  const Case cases[] = {
      {"1252", profile::Unmarked::CodePage1252, "", "Z\xFCrich Caf\xE9", "Addon Scenery\\Z\xFCrich",
       "Z\xC3\xBCrich Caf\xC3\xA9"},
      {"UTF-8 with the mark", profile::Unmarked::CodePage1252, "\xEF\xBB\xBF", "Z\xC3\xBCrich \xCE\xA9mega",
       "Addon Scenery\\\xCE\xA9", "Z\xC3\xBCrich \xCE\xA9mega"},
      {"UTF-8", profile::Unmarked::Utf8, "", "\xC4\x90" "akovo \xC5\x90 \xE6\x9D\xB1\xE4\xBA\xAC M\xE1laga",
       "Addon Scenery\\\xE6\x9D\xB1\xE4\xBA\xAC", "\xC4\x90" "akovo \xC5\x90 \xE6\x9D\xB1\xE4\xBA\xAC M\xE1laga"},
  };
  for (const Case& c : cases) {
    const std::string file =
        c.Mark + Crlf({"[Area.001]", "Title=" + c.Title, "Local=" + c.Local, "Layer=1", "Active=TRUE",
                       "Required=FALSE", "Remote="});
    SceneryLibrary cfg;
    cfg.UnmarkedEncoding = c.Unmarked;
    cfg.LoadFromText(file);
    EXPECT_EQ(cfg.Sections[0].Record->Title, c.SeenTitle) << c.What;
    EXPECT_EQ(cfg.SaveToText(), file) << c.What;
  }
}

// Text coming in is stored as the file can hold it: a 1252 library loses
// the characters it has no form for, and says which.
TEST(WrittenForm, IncomingTextIsStoredInTheLibrarysEncoding) {
  struct Collected : Notices {
    void Note(const std::string& text) override { Notes.push_back(text); }
    void Fault(const std::string& text) override { Notes.push_back(text); }
    std::vector<std::string> Notes;
  } notices;
  const std::string title = "\xCE\xA9mega Z\xC3\xBCrich \xCE\xA9 \xE6\x9D\xB1";
  SceneryLibrary cfg;
  cfg.ConfigPath = "C:\\FSX\\scenery.cfg";
  cfg.Report = &notices;
  std::u32string lost;
  const std::string stored = cfg.AsStored(title, &lost);
  EXPECT_EQ(stored, "?mega Z\xC3\xBCrich ? ?");
  cfg.TellLost("title", title, stored, lost);
  ASSERT_EQ(notices.Notes.size(), 1u);
  EXPECT_EQ(notices.Notes[0], "C:\\FSX\\scenery.cfg is kept in code page 1252, which has no \xCE\xA9 (U+03A9), "
                              "\xE6\x9D\xB1 (U+6771): the title '" + title + "' is stored as '?mega Z\xC3\xBCrich ? ?'");
  cfg.TellLost("folder", "x", "x", U"");  // nothing lost, nothing told
  EXPECT_EQ(notices.Notes.size(), 1u);
  cfg.FileEncoding = profile::Encoding::Utf8;
  EXPECT_EQ(cfg.AsStored(title), title);
}

// ------------------------------------------------------------ conversion errors

TEST(LoadErrors, NameTheTextSectionAndKey) {
  const std::string good = "[Area.001]\r\nTitle=A\r\nLocal=A\r\nLayer=1\r\nActive=1\r\nRequired=0\r\n";
  EXPECT_EQ(LoadError(good + "[Area.003]\r\nLayer=3\r\nActive=yes\r\nRequired=0\r\n"),
            "'yes' is not a valid Boolean value (section [Area.003], key Active)");
  EXPECT_EQ(LoadError("[Area.002]\r\nLayer=3\r\nActive=1\r\n"),
            "the key Required is missing (section [Area.002]); it holds TRUE or FALSE");
  EXPECT_EQ(LoadError("[Area.002]\r\nActive=1\r\nRequired=1\r\n"),
            "the key Layer is missing (section [Area.002]); it holds a whole number");
  EXPECT_EQ(LoadError("[Custom]\r\nLayer=1.5\r\nActive=1\r\nRequired=1\r\n"),
            "'1.5' is not a valid integer value (section [Custom], key Layer)");
  EXPECT_EQ(LoadError("[general]\r\nClean_on_Exit=maybe\r\n"),
            "'maybe' is not a valid Boolean value (section [general], key Clean_on_Exit)");
  // Layer is converted before Active, Active before Required.
  EXPECT_EQ(LoadError("[A]\r\nLayer=x\r\nActive=y\r\nRequired=z\r\n"),
            "'x' is not a valid integer value (section [A], key Layer)");
  EXPECT_EQ(LoadError("[A]\r\nLayer=1\r\nActive=y\r\nRequired=z\r\n"),
            "'y' is not a valid Boolean value (section [A], key Active)");
}

TEST(LoadErrors, EarlierSectionsKeepTheirRecords) {
  SceneryLibrary cfg;
  EXPECT_THROW(cfg.LoadFromText("[Area.001]\r\nTitle=A\r\nLayer=1\r\nActive=1\r\nRequired=0\r\n"
                                "[Area.002]\r\nLayer=?\r\n[Area.003]\r\nLayer=3\r\n"),
               FatalError);
  ASSERT_EQ(cfg.Sections.size(), 3u);
  ASSERT_NE(cfg.Sections[0].Record, nullptr);
  EXPECT_EQ(cfg.Sections[0].Record->Title, "A");
  EXPECT_EQ(cfg.Sections[1].Record, nullptr);
  EXPECT_EQ(cfg.Sections[2].Record, nullptr);
}

TEST(Load, ReplacesSectionsAndClearsModified) {
  SceneryLibrary cfg;
  cfg.LoadFromText(kGeneral + "[Area.001]\r\nLayer=1\r\nActive=1\r\nRequired=0\r\n");
  cfg.Modified = true;
  cfg.LoadFromText(kGeneral);
  EXPECT_EQ(cfg.Sections.size(), 1u);
  EXPECT_FALSE(cfg.Modified);
  EXPECT_EQ(cfg.LastLayer, -1);  // no layer found yet
}

// ------------------------------------------------------------ files

class ConfigFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = gPrefix->C("Save");
    ts::MakeDirs(dir_);
    for (const char* name : {"/scenery.cfg", "/scenery.~cfg"}) {
      std::error_code ec;
      fs::permissions(dir_ + name, fs::perms::owner_write, fs::perm_options::add, ec);
      fs::remove(dir_ + name, ec);
    }
  }
  std::string Host(const char* name) const { return dir_ + "/" + name; }
  std::string dir_;
  const std::string target_ = "C:\\Save\\scenery.cfg";
  const std::string oldText_ = "[General]\nTitle=old\nDescription=d\nClean_on_Exit=0\n";
};

TEST_F(ConfigFiles, SaveMakesBackupOfThePreviousFile) {
  ts::WriteFile(Host("scenery.cfg"), oldText_);
  ts::WriteFile(Host("scenery.~cfg"), "earlier backup");
  SceneryLibrary cfg;
  cfg.LoadFromFile(target_);
  cfg.Sections[0].Record->Title = "new";
  cfg.Modified = true;
  cfg.ConfigPath = target_;
  cfg.SaveToFile("", true);
  EXPECT_FALSE(cfg.Modified);
  EXPECT_EQ(ts::ReadFile(Host("scenery.~cfg")), oldText_);
  EXPECT_EQ(ts::ReadFile(Host("scenery.cfg")),
            Crlf({"[General]", "Title=new", "Description=d", "Clean_on_Exit=FALSE"}));
}

TEST_F(ConfigFiles, SaveWithoutTargetWritesNoBackup) {
  SceneryLibrary cfg;
  cfg.LoadFromText(kGeneral);
  cfg.Modified = true;
  cfg.SaveToFile(target_, true);
  EXPECT_FALSE(ts::PathExists(Host("scenery.~cfg")));
  EXPECT_EQ(ts::ReadFile(Host("scenery.cfg")), kGeneral);
  EXPECT_FALSE(cfg.Modified);
}

TEST_F(ConfigFiles, SaveWithoutBackupFlagLeavesBackupAlone) {
  ts::WriteFile(Host("scenery.cfg"), oldText_);
  ts::WriteFile(Host("scenery.~cfg"), "earlier backup");
  SceneryLibrary cfg;
  cfg.LoadFromText(kGeneral);
  cfg.SaveToFile(target_, false);
  EXPECT_EQ(ts::ReadFile(Host("scenery.~cfg")), "earlier backup");
  EXPECT_EQ(ts::ReadFile(Host("scenery.cfg")), kGeneral);
}

TEST_F(ConfigFiles, ReadOnlyTargetIsRefusedBeforeAnythingChanges) {
  ts::WriteFile(Host("scenery.cfg"), oldText_);
  ts::WriteFile(Host("scenery.~cfg"), "earlier backup");
  ReadOnly(Host("scenery.cfg"));
  SceneryLibrary cfg;
  cfg.LoadFromText(kGeneral);
  cfg.Modified = true;
  try {
    cfg.SaveToFile(target_, true);
    ADD_FAILURE() << "no error";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find(target_), std::string::npos) << e.what();
  }
  EXPECT_TRUE(cfg.Modified);
  EXPECT_EQ(ts::ReadFile(Host("scenery.cfg")), oldText_);
  EXPECT_EQ(ts::ReadFile(Host("scenery.~cfg")), "earlier backup");
}

TEST_F(ConfigFiles, FailedBackupThrowsAndWritesNothing) {
  ts::WriteFile(Host("scenery.cfg"), oldText_);
  ts::WriteFile(Host("scenery.~cfg"), "earlier backup");
  ReadOnly(Host("scenery.~cfg"));  // a copy over a read-only file fails
  SceneryLibrary cfg;
  cfg.LoadFromText(kGeneral);
  cfg.Modified = true;
  try {
    cfg.SaveToFile(target_, true);
    ADD_FAILURE() << "no error";
  } catch (const FatalError& e) {
    EXPECT_STREQ(e.what(), "cannot copy C:\\Save\\scenery.cfg to C:\\Save\\scenery.~cfg: it is "
                           "read-only; scenery.cfg was not written");
  }
  EXPECT_TRUE(cfg.Modified);
  EXPECT_EQ(ts::ReadFile(Host("scenery.cfg")), oldText_);
  EXPECT_EQ(ts::ReadFile(Host("scenery.~cfg")), "earlier backup");
}

TEST_F(ConfigFiles, UnwritableFolderThrowsNamingTheFile) {
  SceneryLibrary cfg;
  cfg.LoadFromText(kGeneral);
  const std::string missing = "C:\\NoSuchFolder\\scenery.cfg";
  try {
    cfg.SaveToFile(missing, true);
    ADD_FAILURE() << "no error";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
  }
}

TEST_F(ConfigFiles, MissingFileThrowsNamingIt) {
  SceneryLibrary cfg;
  try {
    cfg.LoadFromFile("C:\\Save\\scenery.cfg");
    ADD_FAILURE() << "no error";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("C:\\Save\\scenery.cfg"), std::string::npos) << e.what();
  }
}

// ------------------------------------------------------------ locating

TEST(Locating, FindsTheFileThenLoadsIt) {
  ts::WriteFile(gPrefix->C("FS9/scenery.cfg"),
                kGeneral + "[Area.001]\r\nTitle=A\r\nLocal=A\r\nLayer=1\r\nActive=1\r\nRequired=0\r\n");
  SceneryLibrary cfg;
  cfg.Locate(InstallChoice{});
  EXPECT_EQ(cfg.ConfigPath, "C:\\FS9\\scenery.cfg");
  EXPECT_EQ(cfg.SimulatorFolder, "C:\\FS9\\");
  EXPECT_TRUE(cfg.Sections.empty());  // nothing read before the run locks the library
  cfg.LoadFromFile(cfg.ConfigPath);
  ASSERT_EQ(cfg.Sections.size(), 2u);
  EXPECT_EQ(cfg.Sections[1].Record->Title, "A");
  EXPECT_FALSE(cfg.Modified);
  EXPECT_EQ(cfg.LastLayer, -1);  // no layer found yet
}

TEST(Locating, NoFileOrAFolderGivesEmptyName) {
  const std::string file = gPrefix->C("FS9/scenery.cfg");
  fs::remove(file);
  {
    SceneryLibrary cfg;
    cfg.Locate(InstallChoice{9, ""});
    EXPECT_EQ(cfg.ConfigPath, "");
    EXPECT_EQ(cfg.SimulatorFolder, "C:\\FS9\\");
  }
  ts::MakeDirs(file);
  {
    SceneryLibrary cfg;
    cfg.Locate(InstallChoice{9, ""});
    EXPECT_EQ(cfg.ConfigPath, "");
  }
  fs::remove(file);
}

TEST(Locating, ABadValueIsMetWhenLoading) {
  ts::WriteFile(gPrefix->C("FS9/scenery.cfg"), "[Area.001]\r\nLayer=one\r\n");
  SceneryLibrary cfg;
  EXPECT_NO_THROW(cfg.Locate(InstallChoice{}));
  EXPECT_THROW(cfg.LoadFromFile(cfg.ConfigPath), FatalError);
}

}  // namespace
