// Damaged files must be refused with a message, never crash or read outside
// the file (run under the sanitizer build too).
#include <gtest/gtest.h>

#include <random>

#include "fits_bytes.h"
#include "image/fits_image.h"
#include "test_support.h"

namespace lumenda {
namespace {

using test::FitsCard;

std::string ValidFile(int bitpix) {
  const int w = 61, h = 47;
  std::string data;
  for (int i = 0; i < w * h; ++i) {
    const uint32_t v = static_cast<uint32_t>(i) * 2654435761u;
    if (bitpix == 16)
      data += test::Big16({static_cast<uint16_t>(v >> 16)});
    else if (bitpix == 8)
      data += static_cast<char>(v >> 24);
    else
      data += test::Big32(v);
  }
  auto cards = test::ImageCards(bitpix, w, h);
  cards.push_back(FitsCard("BZERO", "32768"));
  cards.push_back(FitsCard("BSCALE", "1"));
  cards.push_back(FitsCard("DATE-OBS", "'2015-08-02T03:54:30'"));
  cards.push_back(FitsCard("EXPTIME", "30.0"));
  if (bitpix != 16) cards[5] = FitsCard("BZERO", "0");
  return test::FitsFile(cards, data);
}

// Whatever the load says, the object must stay consistent and readable.
void ExpectConsistent(const TPlaca& image, const Status& loaded, bool withPixels) {
  const bool ok = loaded.ok() && withPixels;
  if (ok) {
    EXPECT_GT(image.Width(), 0);
    EXPECT_GT(image.Height(), 0);
    ASSERT_NE(image.Data(), nullptr);
    // Touch the corners and one past them.
    const int w = image.Width(), h = image.Height();
    volatile unsigned sum = image.Pixel(0, 0) + image.Pixel(w - 1, h - 1) + image.Data()[0] +
                            image.Data()[static_cast<size_t>(w) * h - 1];
    (void)sum;
    EXPECT_EQ(image.Pixel(w, 0), 0);
    EXPECT_EQ(image.Pixel(0, h), 0);
  } else {
    EXPECT_TRUE(loaded.ok() || !loaded.message.empty());
    EXPECT_EQ(image.Pixel(0, 0), 0);
  }
  (void)image.GetKeyword("DATE-OBS");
  (void)image.GetKeyword("NAXIS1");
}

TEST(FitsRobustness, EveryTruncationShortOfTheImageIsRefused) {
  test::TempDir dir;
  const std::string path = dir.File("cortado#1.fit");
  for (int bitpix : {8, 16, -32, 32}) {
    SCOPED_TRACE(bitpix);
    const std::string full = ValidFile(bitpix);
    const size_t sampleBytes = bitpix == 8 ? 1 : bitpix == 16 ? 2 : 4;
    const size_t needed = 2880 + 61 * 47 * sampleBytes;
    std::vector<size_t> lengths = {0,    1,    79,         80,     2879,
                                   2880, 2881, needed - 1, needed, full.size() - 1};
    std::mt19937 rng(20260 + bitpix);
    for (int i = 0; i < 40; ++i) lengths.push_back(rng() % full.size());
    TPlaca image;
    for (size_t len : lengths) {
      SCOPED_TRACE(len);
      test::WriteBytes(path, full.substr(0, len));
      const Status loaded = image.LoadFile(path);
      EXPECT_EQ(loaded.ok(), len >= needed) << loaded.message;
      ExpectConsistent(image, loaded, true);
    }
  }
}

TEST(FitsRobustness, RandomBitFlipsNeverCrash) {
  test::TempDir dir;
  const std::string path = dir.File("danado.fit");
  std::mt19937 rng(424242);
  int loaded = 0, refused = 0;
  for (int bitpix : {8, 16, -32, 32}) {
    const std::string full = ValidFile(bitpix);
    for (int round = 0; round < 150; ++round) {
      std::string bytes = full;
      const int flips = 1 + static_cast<int>(rng() % 6);
      for (int f = 0; f < flips; ++f) {
        // Mostly in the header, where a flip changes the meaning.
        const size_t limit = (rng() % 4 == 0) ? bytes.size() : 2880;
        bytes[rng() % limit] ^= static_cast<char>(1u << (rng() % 8));
      }
      if (rng() % 3 == 0) bytes.resize(rng() % bytes.size());
      test::WriteBytes(path, bytes);
      TPlaca image;
      const Status status = round % 2 ? image.LoadFile(path) : image.LoadHeader(path);
      ExpectConsistent(image, status, round % 2);
      status.ok() ? ++loaded : ++refused;
    }
  }
  // Both outcomes must have been exercised.
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace lumenda
