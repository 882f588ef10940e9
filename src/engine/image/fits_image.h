// TPlaca: one astronomical image read from a FITS file (primary header and
// two-dimensional primary array), its header cards as text and its pixels as
// unsigned 16-bit counts. Header changes live only in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/result.h"

namespace lumenda {

class TPlaca {
 public:
  TPlaca();
  ~TPlaca();
  TPlaca(const TPlaca& other);
  TPlaca& operator=(const TPlaca& other);

  // Reads header and pixels, record by record in one pass. A missing or
  // unopenable file changes nothing; any later failure (unsupported format,
  // damaged size cards, truncated file, no memory) leaves an image of size 0
  // without pixels, the header possibly already the new one.
  Status LoadFile(const std::string& path);
  // Reads the header and the image size only. The pixels are kept when the
  // size did not change; otherwise they are dropped (a new size with the old
  // pixels would index outside them). Failures as for LoadFile.
  Status LoadHeader(const std::string& path);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Column x, row y; 0 outside the image or when there are no pixels.
  uint16_t Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || !HasPixels()) return 0;
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
  }
  // True when the pixel array matches Width() x Height() (after LoadFile or
  // Resize; not after a LoadHeader that changed the size).
  bool HasPixels() const {
    return width_ > 0 && pixelsWidth_ == width_ && pixelsHeight_ == height_;
  }
  // Row-major Width() x Height() samples for hot loops; nullptr when
  // HasPixels() is false.
  const uint16_t* Data() const { return HasPixels() ? pixels_.get() : nullptr; }
  uint16_t* MutableData() { return HasPixels() ? pixels_.get() : nullptr; }

  // Builds an image in memory: width x height pixels, all 0, header kept.
  // False (and no change) for sizes outside 1..65535 or when memory runs out.
  bool Resize(int width, int height);
  void SetPixel(int x, int y, uint16_t value) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || !HasPixels()) return;
    pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = value;
  }

  // Cleaned value of the first card of `key` (any case), "" when absent.
  std::string GetKeyword(std::string_view key) const;
  // Replaces the last card of `key` (exact name) or appends a new card.
  void SetKeyword(std::string_view key, std::string_view value, std::string_view comment = "");

  // Header cards in file order (trimmed, without "END").
  const std::vector<std::string>& Header() const { return header_; }
  std::vector<std::string>& Header() { return header_; }

 private:
  Status Load(const std::string& path, bool headerOnly);
  bool EnsureCapacity(size_t count);
  void DropPixels();

  std::vector<std::string> header_;
  int width_ = 0;
  int height_ = 0;
  struct FreeDeleter {
    void operator()(uint16_t* p) const;
  };
  std::unique_ptr<uint16_t[], FreeDeleter> pixels_;
  size_t capacity_ = 0;
  int pixelsWidth_ = 0;
  int pixelsHeight_ = 0;
};

// Builds one 80-character header card: keyword in columns 1-8, "= ", the
// value in columns 11-30 (numbers right-aligned, other text quoted), then
// " / " and the comment when there is one.
std::string MakeHeaderCard(std::string_view key, std::string_view value,
                           std::string_view comment = "");

}  // namespace lumenda
