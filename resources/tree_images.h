// Images of the tree view: bitmap 132, a strip of 45 pictures of 16 x 16.
//
// Images 0-14 are the base set, one per item state; the same pictures follow on a
// magenta ground (15-29, a search hit) and with a magenta frame (30-44, a key with a
// search hit below it). An item's image is its state code, except the two noted
// below, plus one of the offsets. The tree's image list has no mask: every picture
// is drawn on the white window ground and uses only the 16 standard colours, which is
// all a default-colour image list keeps.
#pragma once

enum TreeImage : int {
  TREE_IMAGE_KEY = 0,               // yellow folder
  TREE_IMAGE_KEY_NOT_READ = 1,      // folder crossed out in blue
  TREE_IMAGE_KEY_HIDDEN = 2,        // folder with lines
  TREE_IMAGE_KEY_NOT_CHECKED = 3,   // grey folder with a closed eye
  TREE_IMAGE_KEY_REFUSED = 4,       // padlock
  TREE_IMAGE_KEY_CHANGED_BELOW = 5, // folder with a red "!"
  TREE_IMAGE_KEY_ADDED = 6,         // folder with a red "?"
  TREE_IMAGE_KEY_DELETED = 7,       // folder with a red cross
  TREE_IMAGE_VALUE = 8,             // value page with blue dots
  TREE_IMAGE_VALUE_CHANGED = 9,     // value page with a red "!"
  TREE_IMAGE_VALUE_ADDED = 10,      // value page with a red "?"
  TREE_IMAGE_VALUE_DELETED = 11,    // value page with a red cross
  // A value in state 3 (not checked) takes this image, not image 3.
  TREE_IMAGE_VALUE_NOT_CHECKED = 12, // grey value page with a closed eye
  // Keys carrying SUM_AUTOCHECK_TARGET take these instead of their state's image.
  TREE_IMAGE_AUTOCHECK_TARGET = 13,         // green folder (state 0)
  TREE_IMAGE_AUTOCHECK_TARGET_CHANGED = 14, // green folder with a red "!" (other states)
};

constexpr int kTreeImageSize = 16;
constexpr int kTreeBaseImageCount = 15;
constexpr int kTreeImageCount = 45;
// Added to a search hit's image.
constexpr int kTreeHitImageOffset = 15;
// Added to the image of a key with a search hit below it.
constexpr int kTreeHitBelowImageOffset = 30;
