#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>

#include "image/gif_writer.h"
#include "test_support.h"

namespace lumenda {
namespace {

// Decodes a GIF with giflib's own reader into RGB.
struct Decoded {
  bool ok = false;
  int width = 0, height = 0;
  int paletteSize = 0;
  std::vector<std::uint8_t> rgb;
};

Decoded Decode(const std::vector<std::uint8_t>& bytes) {
  struct Reader {
    const std::vector<std::uint8_t>* bytes;
    std::size_t at = 0;
  } reader{&bytes};
  auto read = [](GifFileType* gif, GifByteType* out, int n) -> int {
    auto* r = static_cast<Reader*>(gif->UserData);
    const int available = static_cast<int>(r->bytes->size() - r->at);
    const int count = std::min(n, available);
    std::memcpy(out, r->bytes->data() + r->at, static_cast<std::size_t>(count));
    r->at += static_cast<std::size_t>(count);
    return count;
  };
  Decoded d;
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, read, &error);
  if (gif == nullptr) return d;
  if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1) {
    const SavedImage& image = gif->SavedImages[0];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    d.width = gif->SWidth;
    d.height = gif->SHeight;
    d.paletteSize = map->ColorCount;
    for (int i = 0; i < d.width * d.height; ++i) {
      const GifColorType c = map->Colors[image.RasterBits[i]];
      d.rgb.insert(d.rgb.end(), {c.Red, c.Green, c.Blue});
    }
    d.ok = true;
  }
  DGifCloseFile(gif, &error);
  return d;
}

RgbPicture Picture(int width, int height, auto colourAt) {
  RgbPicture p{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = colourAt(x, y);
      p.rgb.insert(p.rgb.end(), {static_cast<std::uint8_t>(c >> 16),
                                 static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)});
    }
  return p;
}

TEST(GifWriter, PicturesOfAtMost256ColoursComeBackExactly) {
  struct Case {
    const char* name;
    RgbPicture picture;
    int paletteSize;
  };
  const std::vector<Case> cases = {
      {"one pixel", Picture(1, 1, [](int, int) { return 0x123456u; }), 2},
      {"two colours", Picture(7, 3, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0u; }), 2},
      {"chart-like, 5 colours",
       Picture(300, 200,
               [](int x, int y) {
                 if (y == 100) return 0x000000u;  // axis
                 if (std::abs(y - x / 2) < 2) return 0xFF0000u;
                 if (std::abs(y - 150 + x / 3) < 2) return 0x000080u;
                 if (x % 50 == 0) return 0x00A000u;
                 return 0xE7E8E9u;
               }),
       8},
      {"exactly 256 colours",
       Picture(256, 9,
               [](int x, int y) {
                 return static_cast<std::uint32_t>(x * 0x010101 + (y == 0 ? 0 : 0));
               }),
       256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bytes = EncodeGif(c.picture);
    ASSERT_TRUE(bytes.ok()) << bytes.message;
    const Decoded d = Decode(bytes.value);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, c.picture.width);
    EXPECT_EQ(d.height, c.picture.height);
    EXPECT_EQ(d.paletteSize, c.paletteSize);
    EXPECT_EQ(d.rgb, c.picture.rgb);
  }
}

TEST(GifWriter, RicherPicturesAreQuantizedWithASmallError) {
  // A smooth two-dimensional gradient (65 536 colours) with antialiased
  // chart lines drawn over a flat background.
  const RgbPicture picture = Picture(512, 256, [](int x, int y) -> std::uint32_t {
    if (x < 256) {
      const auto r = static_cast<std::uint32_t>(x), g = static_cast<std::uint32_t>(y);
      return (r << 16) | (g << 8) | ((r + g) / 2);
    }
    const double d = std::abs(y - 0.4 * (x - 256) - 40.0);
    if (d >= 2) return 0xE7E8E9u;
    const double a = 1 - d / 2;  // antialiased red line
    const auto mix = [a](int fg, int bg) {
      return static_cast<std::uint32_t>(std::lround(a * fg + (1 - a) * bg));
    };
    return (mix(255, 0xE7) << 16) | (mix(0, 0xE8) << 8) | mix(0, 0xE9);
  });
  auto bytes = EncodeGif(picture);
  ASSERT_TRUE(bytes.ok()) << bytes.message;
  const Decoded d = Decode(bytes.value);
  ASSERT_TRUE(d.ok);
  ASSERT_EQ(d.rgb.size(), picture.rgb.size());
  EXPECT_EQ(d.paletteSize, 256);
  double sum = 0;
  int worst = 0;
  for (std::size_t i = 0; i < d.rgb.size(); ++i) {
    const int e = std::abs(int{d.rgb[i]} - int{picture.rgb[i]});
    sum += e;
    worst = std::max(worst, e);
  }
  EXPECT_LT(sum / static_cast<double>(d.rgb.size()), 3.0);
  EXPECT_LE(worst, 24);
  // The chart's background, by far the commonest colour, is kept exactly.
  const std::size_t background = 3 * (255 * 512 + 511);
  EXPECT_EQ(d.rgb[background], 0xE7);
  EXPECT_EQ(d.rgb[background + 1], 0xE8);
  EXPECT_EQ(d.rgb[background + 2], 0xE9);
}

TEST(GifWriter, FailuresAreSpanishMessagesNotCrashes) {
  const RgbPicture ok = Picture(4, 4, [](int x, int) { return x ? 0xFFu : 0u; });

  const Status failingSink = EncodeGif(ok, [](const std::uint8_t*, std::size_t) { return false; });
  EXPECT_EQ(failingSink.message, "Error en imagen GIF: no se pudo escribir.");

  EXPECT_EQ(EncodeGif(RgbPicture{0, 5, {}}).message,
            "Error en imagen GIF: tamaño no válido (0 x 5).");
  EXPECT_EQ(EncodeGif(RgbPicture{70000, 1, std::vector<std::uint8_t>(210000)}).message,
            "Error en imagen GIF: tamaño no válido (70000 x 1).");
  EXPECT_EQ(EncodeGif(RgbPicture{2, 2, std::vector<std::uint8_t>(11)}).message,
            "Error en imagen GIF: los datos no corresponden al tamaño.");
  for (int code = E_GIF_ERR_OPEN_FAILED; code <= E_GIF_ERR_NOT_WRITEABLE; ++code)
    EXPECT_EQ(GifErrorText(code).rfind("Error en imagen GIF", 0), 0u) << code;

  test::TempDir dir;
  EXPECT_FALSE(WriteGif(dir.File("no/existe/grafico.gif"), ok).ok());
}

TEST(GifWriter, WritesTheFileWithTheProgramsUsualPermissions) {
  test::TempDir dir;
  const std::string path = dir.File("grafico.gif");
  const RgbPicture picture = Picture(10, 10, [](int x, int y) { return x == y ? 0xFF0000u : 0u; });
  ASSERT_TRUE(WriteGif(path, picture).ok());
  const std::string bytes = test::ReadBytes(path);
  EXPECT_EQ(bytes.substr(0, 6), "GIF87a");
  EXPECT_EQ(Decode(std::vector<std::uint8_t>(bytes.begin(), bytes.end())).rgb, picture.rgb);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  // giflib's own file writer would have made it private to the owner (0600).
  EXPECT_EQ(info.st_mode & 0044, 0044u);
}

}  // namespace
}  // namespace lumenda
