// The drives of a Wine prefix as path text: see prefix_drives.h.
#include "platform/prefix_drives.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/text_encoding.h"

namespace prefixdrives {
namespace {

// Whether host folder `path` is `folder` or lies below it, in whole
// components.
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

int LetterIndex(char letter) { return std::tolower(static_cast<unsigned char>(letter)) - 'a'; }

// The drive that holds the host path made of `parts`: the drive whose
// folder is its longest leading part (in whole components) that exists,
// links resolved, as the current folder's drive is found.  A part that does
// not exist yet (a folder still to be made) is kept as written.  `rest` is
// the number of components after that part.  -1 when no drive holds it.
int DriveHolding(const std::vector<std::string>& parts, const std::array<std::string, 26>& folders,
                 const Host& host, size_t& rest) {
  for (size_t lead = parts.size() + 1; lead-- > 0;) {
    std::string leading = "/";
    for (size_t i = 0; i < lead; ++i) leading += (i ? "/" : "") + parts[i];
    const std::string real = host.RealPath(leading);
    if (real.empty()) continue;
    for (int d = 0; d < 26; ++d) {
      if (folders[d].empty() || folders[d] != real) continue;
      rest = parts.size() - lead;
      return d;
    }
  }
  return -1;
}

// Whether drive `letter`'s folder holds the folder of another drive: only
// then can a path on it name a place that belongs to another drive.
bool HoldsAnotherDrive(int letter, const std::array<std::string, 26>& folders) {
  const std::string& own = folders[letter];
  if (own.empty()) return false;
  for (int d = 0; d < 26; ++d)
    if (d != letter && !folders[d].empty() && folders[d] != own && IsAtOrBelow(folders[d], own))
      return true;
  return false;
}

}  // namespace

std::string DriveFormOf(const std::string& path, const Host& host) {
  const bool trailing = !path.empty() && (path.back() == '/' || path.back() == '\\');
  const bool hostPath = path.size() >= 1 && path[0] == '/' && (path.size() == 1 || path[1] != '/');
  const bool drivePath = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                         path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  if (!hostPath && !drivePath) return path;
  const std::array<std::string, 26> folders = host.DriveFolders();
  std::string hostText = path;
  if (drivePath) {
    if (!HoldsAnotherDrive(LetterIndex(path[0]), folders)) return path;
    hostText = host.HostPathOf(path);
    if (hostText.empty()) return path;
  }
  const std::vector<std::string> hostParts = Components(hostText, false);
  size_t rest = 0;
  const int drive = DriveHolding(hostParts, folders, host, rest);
  if (drive < 0 || (drivePath && drive == LetterIndex(path[0]))) return path;
  // The components after the drive's folder keep the spelling typed; a
  // drive path resolved to host names (in any letter case) gives them back
  // one for one, unless steps such as ".." were in it.
  std::vector<std::string> typed = drivePath ? Components(path.substr(3), true) : hostParts;
  const bool steps = std::any_of(typed.begin(), typed.end(),
                                 [](const std::string& part) { return part == "." || part == ".."; });
  if (steps || typed.size() < rest) typed = hostParts;
  std::string windows = std::string(1, static_cast<char>('A' + drive)) + ":\\";
  for (size_t i = typed.size() - rest; i < typed.size(); ++i)
    windows += (i > typed.size() - rest ? "\\" : "") + encoding::ToValidUtf8(typed[i]);
  if (trailing && windows.back() != '\\') windows += '\\';
  return windows;
}

}  // namespace prefixdrives
