// What keeps the run's cost close to the cost of reading its images: with a
// long star list the next image is read on a thread of its own while the
// current one is measured, and the list is shared with helper threads. The
// threads live as long as the run: no image starts one.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "image/fits_image.h"
#include "image/measure_star.h"
#include "run/star_list.h"

namespace lumenda {

// Below this many stars to measure per image, another thread costs more
// processor time (waking it, moving the pixels between caches) than the
// time it saves.
constexpr size_t kThreadedStars = 32;

// Reads the images of a list, into reused buffers: one ahead of their use
// on a thread of its own when `ahead`, else when asked.
class ImagePrefetcher {
 public:
  ImagePrefetcher(std::vector<std::string> paths, bool ahead);
  ~ImagePrefetcher();
  ImagePrefetcher(const ImagePrefetcher&) = delete;
  ImagePrefetcher& operator=(const ImagePrefetcher&) = delete;
  // The image of `index` (called with 0, 1, 2 ... in order), or why it
  // could not be read. The image of the previous call is given up.
  Result<const TPlaca*> Next(size_t index);

 private:
  void Read();
  std::vector<std::string> paths_;
  TPlaca buffers_[2];
  Status loaded_[2];
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t read_ = 0;      // images read so far
  size_t released_ = 0;  // images given up by the run
  bool quit_ = false;
  std::thread reader_;
};

// Measures each position that is given (nullopt: skipped). A list long enough
// to pay for it is shared with helper threads, started at its first use.
class StarMeasurer {
 public:
  StarMeasurer() = default;
  ~StarMeasurer();
  StarMeasurer(const StarMeasurer&) = delete;
  StarMeasurer& operator=(const StarMeasurer&) = delete;
  std::vector<std::optional<StarMeasurement>> Measure(
      const TPlaca& image, const ApertureSettings& settings,
      const std::vector<std::optional<Point>>& positions);

 private:
  void Help();
  void Share();
  std::vector<std::thread> helpers_;
  std::mutex mutex_;
  std::condition_variable start_, finished_;
  unsigned round_ = 0;
  size_t busy_ = 0;
  bool quit_ = false;
  // The list being measured.
  const TPlaca* image_ = nullptr;
  const ApertureSettings* settings_ = nullptr;
  const std::vector<std::optional<Point>>* positions_ = nullptr;
  std::vector<std::optional<StarMeasurement>>* out_ = nullptr;
  std::atomic<size_t> next_{0};
};

}  // namespace lumenda
