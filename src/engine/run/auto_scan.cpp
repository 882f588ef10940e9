#include "run/auto_scan.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "image/fits_image.h"
#include "run/image_list.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRecord = 2880;
constexpr std::size_t kCard = 80;
// Beyond this a "header" is not one a camera writes.
constexpr std::size_t kMaxHeaderRecords = 1000;

std::string NameFilterText(const std::string& text) {
  return std::string(Copy(ToLower(text), 1, 10));
}

}  // namespace

bool FitsFileComplete(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  long long bitpix = 0, naxis = -1, n1 = 0, n2 = 0;
  std::string record(kRecord, ' ');
  std::size_t records = 0;
  bool end = false;
  while (!end && records < kMaxHeaderRecords) {
    if (!in.read(record.data(), kRecord)) return false;
    ++records;
    for (std::size_t at = 0; at < kRecord && !end; at += kCard) {
      const std::string_view card(record.data() + at, kCard);
      const std::string key = Trim(card.substr(0, 8));
      if (key == "END") {
        end = true;
        break;
      }
      if (card.substr(8, 2) != "= ") continue;
      const auto value = ParseInt(Trim(card.substr(10, 20)));
      if (!value) continue;
      if (key == "BITPIX") bitpix = *value;
      if (key == "NAXIS") naxis = *value;
      if (key == "NAXIS1") n1 = *value;
      if (key == "NAXIS2") n2 = *value;
    }
  }
  if (!end || bitpix == 0 || naxis < 0 || n1 < 0 || n2 < 0) return false;
  const long long data = naxis == 0 ? 0 : std::llabs(bitpix) / 8 * n1 * (naxis >= 2 ? n2 : 1);
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  return !ec && static_cast<long long>(size) >= static_cast<long long>(records * kRecord) + data;
}

AutoScanJob MakeAutoScanJob(const ImageListItem& lastImage, const std::set<std::string>& measured,
                            const Settings& settings, AutoScanMemory memory) {
  AutoScanJob job;
  job.lastImage = lastImage;
  job.measured = measured;
  job.filtroAc = settings.filtroAc;
  job.filtroIn = settings.filtroIn;
  job.filtroEx = settings.filtroEx;
  job.cTiempoSeconds = ParseDouble(settings.cTiempo).value_or(0.0);
  job.memory = std::move(memory);
  return job;
}

AutoScanOutcome ScanForNewImages(const AutoScanJob& job, std::stop_token stop) {
  AutoScanOutcome out;
  const std::string include = NameFilterText(job.filtroIn);
  const std::string exclude = NameFilterText(job.filtroEx);
  const std::string folder = fs::path(job.lastImage.path).parent_path().string();
  const auto now = fs::file_time_type::clock::now();
  const auto settle = std::chrono::duration_cast<fs::file_time_type::duration>(
      std::chrono::duration<double>(job.settleSeconds));
  const std::string last = job.lastImage.Text();
  TPlaca image;
  for (const std::string& path : FitsFilesInFolder(folder.empty() ? "." : folder)) {
    if (stop.stop_requested()) break;
    if (job.measured.count(path)) continue;
    const std::string lower = ToLower(path);
    if (job.filtroAc == 'I' && !include.empty() && lower.find(include) == std::string::npos)
      continue;
    if (job.filtroAc == 'E' && !exclude.empty() && lower.find(exclude) != std::string::npos)
      continue;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    const auto modified = fs::last_write_time(path, ec);
    if (ec) continue;  // gone meanwhile
    const SeenFile look{size, modified.time_since_epoch().count()};
    out.memory[path] = look;
    const auto previous = job.memory.find(path);
    const bool unchanged = previous != job.memory.end() && previous->second == look;
    const std::string name = fs::path(path).filename().string();
    if (!FitsFileComplete(path) || (!unchanged && now - modified < settle)) {
      out.waiting.push_back(name);
      continue;
    }
    auto item = DateImage(image, path, job.cTiempoSeconds);
    // A complete file whose header cannot be read is not an image to wait for.
    if (!item.ok()) continue;
    if (!(item.value.Text() > last)) continue;
    InsertSorted(out.images, std::move(item.value));
  }
  return out;
}

}  // namespace lumenda
