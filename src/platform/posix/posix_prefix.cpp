// The Wine prefix (chosen by posix_prefix_search.cpp), its drives, the
// current folder, and the resolution of Windows paths to host paths.
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

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
  // The last current folder asked for (getcwd's text) and its Windows form.
  std::string CwdHost;
  std::string CwdWindows;
  // The folders of the last paths spelled out (a copy alternates between
  // its source and target folders): their full Windows text and host paths.
  struct SpelledFolder {
    std::string Windows;
    std::string Host;
    // The Windows text is a plain full path: a plain name after it needs
    // no full-path rule.
    bool Plain = false;
    // Where the Windows text's last backslash stands (compared for every
    // path spelled beside the folder, so found once).
    size_t LastSeparator = std::string::npos;
  };
  std::array<SpelledFolder, 4> SpelledFolders;
  size_t NextSpelled = 0;
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

bool DriveRoot(char letter, std::string& root) {
  int index = std::tolower(static_cast<unsigned char>(letter)) - 'a';
  if (index < 0 || index >= 26) return false;
  const Drive& drive = Drives()[index];
  if (!drive.Present) return false;
  root = drive.Root;
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
  // The Windows form of the last folder asked for is kept: the current
  // folder rarely changes while the program runs, and finding its drive
  // reads every link on the way.  (getcwd's text has no links in it.)
  posix::PrefixState& state = posix::State();
  if (buffer == state.CwdHost && !state.CwdWindows.empty()) {
    folder = state.CwdWindows;
    return true;
  }
  std::string windows;
  if (!posix::HostToWindows(buffer, windows)) return false;
  if (windows.back() != '\\') windows += '\\';
  state.CwdHost = buffer;
  state.CwdWindows = windows;
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

// The checks and the host text of a path as spelled.  `components` and
// `hostNames` (every component, as written and as host names) are filled
// only when `complete` comes back true; `lastName` (the last component, as
// written) always.
//
// The host folder of the last path's folder is kept, so that the many
// names of one folder cost only the conversion of the last name; a path in
// its plain full form is taken as its own full path.
struct Spelling {
  std::vector<std::string> Components;
  std::vector<std::string> HostNames;
  std::string Root;
  std::string LastName;
  bool Complete = false;
};

// The folder kept from an earlier path whose full form is the text of
// `full` before `cut` (and a plain full path when `plainOnly`), or nullptr.
const PrefixState::SpelledFolder* KnownFolder(const std::string& full, size_t cut,
                                              bool plainOnly) {
  if (cut == std::string::npos) return nullptr;
  const PrefixState::SpelledFolder* known = nullptr;
  for (const PrefixState::SpelledFolder& f : State().SpelledFolders)
    if (!f.Windows.empty() && f.Windows.size() == cut && (f.Plain || !plainOnly) &&
        full.compare(0, cut, f.Windows) == 0)
      known = &f;
  return known;
}

// The name `last` in the kept folder `known`.
void SpellInKnownFolder(std::string_view last, const PrefixState::SpelledFolder& known,
                        Resolved& result, Spelling& spelling) {
  result.Valid = true;
  spelling.LastName.assign(last);
  spelling.Complete = false;
  result.Name = encoding::ToValidUtf8(last);
  result.Folder = known.Host;
  result.Host = JoinHost(known.Host, result.Name);
}

// A plain name in a folder kept from an earlier path whose text is a plain
// full path, which makes the whole its own full path: that folder, and the
// name's text after it.
const PrefixState::SpelledFolder* PlainNameInKnownFolder(const std::string& windowsPath,
                                                         std::string_view& last) {
  const size_t cut = windowsPath.rfind('\\');
  const PrefixState::SpelledFolder* known = KnownFolder(windowsPath, cut, true);
  if (!known) return nullptr;
  last = std::string_view(windowsPath).substr(cut + 1);
  return winpath::IsPlainName(last) ? known : nullptr;
}

// Two plain names below the folder that holds a folder kept from an earlier
// path whose text is a plain full path ("C:\FS9\Addon Scenery\Pack 2\scenery"
// after "C:\FS9\Addon Scenery\Pack 1\scenery"): the whole is its own full
// path, and its host folder is the kept folder's host parent followed by the
// first name.  The sub-folder of each of many folders side by side is
// spelled out so.  False when no kept folder serves.
bool SpellBesideKnownFolder(const std::string& windowsPath, Resolved& result, Spelling& spelling) {
  const size_t cut = windowsPath.rfind('\\');
  if (cut == std::string::npos || cut == 0) return false;
  const size_t cutAbove = windowsPath.rfind('\\', cut - 1);
  if (cutAbove == std::string::npos) return false;
  for (const PrefixState::SpelledFolder& f : State().SpelledFolders) {
    if (!f.Plain || f.LastSeparator != cutAbove ||
        windowsPath.compare(0, cutAbove, f.Windows, 0, cutAbove) != 0)
      continue;
    const std::string_view middle = std::string_view(windowsPath).substr(cutAbove + 1, cut - cutAbove - 1);
    const std::string_view last = std::string_view(windowsPath).substr(cut + 1);
    if (!winpath::IsPlainName(middle) || !winpath::IsPlainName(last)) return false;
    result.Valid = true;
    spelling.LastName.assign(last);
    spelling.Complete = false;
    result.Folder = JoinHost(HostParent(f.Host), encoding::ToValidUtf8(middle));
    result.Name = encoding::ToValidUtf8(last);
    result.Host = JoinHost(result.Folder, result.Name);
    return true;
  }
  return false;
}

bool SpellOut(const std::string& windowsPath, Resolved& result, Spelling& spelling,
              bool allowShortcut) {
  if (windowsPath.find('\0') != std::string::npos) return false;
  // The common case first.
  std::string_view last;
  if (allowShortcut) {
    if (const PrefixState::SpelledFolder* known = PlainNameInKnownFolder(windowsPath, last)) {
      SpellInKnownFolder(last, *known, result, spelling);
      return true;
    }
    if (SpellBesideKnownFolder(windowsPath, result, spelling)) return true;
  }
  std::string full =
      winpath::IsPlainFullPath(windowsPath) ? windowsPath : FullPath(windowsPath);
  if (full.size() < 2 || winpath::IsUncPath(full) || full[1] != ':') return false;

  PrefixState& state = State();
  const size_t cut = full.rfind('\\');
  if (const PrefixState::SpelledFolder* known = allowShortcut ? KnownFolder(full, cut, false) : nullptr) {
    last = std::string_view(full).substr(cut + 1);
    if (!last.empty() && last != "." && last != ".." && !winpath::IsDeviceName(last) &&
        !winpath::HasForbiddenCharacter(last)) {
      SpellInKnownFolder(last, *known, result, spelling);
      return true;
    }
  }

  std::vector<std::string>& components = spelling.Components;
  components = winpath::SplitComponents(std::string_view(full).substr(2));
  if (!components.empty() && winpath::IsDeviceName(components.back())) return false;
  // A component holding a character Windows forbids in names (a ':' after
  // the drive, say) names nothing, as on Windows and under Wine.
  for (const std::string& component : components)
    if (winpath::HasForbiddenCharacter(component)) return false;
  // The full-path rule leaves "..." as a literal ".." (one trailing dot
  // dropped): Windows cannot open such a name, and on the host it would
  // climb out of the drive.
  for (const std::string& component : components)
    if (component == "." || component == "..") return false;
  if (!DriveRoot(full[0], spelling.Root)) return false;
  result.Valid = true;

  std::vector<std::string>& hostNames = spelling.HostNames;
  hostNames.reserve(components.size());
  for (const std::string& component : components) hostNames.push_back(encoding::ToValidUtf8(component));
  std::string& folder = result.Folder;  // the drive's folder for a drive root
  folder = spelling.Root;
  for (size_t i = 0; i + 1 < hostNames.size(); ++i) folder = JoinHost(folder, hostNames[i]);
  result.Host = hostNames.empty() ? spelling.Root : JoinHost(folder, hostNames.back());
  result.Name = hostNames.empty() ? std::string() : hostNames.back();
  spelling.LastName = components.empty() ? std::string() : components.back();
  spelling.Complete = true;
  // Kept for the next path in the same folder.  (A full path has no doubled
  // or trailing separators, so the text before its last backslash is
  // exactly the folder's components.)
  if (!components.empty() && cut != std::string::npos && cut + 1 < full.size()) {
    PrefixState::SpelledFolder& slot = state.SpelledFolders[state.NextSpelled];
    state.NextSpelled = (state.NextSpelled + 1) % state.SpelledFolders.size();
    slot.Windows.assign(full, 0, cut);
    slot.Host = folder;
    slot.Plain = winpath::IsPlainFullPath(slot.Windows);
    slot.LastSeparator = slot.Windows.rfind('\\');
  }
  return true;
}

}  // namespace

Resolved Spelled(const std::string& windowsPath) {
  Resolved result;
  Spelling spelling;
  if (!SpellOut(windowsPath, result, spelling, true)) return Resolved{};
  return result;
}

bool SpellName(const std::string& windowsPath, SpelledName& spelled) {
  std::string_view last;
  const PrefixState::SpelledFolder* known =
      windowsPath.find('\0') == std::string::npos ? PlainNameInKnownFolder(windowsPath, last)
                                                    : nullptr;
  if (known) {
    spelled.Folder = &known->Host;
    spelled.Name = encoding::ToValidUtf8(last);
    return true;
  }
  spelled.Full = Spelled(windowsPath);
  if (!spelled.Full->Valid) return false;
  spelled.Folder = &spelled.Full->Folder;
  spelled.Name = spelled.Full->Name;
  return true;
}

Resolved Resolve(const std::string& windowsPath) {
  Resolved result;
  Spelling spelling;
  if (!SpellOut(windowsPath, result, spelling, true)) return Resolved{};
  const std::string& folder = result.Folder;
  const bool atRoot = result.Name.empty();

  // The path exactly as spelled, when it exists, is the answer.
  const std::string& exact = result.Host;
  const std::string& lastHost = result.Name;
  // A drive root is the folder its link leads to.  Else the name is looked
  // up in its folder's handle, when the folder is there as spelled.
  const HeldFolder held = atRoot ? nullptr : FolderHandle(folder);
  const int dir = held ? *held : -1;
  int status = atRoot     ? ::stat(exact.c_str(), &result.Lstat)
               : dir >= 0 ? ::fstatat(dir, lastHost.c_str(), &result.Lstat, AT_SYMLINK_NOFOLLOW)
                          : ::lstat(exact.c_str(), &result.Lstat);
  if (status == 0) {
    result.Exists = true;
    return result;
  }

  // Else, when the folder holding the last component exists as spelled (one
  // stat, whose result also serves the name cache), only the last name is
  // looked up in another spelling.
  struct stat folderStat;
  if (!atRoot &&
      (dir >= 0 ? ::fstat(dir, &folderStat) : ::stat(folder.c_str(), &folderStat)) == 0) {
    for (const std::string& other : NamesIgnoringCase(folder, spelling.LastName, folderStat, dir)) {
      At at = InFolder(folder, other);
      if (::fstatat(at.Dir, at.Path.c_str(), &result.Lstat, AT_SYMLINK_NOFOLLOW) == 0) {
        result.Exists = true;
        result.Host = JoinHost(folder, other);
        result.Name = other;
        return result;
      }
    }
    result.Lstat = {};
    return result;
  }

  // Else component by component, each spelled as the folder spells it.
  if (!spelling.Complete && !SpellOut(windowsPath, result, spelling, false)) return Resolved{};
  const std::vector<std::string>& components = spelling.Components;
  const std::vector<std::string>& hostNames = spelling.HostNames;
  std::string current = spelling.Root;
  bool found = true;
  for (size_t i = 0; i < components.size(); ++i) {
    std::string name = hostNames[i];
    if (found) {
      std::string candidate = JoinHost(current, name);
      if (::lstat(candidate.c_str(), &result.Lstat) != 0) {
        found = false;
        for (const std::string& other : NamesIgnoringCase(current, components[i])) {
          candidate = JoinHost(current, other);
          if (::lstat(candidate.c_str(), &result.Lstat) == 0) {
            name = other;
            found = true;
            break;
          }
        }
      }
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

}  // namespace plat::posix
