#include "text/fixed_columns.h"

#include <algorithm>

namespace lumenda {

std::string_view Copy(std::string_view s, int index1, int count) {
  if (count <= 0) return {};
  if (index1 < 1) {
    count += index1 - 1;
    index1 = 1;
    if (count <= 0) return {};
  }
  const size_t start = static_cast<size_t>(index1 - 1);
  if (start >= s.size()) return {};
  return s.substr(start, static_cast<size_t>(count));
}

std::string_view Field(std::string_view line, Column column) {
  return Copy(line, column.first, column.Width());
}

std::string_view FieldFrom(std::string_view line, int first) {
  if (first < 1) first = 1;
  if (static_cast<size_t>(first - 1) >= line.size()) return {};
  return line.substr(static_cast<size_t>(first - 1));
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

int CharCount(std::string_view utf8) {
  int n = 0;
  for (char c : utf8)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace lumenda
