// Pictures of charts and pages as GIF files. The picture comes in as 8-bit
// RGB; a picture of at most 256 colours keeps them exactly, a richer one is
// reduced to 256 by a variance-splitting median cut refined by k-means.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "text/result.h"

namespace lumenda {

// An RGB picture: width x height triplets, row by row from the top.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// A picture reduced to a palette: one index per pixel.
struct IndexedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> palette;  // 0xRRGGBB, at most 256 entries
  std::vector<std::uint8_t> indices;
  bool exact = false;  // every pixel keeps its colour
};

// The palette of the picture: exact when it has 256 colours or fewer.
// `rgb` holds width * height * 3 bytes (checked by the callers below).
IndexedPicture ToIndexed(std::span<const std::uint8_t> rgb, int width, int height);

// Receives the encoded bytes as they are produced; false stops the encoding
// with the write error.
using ByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// Encodes the picture as GIF into `sink`. Every failure is a Spanish message.
Status EncodeGif(const RgbPicture& picture, const ByteSink& sink);
// The same into memory.
Result<std::vector<std::uint8_t>> EncodeGif(const RgbPicture& picture);

// Encodes in memory, then writes the file through the program's atomic
// writer, so it gets the permissions of every other file the user saves.
Status WriteGif(const std::string& path, const RgbPicture& picture);

// The Spanish text of a giflib error code.
std::string GifErrorText(int code);

}  // namespace lumenda
