#include "text/change_details.h"

#include <cstring>
#include <string>

#include "engine/store_walk.h"
#include "text/value_text.h"

namespace {

// The name a listing shows for a value: "(標準)" for the default value.
const char* shownValueName(SnapshotStore& store, ItemIndex value) {
  const char* name = store_walk::valueNameOrEmpty(store, value);
  return name[0] == '\0' ? kDefaultValueName : name;
}

bool keyGetsOwnLine(uint8_t state, ChangeStyle style) {
  if (style == ChangeStyle::kLog) return state == STATE_NOT_CHECKED || state >= STATE_ADDED;
  return state != STATE_NORMAL && state != STATE_HIDDEN && state != STATE_CHANGED_BELOW;
}

bool skipsSubtree(uint8_t state, ChangeStyle style) {
  return style == ChangeStyle::kLog &&
         (state == STATE_NORMAL || state == STATE_NOT_READ || state == STATE_REFUSED);
}

}  // namespace

void emitChangeDetails(ListingSink& out, SnapshotStore& store, SnapshotStore& baseline,
                       ItemIndex first, bool wholeChain, uint16_t viewState,
                       ListingValueReader& values, ChangeStyle style) {
  const char* const lineEnd = style == ChangeStyle::kLog ? "\n" : "\r\n";
  const size_t lineEndLength = style == ChangeStyle::kLog ? 1 : 2;
  char data[kListingDataWidth];

  store_walk::walkKeys(store, first, wholeChain, [&](ItemIndex key) {
    const uint8_t state = keyRecord(store, key).state;
    if (skipsSubtree(state, style)) return false;
    bool opened = false;
    std::string path;
    if (keyGetsOwnLine(state, style)) {
      path = buildItemPath(store, key, 0);
      out.put(itemStateName(state));
      out.put(" [", 2);
      out.put(path.data(), path.size());
      out.put("]", 1);
      out.put(lineEnd, lineEndLength);
      opened = true;
    }
    store_walk::forEachValue(store, key, [&](ItemIndex value, const ValueRecord& record) {
      if (record.state != STATE_DATA_CHANGED && record.state != STATE_VALUE_ADDED &&
          record.state != STATE_VALUE_DELETED) {
        return;
      }
      if (!opened && state > STATE_NORMAL) {
        if (path.empty()) path = buildItemPath(store, key, 0);
        out.put("　　 [");
        out.put(path.data(), path.size());
        out.put("]", 1);
        out.put(lineEnd, lineEndLength);
        opened = true;
      }
      const char* stateName = itemStateName(record.state);
      const char* name = shownValueName(store, value);
      const size_t prefix = std::strlen(stateName) + 3 + std::strlen(name) + 4;
      out.put(stateName);
      out.put("   ", 3);
      out.put(name);
      out.put(" := ", 4);
      if (values.shortText(store, value, data)) out.put(data);
      out.put(lineEnd, lineEndLength);
      if (record.state != STATE_VALUE_ADDED &&
          baselineShortText(store, baseline, value, viewState, data)) {
        // "旧= " takes four columns, so the old data starts under the new.
        out.spaces(prefix - 4);
        out.put("旧= ");
        out.put(data);
        out.put(lineEnd, lineEndLength);
      }
    });
    if (opened) out.put(lineEnd, lineEndLength);
    return true;
  });
}
