// What keeps the run's wall time close to the time of reading its images:
// the next image is read while the current one is measured, and the stars of
// an image are measured on all cores.
#pragma once

#include <future>
#include <memory>
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
  // The image of `index` (called with 0, 1, 2 ... in order), or why it
  // could not be read.
  Result<const TPlaca*> Next(size_t index);

 private:
  void Start(size_t index);
  std::vector<std::string> paths_;
  TPlaca buffers_[2];
  std::future<Status> pending_;
  size_t pendingIndex_ = 0;
};

// Measures each position that is given (nullopt: skipped), in parallel.
std::vector<std::optional<StarMeasurement>> MeasureStars(
    const TPlaca& image, const ApertureSettings& settings,
    const std::vector<std::optional<Point>>& positions);

}  // namespace lumenda
