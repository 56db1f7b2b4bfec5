// The library's history at work in a run: the state kept before every save,
// and the command-line options that show and use the kept states: "-hist"
// (list them), "-undo [N]" (put state N back) and "-diff [N]" (what changed
// from state N to the current file).  The states themselves are kept by
// scenery/library_history.h, compared by scenery/library_diff.h.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include "app/command_state.h"

namespace app {

// Argument rows.  In a batch file these commands are skipped with a note.
ParseResult TakeHistoryListing(CommandState& state);  // "-hist"
ParseResult TakeStateNumber(CommandState& state);     // "-undo", "-diff": none or one number

// Execution rows.
void ListHistory(CommandState& state);
void UndoToState(CommandState& state);
void ShowStateDiff(CommandState& state);

// True when word 1 of the command is one of the three options.
bool IsHistoryCommand(const CommandState& state);
// Loads scenery.cfg for a history command: a file that does not read as a
// library can still be listed against and put back, so the load's error is
// kept in LoadProblem instead of ending the run.
void LoadForHistory(CommandState& state);

// Saves the changed library (SaveToFile with its backup), keeping the file
// it replaces as the newest state first, unless History=0 or the file
// does not change.  Throws FatalError, nothing written, when the state
// cannot be kept.
void SaveKeepingHistory(CommandState& state);

}  // namespace app
