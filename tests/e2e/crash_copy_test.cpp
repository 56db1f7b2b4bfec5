// A tree copy survives being killed: "-c" is killed with SIGKILL at random
// moments while it copies a package into a folder that holds an older copy
// of its top files but none of its sub-folders.  After every trial each new
// sub-folder is missing or whole (every file, every byte), each top file is
// the old or the new one, whole, and what a kill leaves behind is hidden
// (a name starting with a dot) and never inside a folder that appeared.  The
// next whole run removes every such leftover, since its maker is gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "test_prefix.h"
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

// The hidden entries (leading dot) in `folder`.
int CountHidden(const std::string& folder) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (!name.empty() && name[0] == '.') ++n;
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

  auto expectWhole = [&](const std::string& what) {
    for (const auto& [path, bytes] : files)
      ASSERT_TRUE(ReadFile(target + "/" + copyOf(path)) == bytes) << what << ": " << path;
  };
  // A whole run copies everything.
  resetTarget();
  ASSERT_EQ(RunLayrix(p, command).ExitCode, 0);
  expectWhole("a whole run");

  int foldersWhole = 0, foldersMissing = 0, leftovers = 0;
  auto check = [&](const std::string& what) {
    leftovers += CountHidden(target) + CountHidden(p.C("FS9/Addon Scenery"));
    for (const char* folder : {"Scenery", "Texture"}) {
      if (!PathExists(target + "/" + folder)) {
        ++foldersMissing;
        continue;
      }
      ++foldersWhole;
      size_t count = 0;
      for (const auto& [path, bytes] : files) {
        if (path.rfind(std::string(folder) + "/", 0) != 0) continue;
        ASSERT_TRUE(ReadFile(target + "/" + copyOf(path)) == bytes) << what << ": " << path;
        ++count;
      }
      ASSERT_EQ(ListTree(target + "/" + folder).size(), count) << what << ": " << folder;
    }
    const std::string airport = ReadFile(target + "/airport.bgl");
    ASSERT_TRUE(airport == "an older airport" || airport == files[0].second) << what << ": " << airport.size();
    const std::string readme = ReadFile(target + "/readme.txt");
    ASSERT_TRUE(readme == "an older readme" || readme == files[1].second) << what << ": " << readme.size();
    // The next run completes the copy and takes away what the killed one left.
    const RunResult again = RunLayrix(p, command);
    ASSERT_EQ(again.ExitCode, 0) << what << ": " << again.Err;
    expectWhole(what + ", then run again");
    ASSERT_EQ(CountHidden(target), 0) << what;
    ASSERT_EQ(CountHidden(p.C("FS9/Addon Scenery")), 0) << what;
  };
  const KillTrials t = RunKilledAtRandomMoments(p, command, 60, 20261208, resetTarget, check);
  std::cout << "[ figures  ] " << t.Trials << " trials within " << t.WindowMicros << " us: " << t.Killed
            << " killed; sub-folders whole " << foldersWhole << ", missing " << foldersMissing
            << "; " << leftovers << " hidden leftovers, all removed by the next run\n";
  EXPECT_GE(t.Killed, 60);
}

}  // namespace
