#include "image/fits_writer.h"

#include <utility>

#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

constexpr size_t kRecord = 2880;
constexpr size_t kCard = 80;

void PadToRecord(std::string& bytes, char fill) {
  const size_t rest = bytes.size() % kRecord;
  if (rest != 0) bytes.append(kRecord - rest, fill);
}

}  // namespace

FitsCard StringCard(std::string keyword, std::string_view value, std::string comment) {
  return {std::move(keyword), std::string(value), true, std::move(comment)};
}

FitsCard NumberCard(std::string keyword, std::string_view mask, double value, std::string comment) {
  return {std::move(keyword), FormatFloat(mask, value), false, std::move(comment)};
}

FitsCard IntegerCard(std::string keyword, long long value, std::string comment) {
  return {std::move(keyword), IntToStr(value), false, std::move(comment)};
}

std::string FormatFitsCard(const FitsCard& card) {
  std::string line = PadRight(card.keyword.substr(0, 8), 8) + "= ";
  if (card.quoted) {
    // A quote inside a string is written twice; strings take at least eight
    // characters between their quotes.
    std::string text;
    for (char c : card.value) {
      text += c;
      if (c == '\'') text += '\'';
    }
    line += "'" + PadRight(text, 8) + "'";
    if (line.size() < 30) line = PadRight(line, 30);
  } else {
    line += PadLeft(card.value, 20);
  }
  if (!card.comment.empty()) line += " / " + card.comment;
  // Header cards are printable ASCII only.
  for (char& c : line)
    if (c < 0x20 || c > 0x7E) c = '?';
  return PadRight(line.substr(0, kCard), kCard);
}

std::string EncodeFits16(const FitsImage16& image) {
  std::vector<FitsCard> cards = {
      {"SIMPLE", "T", false, "conforme a FITS"},
      IntegerCard("BITPIX", 16, "enteros de 16 bits"),
      IntegerCard("NAXIS", 2),
      IntegerCard("NAXIS1", image.width, "columnas"),
      IntegerCard("NAXIS2", image.height, "filas"),
      IntegerCard("BZERO", 32768, "cuentas sin signo"),
      IntegerCard("BSCALE", 1),
  };
  cards.insert(cards.end(), image.cards.begin(), image.cards.end());

  std::string bytes;
  const size_t samples = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
  bytes.reserve((cards.size() + 1) * kCard + 2 * kRecord + samples * 2);
  for (const FitsCard& card : cards) bytes += FormatFitsCard(card);
  bytes += PadRight("END", kCard);
  PadToRecord(bytes, ' ');

  for (size_t i = 0; i < samples; ++i) {
    const std::uint16_t count = i < image.pixels.size() ? image.pixels[i] : 0;
    // Stored value = count - 32768 as a big-endian signed 16-bit integer,
    // i.e. the count with its top bit flipped.
    const std::uint16_t stored = count ^ 0x8000u;
    bytes += static_cast<char>(stored >> 8);
    bytes += static_cast<char>(stored & 0xFF);
  }
  PadToRecord(bytes, '\0');
  return bytes;
}

Status WriteFits16(const std::string& path, const FitsImage16& image) {
  return WriteFileAtomic(path, EncodeFits16(image));
}

}  // namespace lumenda
