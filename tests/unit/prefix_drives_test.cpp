// The drive form of folder arguments over a made-up prefix, for what a real
// one on disk cannot easily show: two drives on one folder, a drive path
// that cannot be resolved, a name that is not UTF-8.
#include "platform/prefix_drives.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>

namespace {

// C: and D: on one folder, E: a link that leads below C:'s, Z: the root.
// The folders that exist are the keys of `real_`, each with its target.
class FakePrefix : public prefixdrives::Host {
 public:
  std::array<std::string, 26> DriveFolders() const override {
    std::array<std::string, 26> folders;
    folders['c' - 'a'] = folders['d' - 'a'] = "/p/drive_c";
    folders['e' - 'a'] = "/p/drive_c/Data";
    folders['z' - 'a'] = "/";
    return folders;
  }
  std::string RealPath(const std::string& hostPath) const override {
    const auto found = real_.find(hostPath);
    return found == real_.end() ? std::string() : found->second;
  }
  // Without steps such as "..", which the real resolution takes.
  std::string HostPathOf(const std::string& drivePath) const override {
    const std::string folder = DriveFolders()[std::tolower(drivePath[0]) - 'a'];
    if (folder.empty() || drivePath.find('?') != std::string::npos) return "";
    std::string host = (folder == "/" ? "" : folder) + "/" + drivePath.substr(3);
    for (char& c : host)
      if (c == '\\') c = '/';
    return host;
  }

 private:
  std::map<std::string, std::string> real_ = {
      {"/", "/"},
      {"/p", "/p"},
      {"/p/drive_c", "/p/drive_c"},
      {"/p/drive_c/Data", "/p/drive_c/Data"},
      {"/p/link", "/p/drive_c/Data"},
  };
};

}  // namespace

TEST(PrefixDrives, DriveFormOverAMadeUpPrefix) {
  const FakePrefix prefix;
  const std::pair<std::string, std::string> cases[] = {
      {"/p/drive_c/FS9/New/", "C:\\FS9\\New\\"},    // two drives on one folder: the first letter
      {"/p/drive_c/Data/x", "E:\\x"},               // the longest folder that is a drive's
      {"/p/link/Pack", "E:\\Pack"},                 // a link resolved to its drive
      {"/p/drive_c/Caf\xE9", "C:\\Caf\xC3\xA9"},    // a 1252 byte as its character
      {"/q/new", "Z:\\q\\new"},                     // only the root holds it
      {"Z:\\p\\drive_c\\FS9", "C:\\FS9"},
      {"Z:\\p\\?", "Z:\\p\\?"},                     // not resolved: as typed
      {"C:\\Data\\x", "E:\\x"},                     // into the folder of a drive below C:'s
      {"E:\\x", "E:\\x"},                           // E: holds no other drive's folder
      {"relative/path", "relative/path"},
      {"//server/share", "//server/share"},
  };
  for (const auto& [typed, form] : cases)
    EXPECT_EQ(prefixdrives::DriveFormOf(typed, prefix), form) << typed;
}
