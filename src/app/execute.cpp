// The dispatcher: the progress line of a batch line and the execution row of
// every option.
#include "app/execute.h"

#include <string>

#include "app/batch.h"
#include "app/config_check.h"
#include "app/console.h"
#include "app/library_listing.h"
#include "platform/platform.h"

namespace app {

void ShowProgress(CommandState& s) {
  const std::string n = std::to_string(s.LayerArg);
  switch (s.CommandIndex) {
    case CmdFind: WriteLine(" Searching for " + s.PathArg + "..."); break;
    case CmdFindTitle: WriteLine(" Searching for '" + s.TitleArg + "'..."); break;
    case CmdSort: WriteLine(" Sorting layers..."); break;
    case CmdMoveDown: WriteLine(" Moving layer " + n + " down..."); break;
    case CmdMoveUp: WriteLine(" Moving layer " + n + " up..."); break;
    case CmdInsert: WriteLine(" Inserting layer from " + s.PathArg + "..."); break;
    case CmdDelete: WriteLine(" Deleting layer " + n + "..."); break;
    case CmdDeleteTitle: WriteLine(" Deleting layer '" + s.TitleArg + "'..."); break;
    case CmdDeleteInactive: WriteLine(" Deleting all inactive layers..."); break;
    case CmdActivate: WriteLine(" Activating layer " + n + "..."); break;
    case CmdToggle: WriteLine(" Toggling layer state" + n + "..."); break;
    case CmdCopy:
      WriteLine(" Copying scenery files...");
      WriteLine(" From: " + s.SourcePathArg);
      WriteLine(" To:   " + s.PathArg);
      break;
    case CmdRemove: WriteLine(" Removing scenery files in layer " + n + "..."); break;
    case CmdRemovePath: WriteLine(" Removing files in " + s.PathArg + "..."); break;
    case CmdAddNew: WriteLine(" Scanning for new scenery..."); break;
    case CmdBglOff: WriteLine(" Inactivating matching files in layer '" + n + "'..."); break;
    case CmdBglOn: WriteLine(" Activating matching files in layer '" + n + "'..."); break;
    case CmdCheck: WriteLine(" Checking scenery.cfg..."); break;
    case CmdPause: WriteLine(" " + s.PathArg); break;
    default: break;  // -g, -l, -b and -bu have no progress line
  }
}

void ExecuteCommand(CommandState& s) {
  SceneryLibrary& library = *s.Library;
  switch (s.CommandIndex) {
    case CmdGetPath:
      WriteLine(" The current scenery.cfg is:");
      WriteLine(" " + library.ConfigPath);
      WriteLine("");
      break;
    case CmdFind: {
      // The model drops a trailing backslash from the path it is given.
      int32_t r = library.FindLayerByPath(s.PathArg, s.SwitchArg);
      WriteLine(" Result (-1 = not found): " + std::to_string(r));
      break;
    }
    case CmdFindTitle: {
      int32_t r = library.FindLayerByTitle(s.TitleArg, s.SwitchArg);
      WriteLine(" Result (-1 = no): " + std::to_string(r));
      break;
    }
    case CmdSort: library.SortLayers(); break;
    case CmdMoveDown: library.MoveLayerDown(s.LayerArg); break;
    case CmdMoveUp: library.MoveLayerUp(s.LayerArg); break;
    case CmdInsert: library.InsertLayer(s.PathArg, s.TitleArg, s.LayerArg); break;
    case CmdDelete: library.DeleteLayer(s.LayerArg); break;
    case CmdDeleteTitle: library.DeleteLayerByTitle(s.TitleArg); break;
    case CmdDeleteInactive: library.DeleteInactiveLayers(); break;
    case CmdActivate: library.ActivateLayer(s.LayerArg); break;
    case CmdToggle: library.ToggleLayer(s.LayerArg); break;
    case CmdCopy: library.CopyTree(s.SourcePathArg, s.PathArg, s.LayerArg); break;
    case CmdRemove: library.RemoveLayerTree(s.LayerArg); break;
    case CmdRemovePath: {
      int32_t r = library.FindLayerByPath(s.PathArg, false);
      s.LayerArg = r;
      if (r == -1) break;
      // The tree of the area listed with this folder is removed, addressed by
      // its position: an earlier area with the same layer number would
      // otherwise lose its folder instead.  The found layer is used up, as
      // a removal by number uses it up.
      library.LastLayer = -1;
      const std::string folder = library.AsStored(s.PathArg);  // as the find compared it
      for (size_t i = 0; i < library.Sections.size(); ++i) {
        if (library.IsAreaEntry(i) &&
            plat::SameText(library.Sections[i].Record->Local, folder)) {
          library.RemoveAreaTree(i);
          break;
        }
      }
      break;
    }
    case CmdAddNew: library.AddNewScenery(s.PathArg); break;
    case CmdCheck: CheckSceneryConfig(library, s.SwitchArg); break;
    case CmdBglOff:
      library.RenameBglFiles(s.LayerArg, s.VersionArg, s.FilterArg, ".bgl", s.RenameExtension);
      break;
    case CmdBglOn:
      library.RenameBglFiles(s.LayerArg, s.VersionArg, s.FilterArg, s.RenameExtension, ".bgl");
      break;
    case CmdPause: {
      // Waits for Enter; a closed or empty standard input goes on at once.
      plat::FlushStdout();
      std::string line;
      plat::ReadStdinLine(line);
      break;
    }
    case CmdList: PrintLibraryListing(library); break;
    case CmdBatch:
    case CmdBatchUser: RunBatchFile(s); break;
    default: break;
  }
}

}  // namespace app
