// The "表示設定(&D)" commands: the display toggles that rebuild the tree with its open
// keys kept open, the key-structure-only switch and the re-comparison, and the
// status information.
#pragma once

// 32797, 32803, 32828, 32823: flips the option behind `id` and its check mark.
void toggleDisplayOption(int id);
// 32779 "キー構成だけをチェック(&K)": flips OPT_KEYS_ONLY; with two sides shown the
// comparison runs again.
void toggleKeysOnly();
// 32794 "比較の再実行(&V)".
void compareAgain();
// 32778 "状況情報(&S)...".
void showStatusInformationCommand();
