#!/usr/bin/env python3
"""Checks the compiled help file against the command-id header and the menu resource.

Usage: check_help_contents.py HELP.chm command_ids.h regKestrin.rc REPORT.xml

Reads the table of contents out of the compiled CHM (chmls, from fp-utils), not out of
the sources, so a page or an entry that the compiler dropped is caught as well. Every
command id of the header must have a contents entry that points at the anchor
cmd<id> of a page inside the CHM, and that page must hold the anchor; an entry of a
main-menu command must carry the menu text (without its &-key, "..." and shortcut).
The index must be compiled in. One test case per command id, plus one for the index;
the report has the shape of a GoogleTest XML report so that ./test counts it.
"""
import html
import os
import re
import subprocess
import sys
import tempfile

# Ids in the header that name no command the user can choose.
NOT_COMMANDS = {"IDM_FAVOURITE_PLACEHOLDER", "IDM_RIGHT_CLICK_CANCEL"}


def command_ids(header_text):
    return {name: int(value) for name, value in
            re.findall(r"^#define\s+(IDM_\w+)\s+(\d+)", header_text, re.M)
            if name not in NOT_COMMANDS}


def menu_texts(rc_text):
    """The visible text of each main-menu item, keyed by its IDM_ name."""
    texts = {}
    for text, name in re.findall(r'MENUITEM\s+"([^"]*)",\s*(IDM_\w+)', rc_text):
        texts[name] = plain_menu_text(text)
    # The favourites submenu is a popup; its entries are IDM_FAVOURITE_FIRST + n.
    popup = re.search(r'POPUP\s+"(よく開くキー[^"]*)"', rc_text)
    if popup:
        texts["IDM_FAVOURITE_FIRST"] = plain_menu_text(popup.group(1))
    return texts


def plain_menu_text(text):
    text = text.split("\\t")[0]
    text = re.sub(r"\(&.\)", "", text).replace("&", "")
    return text.replace("...", "").strip()


def contents_entries(hhc_text):
    """(name, local) of every entry of the contents file."""
    entries = []
    for block in re.findall(r"<OBJECT[^>]*text/sitemap[^>]*>(.*?)</OBJECT>", hhc_text, re.S | re.I):
        params = dict((key.lower(), html.unescape(value)) for key, value in
                      re.findall(r'<param\s+name="([^"]+)"\s+value="([^"]*)"', block, re.I))
        entries.append((params.get("name", ""), params.get("local", "")))
    return entries


def read_cp932(path):
    with open(path, "rb") as f:
        return f.read().decode("cp932")


def check(chm, header, rc, folder):
    """Returns a list of (case name, failure text or None)."""
    subprocess.run(["chmls", "extractall", chm, folder], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    hhc = [name for name in os.listdir(folder) if name.lower().endswith(".hhc")]
    if len(hhc) != 1:
        return [("contents_file", "the CHM holds %d .hhc files" % len(hhc))]
    entries = contents_entries(read_cp932(os.path.join(folder, hhc[0])))
    ids = command_ids(open(header, encoding="utf-8").read())
    menus = menu_texts(open(rc, encoding="utf-8").read())

    results = []
    for name, value in sorted(ids.items(), key=lambda item: item[1]):
        anchor = "cmd%d" % value
        matching = [(text, local) for text, local in entries if local.endswith("#" + anchor)]
        failure = None
        if not matching:
            failure = "no contents entry points at #%s" % anchor
        else:
            text, local = matching[0]
            page = os.path.join(folder, local.split("#")[0])
            if not os.path.isfile(page):
                failure = "the entry's page %s is not in the CHM" % local
            elif ('name="%s"' % anchor) not in read_cp932(page):
                failure = "page %s has no anchor %s" % (local, anchor)
            elif name in menus and text != menus[name]:
                failure = "entry reads %r, the menu reads %r" % (text, menus[name])
        results.append((name, failure))

    hhk = [name for name in os.listdir(folder) if name.lower().endswith(".hhk")]
    keyword_tree = os.path.join(folder, "$WWKeywordLinks", "BTree")
    index_failure = None
    if len(hhk) != 1 or not contents_entries(read_cp932(os.path.join(folder, hhk[0]))):
        index_failure = "the CHM holds no index entries"
    elif not os.path.isfile(keyword_tree):
        index_failure = "the CHM has no compiled (binary) index"
    results.append(("compiled_index", index_failure))
    return results


def write_report(path, results):
    failures = sum(1 for _, failure in results if failure)
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<testsuites tests="%d" failures="%d" disabled="0" errors="0" name="help_contents">'
             % (len(results), failures),
             '  <testsuite name="HelpContents" tests="%d" failures="%d" disabled="0" errors="0">'
             % (len(results), failures)]
    for name, failure in results:
        if failure:
            lines.append('    <testcase name="%s"><failure message="%s"/></testcase>'
                         % (name, html.escape(failure, quote=True)))
        else:
            lines.append('    <testcase name="%s"/>' % name)
    lines += ["  </testsuite>", "</testsuites>", ""]
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


def main():
    if len(sys.argv) != 5:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    chm, header, rc, report = sys.argv[1:]
    with tempfile.TemporaryDirectory() as folder:
        results = check(chm, header, rc, folder)
    write_report(report, results)
    failed = [(name, failure) for name, failure in results if failure]
    for name, failure in failed:
        print("help contents: %s: %s" % (name, failure))
    print("help contents: %d checked, %d failed" % (len(results), len(failed)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
