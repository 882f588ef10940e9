// AUTO mode's folder scan: which files of the observing folder are the new
// images, and which are still being written.
#include <gtest/gtest.h>

#include <filesystem>

#include "run/auto_scan.h"
#include "run/image_list.h"
#include "synthetic_sky.h"
#include "test_support.h"

namespace lumenda {
namespace {

namespace fs = std::filesystem;

// An 8 x 8 frame taken `minute` minutes after 01:00.
void WriteFrame(const std::string& path, int minute) {
  test::WriteSynthImage(path, {}, minute, 100, 8, 8);
}

// Marks a file as written long ago, so the scan need not see it twice.
void Age(const std::string& path) {
  fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(5));
}

std::vector<std::string> Names(const std::vector<ImageListItem>& images) {
  std::vector<std::string> names;
  for (const auto& i : images) names.push_back(i.FileName());
  return names;
}

TEST(AutoScan, OnlyLaterFitsFilesPassingTheNameFilter) {
  test::TempDir dir;
  const std::string last = dir.File("noche_002.fit");
  WriteFrame(dir.File("noche_001.fit"), 0);
  WriteFrame(last, 5);
  WriteFrame(dir.File("noche_003.FIT"), 10);
  WriteFrame(dir.File("noche_004.fts"), 15);
  WriteFrame(dir.File("flat_v_0001.fits"), 20);
  test::WriteBytes(dir.File("notas.txt"), "x");
  for (const auto& f : fs::directory_iterator(dir.path())) Age(f.path().string());
  TPlaca image;
  const ImageListItem eFoto1 = DateImage(image, last, 0).value;
  struct Case {
    char mode;
    std::string include, exclude;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {'N', "", "", {"noche_003.FIT", "noche_004.fts", "flat_v_0001.fits"}},
      {'E', "", "", {"noche_003.FIT", "noche_004.fts", "flat_v_0001.fits"}},
      {'E', "", "FLAT", {"noche_003.FIT", "noche_004.fts"}},
      // Compared lower-case and cut to 10 characters: "noche_003."
      {'I', "NOCHE_003.fit y algo", "", {"noche_003.FIT"}},
      {'I', "flat", "", {"flat_v_0001.fits"}},
      {'I', "noche", "noche", {"noche_003.FIT", "noche_004.fts"}},
  };
  for (const Case& c : cases) {
    Settings s;
    s.filtroAc = c.mode;
    s.filtroIn = c.include;
    s.filtroEx = c.exclude;
    const AutoScanOutcome out = ScanForNewImages(MakeAutoScanJob(eFoto1, {}, s, {}));
    EXPECT_EQ(Names(out.images), c.names) << c.mode << " " << c.include << " " << c.exclude;
    EXPECT_TRUE(out.waiting.empty());
  }
  // An image already in the results is never taken again, even when its
  // entry is later than the last one (a re-run folder, a clock set back).
  const AutoScanOutcome out =
      ScanForNewImages(MakeAutoScanJob(eFoto1, {dir.File("noche_003.FIT")}, Settings{}, {}));
  EXPECT_EQ(Names(out.images), (std::vector<std::string>{"noche_004.fts", "flat_v_0001.fits"}));
}

TEST(AutoScan, AFileStillBeingWrittenWaitsUntilItIsCompleteAndSettled) {
  test::TempDir dir;
  const std::string last = dir.File("a_001.fit");
  WriteFrame(last, 0);
  WriteFrame(dir.File("a_002.fit"), 5);
  const std::string whole = test::ReadBytes(dir.File("a_002.fit"));
  const std::string next = dir.File("a_002.fit");
  TPlaca image;
  const ImageListItem eFoto1 = DateImage(image, last, 0).value;

  // Header only, then part of the data: complete neither way.
  struct Part {
    const char* name;
    std::size_t bytes;
  };
  for (const Part& part : {Part{"half header", 1000}, Part{"header", 2880},
                           Part{"header and half the data", 2880 + 64}}) {
    test::WriteBytes(next, whole.substr(0, part.bytes));
    Age(next);
    EXPECT_FALSE(FitsFileComplete(next)) << part.name;
    const AutoScanOutcome out = ScanForNewImages(MakeAutoScanJob(eFoto1, {last}, Settings{}, {}));
    EXPECT_TRUE(out.images.empty()) << part.name;
    EXPECT_EQ(out.waiting, std::vector<std::string>{"a_002.fit"}) << part.name;
  }
  // The data is whole without the padding of its last record.
  test::WriteBytes(next, whole.substr(0, 2880 + 128));
  EXPECT_TRUE(FitsFileComplete(next));

  // Just written: taken only after a look that finds it unchanged.
  test::WriteBytes(next, whole);
  AutoScanJob job = MakeAutoScanJob(eFoto1, {last}, Settings{}, {});
  job.settleSeconds = 3600;
  AutoScanOutcome out = ScanForNewImages(job);
  EXPECT_TRUE(out.images.empty());
  EXPECT_EQ(out.waiting, std::vector<std::string>{"a_002.fit"});
  job.memory = out.memory;
  out = ScanForNewImages(job);
  EXPECT_EQ(Names(out.images), std::vector<std::string>{"a_002.fit"});
  EXPECT_TRUE(out.waiting.empty());

  // Changed between two looks: it waits again.
  test::WriteBytes(next, whole + std::string(10, '\0'));
  out = ScanForNewImages(job);
  EXPECT_TRUE(out.images.empty());
}

}  // namespace
}  // namespace lumenda
