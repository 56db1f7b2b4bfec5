// The Wine prefix (chosen by posix_prefix_search.cpp), its drives, the
// current folder, and the resolution of Windows paths to host paths.
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <utility>

#include "platform/posix/posix_internal.h"
#include "platform/text_encoding.h"
#include "platform/winpath.h"

namespace plat::posix {
namespace {

struct Drive {
  bool Present = false;
  std::string Root;  // the path through which the drive is reached
  std::string Real;  // its target with links resolved
};

struct PrefixState {
  bool PrefixLoaded = false;
  std::string Prefix;
  std::vector<std::string> SearchNotes;  // from ChoosePrefix (UTF-8)
  bool DrivesLoaded = false;
  std::array<Drive, 26> Drives;
};

PrefixState& State() {
  static PrefixState state;
  return state;
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return std::string();
  std::string result(real);
  ::free(real);
  return result;
}

const std::array<Drive, 26>& Drives() {
  PrefixState& state = State();
  if (state.DrivesLoaded) return state.Drives;
  state.DrivesLoaded = true;
  std::string base = PrefixPath() + "/dosdevices/";
  for (int i = 0; i < 26; ++i) {
    Drive& drive = state.Drives[i];
    drive = Drive{};
    std::string path = base + char('a' + i) + ":";
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
      // Defined by the prefix: usable when it leads to a folder.
      if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        drive.Present = true;
        drive.Root = path;
        drive.Real = RealPath(path);
        if (drive.Real.empty()) drive.Real = path;
      }
    } else if (i == 'z' - 'a') {
      drive.Present = true;
      drive.Root = "/";
      drive.Real = "/";
    }
  }
  return state.Drives;
}

bool IsDriveAbsolute(const std::string& path) {
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
         path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

bool IsUncText(const std::string& path) {
  return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
         (path[1] == '\\' || path[1] == '/');
}

}  // namespace

void ResetPrefixCache() { State() = PrefixState{}; }

const std::string& PrefixPath() {
  PrefixState& state = State();
  if (state.PrefixLoaded) return state.Prefix;
  state.PrefixLoaded = true;
  PrefixChoice choice = ChoosePrefix();
  state.Prefix = std::move(choice.Prefix);
  state.SearchNotes = std::move(choice.Notes);
  return state.Prefix;
}

namespace {

// The folder through which drive `letter` is reached, or null when the
// prefix lacks the drive.
const std::string* DriveRootOf(char letter) {
  int index = std::tolower(static_cast<unsigned char>(letter)) - 'a';
  if (index < 0 || index >= 26) return nullptr;
  const Drive& drive = Drives()[index];
  return drive.Present ? &drive.Root : nullptr;
}

}  // namespace

bool DriveRoot(char letter, std::string& root) {
  const std::string* found = DriveRootOf(letter);
  if (!found) return false;
  root = *found;
  return true;
}

bool HostToWindows(const std::string& hostPath, std::string& windows) {
  if (hostPath.empty() || hostPath[0] != '/') return false;
  std::string path = RealPath(hostPath);
  if (path.empty()) path = StripTrailingSlashes(hostPath);
  const auto& drives = Drives();
  int best = -1;
  size_t bestLength = 0;
  for (int i = 0; i < 26; ++i) {
    const Drive& drive = drives[i];
    if (!drive.Present) continue;
    size_t length;
    if (drive.Real == "/") {
      length = 0;
    } else if (path.compare(0, drive.Real.size(), drive.Real) == 0 &&
               (path.size() == drive.Real.size() || path[drive.Real.size()] == '/')) {
      length = drive.Real.size();
    } else {
      continue;
    }
    if (best < 0 || length > bestLength) {
      best = i;
      bestLength = length;
    }
  }
  if (best < 0) return false;
  std::string rest = path.substr(bestLength);
  size_t skip = 0;
  while (skip < rest.size() && rest[skip] == '/') ++skip;
  rest.erase(0, skip);
  for (char& c : rest)
    if (c == '/') c = '\\';
  windows = std::string(1, char('A' + best)) + ":\\" + encoding::ToValidUtf8(rest);
  return true;
}

}  // namespace plat::posix

namespace plat {

bool CurrentFolder(std::string& folder) {
  std::string buffer(PATH_MAX, '\0');
  while (!::getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return false;
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  if (buffer.empty() || buffer[0] != '/') return false;  // unreachable folder
  std::string windows;
  if (!posix::HostToWindows(buffer, windows)) return false;
  if (windows.back() != '\\') windows += '\\';
  folder = windows;
  return true;
}

std::vector<std::string> InstallSearchNotes() {
  posix::PrefixPath();
  std::vector<std::string> notes;
  for (const std::string& note : posix::State().SearchNotes) notes.push_back(encoding::ToValidUtf8(note));
  return notes;
}

std::string TempFolderValue() {
  std::string value = "/tmp";
  for (const char* name : {"TEMP", "TMP", "TMPDIR"}) {
    const char* text = ::getenv(name);
    if (text && *text) {
      value = text;
      break;
    }
  }
  std::string windows;
  if (value[0] == '/' && posix::HostToWindows(value, windows)) return windows;
  return encoding::ToValidUtf8(value);
}

std::string FullPath(const std::string& path) {
  if (path.empty()) return std::string();
  if (posix::IsDriveAbsolute(path) || posix::IsUncText(path)) return winpath::FullPath(path, "C:\\");
  std::string current;
  if (!CurrentFolder(current)) return std::string();
  return winpath::FullPath(path, current);
}

}  // namespace plat

namespace plat::posix {

namespace {

// A path as spelled: its last component as written and, when it is taken
// apart, its components as written and as host names and the host folder
// of its drive.
struct Spelling {
  std::vector<std::string> Components;
  std::vector<std::string> HostNames;
  std::string Root;
  std::string LastName;  // the last component as written
};

// Fills `result` with the host text of `windowsPath` as spelled.  False for
// a path that names no entry (UNC, a device, a forbidden character, "." or
// ".." left, a drive the prefix lacks); `result` then stays invalid.
bool SpellOut(const std::string& windowsPath, Resolved& result, Spelling& spelling,
              bool withComponents) {
  // A plain full path holds no character that names cannot (a NUL, say):
  // only another one is looked at for it and made full.
  const bool plain = winpath::IsPlainFullPath(windowsPath);
  if (!plain && windowsPath.find('\0') != std::string::npos) return false;
  std::string madeFull;
  if (!plain) madeFull = FullPath(windowsPath);
  const std::string& full = plain ? windowsPath : madeFull;
  if (full.size() < 2 || winpath::IsUncPath(full) || full[1] != ':') return false;
  const std::string_view rest = std::string_view(full).substr(std::min<size_t>(3, full.size()));
  // A plain full path in UTF-8 is its host path with '/' for '\' (most
  // paths are so); any other is taken apart component by component.
  if (plain && !withComponents && encoding::IsValidUtf8(rest)) {
    const std::string* root = DriveRootOf(full[0]);
    if (!root) return false;
    result.Valid = true;
    std::string host;
    host.reserve(root->size() + 1 + rest.size());
    host = *root;
    if (!rest.empty()) {
      if (host != "/") host += '/';
      const size_t start = host.size();
      host += rest;
      std::replace(host.begin() + start, host.end(), '\\', '/');
    }
    const size_t slash = host.rfind('/');
    result.Folder = rest.empty() ? *root : (slash == 0 ? "/" : host.substr(0, slash));
    result.Name = rest.empty() ? std::string() : host.substr(slash + 1);
    result.Host = std::move(host);
    spelling.LastName = result.Name;  // valid UTF-8: its own host name
    return true;
  }
  std::vector<std::string>& components = spelling.Components;
  components = winpath::SplitComponents(std::string_view(full).substr(2));
  if (!components.empty() && winpath::IsDeviceName(components.back())) return false;
  // A component holding a character Windows forbids in names (a ':' after
  // the drive, say) names nothing, as on Windows and under Wine.  The
  // full-path rule leaves "..." as a literal ".." (one trailing dot
  // dropped): Windows cannot open such a name, and on the host it would
  // climb out of the drive.
  for (const std::string& component : components)
    if (winpath::HasForbiddenCharacter(component) || component == "." || component == "..")
      return false;
  if (!DriveRoot(full[0], spelling.Root)) return false;
  result.Valid = true;
  spelling.HostNames.clear();
  for (const std::string& component : components)
    spelling.HostNames.push_back(encoding::ToValidUtf8(component));
  const std::vector<std::string>& hostNames = spelling.HostNames;
  std::string& folder = result.Folder;  // the drive's folder for a drive root
  folder = spelling.Root;
  for (size_t i = 0; i + 1 < hostNames.size(); ++i) folder = JoinHost(folder, hostNames[i]);
  result.Host = hostNames.empty() ? spelling.Root : JoinHost(folder, hostNames.back());
  result.Name = hostNames.empty() ? std::string() : hostNames.back();
  spelling.LastName = components.empty() ? std::string() : components.back();
  return true;
}

}  // namespace

Resolved Spelled(const std::string& windowsPath) {
  Resolved result;
  Spelling spelling;
  if (!SpellOut(windowsPath, result, spelling, false)) return Resolved{};
  return result;
}

namespace {

// The rest of Resolve once `result`, the path as spelled by SpellOut, is
// known not to be there so.
Resolved ResolveInOtherSpelling(const std::string& windowsPath, Resolved result,
                                Spelling& spelling) {
  const bool atRoot = result.Name.empty();
  // When the folder holding the last component is there as spelled
  // (one stat, whose result also serves its names), only the last name is
  // looked up in another spelling: the common case of a new entry in a
  // folder, and of a folder missing from the folder of many.
  struct stat folderStat;
  if (!atRoot && ::stat(result.Folder.c_str(), &folderStat) == 0 && S_ISDIR(folderStat.st_mode)) {
    for (const std::string& other :
         NamesIgnoringCase(result.Folder, spelling.LastName, folderStat)) {
      const std::string candidate = JoinHost(result.Folder, other);
      if (::lstat(candidate.c_str(), &result.Lstat) == 0) {
        result.Exists = true;
        result.Host = candidate;
        result.Name = other;
        return result;
      }
    }
    result.Lstat = {};
    return result;
  }
  // Else component by component, each spelled as the folder spells it.
  if (!SpellOut(windowsPath, result, spelling, true)) return Resolved{};
  const std::vector<std::string>& components = spelling.Components;
  const std::vector<std::string>& hostNames = spelling.HostNames;
  std::string current = spelling.Root;
  bool found = true;
  // The lstat of `current` found on the way serves its names as its stat
  // when it is no link (the drive's folder is reached through one).
  bool currentStatKnown = false;
  struct stat currentStat {};
  for (size_t i = 0; i < components.size(); ++i) {
    std::string name = hostNames[i];
    if (found) {
      std::string candidate = JoinHost(current, name);
      if (::lstat(candidate.c_str(), &result.Lstat) != 0) {
        found = false;
        for (const std::string& other : currentStatKnown
                                            ? NamesIgnoringCase(current, components[i], currentStat)
                                            : NamesIgnoringCase(current, components[i])) {
          candidate = JoinHost(current, other);
          if (::lstat(candidate.c_str(), &result.Lstat) == 0) {
            name = other;
            found = true;
            break;
          }
        }
      }
      currentStatKnown = found && !S_ISLNK(result.Lstat.st_mode);
      if (currentStatKnown) currentStat = result.Lstat;
    }
    if (i + 1 == components.size()) {
      result.Folder = current;
      result.Name = name;
    }
    current = JoinHost(current, name);
  }
  result.Host = current;
  result.Exists = found;
  if (components.empty()) result.Folder = spelling.Root;
  if (!found) result.Lstat = {};
  return result;
}

}  // namespace

Resolved Resolve(const std::string& windowsPath) {
  Resolved result;
  Spelling spelling;
  if (!SpellOut(windowsPath, result, spelling, false)) return Resolved{};
  // The path exactly as spelled, when it exists, is the answer (a drive
  // root is the folder its link leads to).
  const bool atRoot = result.Name.empty();
  if ((atRoot ? ::stat(result.Host.c_str(), &result.Lstat)
              : ::lstat(result.Host.c_str(), &result.Lstat)) == 0) {
    result.Exists = true;
    return result;
  }
  return ResolveInOtherSpelling(windowsPath, std::move(result), spelling);
}

Resolved ResolveAbsent(const std::string& windowsPath) {
  Resolved result;
  Spelling spelling;
  if (!SpellOut(windowsPath, result, spelling, false)) return Resolved{};
  return ResolveInOtherSpelling(windowsPath, std::move(result), spelling);
}

Resolved ResolveNew(const std::string& windowsPath) {
  Resolved result = Spelled(windowsPath);
  struct stat folderStat;
  if (!result.Valid || result.Name.empty() || ::stat(result.Folder.c_str(), &folderStat) != 0 ||
      !S_ISDIR(folderStat.st_mode))
    return Resolve(windowsPath);
  // The names of the folder tell whether the entry is there in any
  // spelling; the one spelled exactly so comes first.
  std::vector<std::string> names = NamesIgnoringCase(result.Folder, result.Name, folderStat);
  const auto exact = std::find(names.begin(), names.end(), result.Name);
  if (exact != names.end()) std::rotate(names.begin(), exact, exact + 1);
  for (const std::string& name : names) {
    const std::string candidate = JoinHost(result.Folder, name);
    if (::lstat(candidate.c_str(), &result.Lstat) == 0) {
      result.Exists = true;
      result.Host = candidate;
      result.Name = name;
      return result;
    }
  }
  result.Lstat = {};
  return result;
}

}  // namespace plat::posix
