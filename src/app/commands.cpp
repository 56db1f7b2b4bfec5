// The command table: every option's row, with the small functions its rows
// are made of.
#include "app/commands.h"

#include <cstring>
#include <string>

#include "app/batch.h"
#include "app/config_check.h"
#include "app/console.h"
#include "app/library_listing.h"
#include "app/parser.h"
#include "platform/platform.h"
#include "scenery/value_syntax.h"

namespace app {

namespace {

// ------------------------------------------------------------ arguments

int TakeNothing(CommandState&) { return kParseOk; }

int TakeLayer(CommandState& s) {
  s.Arguments.Layer = StrictInteger(s.Args[2]);
  return kParseOk;
}

int TakeFolder(CommandState& s) {
  s.Arguments.Folder = s.Args[2];
  return TakeTexts(s);
}

int TakeFolderToFind(CommandState& s) {
  s.Arguments.Activate = s.Args[3] == "1";
  return TakeFolder(s);
}

int TakeTitleToFind(CommandState& s) {
  s.Arguments.Title = s.Args[2];
  s.Arguments.Activate = s.Args[3] == "1";
  return TakeTexts(s);
}

int TakeTitle(CommandState& s) {
  s.Arguments.Title = s.Args[2];
  return TakeTexts(s);
}

int TakeInsert(CommandState& s) {
  CommandArguments& a = s.Arguments;
  a.Folder = s.Args[2];
  a.Title = s.Args[3];
  a.Layer = StrictInteger(s.Args[4]);
  return TakeTexts(s);
}

int TakeCopy(CommandState& s) {
  CommandArguments& a = s.Arguments;
  a.SourceFolder = s.Args[2];
  a.DestFolder = s.Args[3];
  a.Overwrite = StrictInteger(s.Args[4]);
  if (a.Overwrite < 0 || a.Overwrite > 3) return kParseInvalid;
  const int result = TakeTexts(s);
  if (result != kParseOk) return result;
  // The source must be a folder as written; the destination is what the
  // copy makes.
  return plat::FolderExists(a.SourceFolder) ? kParseOk : kParseNoFolder;
}

int TakeAutoRemove(CommandState& s) {
  s.Arguments.AutoRemove = s.Args[2] == "1";
  return kParseOk;
}

bool IsKnownBglVersion(int32_t version) {
  return version == 0 || version == 6 || version == 7 || version == 9 || version == 10;
}

// "-v-" and "-v+": layernum version filter.
int TakeBglSwitch(CommandState& s) {
  CommandArguments& a = s.Arguments;
  a.Layer = StrictInteger(s.Args[2]);
  if (!ParseInteger(s.Args[3], a.Version) || !ParseInteger(s.Args[4], a.Filter))
    return kParseInvalid;
  // Only the BGL versions that exist (0 = any) make a valid command.
  if (a.Filter < 0 || a.Filter > 16383 || !IsKnownBglVersion(a.Version)) return kParseInvalid;
  return kParseOk;
}

int TakeMessage(CommandState& s) {
  s.Arguments.Message = s.Args[2];
  return TakeTexts(s);
}

// ------------------------------------------------------------ operations

SceneryLibrary& LibraryOf(CommandState& s) { return *s.Library; }

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

void SwitchBglFiles(CommandState& s, const std::string& from, const std::string& to) {
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
    {"-g", 1, TakeNothing, nullptr, ShowLibraryPath},
    {"-f", 3, TakeFolderToFind, " Searching for {folder}...", FindByFolder},
    {"-s", 1, TakeNothing, " Sorting layers...", [](CommandState& s) { LibraryOf(s).SortLayers(); }},
    {"-md", 2, TakeLayer, " Moving layer {layer} down...",
     [](CommandState& s) { LibraryOf(s).MoveLayerDown(s.Arguments.Layer); }},
    {"-mu", 2, TakeLayer, " Moving layer {layer} up...",
     [](CommandState& s) { LibraryOf(s).MoveLayerUp(s.Arguments.Layer); }},
    {"-i", 4, TakeInsert, " Inserting layer from {folder}...",
     [](CommandState& s) {
       LibraryOf(s).InsertLayer(s.Arguments.Folder, s.Arguments.Title, s.Arguments.Layer);
     }},
    {"-d", 2, TakeLayer, " Deleting layer {layer}...",
     [](CommandState& s) { LibraryOf(s).DeleteLayer(s.Arguments.Layer); }},
    {"-di", 1, TakeNothing, " Deleting all inactive layers...",
     [](CommandState& s) { LibraryOf(s).DeleteInactiveLayers(); }},
    {"-a", 2, TakeLayer, " Activating layer {layer}...",
     [](CommandState& s) { LibraryOf(s).ActivateLayer(s.Arguments.Layer); }},
    {"-t", 2, TakeLayer, " Toggling layer state{layer}...",
     [](CommandState& s) { LibraryOf(s).ToggleLayer(s.Arguments.Layer); }},
    {"-c", 4, TakeCopy, " Copying scenery files...\n From: {source}\n To:   {dest}",
     [](CommandState& s) {
       LibraryOf(s).CopyTree(s.Arguments.SourceFolder, s.Arguments.DestFolder, s.Arguments.Overwrite);
     }},
    {"-r", 2, TakeLayer, " Removing scenery files in layer {layer}...",
     [](CommandState& s) { LibraryOf(s).RemoveLayerTree(s.Arguments.Layer); }},
    {"-ia", 2, TakeFolder, " Scanning for new scenery...",
     [](CommandState& s) { LibraryOf(s).AddNewScenery(s.Arguments.Folder); }},
    {"-x", 2, TakeAutoRemove, " Checking scenery.cfg...",
     [](CommandState& s) { CheckSceneryConfig(LibraryOf(s), s.Arguments.AutoRemove); }},
    {"-ft", 3, TakeTitleToFind, " Searching for '{title}'...", FindByTitle},
    {"-dt", 2, TakeTitle, " Deleting layer '{title}'...",
     [](CommandState& s) { LibraryOf(s).DeleteLayerByTitle(s.Arguments.Title); }},
    {"-b", 2, SetUpBatch, nullptr, RunBatchFile},
    {"-bu", kOneToFourWords, SetUpUserBatch, nullptr, RunBatchFile},
    {"-rf", 2, TakeFolder, " Removing files in {folder}...",
     [](CommandState& s) { LibraryOf(s).RemoveListedFolderTree(s.Arguments.Folder); }},
    {"-v-", 4, TakeBglSwitch, " Inactivating matching files in layer '{layer}'...",
     [](CommandState& s) { SwitchBglFiles(s, ".bgl", s.RenameExtension); }},
    {"-v+", 4, TakeBglSwitch, " Activating matching files in layer '{layer}'...",
     [](CommandState& s) { SwitchBglFiles(s, s.RenameExtension, ".bgl"); }},
    {"-p", 2, TakeMessage, " {message}", WaitForEnter},
    {"-l", 1, TakeNothing, nullptr, [](CommandState& s) { PrintLibraryListing(LibraryOf(s)); }},
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

const Command* FindCommand(std::string_view word) {
  for (const Command& command : kCommands)
    if (word == command.Word) return &command;
  return nullptr;
}

}  // namespace app
