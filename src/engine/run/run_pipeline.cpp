#include "run/run_pipeline.h"

#include <algorithm>

namespace lumenda {

namespace {
// Stars taken at a time from a shared list.
constexpr size_t kBatch = 8;
}  // namespace

ImagePrefetcher::ImagePrefetcher(std::vector<std::string> paths, bool ahead)
    : paths_(std::move(paths)) {
  if (ahead && !paths_.empty()) reader_ = std::thread(&ImagePrefetcher::Read, this);
}

ImagePrefetcher::~ImagePrefetcher() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  if (reader_.joinable()) reader_.join();
}

void ImagePrefetcher::Read() {
  for (size_t k = 0; k < paths_.size(); ++k) {
    {
      // Image k goes where image k - 2 was: wait until the run gave it up.
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return quit_ || k <= released_ + 1; });
      if (quit_) return;
    }
    Status loaded = buffers_[k % 2].LoadFile(paths_[k]);
    {
      std::lock_guard lock(mutex_);
      loaded_[k % 2] = std::move(loaded);
      read_ = k + 1;
    }
    changed_.notify_all();
  }
}

Result<const TPlaca*> ImagePrefetcher::Next(size_t index) {
  if (!reader_.joinable()) {
    // The image just read is still in this core's cache when it is measured.
    if (Status loaded = buffers_[0].LoadFile(paths_[index]); !loaded.ok())
      return Result<const TPlaca*>::FailWith(loaded);
    return Result<const TPlaca*>::Ok(&buffers_[0]);
  }
  std::unique_lock lock(mutex_);
  released_ = index;
  changed_.notify_all();
  changed_.wait(lock, [&] { return read_ > index; });
  if (!loaded_[index % 2].ok()) return Result<const TPlaca*>::FailWith(loaded_[index % 2]);
  return Result<const TPlaca*>::Ok(&buffers_[index % 2]);
}

StarMeasurer::~StarMeasurer() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  start_.notify_all();
  for (std::thread& t : helpers_) t.join();
}

void StarMeasurer::Share() {
  const std::vector<std::optional<Point>>& positions = *positions_;
  for (size_t from = next_.fetch_add(kBatch); from < positions.size();
       from = next_.fetch_add(kBatch))
    for (size_t i = from; i < std::min(positions.size(), from + kBatch); ++i)
      if (positions[i])
        (*out_)[i] = MeasureStar(*image_, *settings_, positions[i]->x, positions[i]->y);
}

void StarMeasurer::Help() {
  unsigned seen = 0;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      start_.wait(lock, [&] { return quit_ || round_ != seen; });
      if (quit_) return;
      seen = round_;
    }
    Share();
    {
      std::lock_guard lock(mutex_);
      if (--busy_ == 0) finished_.notify_one();
    }
  }
}

std::vector<std::optional<StarMeasurement>> StarMeasurer::Measure(
    const TPlaca& image, const ApertureSettings& settings,
    const std::vector<std::optional<Point>>& positions) {
  std::vector<std::optional<StarMeasurement>> out(positions.size());
  if (positions.size() < kThreadedStars) {
    for (size_t i = 0; i < positions.size(); ++i)
      if (positions[i]) out[i] = MeasureStar(image, settings, positions[i]->x, positions[i]->y);
    return out;
  }
  if (helpers_.empty())
    for (unsigned h = 1; h < std::max(1u, std::thread::hardware_concurrency()); ++h)
      helpers_.emplace_back(&StarMeasurer::Help, this);
  {
    std::lock_guard lock(mutex_);
    image_ = &image;
    settings_ = &settings;
    positions_ = &positions;
    out_ = &out;
    next_ = 0;
    busy_ = helpers_.size();
    ++round_;
  }
  start_.notify_all();
  Share();
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [&] { return busy_ == 0; });
  return out;
}

}  // namespace lumenda
