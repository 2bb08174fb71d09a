// The "設定(&S)" commands that change controls: the per-item toggles on the selected
// key or value, and the rule commands that act on the whole snapshot or on the user
// control file userCtrl.dat.
//
// A per-item toggle changes the item's state, records it as the user's rule
// (recordItemControl), refreshes its image and the selection's menu checks; the
// whole-snapshot commands rebuild the tree with its open keys kept open.
#pragma once

void toggleNotRead();            // 32784 "取込まない(&R)"
void toggleNotChecked();         // 32785 "チェックしない(&N)"
void toggleNotDisplayed();       // 32786 "表示しない(&D)"
void toggleSameNameNotChecked(); // 32835 "同名のキーは全てチェックしない(&K)"
void toggleAutoCheckTarget();    // 32813 "自動チェック対象に設定(&A)"
void uncheckMismatches();        // 32788 "不一致項目を非チェックに設定(&U)"
void clearAllUnchecked();        // 32789 "全ての非チェックを解除(&V)"
void makeDeletedItemsValid();    // 32832 "削除項目を有効項目にする(&E)"
void resetControls();            // 32792 "制御をオプションで初期化する(&I)"
void copyBaselineControls();     // 32807 "基準データの制御状態をコピー(&C)"
void saveUserControls();         // 32834 "ユーザ制御情報を保存(&S)"
void eraseUserControls();        // 32837 "ユーザ制御情報を消去(&T)"
