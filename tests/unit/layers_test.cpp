// Layer list operations on a configuration built in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "test_prefix.h"
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "scenery/library.h"

namespace ts = testing_support;
namespace fs = std::filesystem;

namespace {

struct A {
  std::string Name;
  int32_t Layer;
  bool Active = true;
  bool Required = false;
  std::string Local = "";
  std::string Title = "";
};

void Add(SceneryLibrary& cfg, const A& a) {
  const std::string local = a.Local.empty() ? "L" + std::to_string(a.Layer) : a.Local;
  const std::string title = a.Title.empty() ? "T" + std::to_string(a.Layer) : a.Title;
  cfg.Sections.push_back(Section{
      a.Name, std::make_unique<Area>(title, local, "", a.Layer, a.Active, a.Required, "")});
}

void AddGeneral(SceneryLibrary& cfg, const std::string& name = "General") {
  cfg.Sections.push_back(
      Section{name, std::make_unique<Area>("G", "General", "", -1, true, true, "")});
}

// General first, then Area.001 .. Area.N with layers 1 .. N.
void Fill(SceneryLibrary& cfg, int n) {
  AddGeneral(cfg);
  for (int i = 1; i <= n; ++i) Add(cfg, {SceneryLibrary::AreaSectionName(i), i});
}

// "name:layer" for every entry, in list order.
std::string Dump(const SceneryLibrary& cfg) {
  std::string out;
  for (const auto& e : cfg.Sections) {
    if (!out.empty()) out += ' ';
    out += e.Name + ":" + (e.Record ? std::to_string(e.Record->Layer) : "-");
  }
  return out;
}

// "title:layer" for every area, in list order.
std::string Titles(const SceneryLibrary& cfg) {
  std::string out;
  for (size_t i = 0; i < cfg.Sections.size(); ++i) {
    if (!cfg.IsAreaEntry(i)) continue;
    if (!out.empty()) out += ' ';
    out += cfg.Sections[i].Record->Title + ":" + std::to_string(cfg.Sections[i].Record->Layer);
  }
  return out;
}

// ------------------------------------------------------------ names

TEST(AreaSectionName, ThreeDigitsAtLeastUnsigned) {
  EXPECT_EQ(SceneryLibrary::AreaSectionName(0), "Area.000");
  EXPECT_EQ(SceneryLibrary::AreaSectionName(7), "Area.007");
  EXPECT_EQ(SceneryLibrary::AreaSectionName(123), "Area.123");
  EXPECT_EQ(SceneryLibrary::AreaSectionName(1000), "Area.1000");
  EXPECT_EQ(SceneryLibrary::AreaSectionName(-1), "Area.4294967295");
}

TEST(NextFreeAreaNumber, LowestNameNotInUse) {
  SceneryLibrary cfg;
  EXPECT_EQ(cfg.NextFreeAreaNumber(), 1);
  AddGeneral(cfg);
  Add(cfg, {"Area.1", 1});     // not the form Area.001: does not block 1
  Add(cfg, {"AREA.002", 2});   // case is ignored
  EXPECT_EQ(cfg.NextFreeAreaNumber(), 1);
  Add(cfg, {"area.001", 3});
  EXPECT_EQ(cfg.NextFreeAreaNumber(), 3);
  Add(cfg, {"Area.003", 4});
  Add(cfg, {"Custom", 5});
  EXPECT_EQ(cfg.NextFreeAreaNumber(), 4);
}

TEST(NextFreeAreaNumber, OnlyTheExactFormBlocks) {
  // Each name alone, after Area.001 and Area.002: does it block 3?
  const std::pair<const char*, bool> cases[] = {
      {"Area.003", true},       {"aREA.003", true},       {"Area.\xAD""003", true},
      {"Ar\xAD""ea.003", true}, {"Area.3", false},        {"Area.0003", false},
      {"Area.003 ", false},     {"Area\x0E""003", false}, {"Area,003", false},
      {"Area.00\xB3", false},   {"\xC1rea.003", false},   {"Area.-03", false}};
  for (const auto& [name, blocks] : cases) {
    SceneryLibrary cfg;
    Add(cfg, {"Area.001", 1});
    Add(cfg, {"Area.002", 2});
    Add(cfg, {name, 3});
    EXPECT_EQ(cfg.NextFreeAreaNumber(), blocks ? 4 : 3) << name;
  }
  // Numbers of four digits and more are written without leading zeros.
  SceneryLibrary many;
  for (int i = 1; i <= 1200; ++i) Add(many, {SceneryLibrary::AreaSectionName(i), i});
  Add(many, {"Area.01201", 1201});
  EXPECT_EQ(many.NextFreeAreaNumber(), 1201);
  Add(many, {"AREA.1201", 1202});
  EXPECT_EQ(many.NextFreeAreaNumber(), 1202);
}

// ------------------------------------------------------------ finds

TEST(Finds, PathIgnoresCaseAndDropsOneTrailingBackslash) {
  SceneryLibrary cfg;
  Fill(cfg, 3);
  cfg.Sections[2].Record->Local = "Addon Scenery\\My";
  cfg.Sections[3].Record->Local = "Addon Scenery\\Slash\\";
  std::string path = "addon scenery\\MY\\";
  EXPECT_EQ(cfg.FindLayerByPath(path, false), 2);
  EXPECT_EQ(path, "addon scenery\\MY");  // the caller's path lost its backslash
  EXPECT_EQ(cfg.LastLayer, 2);
  EXPECT_FALSE(cfg.Modified);

  // A stored Local ending in a backslash is found by either form.
  for (std::string p : {"Addon Scenery\\Slash\\", "Addon Scenery\\Slash"})
    EXPECT_EQ(cfg.FindLayerByPath(p, false), 3) << p;
  std::string other = "Addon Scenery\\Other";
  EXPECT_EQ(cfg.FindLayerByPath(other, false), -1);
  EXPECT_EQ(cfg.LastLayer, -1);
}

TEST(Finds, FirstMatchWinsAndGeneralIsNeverFound) {
  SceneryLibrary cfg;
  Fill(cfg, 3);
  cfg.Sections[2].Record->Title = "Same";
  cfg.Sections[3].Record->Title = "same";
  EXPECT_EQ(cfg.FindLayerByTitle("SAME", false), 2);
  EXPECT_EQ(cfg.FindLayerByTitle("G", false), -1);
  std::string general = "General";
  EXPECT_EQ(cfg.FindLayerByPath(general, false), -1);
}

TEST(Finds, ActivateUsesActivateLayerAndClearsLastLayer) {
  SceneryLibrary cfg;
  Fill(cfg, 3);
  cfg.Sections[2].Record->Active = false;
  EXPECT_EQ(cfg.FindLayerByTitle("T2", true), 2);
  EXPECT_TRUE(cfg.Sections[2].Record->Active);
  EXPECT_TRUE(cfg.Modified);
  EXPECT_EQ(cfg.LastLayer, -1);
  // So a following operation given -1 does nothing.
  EXPECT_FALSE(cfg.DeleteLayer(-1));
  EXPECT_EQ(cfg.Sections.size(), 4u);

  SceneryLibrary other;
  Fill(other, 2);
  std::string missing = "nope";
  EXPECT_EQ(other.FindLayerByPath(missing, true), -1);
  EXPECT_FALSE(other.Modified);
}

// ------------------------------------------------------------ LastLayer

TEST(LastLayer, ARememberedLayerServesOneOperation) {
  SceneryLibrary cfg;
  Fill(cfg, 4);
  std::string path = "L3";
  ASSERT_EQ(cfg.FindLayerByPath(path, false), 3);
  cfg.MoveLayerDown(-1);
  EXPECT_EQ(Titles(cfg), "T1:1 T2:3 T3:2 T4:4");
  EXPECT_EQ(cfg.LastLayer, -1);
  cfg.Modified = false;
  cfg.MoveLayerDown(-1);
  EXPECT_EQ(Titles(cfg), "T1:1 T2:3 T3:2 T4:4");
  EXPECT_FALSE(cfg.Modified);
}

TEST(LastLayer, EveryLookupByNumberClearsIt) {
  SceneryLibrary cfg;
  Fill(cfg, 3);
  cfg.LastLayer = 2;
  EXPECT_EQ(cfg.IndexOfLayer(3), 3);
  EXPECT_EQ(cfg.LastLayer, -1);
  cfg.LastLayer = 2;
  cfg.ActivateLayer(-1);  // no -1 rule: finds nothing
  EXPECT_EQ(cfg.LastLayer, -1);
  EXPECT_FALSE(cfg.Modified);
  cfg.LastLayer = 2;
  cfg.ToggleLayer(99);
  EXPECT_EQ(cfg.LastLayer, -1);
}

TEST(LastLayer, IndexOfLayerNeverFindsMinusOne) {
  SceneryLibrary cfg;
  Fill(cfg, 2);
  cfg.Sections[1].Record->Layer = -1;
  EXPECT_EQ(cfg.IndexOfLayer(-1), -1);
  cfg.LastLayer = -1;
  cfg.ActivateLayer(-1);
  EXPECT_FALSE(cfg.Modified);
}

TEST(LastLayer, DeleteByTitleOfRequiredAreaLeavesMinusOne) {
  SceneryLibrary cfg;
  Fill(cfg, 3);
  cfg.Sections[3].Record->Required = true;
  cfg.LastLayer = 2;
  EXPECT_FALSE(cfg.DeleteLayerByTitle("T3"));
  EXPECT_EQ(cfg.LastLayer, -1);
  EXPECT_FALSE(cfg.Modified);
  EXPECT_EQ(cfg.Sections.size(), 4u);
  cfg.LastLayer = 2;
  EXPECT_FALSE(cfg.DeleteLayerByTitle("nothing"));
  EXPECT_EQ(cfg.LastLayer, -1);
}

// ------------------------------------------------------------ sort

TEST(SortLayers, RenamesByLayerAndPutsGeneralLast) {
  SceneryLibrary cfg;
  AddGeneral(cfg);
  Add(cfg, {"Area.005", 2, true, false, "", "B"});
  Add(cfg, {"Area.001", 1, true, false, "", "A"});
  Add(cfg, {"Custom", 3, true, false, "", "C"});
  cfg.SortLayers();
  EXPECT_EQ(Dump(cfg), "Area.001:1 Area.002:2 Area.003:3 General:-1");
  EXPECT_EQ(Titles(cfg), "A:1 B:2 C:3");
  EXPECT_TRUE(cfg.Modified);
}

TEST(SortLayers, NumbersCompareAsNumbersAndEqualNumbersKeepTheirOrder) {
  // The old layer numbers decide, whatever their count of digits.
  for (int n : {1200, 100000}) {
    SceneryLibrary cfg;
    AddGeneral(cfg);
    for (int i = n; i >= 1; --i) Add(cfg, {SceneryLibrary::AreaSectionName(n + 1 - i), i});
    cfg.SortLayers();
    for (int i = 1; i <= n; ++i) {
      const Section& entry = cfg.Sections[static_cast<size_t>(i - 1)];
      ASSERT_EQ(entry.Record->Title, "T" + std::to_string(i)) << n;
      ASSERT_EQ(entry.Record->Layer, i);
      ASSERT_EQ(entry.Name, SceneryLibrary::AreaSectionName(i));
    }
    EXPECT_EQ(cfg.Sections.back().Name, "General");
  }

  // Equal numbers keep their list order; negative numbers go to the bottom.
  SceneryLibrary dup;
  for (const char* t : {"d", "c", "b", "a"}) Add(dup, {"Area.00" + std::string(t), 5, true, false, "", t});
  Add(dup, {"X", 1, true, false, "", "first"});
  Add(dup, {"Y", -7, true, false, "", "minus"});
  Add(dup, {"Z", 1000, true, false, "", "top"});
  dup.SortLayers();
  EXPECT_EQ(Titles(dup), "minus:1 first:2 d:3 c:4 b:5 a:6 top:7");
}

// Sections without a record keep their place by name among the areas'
// new names; the General section goes last.
TEST(SortLayers, OtherSectionsByNameAmongTheAreas) {
  SceneryLibrary cfg;
  AddGeneral(cfg, "GENERAL");
  Add(cfg, {"Area.x", 3, true, false, "", "c"});
  cfg.Sections.push_back(Section{"Area.0015", nullptr});
  Add(cfg, {"Area.y", 1, true, false, "", "a"});
  Add(cfg, {"Area.z", 2, true, false, "", "b"});
  cfg.Sections.push_back(Section{"Aaa", nullptr});
  cfg.SortLayers();
  // (The areas take the numbers 1..N in their order.)
  EXPECT_EQ(Dump(cfg), "Aaa:- Area.001:1 Area.0015:- Area.002:2 Area.003:3 GENERAL:-1");
}

// Libraries with add-on package components that stand among the areas by
// their <Layer>: what a sort makes of the areas' numbers (each area stays on
// its side of each component; an area of a component's number is above it),
// and the number an insert on top takes.
const struct PackageShape {
  const char* What;
  std::vector<int> Layers;      // the areas', in list order after General
  std::vector<int> Components;  // sorted
  std::vector<int> Sorted;      // the areas' numbers after the sort, bottom first
  int OnTop;                    // the layer of a new area inserted with -1
} kPackageShapes[] = {
    {"no components: 1..N", {3, 9, 7}, {}, {1, 2, 3}, 10},
    {"areas above a component", {50, 80, 60, 70}, {45}, {45, 46, 47, 48}, 81},
    {"areas below a component", {1, 35, 2}, {45}, {1, 2, 3}, 46},
    {"areas on both sides", {1, 2, 3, 50, 60}, {45}, {1, 2, 3, 45, 46}, 61},
    {"components among areas numbered 1..N", {1, 2, 3, 4, 5}, {2, 4}, {1, 2, 3, 4, 5}, 6},
    {"an area of a component's number", {45}, {45}, {45}, 46},
    {"components between every area", {30, 20, 10}, {15, 25}, {1, 15, 25}, 31},
    {"no room between: the areas share", {1, 1, 1, 9}, {2}, {1, 1, 1, 2}, 10},
    {"below 1 under a component at 1", {-3, 5}, {1}, {0, 1}, 6},
};

TEST(SortLayers, EachAreaStaysOnItsSideOfEveryPackageComponent) {
  for (const PackageShape& shape : kPackageShapes) {
    SceneryLibrary cfg;
    AddGeneral(cfg);
    int number = 1;
    for (int layer : shape.Layers) Add(cfg, {SceneryLibrary::AreaSectionName(number++), layer});
    cfg.SortLayers(std::vector<int32_t>(shape.Components.begin(), shape.Components.end()));
    std::vector<int> sorted;
    std::vector<int> oldLayers;
    bool shared = false;
    for (size_t i = 0; i < cfg.Sections.size(); ++i) {
      if (!cfg.IsAreaEntry(i)) continue;
      const Area& rec = *cfg.Sections[i].Record;
      sorted.push_back(rec.Layer);
      oldLayers.push_back(std::stoi(rec.Title.substr(1)));
      shared = shared || (sorted.size() > 1 && sorted[sorted.size() - 2] == rec.Layer);
    }
    EXPECT_EQ(sorted, shape.Sorted) << shape.What;
    EXPECT_TRUE(std::is_sorted(oldLayers.begin(), oldLayers.end())) << shape.What;
    // Every section keeps a name of its own: the number's, else the place's.
    for (size_t k = 0; k < sorted.size(); ++k)
      EXPECT_EQ(cfg.Sections[k].Name,
                SceneryLibrary::AreaSectionName(shared || sorted[0] < 1 ? int(k + 1) : sorted[k]))
          << shape.What;
    EXPECT_EQ(cfg.Sections.back().Name, "General");
  }
}

TEST(SortLayers, EmptyListStillSetsModified) {
  SceneryLibrary cfg;
  cfg.SortLayers();
  EXPECT_TRUE(cfg.Modified);
}

// ------------------------------------------------------------ move

TEST(Move, SwapsLayerNumbersOnly) {
  SceneryLibrary cfg;
  Fill(cfg, 3);
  cfg.MoveLayerUp(2);
  EXPECT_EQ(Dump(cfg), "General:-1 Area.001:1 Area.002:3 Area.003:2");
  EXPECT_TRUE(cfg.Modified);
  cfg.MoveLayerDown(3);
  EXPECT_EQ(Dump(cfg), "General:-1 Area.001:1 Area.002:2 Area.003:3");
}

TEST(Move, AtTheEndsNothingChanges) {
  SceneryLibrary cfg;
  Fill(cfg, 3);
  cfg.MoveLayerDown(1);
  cfg.MoveLayerUp(3);
  cfg.MoveLayerUp(99);
  EXPECT_EQ(Dump(cfg), "General:-1 Area.001:1 Area.002:2 Area.003:3");
  EXPECT_FALSE(cfg.Modified);
}

// ------------------------------------------------------------ delete

TEST(Delete, ClosesTheGapAndKeepsSectionNames) {
  SceneryLibrary cfg;
  Fill(cfg, 5);
  EXPECT_TRUE(cfg.DeleteLayer(3));
  EXPECT_EQ(Dump(cfg), "General:-1 Area.001:1 Area.002:2 Area.004:3 Area.005:4");
  EXPECT_TRUE(cfg.Modified);
  EXPECT_EQ(cfg.NextFreeAreaNumber(), 3);
}

TEST(Delete, RequiredOrMissingChangesNothing) {
  SceneryLibrary cfg;
  Fill(cfg, 3);
  cfg.Sections[2].Record->Required = true;
  EXPECT_FALSE(cfg.DeleteLayer(2));
  EXPECT_FALSE(cfg.DeleteLayer(7));
  EXPECT_FALSE(cfg.DeleteLayer(-1));  // LastLayer is 0 at the start, no area 0
  EXPECT_EQ(cfg.Sections.size(), 4u);
  EXPECT_FALSE(cfg.Modified);
}

TEST(Delete, ByTitleClosesGap) {
  SceneryLibrary cfg;
  Fill(cfg, 4);
  EXPECT_TRUE(cfg.DeleteLayerByTitle("t2"));
  EXPECT_EQ(Titles(cfg), "T1:1 T3:2 T4:3");
  EXPECT_EQ(cfg.LastLayer, -1);
  EXPECT_TRUE(cfg.Modified);
}

TEST(Delete, RemoveEntryAtWithoutClosingTheGap) {
  SceneryLibrary cfg;
  Fill(cfg, 3);
  cfg.Sections[2].Record->Layer = 0;
  cfg.RemoveEntryAt(2, false);
  EXPECT_EQ(Dump(cfg), "General:-1 Area.001:1 Area.003:3");
  EXPECT_TRUE(cfg.Modified);
  cfg.RemoveEntryAt(1, true);
  EXPECT_EQ(Dump(cfg), "General:-1 Area.003:2");
}

TEST(DeleteInactive, KeepsOrderAndNumbering) {
  SceneryLibrary cfg;
  Fill(cfg, 6);
  cfg.Sections[3].Record->Active = false;
  cfg.Sections[5].Record->Active = false;
  cfg.Sections[0].Record->Active = false;  // General: required, never removed
  cfg.Sections[1].Record->Active = false;
  cfg.Sections[1].Record->Required = true;
  cfg.DeleteInactiveLayers();
  EXPECT_EQ(Titles(cfg), "T1:1 T2:2 T4:3 T6:4");
  EXPECT_EQ(cfg.Sections[0].Name, "General");
  EXPECT_TRUE(cfg.Modified);

  SceneryLibrary none;
  Fill(none, 3);
  none.DeleteInactiveLayers();
  EXPECT_FALSE(none.Modified);
}

// The one-by-one algorithm: remove, close the gap, look at the same position.
void DeleteInactiveOneByOne(SceneryLibrary& cfg) {
  size_t i = 0;
  while (i < cfg.Sections.size()) {
    const auto& rec = cfg.Sections[i].Record;
    if (cfg.IsAreaEntry(i) && !rec->Active && !rec->Required) {
      const int32_t layer = rec->Layer;
      cfg.Sections.erase(cfg.Sections.begin() + static_cast<long>(i));
      cfg.CloseLayerGap(layer);
    } else {
      ++i;
    }
  }
}

TEST(DeleteInactive, EqualsOneByOneWithDuplicatesAndGaps) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 400; ++round) {
    SceneryLibrary fast, slow;
    const int n = 1 + static_cast<int>(rng() % 25);
    const int span = 1 + static_cast<int>(rng() % 12);  // small span: many duplicates
    for (SceneryLibrary* cfg : {&fast, &slow}) AddGeneral(*cfg);
    std::mt19937 copy = rng;
    for (SceneryLibrary* cfg : {&fast, &slow}) {
      std::mt19937 r = copy;
      for (int i = 0; i < n; ++i) {
        const int32_t layer = static_cast<int32_t>(r() % span) - 1;
        const bool active = r() % 3 == 0;
        const bool required = r() % 5 == 0;
        Add(*cfg, {"A" + std::to_string(i), layer, active, required, "", "t" + std::to_string(i)});
      }
      rng = r;
    }
    fast.DeleteInactiveLayers();
    DeleteInactiveOneByOne(slow);
    ASSERT_EQ(Dump(fast), Dump(slow)) << "round " << round;
  }
}

// ------------------------------------------------------------ activate, toggle

TEST(ActivateToggle, Rules) {
  SceneryLibrary cfg;
  Fill(cfg, 2);
  cfg.ActivateLayer(1);  // active already: still a change
  EXPECT_TRUE(cfg.Modified);
  cfg.Modified = false;

  cfg.ToggleLayer(2);
  EXPECT_FALSE(cfg.Sections[2].Record->Active);
  cfg.ToggleLayer(2);
  EXPECT_TRUE(cfg.Sections[2].Record->Active);
  EXPECT_TRUE(cfg.Modified);

  cfg.Modified = false;
  cfg.Sections[1].Record->Required = true;
  cfg.ToggleLayer(1);
  EXPECT_TRUE(cfg.Sections[1].Record->Active);
  EXPECT_FALSE(cfg.Modified);

  cfg.Sections[1].Record->Active = false;
  cfg.ActivateLayer(1);  // a required area can be activated
  EXPECT_TRUE(cfg.Sections[1].Record->Active);
  EXPECT_TRUE(cfg.Modified);
}

TEST(ActivateToggle, ToggleTakesLastLayer) {
  SceneryLibrary cfg;
  Fill(cfg, 3);
  ASSERT_EQ(cfg.FindLayerByTitle("T3", false), 3);
  cfg.ToggleLayer(-1);
  EXPECT_FALSE(cfg.Sections[3].Record->Active);
  cfg.ToggleLayer(-1);
  EXPECT_FALSE(cfg.Sections[3].Record->Active);
}

// ------------------------------------------------------------ insert

// An FS9 folder at C:\FS9 in a throwaway prefix; WINEPREFIX points at it.
class Insert : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    prefix_ = new ts::TestPrefix();
    setenv("WINEPREFIX", prefix_->Prefix().c_str(), 1);
    setenv("HOME", prefix_->Home().c_str(), 1);
    plat::posix::ResetCaches();  // the finds above looked at the disk without a prefix
    for (const char* d : {"FS9/Addon Scenery/My/scenery", "FS9/Addon Scenery/Other/scenery",
                          "FS9/Addon Scenery/Bare", "Elsewhere/Far/scenery",
                          "Cwd/Local/scenery", "Cwd/Addon Scenery/Both/scenery",
                          "FS9/Addon Scenery/Both/scenery"})
      ts::MakeDirs(prefix_->C(d));
  }
  static void TearDownTestSuite() {
    fs::current_path(fs::temp_directory_path());
    delete prefix_;
    prefix_ = nullptr;
  }
  void SetUp() override {
    fs::current_path(prefix_->C("Cwd"));
    cfg_.SimulatorFolder = "C:\\FS9\\";
    Fill(cfg_, 4);
  }
  static ts::TestPrefix* prefix_;
  SceneryLibrary cfg_;
};
ts::TestPrefix* Insert::prefix_ = nullptr;

TEST_F(Insert, OnTopUnderLowestFreeAreaNumber) {
  // Area.003 was deleted earlier: the areas keep layers 1 to 4.
  cfg_.Sections.clear();
  AddGeneral(cfg_);
  Add(cfg_, {"Area.001", 1});
  Add(cfg_, {"Area.002", 2});
  Add(cfg_, {"Area.004", 3});
  Add(cfg_, {"Area.005", 4});
  ASSERT_EQ(Dump(cfg_), "General:-1 Area.001:1 Area.002:2 Area.004:3 Area.005:4");
  cfg_.InsertLayer("C:\\FS9\\Addon Scenery\\My\\", "My", -1);
  ASSERT_EQ(cfg_.Sections.size(), 6u);
  const Section& added = cfg_.Sections.back();
  EXPECT_EQ(added.Name, "Area.003");
  EXPECT_EQ(added.Record->Layer, 5);
  EXPECT_EQ(added.Record->Local, "Addon Scenery\\My");
  EXPECT_EQ(added.Record->Title, "My");
  EXPECT_TRUE(added.Record->Active);
  EXPECT_FALSE(added.Record->Required);
  EXPECT_EQ(added.Record->Remote, "");
  EXPECT_TRUE(cfg_.Modified);
  EXPECT_EQ(cfg_.LastLayer, -1);
}

TEST_F(Insert, AtALayerMovesTheOthersUp) {
  Add(cfg_, {"Area.005", 5});
  cfg_.InsertLayer("Addon Scenery\\My", "My", 3);
  EXPECT_EQ(Titles(cfg_), "T1:1 T2:2 T3:4 T4:5 T5:6 My:3");
  EXPECT_EQ(cfg_.Sections[0].Record->Layer, -1);  // General untouched
  EXPECT_EQ(cfg_.Sections.back().Record->Local, "Addon Scenery\\My");
}

// -1 is on top of every area, whatever the numbering: one above the highest
// layer, never below the count of sections; the others keep their numbers.
TEST_F(Insert, MinusOneIsAboveTheHighestLayer) {
  const struct {
    std::vector<int> Layers;
    bool General;
    int Expected;
  } cases[] = {
      {{1, 2, 3, 4}, true, 5},      {{1, 2, 3, 4}, false, 5}, {{1, 2, 7, 9}, true, 10},
      {{-3, 0, 1}, true, 4},        {{500}, true, 501},       {{}, true, 1},
      {{}, false, 1},       {{-5}, false, 1},
  };
  for (const auto& c : cases) {
    SceneryLibrary cfg;
    cfg.SimulatorFolder = "C:\\FS9\\";
    if (c.General) AddGeneral(cfg);
    for (int layer : c.Layers) Add(cfg, {SceneryLibrary::AreaSectionName(layer + 10), layer});
    const std::string before = Dump(cfg);
    cfg.InsertLayer("C:\\FS9\\Addon Scenery\\My", "My", -1);
    ASSERT_EQ(cfg.Sections.size(), c.Layers.size() + (c.General ? 2 : 1));
    EXPECT_EQ(cfg.Sections.back().Record->Layer, c.Expected) << before;
    cfg.Sections.pop_back();
    EXPECT_EQ(Dump(cfg), before);
  }
}

// On top is above every package component too; the others keep their numbers.
TEST_F(Insert, MinusOneIsAboveEveryPackageComponent) {
  for (const PackageShape& shape : kPackageShapes) {
    SceneryLibrary cfg;
    cfg.SimulatorFolder = "C:\\FS9\\";
    AddGeneral(cfg);
    int number = 1;
    for (int layer : shape.Layers) Add(cfg, {SceneryLibrary::AreaSectionName(number++), layer});
    const std::string before = Dump(cfg);
    cfg.InsertLayer("C:\\FS9\\Addon Scenery\\My", "My", -1,
                    std::vector<int32_t>(shape.Components.begin(), shape.Components.end()));
    ASSERT_EQ(cfg.Sections.size(), shape.Layers.size() + 2) << shape.What;
    EXPECT_EQ(cfg.Sections.back().Record->Layer, shape.OnTop) << shape.What;
    cfg.Sections.pop_back();
    EXPECT_EQ(Dump(cfg), before);
  }
}

TEST_F(Insert, ListedFolderIsNotAddedAgain) {
  cfg_.Sections[2].Record->Local = "Addon Scenery\\My";
  for (const char* p : {"C:\\FS9\\ADDON SCENERY\\my", "c:\\fs9\\Addon Scenery\\My\\",
                        "Addon Scenery\\MY\\"}) {
    cfg_.InsertLayer(p, "x", -1);
    EXPECT_EQ(cfg_.Sections.size(), 5u) << p;
    EXPECT_EQ(cfg_.LastLayer, 2) << p;
  }
  EXPECT_FALSE(cfg_.Modified);

  // Also when the listed area's layer number is -1.
  cfg_.Sections[3].Record->Local = "Addon Scenery\\Other";
  cfg_.Sections[3].Record->Layer = -1;
  cfg_.InsertLayer("C:\\FS9\\Addon Scenery\\Other", "x", -1);
  EXPECT_EQ(cfg_.Sections.size(), 5u);
  EXPECT_FALSE(cfg_.Modified);
}

TEST_F(Insert, FolderWithoutSceneryIsNotAdded) {
  cfg_.LastLayer = 7;
  cfg_.InsertLayer("C:\\FS9\\Addon Scenery\\Bare", "x", -1);
  cfg_.InsertLayer("C:\\FS9\\Addon Scenery\\Missing", "x", 2);
  EXPECT_EQ(Titles(cfg_), "T1:1 T2:2 T3:3 T4:4");
  EXPECT_FALSE(cfg_.Modified);
  EXPECT_EQ(cfg_.LastLayer, 7);  // stopped before the find
}

TEST_F(Insert, TheSimulatorFolderItselfIsNotAdded) {
  // Its own "Scenery" folder would let it pass as a scenery folder, and it
  // would be stored with an empty folder.
  ts::MakeDirs(prefix_->C("FS9/Scenery"));
  for (const char* p : {"C:\\FS9\\", "c:\\fs9\\"}) {
    cfg_.InsertLayer(p, "fs", -1);
    EXPECT_EQ(cfg_.Sections.size(), 5u) << p;
  }
  EXPECT_FALSE(cfg_.Modified);
}

TEST_F(Insert, PathOutsideTheSimulatorFolder) {
  cfg_.InsertLayer("C:\\Elsewhere\\Far", "far", -1);
  EXPECT_EQ(cfg_.Sections.back().Record->Local, "..\\Elsewhere\\Far");
  const std::string zPath = "Z:" + prefix_->C("Elsewhere/Far");
  std::string zWin = zPath;
  for (char& c : zWin)
    if (c == '/') c = '\\';
  SceneryLibrary other;
  other.SimulatorFolder = "C:\\FS9\\";
  other.InsertLayer(zWin, "z", -1);
  ASSERT_EQ(other.Sections.size(), 1u);
  EXPECT_EQ(other.Sections[0].Record->Local, zWin);  // another drive: kept absolute
}

TEST_F(Insert, RelativePathBelowTheCurrentFolderOnly) {
  cfg_.InsertLayer("Local", "local", -1);
  ASSERT_EQ(cfg_.Sections.size(), 6u);
  EXPECT_EQ(cfg_.Sections.back().Record->Local, "..\\Cwd\\Local");
}

TEST_F(Insert, RelativePathBelowTheSimulatorFolderIsKept) {
  cfg_.InsertLayer("Addon Scenery\\Both\\", "both", -1);
  ASSERT_EQ(cfg_.Sections.size(), 6u);
  EXPECT_EQ(cfg_.Sections.back().Record->Local, "Addon Scenery\\Both");
}

}  // namespace
