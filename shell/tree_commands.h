// The view commands that open and close parts of the tree ("表示(&V)"): the three
// whole-tree openings, the openings inside the selected key, closing a level or
// everything, hiding an item, and going to a copied key name or to the items that
// have a description.
//
// Each writes its operation-log tag and works through the tree's open and close
// primitives (tree_view.h). The temporary filters (OPT_CHANGED_ONLY,
// OPT_UNCHECKED_ONLY) are set only for the duration of one command and always
// restored.
#pragma once

void openAllChanges();         // 32802 "変化分を全て開く(&A)"
void openAddedAndDeleted();    // 32820 "追加・削除を全て開く(&B)"
void openAllExceptions();      // 32782 exceptions, or the search hits while shown
void showAllInKey();           // 32791 "キー項目内を全て表示(&K)"
void openChangesInKey();       // 32818 "キー内の変化分を開く(&T)"
void showValuesInKey();        // 32808 "キー内の値項目を表示(&D)"
void closeThisLevel();         // 32795 "この階層を閉じる(&L)"
void closeAll();               // 32783 "全て閉じる(&C)"
void hideSelectedItem();       // 32826 "この項目を表示しない" (Esc)
void openCopiedKeyName();      // 32830 "コピーしたキー名を開く" (F2)
void openDescribedItems();     // 32824 "説明付項目を全て開く(&G)"

// Clears the search marks and hit drawing; 32782 reads "例外状態を全て開く(&O)" again.
void clearSearchMarks();
