// The value property dialogs (resources 143 and 144, "プロパティ"): the value's name,
// type, size, key and full data, and for a changed or deleted value beside a baseline
// the baseline's type, size and data. Modal, owned by the main window.
//
// From the dialog the user searches for a part of its texts (the search dialog opens
// with it), opens the file property dialog for a file the value names, or opens the
// key in the registry editor; after that, the data is read again from the live
// registry whenever the dialog is activated from the keyboard.
#pragma once

#include "engine/snapshot_store.h"

// The value (reference with bit 31) or key property dialog of `reference`.
void showItemProperties(ItemIndex reference);
