// The drive form of a folder argument on Linux: the rules of
// platform/prefix_drives.h over the prefix's drives and the host's links.
#include <array>
#include <string>

#include "platform/posix/posix_internal.h"
#include "platform/prefix_drives.h"

namespace plat::posix {
namespace {

class PrefixHost : public prefixdrives::Host {
 public:
  std::array<std::string, 26> DriveFolders() const override {
    std::array<std::string, 26> folders;
    for (int i = 0; i < 26; ++i) {
      std::string root;
      if (DriveRoot(static_cast<char>('a' + i), root)) folders[i] = RealHostPath(root);
    }
    return folders;
  }
  std::string RealPath(const std::string& hostPath) const override { return RealHostPath(hostPath); }
  std::string HostPathOf(const std::string& drivePath) const override {
    const Resolved resolved = Resolve(drivePath);
    return resolved.Valid ? resolved.Host : std::string();
  }
};

}  // namespace
}  // namespace plat::posix

namespace plat {

std::string DriveFormOf(const std::string& path) {
  return prefixdrives::DriveFormOf(path, posix::PrefixHost());
}

}  // namespace plat
