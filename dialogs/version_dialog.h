// The version dialog (resource 103): the program icon, the version line and a button
// that opens the support page in the default browser.
#pragma once

// Modal, owned by the main window.
void showVersionDialog();
