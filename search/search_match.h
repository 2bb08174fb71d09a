// Matching one candidate string (a key name, a value name, or a value's data as
// text) against the search text: whole or partial plain comparison and the wildcard
// form. ASCII letters match in either case; candidates are cp932 byte strings of a
// given length and need no terminator.
#pragma once

#include <cstddef>
#include <cstdint>

// Plain comparison. Without `partial` the whole candidate must equal the text; with
// it the text must occur starting at some character boundary. An empty text with
// `partial` matches every candidate.
bool matchPlainText(const char* text, size_t textLength, bool partial, const char* candidate,
                    size_t length);

// Wildcard comparison: '*' matches any run of bytes (also none), '?' exactly one
// character (two bytes for a lead byte followed by a non-NUL byte), a double-byte
// character of the pattern only itself, any other byte ASCII-case-insensitively.
// Without `partial` the pattern must cover the whole candidate from its start; with
// it a match starting at any character boundary and covering any part of the rest
// counts. An empty pattern never matches.
bool matchWildcard(const char* pattern, size_t patternLength, bool partial,
                   const char* candidate, size_t length);
