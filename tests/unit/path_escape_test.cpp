// A Windows path can never reach a host entry outside its drive.  Wine's
// full-path rule drops one trailing dot of an inner component, so "..."
// comes out as a component "..", which Windows itself cannot open; on the
// host it must not climb to the parent folder either.  Found by fuzz_paths.
#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_prefix.h"
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace {

using testing_support::TestPrefix;

TEST(PathEscape, DotComponentsLeftByTheFullPathRuleNameNothing) {
  TestPrefix p;
  ::setenv("WINEPREFIX", p.Prefix().c_str(), 1);
  plat::posix::ResetCaches();
  testing_support::WriteFile(p.C("x/inside.txt"), "in");
  testing_support::WriteFile(p.C("top.txt"), "top");
  // Beside drive_c, in the prefix: outside every drive but Z:.
  testing_support::WriteFile(p.Prefix() + "/outside.txt", "out");

  EXPECT_EQ(plat::FullPath("C:\\x\\...\\top.txt"), "C:\\x\\..\\top.txt");
  EXPECT_FALSE(plat::FileExists("C:\\x\\...\\top.txt"));
  EXPECT_FALSE(plat::FileExists("C:\\...\\outside.txt"));
  EXPECT_FALSE(plat::FileExists("C:\\...\\...\\prefix\\outside.txt"));
  EXPECT_FALSE(plat::FolderExists("C:\\...\\dosdevices"));
  EXPECT_FALSE(plat::posix::Resolve("C:\\...\\outside.txt").Exists);
  // Nothing can be written or deleted there either.
  EXPECT_FALSE(plat::RemoveFile("C:\\...\\outside.txt"));
  EXPECT_TRUE(testing_support::PathExists(p.Prefix() + "/outside.txt"));
  // Ordinary paths still work.
  EXPECT_TRUE(plat::FileExists("C:\\x\\..\\top.txt"));
  EXPECT_TRUE(plat::FileExists("C:\\X\\INSIDE.TXT"));
}

}  // namespace
