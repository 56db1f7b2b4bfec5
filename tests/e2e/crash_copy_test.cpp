// A tree copy survives being killed: "-c" is killed with SIGKILL at random
// moments while it copies a package into a folder that holds an older copy
// of its top files but none of its sub-folders.  After every trial each new
// sub-folder is missing or whole (every file, every byte), each top file is
// the old or the new one, whole, and what a kill leaves behind is hidden
// (a name starting with a dot) and never inside a folder that appeared.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>

#include "TestPrefix.h"
#include "cfg_text.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// Data that tells files apart and shows a cut: a line of the name, repeated.
std::string Contents(const std::string& name, size_t size) {
  std::string text;
  while (text.size() < size) text += name + " data line\n";
  text.resize(size);
  return text;
}

// Removes the hidden entries (leading dot) that kills left in `folder`, and
// returns how many; none may hold a name that is not hidden in turn.
int RemoveHidden(const std::string& folder) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (!name.empty() && name[0] == '.') {
      fs::remove_all(e.path());
      ++n;
    }
  }
  return n;
}

TEST(CrashCopy, KilledAtRandomMomentsLeavesNewFoldersWholeOrMissing) {
  TestPrefix p;
  p.MakeFS9(e2e::CfgText({}));
  const std::string source = p.C("FS9/Addon Scenery/Pack");
  const std::string target = p.C("FS9/Addon Scenery/Copy");
  // The package: two top files, and two sub-folders of 150 files each.
  std::vector<std::pair<std::string, std::string>> files;  // path below the root, contents
  files.emplace_back("Airport.bgl", Contents("airport", 20000));
  files.emplace_back("Readme.txt", Contents("readme", 3000));
  for (const char* folder : {"Scenery", "Texture"})
    for (int i = 0; i < 150; ++i) {
      const std::string name = std::string(folder) + "/file" + std::to_string(i) + ".bgl";
      files.emplace_back(name, Contents(name, 2000 + 37 * size_t(i)));
    }
  for (const auto& [path, bytes] : files) WriteFile(source + "/" + path, bytes);
  // A copy's file names are lower case; its folder names keep their case.
  auto copyOf = [](std::string path) {
    const size_t slash = path.rfind('/') + 1;
    std::transform(path.begin() + long(slash), path.end(), path.begin() + long(slash),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return path;
  };
  auto resetTarget = [&] {
    fs::remove_all(target);
    MakeDirs(target);
    WriteFile(target + "/airport.bgl", "an older airport");
    WriteFile(target + "/readme.txt", "an older readme");
  };
  const std::vector<std::string> command = {"-c", "C:\\FS9\\Addon Scenery\\Pack",
                                            "C:\\FS9\\Addon Scenery\\Copy", "1"};

  long long runMicros = 0;
  for (int i = 0; i < 3; ++i) {
    resetTarget();
    const auto t0 = std::chrono::steady_clock::now();
    RunResult r = RunLayrix(p, command);
    const auto t1 = std::chrono::steady_clock::now();
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    runMicros = std::max<long long>(
        runMicros, std::chrono::duration_cast<std::chrono::microseconds>(t1 - t0).count());
  }
  for (const auto& [path, bytes] : files)
    ASSERT_TRUE(ReadFile(target + "/" + copyOf(path)) == bytes) << path;

  std::mt19937 random(20261208);
  constexpr int kKills = 60;
  int trials = 0, killed = 0, foldersWhole = 0, foldersMissing = 0, leftovers = 0;
  for (int trial = 0; killed < kKills && trial < 600; ++trial, ++trials) {
    resetTarget();
    RunOptions o;
    o.KillAfterMicroseconds = std::uniform_int_distribution<long long>(0, runMicros)(random);
    RunResult r = RunLayrix(p, command, o);
    if (r.ExitCode == 128 + 9) {
      ++killed;
    } else {
      ASSERT_EQ(r.ExitCode, 0) << r.Err;
      runMicros = std::max<long long>(1000, runMicros * 9 / 10);
    }
    SCOPED_TRACE("trial " + std::to_string(trial) + ", killed after " +
                 std::to_string(o.KillAfterMicroseconds) + " us");

    leftovers += RemoveHidden(target) + RemoveHidden(p.C("FS9/Addon Scenery"));
    for (const char* folder : {"Scenery", "Texture"}) {
      if (!PathExists(target + "/" + folder)) {
        ++foldersMissing;
        continue;
      }
      ++foldersWhole;
      size_t count = 0;
      for (const auto& [path, bytes] : files) {
        if (path.rfind(std::string(folder) + "/", 0) != 0) continue;
        ASSERT_TRUE(ReadFile(target + "/" + copyOf(path)) == bytes) << path;
        ++count;
      }
      ASSERT_EQ(ListTree(target + "/" + folder).size(), count) << folder;
    }
    const std::string airport = ReadFile(target + "/airport.bgl");
    ASSERT_TRUE(airport == "an older airport" || airport == files[0].second) << airport.size();
    const std::string readme = ReadFile(target + "/readme.txt");
    ASSERT_TRUE(readme == "an older readme" || readme == files[1].second) << readme.size();
  }
  std::cout << "[ figures  ] " << trials << " trials within " << runMicros << " us: " << killed
            << " killed; sub-folders whole " << foldersWhole << ", missing " << foldersMissing
            << "; " << leftovers << " hidden leftovers\n";
  EXPECT_GE(killed, kKills);
}

}  // namespace
