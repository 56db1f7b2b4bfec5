#include "platform/posix/name_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

using plat::posix::NameTable;

namespace {

std::string UpperKey(const std::string& name) {
  std::string key = name;
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  return key;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// The names of `model` with the key `key`, sorted.
std::vector<std::string> ModelNames(const std::set<std::string>& model, const std::string& key) {
  std::vector<std::string> names;
  for (const std::string& name : model)
    if (UpperKey(name) == key) names.push_back(name);
  return names;
}

}  // namespace

TEST(NameTable, NamesEqualIgnoringCaseShareAKeyAndStayDistinct) {
  NameTable table(&UpperKey);
  table.Assign({"Scenery", "SCENERY", "texture"});
  EXPECT_TRUE(table.HasKey("SCENERY"));
  EXPECT_FALSE(table.HasKey("Scenery"));  // keys are asked in key form
  EXPECT_EQ(Sorted(table.NamesWithKey("SCENERY")), (std::vector<std::string>{"SCENERY", "Scenery"}));

  table.Add("Scenery");  // already there: stays once
  EXPECT_EQ(table.Size(), 3u);
  table.Rename("SCENERY", "texture");  // onto a name that is there: one is left
  EXPECT_EQ(table.NamesWithKey("TEXTURE"), (std::vector<std::string>{"texture"}));
  EXPECT_EQ(table.NamesWithKey("SCENERY"), (std::vector<std::string>{"Scenery"}));
  EXPECT_EQ(table.Size(), 2u);

  table.Rename("missing", "New");  // a missing name is added
  EXPECT_TRUE(table.HasKey("NEW"));
  table.Remove("nothing");
  table.Remove("Scenery");
  EXPECT_FALSE(table.HasKey("SCENERY"));
  table.Clear();
  EXPECT_EQ(table.Size(), 0u);
  EXPECT_FALSE(table.HasKey("NEW"));
}

TEST(NameTable, AnEmptyTableAnswersAndGrows) {
  NameTable table(&UpperKey);
  EXPECT_FALSE(table.HasKey("A"));
  EXPECT_TRUE(table.NamesWithKey("A").empty());
  table.Remove("a");
  for (int i = 0; i < 1000; ++i) table.Add("f" + std::to_string(i));
  EXPECT_EQ(table.Size(), 1000u);
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(table.HasKey("F" + std::to_string(i))) << i;
  EXPECT_FALSE(table.HasKey("F1000"));
}

// Random changes checked against a plain set after every step: growth, the
// slots of removed names reused and cleaned, renames moving a name's slot.
TEST(NameTable, AgreesWithAPlainSetUnderRandomChanges) {
  std::mt19937 random(12345);
  // Few distinct letters, so that names often share a key.
  auto randomName = [&random] {
    static const char letters[] = "aAbB";
    std::string name;
    const int length = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < length; ++i) name += letters[random() % 4];
    return name;
  };
  for (int round = 0; round < 4; ++round) {
    NameTable table(&UpperKey);
    std::set<std::string> model;
    std::vector<std::string> start;
    for (int i = 0; i < 60 * round; ++i) {
      std::string name = randomName();
      if (model.insert(name).second) start.push_back(name);
    }
    table.Assign(start);
    for (int step = 0; step < 20000; ++step) {
      const std::string a = randomName(), b = randomName();
      switch (random() % 4) {
        case 0:
          table.Add(a);
          model.insert(a);
          break;
        case 1:
          table.Remove(a);
          model.erase(a);
          break;
        default:
          table.Rename(a, b);
          model.erase(a);
          model.insert(b);
          break;
      }
      ASSERT_EQ(table.Size(), model.size()) << "step " << step;
      const std::string key = UpperKey(randomName());
      const std::vector<std::string> expected = ModelNames(model, key);
      ASSERT_EQ(table.HasKey(key), !expected.empty()) << key;
      ASSERT_EQ(Sorted(table.NamesWithKey(key)), expected) << key;
    }
  }
}
