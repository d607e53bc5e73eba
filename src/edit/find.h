// Find and replace: a plain, case-sensitive search forward from the cursor with
// wrap-around, tied to a line's start or end by the anchor characters of the options.
#pragma once

#include <cstdint>

namespace qx {

inline constexpr int32_t SEARCH_TEXT_LIMIT = 78;   // characters of a find or replacement string

// The column at or after `from` where the pattern occurs in the text, or -1.
int32_t find_match(const char* pattern, int32_t n, const char* text, int32_t m, int32_t from);

void find_command();      // f
void replace_command();   // r

// Forgets the strings, the counters and the remembered matches.
void reset_search();

}  // namespace qx
