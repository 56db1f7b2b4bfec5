// The command table: every option's row, with the small functions its rows
// are made of.
#include "app/commands.h"

#include <string>

#include "app/batch.h"
#include "app/config_check.h"
#include "app/console.h"
#include "app/library_listing.h"
#include "app/parser.h"
#include "platform/platform.h"

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
  if (!LenientInteger(s.Args[3], a.Version) || !LenientInteger(s.Args[4], a.Filter))
    return kParseInvalid;
  // Only the BGL versions that exist (0 = any) make a valid command.
  if (a.Filter < 0 || a.Filter > 16383 || !IsKnownBglVersion(a.Version)) return kParseInvalid;
  return kParseOk;
}

int TakeMessage(CommandState& s) {
  s.Arguments.Message = s.Args[2];
  return TakeTexts(s);
}

// ------------------------------------------------------------ progress lines

std::string LayerOf(const CommandState& s) { return std::to_string(s.Arguments.Layer); }

void ShowCopyProgress(const CommandState& s) {
  WriteLine(" Copying scenery files...");
  WriteLine(" From: " + s.Arguments.SourceFolder);
  WriteLine(" To:   " + s.Arguments.DestFolder);
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

// Waits for Enter; a closed or empty standard input goes on at once.
void WaitForEnter(CommandState&) {
  plat::FlushStdout();
  std::string line;
  plat::ReadStdinLine(line);
}

const Command kCommands[] = {
    {"-g", 1, TakeNothing, nullptr, ShowLibraryPath},
    {"-f", 3, TakeFolderToFind,
     [](const CommandState& s) { WriteLine(" Searching for " + s.Arguments.Folder + "..."); },
     FindByFolder},
    {"-s", 1, TakeNothing, [](const CommandState&) { WriteLine(" Sorting layers..."); },
     [](CommandState& s) { LibraryOf(s).SortLayers(); }},
    {"-md", 2, TakeLayer,
     [](const CommandState& s) { WriteLine(" Moving layer " + LayerOf(s) + " down..."); },
     [](CommandState& s) { LibraryOf(s).MoveLayerDown(s.Arguments.Layer); }},
    {"-mu", 2, TakeLayer,
     [](const CommandState& s) { WriteLine(" Moving layer " + LayerOf(s) + " up..."); },
     [](CommandState& s) { LibraryOf(s).MoveLayerUp(s.Arguments.Layer); }},
    {"-i", 4, TakeInsert,
     [](const CommandState& s) { WriteLine(" Inserting layer from " + s.Arguments.Folder + "..."); },
     [](CommandState& s) {
       LibraryOf(s).InsertLayer(s.Arguments.Folder, s.Arguments.Title, s.Arguments.Layer);
     }},
    {"-d", 2, TakeLayer,
     [](const CommandState& s) { WriteLine(" Deleting layer " + LayerOf(s) + "..."); },
     [](CommandState& s) { LibraryOf(s).DeleteLayer(s.Arguments.Layer); }},
    {"-di", 1, TakeNothing,
     [](const CommandState&) { WriteLine(" Deleting all inactive layers..."); },
     [](CommandState& s) { LibraryOf(s).DeleteInactiveLayers(); }},
    {"-a", 2, TakeLayer,
     [](const CommandState& s) { WriteLine(" Activating layer " + LayerOf(s) + "..."); },
     [](CommandState& s) { LibraryOf(s).ActivateLayer(s.Arguments.Layer); }},
    {"-t", 2, TakeLayer,
     // No blank between "state" and the number: installers' logs read so.
     [](const CommandState& s) { WriteLine(" Toggling layer state" + LayerOf(s) + "..."); },
     [](CommandState& s) { LibraryOf(s).ToggleLayer(s.Arguments.Layer); }},
    {"-c", 4, TakeCopy, ShowCopyProgress,
     [](CommandState& s) {
       LibraryOf(s).CopyTree(s.Arguments.SourceFolder, s.Arguments.DestFolder, s.Arguments.Overwrite);
     }},
    {"-r", 2, TakeLayer,
     [](const CommandState& s) { WriteLine(" Removing scenery files in layer " + LayerOf(s) + "..."); },
     [](CommandState& s) { LibraryOf(s).RemoveLayerTree(s.Arguments.Layer); }},
    {"-ia", 2, TakeFolder, [](const CommandState&) { WriteLine(" Scanning for new scenery..."); },
     [](CommandState& s) { LibraryOf(s).AddNewScenery(s.Arguments.Folder); }},
    {"-x", 2, TakeAutoRemove, [](const CommandState&) { WriteLine(" Checking scenery.cfg..."); },
     [](CommandState& s) { CheckSceneryConfig(LibraryOf(s), s.Arguments.AutoRemove); }},
    {"-ft", 3, TakeTitleToFind,
     [](const CommandState& s) { WriteLine(" Searching for '" + s.Arguments.Title + "'..."); },
     FindByTitle},
    {"-dt", 2, TakeTitle,
     [](const CommandState& s) { WriteLine(" Deleting layer '" + s.Arguments.Title + "'..."); },
     [](CommandState& s) { LibraryOf(s).DeleteLayerByTitle(s.Arguments.Title); }},
    {"-b", 2, SetUpBatch, nullptr, RunBatchFile},
    {"-bu", kOneToFourWords, SetUpUserBatch, nullptr, RunBatchFile},
    {"-rf", 2, TakeFolder,
     [](const CommandState& s) { WriteLine(" Removing files in " + s.Arguments.Folder + "..."); },
     [](CommandState& s) { LibraryOf(s).RemoveListedFolderTree(s.Arguments.Folder); }},
    {"-v-", 4, TakeBglSwitch,
     [](const CommandState& s) {
       WriteLine(" Inactivating matching files in layer '" + LayerOf(s) + "'...");
     },
     [](CommandState& s) {
       const CommandArguments& a = s.Arguments;
       LibraryOf(s).RenameBglFiles(a.Layer, a.Version, a.Filter, ".bgl", s.RenameExtension);
     }},
    {"-v+", 4, TakeBglSwitch,
     [](const CommandState& s) {
       WriteLine(" Activating matching files in layer '" + LayerOf(s) + "'...");
     },
     [](CommandState& s) {
       const CommandArguments& a = s.Arguments;
       LibraryOf(s).RenameBglFiles(a.Layer, a.Version, a.Filter, s.RenameExtension, ".bgl");
     }},
    {"-p", 2, TakeMessage, [](const CommandState& s) { WriteLine(" " + s.Arguments.Message); },
     WaitForEnter},
    {"-l", 1, TakeNothing, nullptr, [](CommandState& s) { PrintLibraryListing(LibraryOf(s)); }},
};

}  // namespace

const Command* FindCommand(std::string_view word) {
  for (const Command& command : kCommands)
    if (word == command.Word) return &command;
  return nullptr;
}

}  // namespace app
