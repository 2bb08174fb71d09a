// The item descriptions in the shell: the guide file beside the program loaded while
// "項目の説明を表示(&G)" is on, the shown snapshot's described items marked, and the
// description window of "この項目の説明" (F1). Installs the feature hooks that the
// view commands call.
#pragma once

// At start-up, once the main window exists: installs the hooks and loads the guide
// file when the option is on.
void installDescriptions();
// At exit: closes the window and releases the store.
void removeDescriptions();
