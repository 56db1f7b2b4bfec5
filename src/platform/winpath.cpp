// Windows path text as pure functions.  See winpath.h.
//
// FullPath follows GetFullPathNameA as Wine 8 implements it (ntdll's
// RtlGetFullPathName_U, get_full_path_helper and collapse_path); the cases
// in tests/unit/winpath_test.cpp were measured under Wine 8.
#include "platform/winpath.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace winpath {

namespace {

inline bool IsSep(char c) { return c == '\\' || c == '/'; }

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c; }

enum class PathType { Empty, Unc, Device, UncDot, AbsoluteDrive, RelativeDrive, Rooted, Relative };

// RtlDetermineDosPathNameType_U.
PathType TypeOf(std::string_view p) {
  if (p.empty()) return PathType::Empty;
  if (IsSep(p[0])) {
    if (p.size() < 2 || !IsSep(p[1])) return PathType::Rooted;
    if (p.size() >= 3 && (p[2] == '.' || p[2] == '?')) {
      if (p.size() == 3) return PathType::UncDot;
      if (IsSep(p[3])) return PathType::Device;
    }
    return PathType::Unc;
  }
  if (p.size() >= 2 && p[1] == ':') {
    if (p.size() >= 3 && IsSep(p[2])) return PathType::AbsoluteDrive;
    return PathType::RelativeDrive;
  }
  return PathType::Relative;
}

// Length of "\\server\share\" (separators after each part included).
size_t UncPrefixLength(std::string_view p) {
  size_t i = 2;
  while (i < p.size() && !IsSep(p[i])) ++i;  // server
  while (i < p.size() && IsSep(p[i])) ++i;
  while (i < p.size() && !IsSep(p[i])) ++i;  // share
  while (i < p.size() && IsSep(p[i])) ++i;
  return i;
}

// Wine's collapse_path: '/' to '\', doubled backslashes after the root
// collapsed, "." and ".." resolved (".." stops at `mark`, the end of the
// root), one trailing dot of an inner component dropped, trailing dots and
// blanks of the whole path dropped.
std::string Collapse(std::string path, size_t mark) {
  for (char& c : path)
    if (c == '/') c = '\\';
  if (mark > path.size()) mark = path.size();

  // Collapse duplicate backslashes (from max(1, mark) on).
  {
    size_t start = mark > 1 ? mark : 1;
    if (start < path.size()) {
      size_t w = start;
      for (size_t r = start; r < path.size(); ++r)
        if (path[r] != '\\' || path[w - 1] != '\\') path[w++] = path[r];
      path.resize(w);
    }
  }

  size_t p = mark;
  while (p < path.size()) {
    if (path[p] == '.') {
      const char c1 = p + 1 < path.size() ? path[p + 1] : '\0';
      if (c1 == '\\') {  // ".\" component
        path.erase(p, 2);
        continue;
      }
      if (p + 1 == path.size()) {  // final "."
        if (p > mark) --p;
        path.resize(p);
        continue;
      }
      if (c1 == '.') {
        const bool atEnd = p + 2 == path.size();
        if (!atEnd && path[p + 2] == '\\') {  // "..\" component
          const size_t next = p + 3;
          if (p > mark) {
            --p;
            while (p > mark && path[p - 1] != '\\') --p;
          }
          path.erase(p, next - p);
          continue;
        }
        if (atEnd) {  // final ".."
          if (p > mark) {
            --p;
            while (p > mark && path[p - 1] != '\\') --p;
            if (p > mark) --p;
          }
          path.resize(p);
          continue;
        }
      }
    }
    // Skip to the next component.
    while (p < path.size() && path[p] != '\\') ++p;
    if (p < path.size()) {
      // Remove the last dot of the component just passed.
      if (p > mark && path[p - 1] == '.') {
        path.erase(p - 1, 1);
      } else {
        ++p;
      }
    }
  }

  // Trailing blanks and dots of the path are dropped.
  while (p > mark && (path[p - 1] == ' ' || path[p - 1] == '.')) --p;
  path.resize(p);
  return path;
}

// The length of the device name that the last component `name` names (3
// or 4), or 0: the name up to its first '.' or ':', trailing blanks
// dropped, is AUX, CON, NUL, PRN, or COM or LPT with a digit 1-9.
size_t DeviceNameLength(std::string_view name) {
  size_t end = 0;  // one past the name: truncated at '.' or ':'
  while (end < name.size() && name[end] != '.' && name[end] != ':') ++end;
  while (end > 0 && name[end - 1] == ' ') --end;
  auto is = [&](const char* device) {
    for (size_t k = 0; k < 3; ++k)
      if (AsciiUpper(name[k]) != device[k]) return false;
    return true;
  };
  if (end == 3 && (is("AUX") || is("CON") || is("NUL") || is("PRN"))) return 3;
  if (end == 4 && (is("COM") || is("LPT")) && name[3] > '0' && name[3] <= '9') return 4;
  return 0;
}

// RtlIsDosDeviceName_U: the device name's offset and length in `p`, or
// false.
bool FindDeviceName(std::string_view p, size_t& offset, size_t& length) {
  const PathType type = TypeOf(p);
  size_t start = 0;
  switch (type) {
    case PathType::Empty:
    case PathType::Unc:
    case PathType::UncDot:
      return false;
    case PathType::Device: {
      // Only "\\.\CON" is a device in this form.
      if (p.size() == 7 && AsciiUpper(p[4]) == 'C' && AsciiUpper(p[5]) == 'O' && AsciiUpper(p[6]) == 'N') {
        offset = 4;
        length = 3;
        return true;
      }
      return false;
    }
    case PathType::AbsoluteDrive:
    case PathType::RelativeDrive:
      start = 2;
      break;
    default:
      break;
  }
  // The name after the last separator.
  for (size_t i = p.size(); i > start; --i)
    if (IsSep(p[i - 1])) {
      start = i;
      break;
    }
  length = DeviceNameLength(p.substr(start));
  if (length == 0) return false;
  offset = start;
  return true;
}

}  // namespace

std::string FullPath(std::string_view path, std::string_view currentFolder) {
  if (path.empty()) return std::string();
  // A path of blanks only fails.
  {
    bool allBlank = true;
    for (char c : path)
      if (c != ' ') {
        allBlank = false;
        break;
      }
    if (allBlank) return std::string();
  }

  size_t devOffset, devLength;
  if (FindDeviceName(path, devOffset, devLength)) {
    std::string out = "\\\\.\\";
    out.append(path.substr(devOffset, devLength));
    return out;
  }

  // The current folder always ends in a backslash.
  std::string cd(currentFolder);
  if (cd.empty() || !IsSep(cd.back())) cd += '\\';
  const bool cdOnDrive = cd.size() >= 2 && cd[1] == ':';
  const size_t cdMark = cdOnDrive ? 3 : UncPrefixLength(cd);

  std::string buffer;
  size_t mark = 0;
  switch (TypeOf(path)) {
    case PathType::Empty:
      return std::string();
    case PathType::Unc:
      buffer.assign(path);
      mark = UncPrefixLength(path);
      break;
    case PathType::Device:
      buffer.assign(path);
      mark = 4;
      break;
    case PathType::UncDot:  // "\\."
      buffer = "\\\\.\\";
      mark = 4;
      break;
    case PathType::AbsoluteDrive:
      buffer.assign(path);
      mark = 3;
      break;
    case PathType::RelativeDrive:
      if (cd.size() >= 2 && AsciiUpper(cd[0]) == AsciiUpper(path[0]) && cd[1] == ':') {
        buffer = cd;
        buffer.append(path.substr(2));
        mark = cdMark;
      } else {
        buffer.assign(path.substr(0, 2));
        buffer += '\\';
        buffer.append(path.substr(2));
        mark = 3;
      }
      break;
    case PathType::Rooted:
      if (currentFolder.empty()) return std::string();  // no current folder
      if (cdOnDrive) {
        buffer = cd.substr(0, 2);
        mark = 3;
      } else {
        buffer = cd.substr(0, cdMark);
        mark = cdMark;
        // The path's own leading backslash follows the root's separator.
        if (!buffer.empty() && IsSep(buffer.back())) buffer.pop_back();
      }
      buffer.append(path);
      break;
    case PathType::Relative:
      if (currentFolder.empty()) return std::string();  // no current folder
      buffer = cd;
      buffer.append(path);
      mark = cdMark;
      break;
  }
  return Collapse(std::move(buffer), mark);
}

namespace {

// The characters Windows forbids in names: the control characters and
// < > : " / \ | ? *, looked up by a table (paths are checked character by
// character, tens of thousands of them in a large library).
constexpr std::array<bool, 256> kForbiddenInName = [] {
  std::array<bool, 256> forbidden{};
  for (int c = 0; c < 0x20; ++c) forbidden[c] = true;
  for (unsigned char c : {'<', '>', ':', '"', '/', '\\', '|', '?', '*'}) forbidden[c] = true;
  return forbidden;
}();

bool IsForbiddenInName(char c) { return kForbiddenInName[static_cast<unsigned char>(c)]; }

// A component the full-path rule keeps as it is, and a valid name: not
// empty, no separator or other forbidden character, no leading dot, no
// trailing dot or blank.
bool IsPlainComponent(std::string_view name) {
  if (name.empty() || name.front() == '.' || name.back() == '.' || name.back() == ' ')
    return false;
  for (char c : name)
    if (IsForbiddenInName(c)) return false;
  return true;
}

}  // namespace

bool IsPlainFullPath(std::string_view path) {
  if (path.size() < 4 || path[1] != ':' || path[2] != '\\') return false;
  const char drive = AsciiUpper(path[0]);
  if (drive < 'A' || drive > 'Z') return false;
  // One pass: each component runs to the first character forbidden in
  // names, which must be the backslash that ends it or the path's end;
  // only the last component can name a device.
  for (size_t start = 3;;) {
    size_t i = start;
    while (i < path.size() && !IsForbiddenInName(path[i])) ++i;
    if (i < path.size() && path[i] != '\\') return false;
    if (i == start || path[start] == '.' || path[i - 1] == '.' || path[i - 1] == ' ') return false;
    if (i == path.size()) return DeviceNameLength(path.substr(start)) == 0;
    start = i + 1;
  }
}

bool IsPlainName(std::string_view name) {
  if (!IsPlainComponent(name)) return false;
  // Every device name starts with one of these letters.
  switch (AsciiUpper(name.front())) {
    case 'A': case 'C': case 'L': case 'N': case 'P':
      return !IsDeviceName(name);
    default:
      return true;
  }
}

std::string WithBackslashes(std::string_view path) {
  std::string result(path);
  for (char& c : result)
    if (c == '/') c = '\\';
  return result;
}

bool HasForbiddenCharacter(std::string_view name) {
  for (char c : name)
    if (IsForbiddenInName(c)) return true;
  return false;
}

bool IsRelativePath(std::string_view path) {
  if (path.empty()) return false;
  if (path[0] == '\\') return false;
  if (path.size() >= 2 && path[1] == ':') return false;
  return true;
}

std::string DriveOf(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // "\\server\share": up to the backslash after the share, not included.
    size_t i = 2;
    int seps = 0;
    while (i < path.size()) {
      if (path[i] == '\\' && ++seps == 2) break;
      ++i;
    }
    return std::string(path.substr(0, i));
  }
  return std::string();
}

bool IsUncPath(std::string_view path) {
  return path.size() >= 2 && IsSep(path[0]) && IsSep(path[1]);
}

bool IsDeviceName(std::string_view component) {
  size_t offset, length;
  if (component.empty()) return false;
  // Only the last component counts; UNC forms are never devices, except
  // "\\.\CON".
  return FindDeviceName(component, offset, length);
}

std::string ExtractFilePath(std::string_view path) {
  const size_t i = path.find_last_of("\\:");
  if (i == std::string_view::npos) return std::string();
  return std::string(path.substr(0, i + 1));
}

std::string ExtractFileName(std::string_view path) {
  const size_t i = path.find_last_of("\\:");
  if (i == std::string_view::npos) return std::string(path);
  return std::string(path.substr(i + 1));
}

std::string IncludeTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

std::string ExcludeTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

std::string FullFolder(std::string_view path, FullPathFn fullPath, bool keepWhenNotFull) {
  std::string full = IsPlainFullPath(path) ? std::string(path) : fullPath(std::string(path));
  if (full.empty() && keepWhenNotFull) full = path;
  if (full.size() > 3 && full.back() == '\\') full.pop_back();
  return full;
}

std::vector<std::string> SplitComponents(std::string_view pathAfterDrive) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < pathAfterDrive.size()) {
    while (i < pathAfterDrive.size() && IsSep(pathAfterDrive[i])) ++i;
    const size_t start = i;
    while (i < pathAfterDrive.size() && !IsSep(pathAfterDrive[i])) ++i;
    if (i > start) parts.emplace_back(pathAfterDrive.substr(start, i - start));
  }
  return parts;
}

std::string ExtractRelativePath(std::string_view base, std::string_view dest, SameFn same) {
  const std::string baseDrive = DriveOf(base);
  const std::string destDrive = DriveOf(dest);
  if (!same(baseDrive, destDrive)) return std::string(dest);

  // The folder parts without the drive, split at every backslash as
  // the component walk gives: "\a\b\" gives "", "a", "b", "";
  // an empty folder part gives nothing.
  auto split = [](std::string_view folder) {
    std::vector<std::string> tokens;
    if (folder.empty()) return tokens;
    size_t start = 0;
    for (;;) {
      const size_t i = folder.find('\\', start);
      if (i == std::string_view::npos) {
        tokens.emplace_back(folder.substr(start));
        break;
      }
      tokens.emplace_back(folder.substr(start, i - start));
      start = i + 1;
    }
    return tokens;
  };
  auto folderNoDrive = [](std::string_view path, size_t driveLength) {
    std::string folder = ExtractFilePath(path);
    folder.erase(0, driveLength < folder.size() ? driveLength : folder.size());
    return folder;
  };
  const std::string basePath = folderNoDrive(base, baseDrive.size());
  const std::string destPath = folderNoDrive(dest, destDrive.size());
  const std::vector<std::string> bt = split(basePath);
  const std::vector<std::string> dt = split(destPath);

  size_t i = 0;
  while (i < bt.size() && i < dt.size() && same(bt[i], dt[i])) ++i;

  std::string result;
  if (i < bt.size())
    for (size_t k = i + 1; k < bt.size(); ++k) result += "..\\";
  if (i < dt.size()) {
    if (!dt[i].empty()) {
      result += dt[i];
      result += '\\';
    }
    for (size_t k = i + 1; k < dt.size(); ++k) {
      result += dt[k];
      if (k + 1 < dt.size()) result += '\\';
    }
  }
  result += ExtractFileName(dest);
  return result;
}

}  // namespace winpath
