#include "console/console_texts.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

const ConsoleTexts kJapanese = {
    // usage
    "使い方: kestrin コマンド [オプション]\n"
    "\n"
    "レジストリのスナップショットを取り、比較し、変化を .reg ファイルに書き出します。\n"
    "\n"
    "コマンド:\n"
    "  snapshot FILE.rsv                      現在のレジストリを読み込んで保存します\n"
    "  compare BASE.rsv [OTHER.rsv | --live]  変化分のリストを出力します\n"
    "  list FILE.rsv [KEY]                    キー構成リストを出力します\n"
    "  export-reg BASE.rsv OTHER.rsv --redo|--undo OUT.reg\n"
    "                                         変化を適用する (--redo) か元に戻す (--undo)\n"
    "                                         .reg ファイルを書きます\n"
    "\n"
    "kestrin コマンド --help で各コマンドの説明を表示します。\n"
    "終了ステータス: 0 成功 (compare では変化なし)、1 変化あり (compare)、2 エラー\n",
    // snapshotHelp
    "使い方: kestrin snapshot FILE.rsv\n"
    "\n"
    "現在のレジストリを読み込み、スナップショットファイル FILE.rsv に保存します。\n"
    "プログラムのフォルダーにあるオプション (options.dat) と制御ルール (keyCtrl.txt、\n"
    "userCtrl.dat) に従います。読み込み中のキーと件数を標準エラーに表示します。\n"
    "レジストリのある Windows でのみ動作します。\n"
    "\n"
    "終了ステータス: 0 保存した、2 エラー\n",
    // compareHelp
    "使い方: kestrin compare BASE.rsv [OTHER.rsv | --live] [--output FILE]\n"
    "                        [--encoding cp932|utf8]\n"
    "\n"
    "基準データ BASE.rsv を比較対象 (OTHER.rsv、または --live で現在のレジストリ) と\n"
    "比較し、変化分のリストを標準出力に書きます。\n"
    "\n"
    "  --live            現在のレジストリと比較します (Windows のみ)\n"
    "  --output FILE     標準出力の代わりに FILE に書きます\n"
    "  --encoding utf8   UTF-8 で出力します (既定は cp932)\n"
    "\n"
    "終了ステータス: 0 変化なし、1 変化あり、2 エラー\n",
    // listHelp
    "使い方: kestrin list FILE.rsv [KEY] [--values] [--output FILE]\n"
    "                     [--encoding cp932|utf8]\n"
    "\n"
    "FILE.rsv のキー構成リストを標準出力に書きます。KEY (例: HKEY_CURRENT_USER\\Software)\n"
    "を指定すると、そのキーより下だけを書きます。\n"
    "\n"
    "  --values          値の項目も書きます\n"
    "  --output FILE     標準出力の代わりに FILE に書きます\n"
    "  --encoding utf8   UTF-8 で出力します (既定は cp932)\n"
    "\n"
    "終了ステータス: 0 成功、2 エラー\n",
    // exportRegHelp
    "使い方: kestrin export-reg BASE.rsv OTHER.rsv --redo|--undo [--unicode] OUT.reg\n"
    "\n"
    "BASE.rsv から OTHER.rsv への変化をレジストリ エディターの .reg ファイルにします。\n"
    "\n"
    "  --redo      変化を適用するファイル (BASE の状態を OTHER の状態にする)\n"
    "  --undo      変化を元に戻すファイル (OTHER の状態を BASE の状態に戻す)\n"
    "  --unicode   \"Windows Registry Editor Version 5.00\" 形式 (UTF-16LE) で書きます\n"
    "              (既定は REGEDIT4 形式、cp932)\n"
    "\n"
    "データを保存せずダイジェストだけを記録した値は書き出せません。その名前を\n"
    ".reg ファイルの注釈と標準エラーに示します。\n"
    "\n"
    "終了ステータス: 0 書き出した、2 エラー\n",
    "不明なコマンドです: %s\n",
    "不明なオプションです: %s\n",
    "オプション %s には値が必要です\n",
    "不明な出力形式です: %s (cp932 か utf8 を指定してください)\n",
    "%s のファイルの指定が正しくありません\n",
    "--live と比較対象ファイルは同時に指定できません\n",
    "--redo か --undo のどちらか一方を指定してください\n",
    "使い方は kestrin --help で表示します。\n",
    "このシステムにはレジストリがありません。snapshot と compare --live は Windows で実行してください。\n",
    "ファイルを開けません: %s\n",
    "ファイルに書き込めません: %s\n",
    "キーが見つかりません: %s\n",
    "リストが大きすぎて作成できません\n",
    "読込中 %s (%lld キー)\n",
    "%lld キー、%lld 値を %s に保存しました\n",
    "変化 %lld 件\n",
    "変化はありません\n",
    "書き出せない値 (データはダイジェストのみ):",
    "書き出せない値 (データはダイジェストのみ): %s\n",
    "%lld キー、%lld 値の行を %s に書きました\n",
};

const ConsoleTexts kEnglish = {
    // usage
    "Usage: kestrin COMMAND [OPTIONS]\n"
    "\n"
    "Takes snapshots of the registry, compares them and writes the changes as .reg files.\n"
    "\n"
    "Commands:\n"
    "  snapshot FILE.rsv                      read the registry and save it\n"
    "  compare BASE.rsv [OTHER.rsv | --live]  print the change list\n"
    "  list FILE.rsv [KEY]                    print the key structure list\n"
    "  export-reg BASE.rsv OTHER.rsv --redo|--undo OUT.reg\n"
    "                                         write a .reg file that applies (--redo)\n"
    "                                         or reverts (--undo) the changes\n"
    "\n"
    "Run kestrin COMMAND --help for the help of one command.\n"
    "Exit status: 0 success (compare: no changes), 1 changes found (compare), 2 error\n",
    // snapshotHelp
    "Usage: kestrin snapshot FILE.rsv\n"
    "\n"
    "Reads the registry and saves it as the snapshot file FILE.rsv, following the options\n"
    "(options.dat) and control rules (keyCtrl.txt, userCtrl.dat) in the program's folder.\n"
    "The top-level key being read and the count so far are shown on standard error.\n"
    "Runs only on Windows, where there is a registry.\n"
    "\n"
    "Exit status: 0 saved, 2 error\n",
    // compareHelp
    "Usage: kestrin compare BASE.rsv [OTHER.rsv | --live] [--output FILE]\n"
    "                       [--encoding cp932|utf8]\n"
    "\n"
    "Compares the baseline BASE.rsv with OTHER.rsv, or with the registry itself (--live),\n"
    "and prints the change list on standard output.\n"
    "\n"
    "  --live            compare with the registry itself (Windows only)\n"
    "  --output FILE     write to FILE instead of standard output\n"
    "  --encoding utf8   write UTF-8 (the default is cp932)\n"
    "\n"
    "Exit status: 0 no changes, 1 changes found, 2 error\n",
    // listHelp
    "Usage: kestrin list FILE.rsv [KEY] [--values] [--output FILE]\n"
    "                    [--encoding cp932|utf8]\n"
    "\n"
    "Prints the key structure list of FILE.rsv; with KEY (for example\n"
    "HKEY_CURRENT_USER\\Software) only the part below that key.\n"
    "\n"
    "  --values          list the values too\n"
    "  --output FILE     write to FILE instead of standard output\n"
    "  --encoding utf8   write UTF-8 (the default is cp932)\n"
    "\n"
    "Exit status: 0 success, 2 error\n",
    // exportRegHelp
    "Usage: kestrin export-reg BASE.rsv OTHER.rsv --redo|--undo [--unicode] OUT.reg\n"
    "\n"
    "Writes the changes from BASE.rsv to OTHER.rsv as a registry editor file.\n"
    "\n"
    "  --redo      a file that applies the changes (makes BASE into OTHER)\n"
    "  --undo      a file that reverts the changes (makes OTHER into BASE again)\n"
    "  --unicode   write \"Windows Registry Editor Version 5.00\" (UTF-16LE)\n"
    "              (the default is REGEDIT4 with cp932 text)\n"
    "\n"
    "Values whose data the snapshot kept only as a digest cannot be written; they are\n"
    "named in a comment of the file and on standard error.\n"
    "\n"
    "Exit status: 0 written, 2 error\n",
    "unknown command: %s\n",
    "unknown option: %s\n",
    "option %s needs a value\n",
    "unknown encoding: %s (use cp932 or utf8)\n",
    "wrong files for %s\n",
    "--live and a comparison file cannot be given together\n",
    "give one of --redo and --undo\n",
    "Run kestrin --help for usage.\n",
    "There is no registry on this system: run snapshot and compare --live on Windows.\n",
    "cannot open the file: %s\n",
    "cannot write the file: %s\n",
    "key not found: %s\n",
    "the listing is too large to build\n",
    "reading %s (%lld keys)\n",
    "saved %lld keys and %lld values to %s\n",
    "%lld changes\n",
    "no changes\n",
    "not exportable, only a digest of the data was kept:",
    "not exportable, only a digest of the data was kept: %s\n",
    "wrote %lld key lines and %lld value lines to %s\n",
};

}  // namespace

const ConsoleTexts& consoleTexts(ConsoleLanguage language) {
  return language == ConsoleLanguage::kJapanese ? kJapanese : kEnglish;
}

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (size > 0) {
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    text.assign(buffer.data(), static_cast<size_t>(size));
  }
  va_end(args);
  return text;
}
