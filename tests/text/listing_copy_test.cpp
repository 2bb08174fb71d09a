// Copying listings: the text reaches the clipboard unchanged, and a listing above the
// single-block limit shows its warning and leaves the clipboard alone.
#include <gtest/gtest.h>

#include <string>

#include "platform/memory/memory_clipboard.h"
#include "platform/memory/recording_messages.h"
#include "tests/text/listing_fixture.h"
#include "text/listing_copy.h"

namespace {

using listing_test::ListingTest;

TEST_F(ListingTest, CopiedListingReachesTheClipboard) {
  platform::ScopedClipboard clipboard;
  const ItemIndex made = value(cur(), "HKEY_USERS\\キー", "名", kRegSz, std::string("値\0", 3));
  EXPECT_TRUE(copyListingToClipboard(valueEntryListing(cur(), made, context), ListingWarning::kNone));
  EXPECT_EQ(clipboard.board.text, "値");
}

TEST_F(ListingTest, ListingAboveTheBlockLimitWarnsAndCopiesNothing) {
  platform::ScopedClipboard clipboard;
  platform::ScopedMessages messages;
  context.showValueItems = true;
  // 60,000 value lines of about 150 bytes: more than the 8 MiB one block holds. The
  // names come in falling order, so each goes to the front of the list.
  const ItemIndex wide = key(cur(), "HKEY_USERS\\Wide");
  const std::string bytes(42, '\x7f');
  ItemIndex hint = kNoItem;
  for (int i = 0; i < 60000; ++i) {
    hint = addValue(cur(), wide, ("v" + std::to_string(199999 - i)).c_str());
    assignValueData(cur(), hint, reinterpret_cast<const uint8_t*>(bytes.data()), 42, 3, true);
  }
  const ListingText listing = keyStructureList(cur(), wide, context);
  EXPECT_FALSE(listing.ok());
  EXPECT_FALSE(copyListingToClipboard(listing, ListingWarning::kKeyStructure));
  EXPECT_EQ(clipboard.board.copies, 0);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "キー構成のコピー");
  EXPECT_EQ(messages.recorder.shown[0].flags, platform::kMsgIconWarning);
}

}  // namespace
