#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "test_support.h"
#include "text/dates.h"
#include "text/fixed_columns.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

TEST(Dates, CalendarValuesMatchTheJulianDateEpoch) {
  EXPECT_EQ(*EncodeDate(1899, 12, 30), 0.0);
  // 2000-01-01 12:00 is JD 2451545.0.
  EXPECT_DOUBLE_EQ(*EncodeDate(2000, 1, 1) + 0.5 + kCalendarToJD, 2451545.0);
  EXPECT_FALSE(EncodeDate(2023, 2, 29));
  EXPECT_TRUE(EncodeDate(2024, 2, 29));
  EXPECT_FALSE(EncodeDate(2024, 13, 1));
  EXPECT_FALSE(EncodeTime(24, 0, 0));
  CivilDate d = DecodeDate(*EncodeDate(1850, 3, 7) + 0.75);
  EXPECT_EQ(d.year, 1850);
  EXPECT_EQ(d.month, 3);
  EXPECT_EQ(d.day, 7);
  EXPECT_EQ(DecodeDate(1e300).year, 0);  // no date, and no overflow on the way
}

TEST(Dates, TextsInEveryPattern) {
  double t = *EncodeDate(2008, 8, 12) + *EncodeTime(21, 30, 5);
  EXPECT_EQ(FormatDate("dd/mm/yyyy", t), "12/08/2008");
  EXPECT_EQ(FormatDate("yyyymmdd", t), "20080812");
  EXPECT_EQ(FormatDate("yyyy-mm-dd", t), "2008-08-12");
  EXPECT_EQ(FormatTime("hh:nn:ss", t), "21:30:05");
  EXPECT_EQ(FormatTime("hh:nn", t), "21:30");
  EXPECT_EQ(*ParseDateDMY("12/08/2008"), *EncodeDate(2008, 8, 12));
  EXPECT_EQ(*ParseDateDMY("1/2/2010"), *EncodeDate(2010, 2, 1));
  EXPECT_EQ(*ParseDateDMY("12/08/08"), *EncodeDate(2008, 8, 12));
  EXPECT_FALSE(ParseDateDMY("31/02/2010"));
  EXPECT_FALSE(ParseDateDMY("2010-02-01"));
  EXPECT_NEAR(*ParseTime("21:30:00"), 21.5 / 24, 1e-12);
  EXPECT_NEAR(*ParseTime("06:15"), 6.25 / 24, 1e-12);
  EXPECT_FALSE(ParseTime("25:00:00"));
  EXPECT_FALSE(ParseTime("noon"));
}

TEST(TextFiles, ReadsLfCrLfAndWindows1252) {
  test::TempDir dir;
  test::WriteBytes(dir.File("a.txt"), "uno\r\ndos\nTres\r\n");
  auto lines = ReadTextLines(dir.File("a.txt"));
  ASSERT_TRUE(lines);
  EXPECT_EQ(*lines, (std::vector<std::string>{"uno", "dos", "Tres"}));
  // "Año" and the euro sign written by an old Windows installation.
  test::WriteBytes(dir.File("b.txt"), "A\xF1o \x80\r\n");
  auto text = ReadTextFile(dir.File("b.txt"));
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, "A\xC3\xB1o \xE2\x82\xAC\r\n");
  // Valid UTF-8 is kept as it is.
  test::WriteBytes(dir.File("c.txt"), "A\xC3\xB1o");
  EXPECT_EQ(*ReadTextFile(dir.File("c.txt")), "A\xC3\xB1o");
  EXPECT_FALSE(ReadTextFile(dir.File("missing.txt")));
  EXPECT_FALSE(ReadTextFile(dir.path()));
  EXPECT_EQ(SplitLines("a\n\nb"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(TextFiles, AtomicWriteReplacesWholeAndLeavesNoTemporary) {
  test::TempDir dir;
  const std::string path = dir.File("r.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "old\r\n").ok());
  ASSERT_TRUE(WriteFileAtomic(path, JoinLines({"x", "y"})).ok());
  EXPECT_EQ(test::ReadBytes(path), "x\r\ny\r\n");
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
  EXPECT_FALSE(WriteFileAtomic(dir.File("no/such/folder/f.txt"), "x").ok());

  // What a killed program left goes; what a running one writes stays.
  const std::string dead = dir.File("r.txt.tmp2147483647_3");
  const std::string alive = dir.File("r.txt.tmp" + std::to_string(getppid()) + "_0");
  for (const std::string& f : {dead, alive, dir.File("notas.tmp")}) test::WriteBytes(f, "x");
  RemoveStaleTemporaryFiles(dir.path());
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_TRUE(std::filesystem::exists(alive));
  EXPECT_TRUE(std::filesystem::exists(dir.File("notas.tmp")));
}

TEST(FixedColumns, FieldsNeverReadPastTheLine) {
  EXPECT_EQ(Field("0012.50  0100.25  Estrella", Column{1, 7}), "0012.50");
  EXPECT_EQ(Field("0012.50  0100.25  Estrella", Column{10, 16}), "0100.25");
  EXPECT_EQ(FieldFrom("0012.50  0100.25  Estrella", 19), "Estrella");
  EXPECT_EQ(Field("short", Column{4, 10}), "rt");
  EXPECT_EQ(Field("short", Column{9, 10}), "");
  EXPECT_EQ(Copy("abc", 0, 2), "a");
  EXPECT_EQ(Copy("abc", -5, 2), "");
  // Columns count characters, not bytes, and never split one; a byte that is
  // not UTF-8 (Windows-1252 text) is one character too.
  EXPECT_EQ(PadLeft("Ñu", 4), "  Ñu");
  EXPECT_EQ(Field("ÑÑÑabc", Column{3, 4}), "Ña");
  EXPECT_EQ(FieldFrom("ÁÉxy", 3), "xy");
  EXPECT_EQ(CharAt("ÁÉxy", 4), 'y');
  EXPECT_EQ(CharCount("\xD1u\xC3"), 3);
  EXPECT_EQ(Field("\xD1u\xC3\xB1z", Column{3, 4}), "\xC3\xB1z");
  std::string line = "ab ÑÑ cd";
  EraseColumns(line, Column{3, 6});
  EXPECT_EQ(line, "abcd");
  EXPECT_EQ(PadRight("ab", 4, '.'), "ab..");
  EXPECT_EQ(Trim("  a b \t"), "a b");
  EXPECT_EQ(ToUpper("exptime"), "EXPTIME");
}

}  // namespace
}  // namespace lumenda
