// The help file beside the program, shown through HTML Help (hhctrl.ocx, loaded when
// first needed; its entry 14 is HtmlHelpA). Without the library nothing happens.
#pragma once

// Shows helpFilePath, owned by the main window.
void showHelpFile();
// Closes every help window this program opened (shutdown).
void closeHelpWindows();
