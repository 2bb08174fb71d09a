// The favourites menu "よく開くキー(&F)": ids IDM_FAVOURITE_FIRST + n open the keys of
// favourite n.
#pragma once

// Runs `id` when it is a favourite's id; false otherwise.
bool runFavouriteCommand(int id);
