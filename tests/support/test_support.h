// Shared helpers of the test suites.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace lumenda::test {

// A fresh empty folder under the system temporary folder, removed at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // Path ending in "/".
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// The shared real-data folder ("../shared/data/real/"), or "" when absent.
std::string RealDataDir();

// Writes bytes to a file (test fixtures).
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

// Compares `actual` with the reviewed reference file at `path`, naming the
// first line that differs; with LUMENDA_UPDATE_REFERENCE set, rewrites it.
void ExpectSameAsReference(const std::string& path, const std::string& actual);

// 64-bit FNV-1a of the bytes, in hexadecimal: a short pin for long listings.
std::string Digest(const std::string& bytes);

}  // namespace lumenda::test

// Skips the current test when the shared real-data folder is absent.
#define LUMENDA_REQUIRE_REAL_DATA()                                                             \
  do {                                                                                          \
    if (::lumenda::test::RealDataDir().empty()) GTEST_SKIP() << "shared real data not present"; \
  } while (0)
