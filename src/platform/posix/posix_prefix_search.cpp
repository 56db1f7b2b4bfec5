// Which Wine prefix serves: the one WINEPREFIX names; else ~/.wine when it
// registers a simulator; else the prefix in which Steam's Proton runs FSX
// Steam Edition (app 314160), found in Steam's library folders; else ~/.wine
// all the same, with notes on where the search looked.
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/posix_internal.h"
#include "formats/steam_libraries.h"

namespace plat::posix {
namespace {

// Where Proton keeps the prefix of FSX Steam Edition, below a library folder.
constexpr const char* kProtonPrefixOfFSXSteamEdition = "steamapps/compatdata/314160/pfx";

const char* const kSetPrefixAdvice = "set WINEPREFIX to the Wine prefix that holds the simulator";

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The bytes of the host file `path`; false with `error` set when it cannot
// be read or is larger than any list Steam writes.
bool ReadSteamFile(const std::string& path, std::string& bytes, std::string& error) {
  constexpr size_t kLargest = 16 << 20;
  bool opened = false;
  const int failure = ReadHostFile(path, bytes, opened, kLargest);
  if (failure == 0) return true;
  error = failure == EFBIG ? "larger than " + SizeInWords(kLargest) : ErrnoText(failure);
  return false;
}

// $HOME, else the user's home folder from the password database; "" for
// the root folder, so that joining a name gives "/name".
std::string HomeFolder() {
  std::string home;
  const char* homeEnv = ::getenv("HOME");
  if (homeEnv && *homeEnv) {
    home = homeEnv;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
    home = pw->pw_dir;
  }
  home = WithoutTrailingSlashes(home);
  return home == "/" ? std::string() : home;
}

std::string JoinedForNote(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

// Steam's library folders: its own folder first, then those its list
// names, each once.  A list that is missing or cannot be read leaves only
// Steam's own folder, and a note saying so.
std::vector<std::string> SteamLibraryFolders(const std::string& steam,
                                             std::vector<std::string>& notes) {
  std::vector<std::string> libraries = {steam};
  // Clients since 2021 keep the list in steamapps/, older ones in config/.
  std::string listFile = steam + "/steamapps/libraryfolders.vdf";
  if (!IsFile(listFile) && IsFile(steam + "/config/libraryfolders.vdf"))
    listFile = steam + "/config/libraryfolders.vdf";
  if (!IsFile(listFile)) {
    notes.push_back("Steam's list of library folders " + listFile + " is missing; only " + steam +
                    " was searched");
    return libraries;
  }
  std::string text;
  std::string error;
  std::vector<std::string> listed;
  if (!ReadSteamFile(listFile, text, error)) {
    notes.push_back("Steam's list of library folders " + listFile + " cannot be read (" + error +
                    "); only " + steam + " was searched");
    return libraries;
  }
  if (const FormatProblem problem = steam::LibraryFolders(text, listed)) {
    notes.push_back("Steam's list of library folders " + listFile + " is malformed (" +
                    problem.Text + "); only " + steam + " was searched");
    return libraries;
  }
  for (std::string& folder : listed) {
    // Steam writes absolute paths; anything else names no folder it uses.
    if (folder.empty() || folder[0] != '/') continue;
    folder = WithoutTrailingSlashes(folder);
    bool known = false;
    for (const std::string& library : libraries) known = known || library == folder;
    if (!known) libraries.push_back(folder);
  }
  return libraries;
}

}  // namespace

PrefixChoice ChoosePrefix() {
  const char* named = ::getenv("WINEPREFIX");
  if (named && *named) return {WithoutTrailingSlashes(named), {}};

  const std::string home = HomeFolder();
  const std::string homeWine = home + "/.wine";
  if (PrefixRegistersSimulator(homeWine)) return {homeWine, {}};

  // Steam's own folder: ~/.steam/steam (usually a link), else where Steam
  // installs itself.
  PrefixChoice fallback{homeWine, {}};
  std::string steam;
  for (const std::string& candidate : {home + "/.steam/steam", home + "/.local/share/Steam"})
    if (steam.empty() && IsFolder(candidate)) steam = candidate;
  if (steam.empty()) {
    fallback.Notes.push_back("no simulator is registered in the Wine prefix " + homeWine +
                             ", and no Steam folder was found (" + home + "/.steam/steam or " +
                             home + "/.local/share/Steam); " + kSetPrefixAdvice);
    return fallback;
  }

  const std::vector<std::string> libraries = SteamLibraryFolders(steam, fallback.Notes);
  for (const std::string& library : libraries) {
    const std::string proton = library + "/" + kProtonPrefixOfFSXSteamEdition;
    if (IsFolder(proton)) return {proton, {}};
  }
  fallback.Notes.push_back("no simulator is registered in the Wine prefix " + homeWine +
                           ", and no Steam library holds a Proton prefix of FSX Steam Edition (" +
                           kProtonPrefixOfFSXSteamEdition + ") in " + JoinedForNote(libraries) +
                           "; " + kSetPrefixAdvice);
  return fallback;
}

}  // namespace plat::posix
