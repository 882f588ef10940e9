#include <gtest/gtest.h>

#include "period/period_file.h"
#include "test_support.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

PeriodData Sample() {
  PeriodData data;
  data.StarName = "V6 Mé";
  data.TimeScale = "HJD";
  data.SeriesOffsets = {0, 0.013, -1e-5};
  data.Observations = {
      {2450920.7471, -0.0123456789012345, 16.042, 0, 0},
      {2450920.75125, 0.1, 16.1, 1, 1},
      {2450921.1, 0, 15.5, 2, 0},
  };
  data.ObserverList = {"Ana", "Luis"};
  return data;
}

TEST(PeriodFile, WrittenFileReadsBackTheSameAnalysis) {
  test::TempDir dir;
  const PeriodData data = Sample();
  // The layout is pinned by pulsante.per; here every value comes back.
  ASSERT_TRUE(WritePeriodFile(dir.File("a.per"), data, "0.51433").ok());
  Result<PeriodFileContent> read = ReadPeriodFile(dir.File("a.per"));
  ASSERT_TRUE(read.ok()) << read.message;
  const PeriodData& back = read.value.data;
  EXPECT_EQ(read.value.periodText, "0.51433");
  EXPECT_EQ(read.value.period, 0.51433);
  EXPECT_EQ(back.StarName, data.StarName);
  EXPECT_EQ(back.TimeScale, data.TimeScale);
  EXPECT_EQ(back.SeriesOffsets, data.SeriesOffsets);
  EXPECT_EQ(back.ObserverList, data.ObserverList);
  ASSERT_EQ(back.Observations.size(), data.Observations.size());
  for (size_t i = 0; i < data.Observations.size(); ++i) {
    SCOPED_TRACE(i);
    // 15 significant digits: times to 1E-8 d, magnitudes to the last digit written.
    EXPECT_NEAR(back.Observations[i].Time, data.Observations[i].Time, 1e-8);
    EXPECT_EQ(back.Observations[i].CentredMagnitude,
              ParseDouble(FloatToStr(data.Observations[i].CentredMagnitude)));
    EXPECT_EQ(back.Observations[i].Magnitude, data.Observations[i].Magnitude);
    EXPECT_EQ(back.Observations[i].Series, data.Observations[i].Series);
    EXPECT_EQ(back.Observations[i].Deleted, data.Observations[i].Deleted);
  }
}

TEST(PeriodFile, ChecksumCatchesChangedCharacters) {
  std::vector<std::string> lines = PeriodFileLines(Sample(), "0.51433");
  ASSERT_TRUE(ParsePeriodFile(lines).ok());
  EXPECT_EQ(lines[0], IntToStr(PeriodFileChecksum(lines, 1)));

  // One changed character in a time, in the name, or in the sum itself.
  std::string time = lines[14];
  time[0] = '3';
  const std::pair<size_t, std::string> changes[] = {
      {14, time}, {2, "V7 Mé"}, {0, IntToStr(PeriodFileChecksum(lines, 1) + 1)}};
  for (const auto& [index, text] : changes) {
    std::vector<std::string> changed = lines;
    changed[index] = text;
    EXPECT_EQ(ParsePeriodFile(changed).message, "Error en lectura de datos.") << index;
  }

  // The sum cannot see two characters swapped within a line.
  std::vector<std::string> swapped = lines;
  std::swap(swapped[6][2], swapped[6][3]);  // "0.51433" -> "0.15433"
  Result<PeriodFileContent> read = ParsePeriodFile(swapped);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value.period, 0.15433);

  EXPECT_EQ(ParsePeriodFile({}).message, "Error en lectura de datos.");

  // A file of an older Windows installation: Windows-1252 bytes, summed as stored.
  std::vector<std::string> old = lines;
  old[2] = "V6 M\xE9";
  old[0] = IntToStr(PeriodFileChecksum(old, 1));
  test::TempDir dir;
  test::WriteBytes(dir.File("viejo.per"), JoinLines(old));
  read = ReadPeriodFile(dir.File("viejo.per"));
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_EQ(read.value.data.StarName, "V6 Mé");
}

// Replaces line `index` and fixes the checksum, to reach the checks after it.
std::vector<std::string> Edited(std::vector<std::string> lines, size_t index, std::string text) {
  lines[index] = std::move(text);
  lines[0] = IntToStr(PeriodFileChecksum(lines, 1));
  return lines;
}

TEST(PeriodFile, RefusesWhatCannotBeAnAnalysis) {
  const std::vector<std::string> lines = PeriodFileLines(Sample(), "0.51433");
  // Line numbers (0-based): 1 N_VAR, 5 PERI, 6 period, 7 DESV_NOCHE, 8 n,
  // 12 DATOS, 13 N, 14.. points (Series at 17, Deleted at 18).
  struct Case {
    size_t line;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {1, "N_VARS", "Error: formato no reconocido."},
      {12, "DATO", "Error: formato no reconocido."},
      {6, "0.00000", "El periodo del fichero (0.00000) debe ser mayor que 0."},
      {6, "-1.5", "El periodo del fichero (-1.5) debe ser mayor que 0."},
      {6, "uno", "\"uno\" no es un valor numérico válido."},
      {9, "x", "\"x\" no es un valor numérico válido."},
      {18, "256", "Valor fuera de rango en el fichero de periodo: 256."},
      {18, "-1", "Valor fuera de rango en el fichero de periodo: -1."},
      {17, "3", "Valor fuera de rango en el fichero de periodo: 3."},  // no such series
      {13, "2", "Error: formato no reconocido."},                      // a point is left over
      {13, "4", "\"OBSERVADORES\" no es un valor numérico válido."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line << " " << c.text);
    EXPECT_EQ(ParsePeriodFile(Edited(lines, c.line, c.text)).message, c.message);
  }
  Result<PeriodFileContent> deleted = ParsePeriodFile(Edited(lines, 18, "255"));
  ASSERT_TRUE(deleted.ok()) << deleted.message;
  EXPECT_EQ(deleted.value.data.Observations[0].Deleted, 1);

  EXPECT_FALSE(ReadPeriodFile("/no/existe.per").ok());
}

TEST(PeriodFile, ObserversAreSortedWithoutDuplicates) {
  std::vector<std::string> lines = PeriodFileLines(Sample(), "0.51433");
  lines.resize(lines.size() - 3);
  for (const char* entry : {"4", "Zoe", "Ana", "Zoe", "Bea"}) lines.push_back(entry);
  lines[0] = IntToStr(PeriodFileChecksum(lines, 1));
  Result<PeriodFileContent> read = ParsePeriodFile(lines);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_EQ(read.value.data.ObserverList, (std::vector<std::string>{"Ana", "Bea", "Zoe"}));
}

}  // namespace
}  // namespace lumenda
