// The status information dialog (resource 140): the counts of the current snapshot
// and the labels of the two sides, read-only; "閉じる" and Esc close it.
#pragma once

// Modal, owned by the main window.
void showStatusInformation();
