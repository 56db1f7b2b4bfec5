// The drive form of a folder argument on Linux: a host path, or a drive
// path that reaches into another drive's folder (Z: is the host root, so
// every folder of C: is also a folder of Z:), written on the drive whose
// folder holds it, as Windows programs in the prefix see it.
#include <stdlib.h>

#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "platform/posix/posix_internal.h"
#include "platform/text_encoding.h"

namespace plat::posix {
namespace {

std::string RealPathOf(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return std::string();
  std::string result(real);
  ::free(real);
  return result;
}

// The target folders of the prefix's drives, links resolved ("" for a
// drive it lacks).
std::array<std::string, 26> DriveTargets() {
  std::array<std::string, 26> targets;
  for (int i = 0; i < 26; ++i) {
    std::string root;
    if (DriveRoot(static_cast<char>('a' + i), root)) targets[i] = RealPathOf(root);
  }
  return targets;
}

bool IsAtOrBelow(const std::string& path, const std::string& folder) {
  if (folder == "/") return true;
  return path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

// The Windows form of the host path `host`: its longest leading part (in
// whole components) that is a drive's target, then the rest as written.
// Links are resolved in that leading part only, so a link further down
// keeps its place as Windows programs see it.
bool HostPathOnDrive(const std::string& host, const std::array<std::string, 26>& targets,
                     std::string& windows) {
  std::vector<std::string> parts;
  for (size_t start = 0; start <= host.size();) {
    size_t end = host.find('/', start);
    if (end == std::string::npos) end = host.size();
    if (end > start) parts.push_back(host.substr(start, end - start));
    start = end + 1;
  }
  for (size_t lead = parts.size() + 1; lead-- > 0;) {
    std::string leading = "/";
    for (size_t i = 0; i < lead; ++i) leading += (i ? "/" : "") + parts[i];
    const std::string real = RealPathOf(leading);
    if (real.empty()) continue;
    for (int d = 0; d < 26; ++d) {
      if (targets[d].empty() || targets[d] != real) continue;
      windows = std::string(1, static_cast<char>('A' + d)) + ":\\";
      for (size_t i = lead; i < parts.size(); ++i)
        windows += (i > lead ? "\\" : "") + encoding::ToValidUtf8(parts[i]);
      return true;
    }
  }
  return false;
}

}  // namespace
}  // namespace plat::posix

namespace plat {

std::string DriveFormOf(const std::string& path) {
  const bool trailing = !path.empty() && (path.back() == '/' || path.back() == '\\');
  const bool hostPath = path.size() >= 1 && path[0] == '/' && (path.size() == 1 || path[1] != '/');
  const bool drivePath = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                         path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  if (!hostPath && !drivePath) return path;
  const std::array<std::string, 26> targets = posix::DriveTargets();
  std::string host = path;
  if (drivePath) {
    // Only a drive whose folder holds another drive's folder can name a
    // place that belongs to another drive.
    const int letter = std::tolower(static_cast<unsigned char>(path[0])) - 'a';
    const std::string& own = targets[letter];
    bool holdsAnother = false;
    for (int d = 0; d < 26 && !own.empty(); ++d)
      holdsAnother |= d != letter && !targets[d].empty() && targets[d] != own &&
                      posix::IsAtOrBelow(targets[d], own);
    if (!holdsAnother) return path;
    const posix::Resolved resolved = posix::Resolve(path);
    if (!resolved.Valid) return path;
    host = resolved.Host;
  }
  std::string windows;
  if (!posix::HostPathOnDrive(host, targets, windows)) return path;
  if (drivePath && (windows[0] | 0x20) == (path[0] | 0x20)) return path;
  if (trailing && windows.back() != '\\') windows += '\\';
  return windows;
}

}  // namespace plat
