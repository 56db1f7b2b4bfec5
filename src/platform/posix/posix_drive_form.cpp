// The drive form of a folder argument on Linux: a host path, or a drive
// path that reaches into another drive's folder (Z: is the host root, so
// every folder of C: is also a folder of Z:), written on the drive whose
// folder holds it, as Windows programs in the prefix see it.
#include <stdlib.h>

#include <algorithm>
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

// The components of `path` between separators ('/' and, when
// `backslashes`, '\\'), empty ones passed over.
std::vector<std::string> Components(const std::string& path, bool backslashes) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/' && !(backslashes && path[i] == '\\')) continue;
    if (i > start) parts.push_back(path.substr(start, i - start));
    start = i + 1;
  }
  return parts;
}

// The drive that holds the host path made of `parts`: the drive whose
// target is its longest leading part (in whole components) that exists,
// links resolved, as the current folder's drive is found.  A part that does
// not exist yet (a folder still to be made) is kept as written.  `rest` is
// the number of components after that part.  -1 when no drive holds it.
int DriveHolding(const std::vector<std::string>& parts, const std::array<std::string, 26>& targets,
                 size_t& rest) {
  for (size_t lead = parts.size() + 1; lead-- > 0;) {
    std::string leading = "/";
    for (size_t i = 0; i < lead; ++i) leading += (i ? "/" : "") + parts[i];
    const std::string real = RealPathOf(leading);
    if (real.empty()) continue;
    for (int d = 0; d < 26; ++d) {
      if (targets[d].empty() || targets[d] != real) continue;
      rest = parts.size() - lead;
      return d;
    }
  }
  return -1;
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
  const std::vector<std::string> hostParts = posix::Components(host, false);
  size_t rest = 0;
  const int drive = posix::DriveHolding(hostParts, targets, rest);
  if (drive < 0 || (drivePath && drive == std::tolower(static_cast<unsigned char>(path[0])) - 'a'))
    return path;
  // The components after the drive's folder keep the spelling typed; a
  // drive path resolved to host names (in any letter case) gives them back
  // one for one, unless steps such as ".." were in it.
  std::vector<std::string> typed = drivePath ? posix::Components(path.substr(3), true) : hostParts;
  const bool steps = std::any_of(typed.begin(), typed.end(),
                                 [](const std::string& part) { return part == "." || part == ".."; });
  if (steps || typed.size() < rest) typed = hostParts;
  std::string windows = std::string(1, static_cast<char>('A' + drive)) + ":\\";
  for (size_t i = typed.size() - rest; i < typed.size(); ++i)
    windows += (i > typed.size() - rest ? "\\" : "") + encoding::ToValidUtf8(typed[i]);
  if (trailing && windows.back() != '\\') windows += '\\';
  return windows;
}

}  // namespace plat
