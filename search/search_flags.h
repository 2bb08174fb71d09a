// Bits of the search flags word that a search settings record carries (and that the
// search history file stores as they are). The expression compiler reads only
// SEARCH_WILDCARD; the search engine and dialog use the rest.
#pragma once

#include <cstdint>

constexpr uint16_t SEARCH_KEY_NAME = 0x0001;        // test key names
constexpr uint16_t SEARCH_VALUE_NAME = 0x0002;      // test value names
constexpr uint16_t SEARCH_VALUE_DATA = 0x0004;      // test value data
constexpr uint16_t SEARCH_PARTIAL = 0x0010;         // partial match; always set with SEARCH_EXPRESSION
constexpr uint16_t SEARCH_FILE_NAME_ONLY = 0x0020;  // only strings that begin with a file path
constexpr uint16_t SEARCH_WILDCARD = 0x0040;        // '*' and '?' are wildcards
constexpr uint16_t SEARCH_EXPRESSION = 0x0080;      // the text is a search expression
constexpr uint16_t SEARCH_BATCH = 0x0100;           // batch search; clear means incremental

// Flags of a history slot that was never used.
constexpr uint16_t SEARCH_SLOT_UNUSED = 0x1000;
// Merge request left by the property dialogs' search buttons.
constexpr uint16_t SEARCH_MERGE_REQUEST = 0x8000;

// The longest search text, in bytes, without its terminator.
constexpr int kSearchTextMax = 255;
