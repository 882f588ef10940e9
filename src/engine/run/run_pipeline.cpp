#include "run/run_pipeline.h"

#include <algorithm>

namespace lumenda {

ImagePrefetcher::ImagePrefetcher(std::vector<std::string> paths) : paths_(std::move(paths)) {
  if (!paths_.empty()) Start(0);
}

ImagePrefetcher::~ImagePrefetcher() {
  if (pending_.valid()) pending_.wait();
}

void ImagePrefetcher::Start(size_t index) {
  pendingIndex_ = index;
  TPlaca* buffer = &buffers_[index % 2];
  const std::string path = paths_[index];
  pending_ = std::async(std::launch::async, [buffer, path] { return buffer->LoadFile(path); });
}

Result<const TPlaca*> ImagePrefetcher::Next(size_t index) {
  if (!pending_.valid() || pendingIndex_ != index) Start(index);
  const Status loaded = pending_.get();
  if (!loaded.ok()) return Result<const TPlaca*>::FailWith(loaded);
  // The other buffer is free now: its image was the previous one.
  if (index + 1 < paths_.size()) Start(index + 1);
  return Result<const TPlaca*>::Ok(&buffers_[index % 2]);
}

std::vector<std::optional<StarMeasurement>> MeasureStars(
    const TPlaca& image, const ApertureSettings& settings,
    const std::vector<std::optional<Point>>& positions) {
  std::vector<std::optional<StarMeasurement>> out(positions.size());
  const auto measure = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
      if (positions[i]) out[i] = MeasureStar(image, settings, positions[i]->x, positions[i]->y);
  };
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t workers = std::min(cores, positions.size() / 4 + 1);
  if (workers <= 1) {
    measure(0, positions.size());
    return out;
  }
  std::vector<std::thread> threads;
  const size_t chunk = (positions.size() + workers - 1) / workers;
  for (size_t w = 1; w < workers; ++w)
    threads.emplace_back(measure, std::min(positions.size(), w * chunk),
                         std::min(positions.size(), (w + 1) * chunk));
  measure(0, std::min(positions.size(), chunk));
  for (std::thread& t : threads) t.join();
  return out;
}

}  // namespace lumenda
