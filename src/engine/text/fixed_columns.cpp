#include "text/fixed_columns.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace lumenda {

namespace {

// Bytes of the character that starts at byte `i`: a well-formed UTF-8
// sequence is one character, and so is any other byte (Windows-1252 text, a
// stray byte), so a column never splits a character.
size_t CharBytes(std::string_view s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  const size_t n = c < 0xC2 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF5 ? 4 : 1;
  if (n == 1 || i + n > s.size()) return 1;
  for (size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  return n;
}

// Byte offset of the character `chars` characters after byte `from` (the
// end of `s` when it has fewer).
size_t Advance(std::string_view s, size_t from, size_t chars) {
  size_t i = from;
  while (chars > 0 && i < s.size()) {
    // Plain ASCII, the usual case, eight characters at a time.
    if (chars >= 8 && i + 8 <= s.size()) {
      uint64_t word;
      std::memcpy(&word, s.data() + i, 8);
      if ((word & 0x8080808080808080ull) == 0) {
        i += 8;
        chars -= 8;
        continue;
      }
    }
    i += CharBytes(s, i);
    --chars;
  }
  return std::min(i, s.size());
}

}  // namespace

std::string_view Copy(std::string_view s, int index1, int count) {
  if (count <= 0) return {};
  if (index1 < 1) {
    count += index1 - 1;
    index1 = 1;
    if (count <= 0) return {};
  }
  const size_t start = Advance(s, 0, static_cast<size_t>(index1 - 1));
  return s.substr(start, Advance(s, start, static_cast<size_t>(count)) - start);
}

std::string_view Field(std::string_view line, Column column) {
  return Copy(line, column.first, column.Width());
}

std::string_view FieldFrom(std::string_view line, int first) {
  return line.substr(Advance(line, 0, static_cast<size_t>(std::max(first, 1) - 1)));
}

char CharAt(std::string_view line, int pos) {
  const std::string_view c = Copy(line, pos, 1);
  return c.empty() ? '\0' : c[0];
}

void EraseColumns(std::string& line, Column column) {
  const size_t start = Advance(line, 0, static_cast<size_t>(std::max(column.first, 1) - 1));
  line.erase(start, Advance(line, start, static_cast<size_t>(column.Width())) - start);
}

std::string PadLeft(std::string_view text, int width, char fill) {
  std::string out(text);
  const int n = CharCount(text);
  if (n < width) out.insert(0, static_cast<size_t>(width - n), fill);
  return out;
}

std::string PadRight(std::string_view text, int width, char fill) {
  std::string out(text);
  const int n = CharCount(text);
  if (n < width) out.append(static_cast<size_t>(width - n), fill);
  return out;
}

namespace {
bool IsSpace(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}
}  // namespace

std::string TrimLeft(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  return std::string(text.substr(i));
}

std::string TrimRight(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && IsSpace(text[n - 1])) --n;
  return std::string(text.substr(0, n));
}

std::string Trim(std::string_view text) {
  return TrimLeft(TrimRight(text));
}

std::string ToUpper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
  return out;
}

std::string ToLower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return out;
}

bool LessNoCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

int CharCount(std::string_view text) {
  int n = 0;
  for (size_t i = 0; i < text.size(); i += CharBytes(text, i)) ++n;
  return n;
}

}  // namespace lumenda
