// What keeps the run's wall time close to the time of reading its images:
// the next image is read while the current one is measured, the stars of an
// image are measured on all cores, and the results rows and the star file
// are written by a writer thread, so their flushes to disk overlap the
// measuring. The order of everything written stays that of the images.
#pragma once

#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "image/fits_image.h"
#include "image/measure_star.h"
#include "run/star_list.h"

namespace lumenda {

// Reads the images of a list one ahead of their use, into two reused
// buffers.
class ImagePrefetcher {
 public:
  explicit ImagePrefetcher(std::vector<std::string> paths);
  ~ImagePrefetcher();
  ImagePrefetcher(const ImagePrefetcher&) = delete;
  ImagePrefetcher& operator=(const ImagePrefetcher&) = delete;
  // The image of `index` (called with 0, 1, 2 ... in order); false with the
  // image's message when it could not be read.
  bool Next(size_t index, const TPlaca*& image);

 private:
  void Start(size_t index);
  std::vector<std::string> paths_;
  TPlaca buffers_[2];
  std::future<bool> pending_;
  size_t pendingIndex_ = 0;
};

// Measures each position that is given (nullopt: skipped), in parallel.
std::vector<std::optional<StarMeasurement>> MeasureStars(
    const TPlaca& image, const ApertureSettings& settings,
    const std::vector<std::optional<Point>>& positions);

// Appends rows to the results file and rewrites the star file from a
// thread of its own; rows queued while a flush is running go out together.
class RunWriter {
 public:
  RunWriter(std::string resultsPath, std::string starsPath);
  ~RunWriter();
  RunWriter(const RunWriter&) = delete;
  RunWriter& operator=(const RunWriter&) = delete;
  // Queues one row (with its line end) and the star file after that image.
  void Push(std::string row, std::string starFile);
  // The first write error so far ("" when none).
  std::string Error();
  // Writes everything queued and stops; the first write error, if any.
  std::string Finish();

 private:
  void Loop();
  std::string resultsPath_, starsPath_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string rows_;
  std::optional<std::string> starFile_;
  std::string error_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace lumenda
