#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "fits_bytes.h"
#include "image/fits_image.h"
#include "test_support.h"

namespace lumenda {
namespace {

using test::Big16;
using test::BigFloat;
using test::BigInt32;
using test::Bytes8;
using test::FitsCard;
using test::FitsFile;
using test::ImageCards;
using test::RawCard;

// Writes the file into a fresh folder and loads it.
struct Loaded {
  test::TempDir dir;
  TPlaca image;
  Status status;
  bool ok = false;
  std::string path;
  explicit Loaded(const std::string& bytes, bool headerOnly = false) {
    path = dir.File("imagen.fit");
    test::WriteBytes(path, bytes);
    status = headerOnly ? image.LoadHeader(path) : image.LoadFile(path);
    ok = status.ok();
  }
};

std::vector<std::string> With(std::vector<std::string> cards, std::vector<std::string> more) {
  cards.insert(cards.end(), more.begin(), more.end());
  return cards;
}

TEST(FitsImage, ConvertsSamplesOfEveryPixelFormat) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::string x8000("\x80\x00", 2), xFFFF("\xFF\xFF", 2);
  struct Case {
    const char* name;
    int bitpix;
    const char *bzero, *bscale;  // nullptr: no card
    std::string sample;          // one raw sample, big-endian
    uint16_t expected;
  };
  const std::vector<Case> cases = {
      {"16 BZERO 32768, 0x8000", 16, "32768", nullptr, x8000, 0},
      {"16 BZERO 32768, 0xFFFF", 16, "32768", nullptr, xFFFF, 32767},
      {"16 BZERO 32768, 0x0000", 16, "32768", nullptr, Big16({0}), 32768},
      {"16 without BZERO, 0xFFFF", 16, nullptr, nullptr, xFFFF, 65535},
      {"16 BZERO 32767.5 rounds to even", 16, "32767.5", nullptr, x8000, 0},
      {"16 BZERO 0.5 rounds to 0", 16, "0.5", nullptr, Big16({7}), 7},
      {"16 BSCALE 0.5, 2.5 -> 2", 16, nullptr, "0.5", Big16({5}), 2},
      {"16 BSCALE 0.5, 1.5 -> 2", 16, nullptr, "0.5", Big16({3}), 2},
      {"16 BSCALE 0.5, 0.5 -> 0", 16, nullptr, "0.5", Big16({1}), 0},
      {"16 BSCALE -1 keeps low 16 bits", 16, nullptr, "-1", Big16({1}), 65535},
      {"16 BSCALE 2 BZERO 1 wraps", 16, "1", "2", x8000, 1},
      {"16 decimal comma in BSCALE", 16, nullptr, "'0,5'", Big16({4}), 2},
      {"8 BSCALE 2, 200 -> 400", 8, nullptr, "2", Bytes8({200}), 400},
      {"8 BSCALE 0.5, 3 -> 2", 8, nullptr, "0.5", Bytes8({3}), 2},
      {"8 BZERO 10", 8, "10", nullptr, Bytes8({255}), 265},
      {"-32 12.4 -> 112", -32, nullptr, nullptr, BigFloat({12.4f}), 112},
      {"-32 12.5 -> 112 (half to even)", -32, nullptr, nullptr, BigFloat({12.5f}), 112},
      {"-32 13.5 -> 114", -32, nullptr, nullptr, BigFloat({13.5f}), 114},
      {"-32 -150 -> 0", -32, nullptr, nullptr, BigFloat({-150.0f}), 0},
      {"-32 70000 -> 65535", -32, nullptr, nullptr, BigFloat({70000.0f}), 65535},
      {"-32 BZERO subtracted, BSCALE ignored", -32, "50", "3", BigFloat({12.4f}), 62},
      {"-32 NaN -> 0", -32, nullptr, nullptr, BigFloat({nan}), 0},
      {"-32 huge -> 65535", -32, nullptr, nullptr, BigFloat({3e38f}), 65535},
      {"32 -5 -> 0", 32, nullptr, nullptr, BigInt32({-5}), 0},
      {"32 100000 -> 65535", 32, nullptr, nullptr, BigInt32({100000}), 65535},
      {"32 ignores BZERO and BSCALE", 32, "7", "2", BigInt32({1234}), 1234},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto cards = ImageCards(c.bitpix, 1, 1);
    if (c.bzero) cards.push_back(FitsCard("BZERO", c.bzero));
    if (c.bscale) cards.push_back(FitsCard("BSCALE", c.bscale));
    Loaded l(FitsFile(cards, c.sample));
    ASSERT_TRUE(l.ok) << l.status.message;
    EXPECT_EQ(l.image.Pixel(0, 0), c.expected);
  }
}

TEST(FitsImage, RewritesBitpixAndBzeroCardsAfterLoading) {
  struct Case {
    int bitpix;
    std::string sample;
    const char* bzeroBefore;
  };
  for (const Case& c : std::vector<Case>{{32, BigInt32({-5}), nullptr},
                                         {-32, BigFloat({1.0f}), "0"},
                                         {16, Big16({1}), "32768"},
                                         {8, Bytes8({1}), nullptr}}) {
    SCOPED_TRACE(c.bitpix);
    auto cards = ImageCards(c.bitpix, 1, 1);
    if (c.bzeroBefore) cards.push_back(FitsCard("BZERO", c.bzeroBefore));
    const std::string bytes = FitsFile(cards, c.sample);
    Loaded header(bytes, true);
    ASSERT_TRUE(header.ok);
    EXPECT_EQ(header.image.GetKeyword("BITPIX"), std::to_string(c.bitpix));
    Loaded l(bytes);
    ASSERT_TRUE(l.ok) << l.status.message;
    EXPECT_EQ(l.image.GetKeyword("BITPIX"), c.bitpix == 8 ? "8" : "16");
    EXPECT_EQ(l.image.GetKeyword("BZERO"), "0.0");
    int bzeroCards = 0;
    for (const auto& line : l.image.Header()) bzeroCards += line.rfind("BZERO", 0) == 0;
    EXPECT_EQ(bzeroCards, 1);
  }
}

TEST(FitsImage, FillsColumnsFirstThenRowsAndGivesZeroOutside) {
  // The last record's padding is missing: the file is accepted all the same.
  Loaded l(FitsFile(ImageCards(16, 3, 2), Big16({1, 2, 3, 4, 5, 6}), false));
  ASSERT_TRUE(l.ok) << l.status.message;
  EXPECT_EQ(l.image.Width(), 3);
  EXPECT_EQ(l.image.Height(), 2);
  EXPECT_EQ(l.image.Pixel(0, 0), 1);
  EXPECT_EQ(l.image.Pixel(2, 0), 3);
  EXPECT_EQ(l.image.Pixel(0, 1), 4);
  EXPECT_EQ(l.image.Pixel(2, 1), 6);
  for (auto [x, y] : std::vector<std::pair<int, int>>{{-1, 0}, {3, 0}, {0, -1}, {0, 2}, {65539, 0}})
    EXPECT_EQ(l.image.Pixel(x, y), 0) << x << "," << y;
  ASSERT_NE(l.image.Data(), nullptr);
  EXPECT_EQ(l.image.Data()[4], 5);
}

// Images large enough to cross the loader's internal blocks, in every format,
// each sample stored so that it loads as the value wanted at its place.
TEST(FitsImage, LoadsLargeImagesOfEveryFormatSampleBySample) {
  const int w = 613, h = 401;
  std::vector<uint16_t> want(static_cast<size_t>(w) * h), bzero16(want.size());
  std::vector<uint8_t> s8(want.size());
  std::vector<int32_t> s32(want.size());
  std::vector<float> sf(want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    want[i] = static_cast<uint16_t>((i * 2654435761u) >> 7);
    bzero16[i] = want[i] ^ 0x8000;
    s8[i] = static_cast<uint8_t>(want[i]);
    s32[i] = want[i];
    sf[i] = static_cast<float>(want[i]) - 100.0f;  // floats load 100 up
  }
  const std::pair<int, std::string> cases[] = {
      {16, Big16(bzero16)}, {8, Bytes8(s8)}, {32, BigInt32(s32)}, {-32, BigFloat(sf)}};
  for (const auto& [bitpix, data] : cases) {
    SCOPED_TRACE(bitpix);
    auto cards = ImageCards(bitpix, w, h);
    if (bitpix == 16) cards.push_back(FitsCard("BZERO", "32768"));
    Loaded l(FitsFile(cards, data));
    ASSERT_TRUE(l.ok) << l.status.message;
    size_t wrong = 0;
    for (size_t i = 0; i < want.size(); ++i)
      wrong += l.image.Pixel(static_cast<int>(i % w), static_cast<int>(i / w)) !=
               (bitpix == 8 ? want[i] & 0xFF : want[i]);
    EXPECT_EQ(wrong, 0u);
  }
}

TEST(FitsImage, RefusesUnsupportedOrDamagedFilesWithTheirMessage) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> changes;  // nullptr value: card removed
    std::string message;                                       // "%" stands for the path
  };
  std::vector<Case> cases = {
      {{{"BITPIX", "-64"}}, " Error: formato de pixel (BITPIX=-64) no soportado"},
      // Three characters at most are shown.
      {{{"BITPIX", "640"}}, " Error: formato de pixel (BITPIX=640) no soportado"},
      {{{"NAXIS", "3"}}, "Error: formato (NAXIS=3) no soportado"},
      {{{"SIMPLE", "F"}}, "Error: formato (SIMPLE=F) no soportado"},
      {{{"NAXIS1", "0"}}, "Error: tamaño de imagen (NAXIS1=0, NAXIS2=2) no soportado"},
      {{{"NAXIS2", "'dos'"}}, "Error: tamaño de imagen (NAXIS1=2, NAXIS2=dos) no soportado"},
      {{{"BITPIX", "8"}, {"NAXIS1", "65536"}, {"NAXIS2", "1"}},
       "Error: tamaño de imagen (NAXIS1=65536, NAXIS2=1) no soportado"},
      {{{"NAXIS2", nullptr}}, "Error: tamaño de imagen (NAXIS1=2, NAXIS2=) no soportado"},
      {{{"BZERO", "65535.5"}}, "Error: valor de BZERO (65535.5) no soportado"},
      {{{"BZERO", "-1"}}, "Error: valor de BZERO (-1) no soportado"},
      {{{"BSCALE", "'x'"}}, "Error: valor de BSCALE (x) no soportado"},
      {{{"NAXIS1", "3000"}, {"NAXIS2", "3000"}},
       "Error: el fichero % termina antes del final de la imagen"},
      {{{"NAXIS1", "65535"}, {"NAXIS2", "65535"}},  // refused before allocating
       "Error: el fichero % termina antes del final de la imagen"},
  };
  for (auto [size, shown] : std::vector<std::pair<const char*, std::string>>{
           {"-3", "-3"},
           {"1e9", "1e9"},
           {"2.5", "2.5"},
           {"'   '", ""},
           {"99999999999999999999", "99999999999999999999"}})
    cases.push_back(
        {{{"NAXIS1", size}, {"NAXIS2", size}},
         "Error: tamaño de imagen (NAXIS1=" + shown + ", NAXIS2=" + shown + ") no soportado"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    std::vector<std::pair<std::string, const char*>> kv = {
        {"SIMPLE", "T"}, {"BITPIX", "16"}, {"NAXIS", "2"}, {"NAXIS1", "2"}, {"NAXIS2", "2"}};
    for (auto [key, value] : c.changes) {
      auto at = std::find_if(kv.begin(), kv.end(), [&](auto& p) { return p.first == key; });
      if (at == kv.end())
        kv.emplace_back(key, value);
      else
        at->second = value;
    }
    std::vector<std::string> cards;
    for (auto [key, value] : kv)
      if (value) cards.push_back(FitsCard(key, value));
    // Enough data for every valid header but the 3000 x 3000 one.
    Loaded l(FitsFile(cards, std::string(65536, 'x')));
    EXPECT_FALSE(l.ok);
    std::string expected = c.message;
    if (auto p = expected.find('%'); p != std::string::npos) expected.replace(p, 1, l.path);
    EXPECT_EQ(l.status.message, expected);
    EXPECT_EQ(l.image.Width(), 0);
    EXPECT_EQ(l.image.Pixel(0, 0), 0);
    EXPECT_EQ(l.image.Data(), nullptr);
  }
}

TEST(FitsImage, RefusesMissingUnreadableAndNonFitsFiles) {
  test::TempDir dir;
  TPlaca image;
  const std::string missing = dir.File("no#existe.fit");
  EXPECT_EQ(image.LoadFile(missing).message, "No se encuentra el fichero " + missing);

  EXPECT_EQ(image.LoadFile(dir.path()).message, "No se puede abrir el fichero " + dir.path());

  const std::string text = dir.File("notas.txt");
  test::WriteBytes(text, "esto no es una imagen\n");
  EXPECT_EQ(image.LoadFile(text).message, "Error: formato (SIMPLE=) no soportado");

  // A header cut before its END card.
  std::string cut = FitsFile(ImageCards(16, 1, 1), Big16({1}));
  cut.resize(2880);
  cut.replace(5 * 80, 3, "   ");  // no END in the only record
  const std::string noEnd = dir.File("sin_end.fit");
  test::WriteBytes(noEnd, cut);
  EXPECT_EQ(image.LoadHeader(noEnd).message,
            "Error: el fichero " + noEnd + " termina antes del final de la cabecera (END)");
}

TEST(FitsImage, LoadHeaderReadsSizeAndKeepsPixelsOnlyOfTheSameSize) {
  test::TempDir dir;
  const std::string a = dir.File("a.fit"), b = dir.File("b.fit"), c = dir.File("c.fit");
  test::WriteBytes(a, FitsFile(ImageCards(16, 2, 2), Big16({1, 2, 3, 4})));
  test::WriteBytes(
      b, FitsFile(With(ImageCards(16, 2, 2), {FitsCard("OBJECT", "'M 57'")}), Big16({9, 9, 9, 9})));
  test::WriteBytes(c, FitsFile(ImageCards(16, 5, 1), Big16({9, 9, 9, 9, 9})));
  TPlaca image;
  ASSERT_TRUE(image.LoadFile(a));
  ASSERT_TRUE(image.LoadHeader(b));
  EXPECT_EQ(image.GetKeyword("OBJECT"), "M 57");
  EXPECT_EQ(image.Pixel(1, 1), 4);  // old pixels, same size
  ASSERT_TRUE(image.LoadHeader(c));
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(image.Height(), 1);
  EXPECT_FALSE(image.HasPixels());
  EXPECT_EQ(image.Pixel(1, 0), 0);
  EXPECT_EQ(image.Data(), nullptr);
  ASSERT_TRUE(image.LoadFile(c));
  EXPECT_EQ(image.Pixel(4, 0), 9);
}

TEST(FitsImage, KeywordValuesAreCleaned) {
  struct Case {
    std::string card;
    const char* key;
    const char* value;
  };
  const std::vector<Case> cases = {
      {RawCard("OBJECT  = 'M 57    '           / objeto"), "OBJECT", "M 57"},
      {RawCard("EXPTIME =                 30,5 / segundos"), "EXPTIME", "30.5"},
      {RawCard("EXPTIME =                 30,5 / segundos"), "exptime", "30.5"},
      {RawCard("DATE-OBS= 12/08/08"), "DATE-OBS", "12/08/08"},
      {RawCard("NOTA    = 12 / 4 y mas / corte"), "NOTA", "12 / 4 y mas"},
      {RawCard("NOTA2   = 12345678/ tras col 19"), "NOTA2", "12345678"},
      {RawCard("VACIO   ="), "VACIO", ""},
      {RawCard("COMILLA = '"), "COMILLA", ""},
      {RawCard("ABIERTA = 'sin cierre"), "ABIERTA", "sin cierre"},
      {RawCard("NOEXISTE= 1"), "OTRA", ""},
      {RawCard("LARGO   = 1"), "LARGOLARGO", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.card);
    TPlaca image;
    image.Header() = {test::FitsCard("SIMPLE", "T"), c.card, RawCard("OBJECT  = 'segundo'")};
    EXPECT_EQ(image.GetKeyword(c.key), c.value);
  }
}

TEST(FitsImage, SetKeywordBuildsCardsAndReplacesTheLastOne) {
  struct Case {
    const char* key;
    const char* value;
    std::string comment;
    std::string card;
  };
  const std::string pad80(80, ' ');
  const std::vector<Case> cases = {
      {"STYRADIO", "3", "", "STYRADIO=                    3"},
      {"EXPTIME", "30.5", "segundos", "EXPTIME =                 30.5 / segundos"},
      {"OBJECT", "M 57", "", "OBJECT  = 'M 57                '"},
      {"SIMPLE", "X", "", "SIMPLE  =                    T"},
      {"LARGOKEYWORD", "1", "", "LARGOKEY=                    1"},
      {"COMENTA", "1", std::string(90, 'c'), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const std::string card = MakeHeaderCard(c.key, c.value, c.comment);
    EXPECT_EQ(card.size(), 80u);
    if (!c.card.empty()) {
      EXPECT_EQ(card, (c.card + pad80).substr(0, 80));
    }
  }

  TPlaca image;
  image.Header() = {RawCard("SIMPLE  = T"), RawCard("FILTER  = 'V'"), RawCard("FILTER  = 'R'")};
  image.SetKeyword("STYRADIO", "3");
  ASSERT_EQ(image.Header().size(), 4u);
  EXPECT_EQ(image.Header()[3].substr(10, 20), std::string(19, ' ') + "3");
  EXPECT_EQ(image.GetKeyword("STYRADIO"), "3");
  image.SetKeyword("FILTER", "B");
  ASSERT_EQ(image.Header().size(), 4u);
  EXPECT_EQ(image.GetKeyword("FILTER"), "V");  // the first card is read
  EXPECT_EQ(image.Header()[2].substr(0, 13), "FILTER  = 'B ");
  image.SetKeyword("filter", "I");  // names are matched exactly
  EXPECT_EQ(image.Header().size(), 5u);
}

TEST(FitsImage, HeaderKeepsBlankCardsAndDropsEnd) {
  Loaded l(FitsFile({FitsCard("SIMPLE", "T"), FitsCard("BITPIX", "8"), RawCard(""),
                     FitsCard("NAXIS", "2"), FitsCard("NAXIS1", "1"), FitsCard("NAXIS2", "1")},
                    Bytes8({5})));
  ASSERT_TRUE(l.ok) << l.status.message;
  const auto& header = l.image.Header();
  ASSERT_GE(header.size(), 6u);
  EXPECT_EQ(header[0], "SIMPLE  =                    T");
  EXPECT_EQ(header[2], "");
  for (const auto& line : header) EXPECT_NE(line, "END");
}

}  // namespace
}  // namespace lumenda
