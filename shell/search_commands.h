// The search commands of the edit group: 検索 (32805), 次を検索 (32806), 検索終了
// (32825), 不在ファイル名の検索 (32827) and 検索結果のリストをコピー (32810). Each runs the search engine of search/ on
// the current store, shows the hits in the tree and leaves the menu states to match.
#pragma once

void searchCommand();
void findNextCommand();
void endSearchCommand();
void copySearchResults();
void missingFileCommand();
