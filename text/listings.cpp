#include "text/listings.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/registry_reader.h"
#include "engine/store_walk.h"
#include "engine/view_state.h"
#include "text/change_details.h"
#include "text/listing_values.h"
#include "text/value_text.h"

namespace {

// Lines of a key structure list between two reminders of the place.
constexpr int kReminderInterval = 80;

const char* shownValueName(SnapshotStore& store, ItemIndex value) {
  const char* name = store_walk::valueNameOrEmpty(store, value);
  return name[0] == '\0' ? kDefaultValueName : name;
}

void putPath(ListingSink& out, SnapshotStore& store, ItemIndex key) {
  const std::string path = buildItemPath(store, key, 0);
  out.put(path.data(), path.size());
}

// "<title>　（YYYY年MM月DD日HH時MM分）" and CR LF.
void putTitle(ListingSink& out, const char* title, const platform::LocalTime& now) {
  out.put(title);
  char when[96];
  std::snprintf(when, sizeof when, "　（%2d年%2d月%2d日%2d時%2d分）\r\n", now.year, now.month,
                now.day, now.hour, now.minute);
  out.put(when);
}

void putSelectedKey(ListingSink& out, SnapshotStore& store, ItemIndex key) {
  out.put("選択キー： [");
  putPath(out, store, key);
  out.put("]\r\n");
}

ListingText plainText(const char* text, size_t length) {
  return buildListing([&](ListingSink& out) { out.put(text, length); });
}

}  // namespace

ListingText keyNameText(SnapshotStore& store, ItemIndex item) {
  const std::string path = buildItemPath(store, item, 1);
  return plainText(path.data(), path.size());
}

ListingText keyStructureList(SnapshotStore& store, ItemIndex key, const ListingContext& context) {
  ListingValueReader values(context.viewState);
  return buildListing([&](ListingSink& out) {
    putTitle(out, "キー構成リスト", context.now);
    putSelectedKey(out, store, key);
    out.put("\r\n\r\n");
    int lines = 0;
    char data[kListingDataWidth];
    store_walk::walkKeys(store, key, false, [&](ItemIndex at) {
      const KeyRecord& record = keyRecord(store, at);
      if (record.state == STATE_DELETED) return false;
      if (lines >= kReminderInterval && store_walk::isKey(store, record.parent)) {
        out.put("\r\n[");
        putPath(out, store, record.parent);
        out.put("]\r\n\r\n");
        lines = 0;
      }
      char number[16];
      std::snprintf(number, sizeof number, "%2d ", record.depth);
      out.put(number);
      for (int dot = 1; dot < record.depth; ++dot) out.put(".", 1);
      out.put(" ", 1);
      out.put(store_walk::keyNameOrEmpty(store, at));
      out.put("\r\n", 2);
      ++lines;
      if (context.showValueItems) {
        store_walk::forEachValue(store, at, [&](ItemIndex value, const ValueRecord& v) {
          if (v.state == STATE_VALUE_DELETED) return;
          out.spaces(3 + record.depth + 1);
          out.put(" ", 1);
          out.put(shownValueName(store, value));
          out.put(" := ", 4);
          if (values.shortText(store, value, data)) out.put(data);
          out.put("\r\n", 2);
          ++lines;
        });
      }
      return true;
    });
  });
}

ListingText valueEntryListing(SnapshotStore& store, ItemIndex value, const ListingContext& context) {
  if (!store_walk::isValue(store, value)) return plainText(kNoValueData, std::strlen(kNoValueData));
  const uint8_t* data = nullptr;
  int32_t length = 0;
  int kind = 0;
  LiveValue live;
  if (!keptValueData(store, value, data, length, kind)) {
    if (!viewShowsLiveReading(context.viewState) ||
        store_walk::isGhostValue(valueRecord(store, value))) {
      return plainText(kNoValueData, std::strlen(kNoValueData));
    }
    live = readValueLive(store, value, LiveRead::kStoredEmpty);
    if (!live.read) return plainText("", 0);
    data = live.data.data();
    length = static_cast<int32_t>(live.data.size());
    kind = valueKindOf(live.type);
  }

  if (kind == VALUE_KIND_TEXT) {
    // The text alone, up to its NUL (registry data need not have one).
    const void* nul = data != nullptr ? std::memchr(data, 0, static_cast<size_t>(length)) : nullptr;
    const size_t textLength =
        nul != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data)
                       : static_cast<size_t>(length);
    return plainText(reinterpret_cast<const char*>(data), textLength);
  }
  std::vector<char> body;
  if (kind == VALUE_KIND_MULTI_TEXT) {
    body.resize(multiStringLinesSize(data, length));
    multiStringToLines(body.data(), data, length);
  } else {
    body.resize(hexDump20Size(length, kind));
    formatHexDump20(body.data(), data, length, kind);
  }
  const ItemIndex key = ownerKeyOfValue(store, value);
  const char* storedName = store_walk::valueNameOrEmpty(store, value);
  return buildListing([&](ListingSink& out) {
    putTitle(out, "エントリ値", context.now);
    putSelectedKey(out, store, key);
    out.put("エントリ： ");
    out.put(storedName);
    out.put("\r\n\r\n");
    out.put(body.data());
  });
}

ListingText searchResultList(SnapshotStore& store, const ListingContext& context,
                             const char* searchText, bool missingFileSearch) {
  ListingValueReader values(context.viewState);
  return buildListing([&](ListingSink& out) {
    putTitle(out, "検索結果リスト", context.now);
    if (missingFileSearch) {
      out.put("不在ファイル検索：\r\n\r\n");
    } else {
      out.put("検索テキスト： '");
      out.put(searchText != nullptr ? searchText : "");
      out.put("'\r\n\r\n");
    }
    char data[kListingDataWidth];
    store_walk::walkAllKeys(store, [&](ItemIndex key) {
      const uint16_t flags = keyFlags(store, key);
      if (!(flags & (VIEW_HIT | VIEW_HIT_BELOW))) return false;
      bool opened = false;
      if (flags & VIEW_HIT) {
        out.put("*[", 2);
        putPath(out, store, key);
        out.put("]\r\n", 3);
        opened = true;
      }
      store_walk::forEachValue(store, key, [&](ItemIndex value, const ValueRecord&) {
        if (!(valueFlags(store, value) & VIEW_HIT)) return;
        if (!opened) {
          out.put(" [", 2);
          putPath(out, store, key);
          out.put("]\r\n", 3);
          opened = true;
        }
        out.put("    ", 4);
        out.put(shownValueName(store, value));
        out.put(" := ", 4);
        if (values.shortText(store, value, data)) out.put(data);
        out.put("\r\n", 2);
      });
      if (opened) out.put("\r\n", 2);
      return true;
    });
  });
}

ListingText changeList(SnapshotStore& store, SnapshotStore& baseline, ItemIndex key,
                       const ListingContext& context) {
  ListingValueReader values(context.viewState);
  const bool allRoots = key < 0;
  return buildListing([&](ListingSink& out) {
    putTitle(out, "変化分のリスト", context.now);
    out.put("基準データ： ");
    out.put(context.baselineLabel != nullptr ? context.baselineLabel : "");
    out.put("\r\n比較データ： ");
    out.put(context.comparisonLabel != nullptr ? context.comparisonLabel : "");
    out.put("\r\n");
    if (allRoots) {
      out.put("選択キー： 全て\r\n\r\n");
    } else {
      putSelectedKey(out, store, key);
      out.put("\r\n\r\n");
    }
    emitChangeDetails(out, store, baseline, allRoots ? 0 : key, allRoots, context.viewState,
                      values, ChangeStyle::kClipboard);
  });
}
