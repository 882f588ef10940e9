// A tiny FITS writer for tests: cards and raw big-endian samples, nothing
// checked, so that broken files are as easy to make as good ones.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace lumenda::test {

// "KEY     = " + value right-aligned in columns 11-30 (strings are passed
// already quoted), padded to 80.
inline std::string FitsCard(std::string_view key, std::string_view value) {
  std::string card(key);
  card.resize(8, ' ');
  card += "= ";
  if (value.size() < 20) card.append(20 - value.size(), ' ');
  card += value;
  card.resize(80, ' ');
  return card;
}

// A card given whole (columns 1-80).
inline std::string RawCard(std::string_view text) {
  std::string card(text);
  card.resize(80, ' ');
  return card;
}

inline void PadToRecord(std::string& bytes, char fill) {
  const size_t rest = bytes.size() % 2880;
  if (rest != 0) bytes.append(2880 - rest, fill);
}

// Header (cards + END, padded with blanks) and data (padded with zeros
// unless `padData` is false).
inline std::string FitsFile(const std::vector<std::string>& cards, const std::string& data,
                            bool padData = true) {
  std::string bytes;
  for (const auto& c : cards) bytes += c;
  bytes += RawCard("END");
  PadToRecord(bytes, ' ');
  bytes += data;
  if (padData) PadToRecord(bytes, '\0');
  return bytes;
}

// The usual mandatory cards of a 2-D image.
inline std::vector<std::string> ImageCards(int bitpix, int width, int height) {
  return {FitsCard("SIMPLE", "T"), FitsCard("BITPIX", std::to_string(bitpix)),
          FitsCard("NAXIS", "2"), FitsCard("NAXIS1", std::to_string(width)),
          FitsCard("NAXIS2", std::to_string(height))};
}

inline std::string Big16(const std::vector<uint16_t>& samples) {
  std::string out;
  for (uint16_t s : samples) out += {static_cast<char>(s >> 8), static_cast<char>(s & 0xFF)};
  return out;
}

inline std::string Big32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

inline std::string BigInt32(const std::vector<int32_t>& samples) {
  std::string out;
  for (int32_t s : samples) out += Big32(static_cast<uint32_t>(s));
  return out;
}

inline std::string BigFloat(const std::vector<float>& samples) {
  std::vector<int32_t> bits(samples.size());
  std::memcpy(bits.data(), samples.data(), samples.size() * sizeof(float));
  return BigInt32(bits);
}

inline std::string Bytes8(const std::vector<uint8_t>& samples) {
  return {samples.begin(), samples.end()};
}

}  // namespace lumenda::test
