// The key property dialog (resource 149, "キーのプロパティ"): the key's name and path,
// the counts of its subkeys, values and bytes, directly and for its subtree, the
// changes and search hits inside it and its last-write time; for a deleted key the
// counts of its baseline copy under the title "キーのプロパティ（削除前）". Modal.
#pragma once

#include "engine/snapshot_store.h"

void showKeyProperties(ItemIndex key);
