// "ペリムで元に戻す": hands the selected item's change to the restore program.
#pragma once

// Writes the undo list of the selected item, sends it to the running restore program
// and shows the outcome in the status line; then greys the command until the
// selection enables it again.
void undoSelectedChange();
