// The key paths of the favourites menu and the walk that finds their keys in a
// snapshot.
//
// A path is a list of components separated by single backslashes; the first names a
// root key as the tree shows it (HKEY_LOCAL_MACHINE). Inside a component, two
// backslashes before a character X other than a backslash or a comma make it a
// pattern "prefix\\Xsuffix": X '*' takes any name with that prefix and suffix, 's' a
// user security identifier after the prefix, 'u' a braced GUID after the prefix (as
// the control rules match them); any other X takes nothing. Two backslashes and a
// comma separate alternatives: "Run\\,RunOnce" is Run or RunOnce among the same
// siblings, each followed by the rest of the path. A component keeps at most 254
// bytes (the rest is cut off); empty components are skipped.
//
// The walk opens every match: every key a pattern takes and every alternative, in
// every combination, in tree order. Names compare as the registry compares them.
// Keys whose path leaves out the class information's grouping keys are found inside
// them, as the control rules and the copied key names find them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"

constexpr size_t kMaxFavouriteComponentBytes = 254;
// The walk stops after this many keys: a pattern at several levels of a large
// registry could otherwise open a good part of it.
constexpr size_t kMaxFavouriteMatches = 1000;

struct FavouriteName {
  std::string text;  // a pattern keeps one backslash before its code character
  bool pattern = false;
};
// One level of the path: its alternatives, in written order.
using FavouriteStep = std::vector<FavouriteName>;

std::vector<FavouriteStep> parseFavouritePath(const char* path);

// Whether `name` is taken by the pattern `pattern` ("prefix\\Xsuffix").
bool favouritePatternMatches(const char* pattern, const char* name);

// The key named `name` on the sibling chain that starts at `firstSibling`, or -1.
ItemIndex findChildByName(SnapshotStore& store, ItemIndex firstSibling, const char* name);

// Every key the path names, in tree order (at most kMaxFavouriteMatches).
std::vector<ItemIndex> findFavouriteKeys(SnapshotStore& store, const char* path);
