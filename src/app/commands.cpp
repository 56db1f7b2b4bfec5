// The command table: every option's row, with the small functions its rows
// are made of.
#include "app/commands.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "app/batch.h"
#include "app/config_check.h"
#include "app/console.h"
#include "app/history_commands.h"
#include "app/library_listing.h"
#include "app/parser.h"
#include "platform/platform.h"
#include "scenery/value_syntax.h"

namespace app {

namespace {

// ------------------------------------------------------------ arguments

ParseResult TakeNothing(CommandState&) { return {}; }

// Word `n` of the command as an integer; FatalError names what it is for.
int32_t IntegerWord(const CommandState& s, size_t n, const char* what) {
  return StrictInteger(s.Args[n], std::string("the ") + what + " of '" + s.Parsed->Word + "'");
}

ParseResult TakeLayer(CommandState& s) {
  s.Arguments.Layer = IntegerWord(s, 2, "layer number");
  return {};
}

ParseResult TakeFolder(CommandState& s) {
  s.Arguments.Folder = s.Args[2];
  return ExpandAndCheckTexts(s);
}

// A folder that is gone but still listed is the one the user means: an
// uninstaller finds the entry it left in order to delete it.
ParseResult AllowListedFolder(CommandState& s, ParseResult result) {
  if (result.Outcome != ParseOutcome::NoFolder || !s.Library ||
      s.Library->FindAreaByFolder(s.Arguments.Folder) < 0)
    return result;
  return {};
}

ParseResult TakeFolderToFind(CommandState& s) {
  s.Arguments.Activate = s.Args[3] == "1";
  return AllowListedFolder(s, TakeFolder(s));
}

ParseResult TakeTitleToFind(CommandState& s) {
  s.Arguments.Title = s.Args[2];
  s.Arguments.Activate = s.Args[3] == "1";
  return ExpandAndCheckTexts(s);
}

ParseResult TakeTitle(CommandState& s) {
  s.Arguments.Title = s.Args[2];
  return ExpandAndCheckTexts(s);
}

ParseResult TakeInsert(CommandState& s) {
  CommandArguments& a = s.Arguments;
  a.Folder = s.Args[2];
  a.Title = s.Args[3];
  a.Layer = IntegerWord(s, 4, "layer number");
  return AllowListedFolder(s, ExpandAndCheckTexts(s));
}

ParseResult TakeCopy(CommandState& s) {
  CommandArguments& a = s.Arguments;
  a.SourceFolder = s.Args[2];
  a.DestFolder = s.Args[3];
  a.Overwrite = IntegerWord(s, 4, "overwrite mode");
  if (a.Overwrite < 0 || a.Overwrite > 3)
    return {ParseOutcome::Invalid,
            "the overwrite mode of '-c' is 0, 1, 2 or 3, not '" + s.Args[4] + "'"};
  if (ParseResult result = ExpandAndCheckTexts(s); !result.Ok()) return result;
  // The source must be a folder as written; the destination is what the
  // copy makes.
  if (plat::FolderExists(a.SourceFolder)) return {};
  return {ParseOutcome::NoFolder, "the source folder '" + a.SourceFolder + "' does not exist"};
}

ParseResult TakeAutoRemove(CommandState& s) {
  s.Arguments.AutoRemove = s.Args[2] == "1";
  return {};
}

bool IsKnownBglVersion(int32_t version) {
  return version == 0 || version == 6 || version == 7 || version == 9 || version == 10;
}

// "-v-" and "-v+": layernum version filter.
ParseResult TakeBglSwitch(CommandState& s) {
  CommandArguments& a = s.Arguments;
  a.Layer = IntegerWord(s, 2, "layer number");
  // Only the BGL versions that exist (0 = any) make a valid command.
  const std::string option = "'" + std::string(s.Parsed->Word) + "'";
  if (!ParseInteger(s.Args[3], a.Version) || !IsKnownBglVersion(a.Version))
    return {ParseOutcome::Invalid,
            "the version of " + option + " is 0 (any), 6, 7, 9 or 10, not '" + s.Args[3] + "'"};
  if (!ParseInteger(s.Args[4], a.Filter) || a.Filter < 0 || a.Filter > 16383)
    return {ParseOutcome::Invalid,
            "the filter of " + option + " is a number from 0 to 16383, not '" + s.Args[4] + "'"};
  return {};
}

ParseResult TakeMessage(CommandState& s) {
  s.Arguments.Message = s.Args[2];
  return ExpandAndCheckTexts(s);
}

// ------------------------------------------------------------ operations

SceneryLibrary& LibraryOf(CommandState& s) { return *s.Library; }

void ListTheLibrary(CommandState& s) {
  // The packages' notes are told once in a run, however often it lists.
  PrintLibraryListing(LibraryOf(s), FindAddonPackages(s.Library->Served, &s.PackageNotes));
}

void ShowLibraryPath(CommandState& s) {
  WriteLine(" The current scenery.cfg is:");
  WriteLine(" " + s.Library->ConfigPath);
  WriteLine("");
}

void FindByFolder(CommandState& s) {
  const int32_t r = LibraryOf(s).FindLayerByPath(s.Arguments.Folder, s.Arguments.Activate);
  WriteLine(" Result (-1 = not found): " + std::to_string(r));
}

void FindByTitle(CommandState& s) {
  const int32_t r = LibraryOf(s).FindLayerByTitle(s.Arguments.Title, s.Arguments.Activate);
  WriteLine(" Result (-1 = no): " + std::to_string(r));
}

// "layer 3 'Default Terrain'".
std::string LayerNamed(const SceneryLibrary& library, long index) {
  const Area& area = *library.Sections[size_t(index)].Record;
  return "layer " + std::to_string(area.Layer) + " '" + area.Title + "'";
}

// Said when a command finds no layer to change.
constexpr const char* kNoLayerFound = "no layer found, nothing changed: ";

// What a command on one layer finds; when it is nothing, or a layer the
// command leaves as it is, says so on standard error.  The command runs all
// the same: it uses up the layer of the last find as it always has.
enum class LayerUse {
  Any,          // -r, -v-, -v+: any layer (their own refusals are told where made)
  Unrequired,   // -d, -t: a required layer stays as it is
  WithBelow,    // -md: the layer and the one below it
  WithAbove,    // -mu: the layer and the one above it
};

void TellWhenNothingChanges(CommandState& s, LayerUse use) {
  const SceneryLibrary& library = LibraryOf(s);
  const int32_t given = s.Arguments.Layer;
  const int32_t layer = given == -1 ? library.LastLayer : given;
  if (given == -1 && layer == -1)
    return WriteNoticeLine(std::string(kNoLayerFound) +
                           "-1 stands for the layer the last -f or -ft found, and none was found");
  const long index = library.FindAreaByLayer(layer);
  if (index < 0)
    return WriteNoticeLine(kNoLayerFound + std::string("no area has the layer number ") +
                           std::to_string(layer));
  const Area& area = *library.Sections[size_t(index)].Record;
  if (use == LayerUse::Unrequired && area.Required)
    WriteNoticeLine(LayerNamed(library, index) + " is required, nothing changed");
  if (use != LayerUse::WithBelow && use != LayerUse::WithAbove) return;
  const int64_t other = int64_t{layer} + (use == LayerUse::WithBelow ? -1 : 1);
  if (other < INT32_MIN || other > INT32_MAX || library.FindAreaByLayer(int32_t(other)) < 0)
    WriteNoticeLine(LayerNamed(library, index) + " has no layer " + std::to_string(other) +
                    (use == LayerUse::WithBelow ? " below" : " above") + " it, nothing changed");
}

void DeleteByTitle(CommandState& s) {
  SceneryLibrary& library = LibraryOf(s);
  const long index = library.FindAreaByTitle(s.Arguments.Title);
  if (index < 0)
    WriteNoticeLine(kNoLayerFound + std::string("no area has the title '") + s.Arguments.Title +
                    "'");
  else if (library.Sections[size_t(index)].Record->Required)
    WriteNoticeLine(LayerNamed(library, index) + " is required, nothing changed");
  library.DeleteLayerByTitle(s.Arguments.Title);
}

void Activate(CommandState& s) {
  // -1 is no find's layer here: "-a" takes the number as given.
  if (LibraryOf(s).FindAreaByLayer(s.Arguments.Layer) < 0)
    WriteNoticeLine(kNoLayerFound + std::string("no area has the layer number ") +
                    std::to_string(s.Arguments.Layer));
  LibraryOf(s).ActivateLayer(s.Arguments.Layer);
}

void Insert(CommandState& s) {
  SceneryLibrary& library = LibraryOf(s);
  const std::string& folder = s.Arguments.Folder;
  const SceneryLibrary::Insertion done =
      library.InsertLayer(folder, s.Arguments.Title, s.Arguments.Layer);
  switch (done.Outcome) {
    case SceneryLibrary::InsertOutcome::Added:
      break;
    case SceneryLibrary::InsertOutcome::ListedAlready:
      WriteNoticeLine("the folder '" + folder + "' is listed already, as " +
                      LayerNamed(library, done.ListedAt) + "; nothing added");
      break;
    case SceneryLibrary::InsertOutcome::NoSceneryFolder:
      WriteNoticeLine("the folder '" + folder +
                      "' has no 'scenery' sub-folder, nothing added; name the folder that holds "
                      "the area's 'scenery' folder");
      break;
    case SceneryLibrary::InsertOutcome::SimulatorFolder:
      WriteNoticeLine("the folder '" + folder +
                      "' is the simulator's own folder, which is no area; nothing added");
      break;
    case SceneryLibrary::InsertOutcome::CannotName:
      break;  // the library has told why
  }
}

void ScanForNewScenery(CommandState& s) {
  SceneryLibrary& library = LibraryOf(s);
  const size_t before = library.Sections.size();
  library.AddNewScenery(s.Arguments.Folder);
  if (library.Sections.size() == before)
    WriteNoticeLine("no new scenery found in '" + s.Arguments.Folder +
                    "' (no folder with a 'scenery' sub-folder that is not listed already); "
                    "nothing added");
}

void CheckLibrary(CommandState& s) {
  // Any other word than 1 reports without removing, as it always has.
  if (s.Args[2] != "0" && s.Args[2] != "1")
    WriteNoticeLine("'-x' takes 0 (report) or 1 (report and remove), not '" + s.Args[2] +
                    "'; checking without removing, as with 0");
  CheckSceneryConfig(LibraryOf(s), s.Arguments.AutoRemove, &s.PackageNotes);
}

void SwitchBglFiles(CommandState& s, const std::string& from, const std::string& to) {
  TellWhenNothingChanges(s, LayerUse::Any);
  const CommandArguments& a = s.Arguments;
  LibraryOf(s).RenameBglFiles(a.Layer, a.Version, a.Filter, from, to);
}

// Waits for Enter; a closed or empty standard input goes on at once.
void WaitForEnter(CommandState&) {
  plat::FlushStdout();
  std::string line;
  plat::ReadStdinLine(line);
}

// The progress lines name the arguments {layer}, {folder}, {source}, {dest},
// {title} and {message}; "-t" has no blank before its number, as
// installers' logs read it.
const Command kCommands[] = {
    {"-g", 1, "", TakeNothing, nullptr, ShowLibraryPath},
    {"-f", 3, "folder, activate", TakeFolderToFind, " Searching for {folder}...", FindByFolder},
    {"-s", 1, "", TakeNothing, " Sorting layers...",
     [](CommandState& s) { LibraryOf(s).SortLayers(); }},
    {"-md", 2, "layer number", TakeLayer, " Moving layer {layer} down...",
     [](CommandState& s) {
       TellWhenNothingChanges(s, LayerUse::WithBelow);
       LibraryOf(s).MoveLayerDown(s.Arguments.Layer);
     }},
    {"-mu", 2, "layer number", TakeLayer, " Moving layer {layer} up...",
     [](CommandState& s) {
       TellWhenNothingChanges(s, LayerUse::WithAbove);
       LibraryOf(s).MoveLayerUp(s.Arguments.Layer);
     }},
    {"-i", 4, "folder, title, layer number", TakeInsert, " Inserting layer from {folder}...",
     Insert},
    {"-d", 2, "layer number", TakeLayer, " Deleting layer {layer}...",
     [](CommandState& s) {
       TellWhenNothingChanges(s, LayerUse::Unrequired);
       LibraryOf(s).DeleteLayer(s.Arguments.Layer);
     }},
    {"-di", 1, "", TakeNothing, " Deleting all inactive layers...",
     [](CommandState& s) { LibraryOf(s).DeleteInactiveLayers(); }},
    {"-a", 2, "layer number", TakeLayer, " Activating layer {layer}...", Activate},
    {"-t", 2, "layer number", TakeLayer, " Toggling layer state{layer}...",
     [](CommandState& s) {
       TellWhenNothingChanges(s, LayerUse::Unrequired);
       LibraryOf(s).ToggleLayer(s.Arguments.Layer);
     }},
    {"-c", 4, "source folder, destination folder, overwrite mode", TakeCopy,
     " Copying scenery files...\n From: {source}\n To:   {dest}",
     [](CommandState& s) {
       LibraryOf(s).CopyTree(s.Arguments.SourceFolder, s.Arguments.DestFolder, s.Arguments.Overwrite);
     }},
    {"-r", 2, "layer number", TakeLayer, " Removing scenery files in layer {layer}...",
     [](CommandState& s) {
       TellWhenNothingChanges(s, LayerUse::Any);
       LibraryOf(s).RemoveLayerTree(s.Arguments.Layer);
     }},
    {"-ia", 2, "folder", TakeFolder, " Scanning for new scenery...", ScanForNewScenery},
    {"-x", 2, "autoremove", TakeAutoRemove, " Checking scenery.cfg...", CheckLibrary},
    {"-ft", 3, "title, activate", TakeTitleToFind, " Searching for '{title}'...", FindByTitle},
    {"-dt", 2, "title", TakeTitle, " Deleting layer '{title}'...", DeleteByTitle},
    {"-b", 2, "batch file", SetUpBatch, nullptr, RunBatchFile},
    {"-bu", kOneToFourWords, "batch file, folder, title", SetUpUserBatch, nullptr, RunBatchFile},
    {"-rf", 2, "folder", [](CommandState& s) { return AllowListedFolder(s, TakeFolder(s)); },
     " Removing files in {folder}...",
     [](CommandState& s) { LibraryOf(s).RemoveListedFolderTree(s.Arguments.Folder); }},
    {"-v-", 4, "layer number, version, filter", TakeBglSwitch,
     " Inactivating matching files in layer '{layer}'...",
     [](CommandState& s) { SwitchBglFiles(s, ".bgl", s.RenameExtension); }},
    {"-v+", 4, "layer number, version, filter", TakeBglSwitch,
     " Activating matching files in layer '{layer}'...",
     [](CommandState& s) { SwitchBglFiles(s, s.RenameExtension, ".bgl"); }},
    {"-p", 2, "message", TakeMessage, " {message}", WaitForEnter},
    {"-l", 1, "", TakeNothing, nullptr, ListTheLibrary},
    {"-hist", 1, "", TakeHistoryListing, nullptr, ListHistory},
    {"-undo", kOneToFourWords, "state number", TakeStateNumber, nullptr, UndoToState},
    {"-diff", kOneToFourWords, "state number", TakeStateNumber, nullptr, ShowStateDiff},
};

// The text of argument `name` ("layer", ...).
std::string ArgumentText(const CommandArguments& a, std::string_view name) {
  if (name == "layer") return std::to_string(a.Layer);
  if (name == "folder") return a.Folder;
  if (name == "source") return a.SourceFolder;
  if (name == "dest") return a.DestFolder;
  if (name == "title") return a.Title;
  return a.Message;
}

}  // namespace

void ShowProgress(const CommandState& s) {
  if (!s.Parsed->Progress) return;
  // Each {name} once, left to right; the texts put in are not searched.
  std::string line;
  for (const char* c = s.Parsed->Progress; *c; ++c) {
    const char* close = *c == '{' ? std::strchr(c, '}') : nullptr;
    if (close) {
      line += ArgumentText(s.Arguments, std::string_view(c + 1, size_t(close - c - 1)));
      c = close;
    } else if (*c == '\n') {
      WriteLine(line);
      line.clear();
    } else {
      line += *c;
    }
  }
  WriteLine(line);
}

std::string WordCountProblem(const Command& command, int32_t given) {
  const std::string option = "'" + std::string(command.Word) + "'";
  const std::string arguments = command.Arguments;
  const std::string count = std::to_string(given - 1) + " given";
  if (arguments.empty()) return option + " takes no arguments, " + count;
  const size_t needed = 1 + size_t(std::count(arguments.begin(), arguments.end(), ','));
  return option + " needs " + std::to_string(needed) +
         (needed == 1 ? " argument (" : " arguments (") + arguments + "), " + count;
}

const Command* FindCommand(std::string_view word) {
  for (const Command& command : kCommands)
    if (word == command.Word) return &command;
  return nullptr;
}

}  // namespace app
