// Helpers for the fixed-column text formats. Positions are 1-based and
// inclusive, as the formats are described, and count characters, not bytes:
// a UTF-8 sequence is one character and so is any byte that is not part of
// one, so names with accents keep every later column in its place and a
// field never splits a character.
#pragma once

#include <string>
#include <string_view>

namespace lumenda {

// A named field of a fixed-column format: columns first..last (1-based).
struct Column {
  int first;
  int last;
  constexpr int Width() const { return last - first + 1; }
};

// Text of columns first..last; shorter lines give what they have (maybe "").
std::string_view Field(std::string_view line, Column column);
// Text from column `first` to the end of the line.
std::string_view FieldFrom(std::string_view line, int first);
// First byte of the character at column `pos` ('\0' beyond the line): for
// markers and digits.
char CharAt(std::string_view line, int pos);
// Removes the columns first..last from the line.
void EraseColumns(std::string& line, Column column);

// Delphi-like Copy(s, index1, count): 1-based, clamped, never throws.
std::string_view Copy(std::string_view s, int index1, int count);

std::string PadLeft(std::string_view text, int width, char fill = ' ');
std::string PadRight(std::string_view text, int width, char fill = ' ');

std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);
// Byte-wise "a < b" with ASCII letters compared without case: the order of
// the image list and of the results rows.
bool LessNoCase(std::string_view a, std::string_view b);

// Number of characters: the width of a text in columns.
int CharCount(std::string_view text);

}  // namespace lumenda
