// The favourites menu "よく開くキー(&F)" inside "表示(&V)": its items come from
// faveList.txt beside the program, read once at start-up; the ids
// IDM_FAVOURITE_FIRST + n open every key that favourite n names.
#pragma once

// Reads faveList.txt and puts its favourites and separators into the menu, in file
// order. A missing file is reported in a message box; the menu then keeps its blank
// placeholder.
void loadFavourites();
// Forgets the favourites (at exit).
void freeFavourites();
// Runs `id` when it is a favourite's id (also the placeholder's, which does
// nothing); false otherwise.
bool runFavouriteCommand(int id);
