// Folder comparison: see folder_match.h.
#include "scenery/folder_match.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/winpath.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// `folder`, completed against the simulator folder when relative.
std::string Completed(const std::string& simulatorFolder, const std::string& folder) {
  return winpath::IsRelativePath(folder) ? simulatorFolder + folder : folder;
}

// True for a name that the full-path rule takes as a device (a quick look
// first: every device name begins with one of these six words).
bool NamesADevice(std::string_view name) {
  if (name.size() < 3) return false;
  const char start[3] = {static_cast<char>(name[0] | 0x20), static_cast<char>(name[1] | 0x20),
                         static_cast<char>(name[2] | 0x20)};
  for (std::string_view device : {"con", "prn", "aux", "nul", "com", "lpt"})
    if (std::string_view(start, 3) == device) return !winpath::IsPlainName(name);
  return false;
}

}  // namespace

std::string FullFolder(const std::string& simulatorFolder, const std::string& folder) {
  if (folder.empty()) return std::string();
  return winpath::FullFolder(Completed(simulatorFolder, folder), plat::FullPath);
}

bool NeedsCurrentFolder(const std::string& simulatorFolder, const std::string& folder) {
  if (folder.empty()) return false;
  // A relative folder begins, once completed, as the simulator folder does.
  const std::string& start = winpath::IsRelativePath(folder) ? simulatorFolder : folder;
  if (start.empty() || winpath::IsRelativePath(start)) return true;
  if (IsSeparator(start[0])) return start.size() < 2 || !IsSeparator(start[1]);  // "\x", not UNC
  return start.size() < 3 || !IsSeparator(start[2]);                              // "C:x"
}

bool IsSameFolder(const std::string& a, const std::string& b) {
  return !a.empty() && !b.empty() && plat::SameText(a, b);
}

bool IsInsideFolder(const std::string& inner, const std::string& outer) {
  if (inner.empty() || outer.empty()) return false;
  // A cheap test first: the folded text of the outer folder and a backslash
  // must begin the folded text of the inner one.
  const std::string outerKey = plat::CaseFoldedKey(outer);
  const std::string innerKey = plat::CaseFoldedKey(inner);
  const bool outerIsRoot = !outerKey.empty() && outerKey.back() == '\\';
  if (innerKey.size() <= outerKey.size() || innerKey.compare(0, outerKey.size(), outerKey) != 0 ||
      (!outerIsRoot && innerKey[outerKey.size()] != '\\'))
    return false;
  // Then component by component, as the library compares text.
  const std::string innerDrive = winpath::DriveOf(inner);
  const std::string outerDrive = winpath::DriveOf(outer);
  if (!plat::SameText(innerDrive, outerDrive)) return false;
  const std::vector<std::string> innerParts =
      winpath::SplitComponents(std::string_view(inner).substr(innerDrive.size()));
  const std::vector<std::string> outerParts =
      winpath::SplitComponents(std::string_view(outer).substr(outerDrive.size()));
  if (innerParts.size() <= outerParts.size()) return false;
  for (size_t i = 0; i < outerParts.size(); ++i)
    if (!plat::SameText(innerParts[i], outerParts[i])) return false;
  return true;
}

bool IsPlainRelativeFolder(const std::string& folder) {
  if (!winpath::IsRelativePath(folder)) return false;
  // Component by component (a large library asks this of every folder);
  // only the last one can name a device.
  const std::string_view text(folder);
  for (size_t start = 0;;) {
    const size_t end = std::min(text.find('\\', start), text.size());
    const std::string_view name = text.substr(start, end - start);
    if (name.empty() || name.front() == '.' || name.back() == '.' || name.back() == ' ' ||
        winpath::HasForbiddenCharacter(name))
      return false;
    if (end == text.size()) return !NamesADevice(name);
    start = end + 1;
  }
}

FolderKeys::FolderKeys(const std::string& simulatorFolder) {
  const std::string simulator = FullFolder(std::string(), simulatorFolder);
  if (simulator.empty()) return;
  simulator_ = simulator;
  prefix_ = plat::CaseFoldedKey(simulator);
  if (prefix_.back() != '\\') prefix_ += '\\';
  // "C:\FS9\" and a plain relative folder make a plain full path.
  if (simulator.size() == 3)  // a drive root
    plainSimulator_ = simulatorFolder == simulator;
  else
    plainSimulator_ = simulatorFolder == simulator + '\\' && winpath::IsPlainFullPath(simulator);
}

std::string FolderKeys::OfFullForm(const std::string& fullForm) const {
  const std::string folded = plat::CaseFoldedKey(fullForm);
  return std::string(OfFolded(folded));
}

std::string_view FolderKeys::OfFolded(std::string_view folded) const {
  if (!prefix_.empty() && folded.size() > prefix_.size() &&
      folded.substr(0, prefix_.size()) == prefix_)
    folded.remove_prefix(prefix_.size());
  return folded;
}

std::string FolderKeys::TextBelow(const std::string& fullForm) const {
  if (!IsInsideFolder(fullForm, simulator_)) return std::string();
  const std::string drive = winpath::DriveOf(fullForm);
  const size_t skip =
      winpath::SplitComponents(std::string_view(simulator_).substr(winpath::DriveOf(simulator_).size()))
          .size();
  const std::vector<std::string> parts =
      winpath::SplitComponents(std::string_view(fullForm).substr(drive.size()));
  std::string below;
  for (size_t i = skip; i < parts.size(); ++i) below += (i > skip ? "\\" : "") + parts[i];
  return below;
}
