// The search dialog (resource 148, "検索"): the search text with its history, the
// search flags, and below the separator line the search options (result range,
// scope, dates, entry types, display during a batch search).
//
// On "検索開始" the text and flags go to the head of the search history and the
// options into the run-time search settings (search/search_engine.h); the caller then
// runs the search with the history's head.
#pragma once

#include "engine/snapshot_store.h"

// Modal, owned by the main window. `selected` is the tree's selected item (-1 when
// none; a value with kValueItemBit). True when confirmed with a valid text.
bool showSearchDialog(ItemIndex selected);
