// The settings file layrix.ini in the current folder: section "Main", keys
// "ForceVersion", "Simulator", "RenameExtension", "LockTimeout",
// "History" and "ExitCodes".  It is only read.
#include "app/settings.h"

#include "platform/platform.h"
#include "formats/profile.h"
#include "scenery/value_syntax.h"

namespace app {

void ApplySettings(CommandState& s, const std::string& iniBytes) {
  s.ForceVersion = -1;
  s.SimulatorName.clear();
  s.RenameExtension = ".~bgl";
  s.LockTimeout = kDefaultLockTimeoutSeconds;
  s.History = kDefaultHistoryLength;
  s.StrictExitCodes = false;
  // Read as batch files are: UTF-8 with a mark, or valid UTF-8 beyond ASCII;
  // else code page 1252.
  const profile::Document doc = profile::Parse(iniBytes, profile::Unmarked::Detect);
  const profile::Section* main = doc.Find("Main");
  if (!main) return;
  if (const std::string* value = main->Find("ForceVersion")) {
    int32_t version = -1;
    if (ParseInteger(*value, version)) s.ForceVersion = version;
  }
  if (const std::string* value = main->Find("Simulator")) s.SimulatorName = *value;
  if (const std::string* value = main->Find("LockTimeout")) {
    // A value that is not a number of seconds keeps the default.
    int32_t seconds = -1;
    if (ParseInteger(*value, seconds) && seconds >= 0) s.LockTimeout = seconds;
  }
  if (const std::string* value = main->Find("History")) {
    // How many states are kept; a value that is not a count keeps the default.
    int32_t states = -1;
    if (ParseInteger(*value, states) && states >= 0) s.History = states;
  }
  // Any other value keeps the exit codes installers have always seen.
  if (const std::string* value = main->Find("ExitCodes"))
    s.StrictExitCodes = plat::SameText(*value, "strict");
  if (const std::string* value = main->Find("RenameExtension")) {
    // An empty value keeps the default.
    if (!value->empty()) s.RenameExtension = (*value)[0] == '.' ? *value : "." + *value;
  }
}

void ReadSettings(CommandState& s) {
  // The path is "layrix.exe" completed against the current folder, with the
  // file name replaced; the folder of the executable is not consulted.
  std::string path = plat::FullPath("layrix.exe");
  std::string bytes;
  if (!path.empty()) {
    path = path.substr(0, path.rfind('\\') + 1) + "layrix.ini";
    if (plat::FileExists(path)) (void)plat::ReadWholeFile(path, bytes);  // unreadable: no settings
  }
  ApplySettings(s, bytes);
}

}  // namespace app
