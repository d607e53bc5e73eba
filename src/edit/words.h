// Words within a line: the scans, WordLeft, WordRight and DeleteWord.
#pragma once

#include <cstdint>
#include <string_view>

namespace qx {

inline constexpr std::string_view WORD_DELIMITERS = " ().,;:";

// Scans over a line's text from column c (first clamped to the last character);
// each answers c itself when it finds nothing.
int32_t end_of_word(const char* text, int32_t length, int32_t c);
int32_t next_word_start(const char* text, int32_t length, int32_t c);
int32_t previous_word_start(const char* text, int32_t length, int32_t c);

void word_left();    // [
void word_right();   // ]
void delete_word();  // W

}  // namespace qx
