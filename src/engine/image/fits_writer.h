// A small FITS writer for two-dimensional 16-bit images: unsigned counts are
// stored as BITPIX 16 with BZERO 32768, the usual form of CCD frames.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/result.h"

namespace lumenda {

// One header card. `value` is the text as it goes into the card: a number is
// right-aligned in columns 11-30, a string (`quoted`) is written in single
// quotes from column 11.
struct FitsCard {
  std::string keyword;
  std::string value;
  bool quoted = false;
  std::string comment;
};

FitsCard StringCard(std::string keyword, std::string_view value, std::string comment = {});
// A number formatted with a FormatFloat mask ("0.000", "0.0000000000", ...).
FitsCard NumberCard(std::string keyword, std::string_view mask, double value,
                    std::string comment = {});
FitsCard IntegerCard(std::string keyword, long long value, std::string comment = {});

// The 80-character card.
std::string FormatFitsCard(const FitsCard& card);

// 16-bit image: `pixels` holds width * height counts, row 0 first (the first
// row stored in the file), the column index running fastest.
struct FitsImage16 {
  int width = 0;
  int height = 0;
  std::vector<std::uint16_t> pixels;
  // Cards after the mandatory ones (SIMPLE, BITPIX, NAXIS, NAXIS1, NAXIS2,
  // BZERO, BSCALE), in order.
  std::vector<FitsCard> cards;
};

// The whole file: header records and data records of 2880 bytes.
std::string EncodeFits16(const FitsImage16& image);

// Writes the file atomically. Fails with the message of the write.
Status WriteFits16(const std::string& path, const FitsImage16& image);

}  // namespace lumenda
