// AUTO mode: while the night goes on, the observing folder is listed again
// every few seconds and the new images are measured as a following series.
// A camera writes its files while the scan looks, so a file is taken only
// once it holds its whole header and data and has stopped changing; and an
// image already in the results is never measured again.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

#include "run/image_list.h"
#include "settings/settings.h"

namespace lumenda {

// What a file was like when the scan last looked at it.
struct SeenFile {
  std::uintmax_t size = 0;
  std::int64_t modified = 0;  // file clock ticks
  bool operator==(const SeenFile&) const = default;
};
using AutoScanMemory = std::map<std::string, SeenFile>;

struct AutoScanJob {
  ImageListItem lastImage;         // eFoto1: the newest image measured
  std::set<std::string> measured;  // paths of the images already in the results
  char filtroAc = 'E';             // name filter of the settings: 'N', 'I' or 'E'
  std::string filtroIn, filtroEx;
  double cTiempoSeconds = 0;
  AutoScanMemory memory;  // the previous scan's looks
  // A complete file that changed since the previous look is still taken
  // when it was last modified this long ago.
  double settleSeconds = 2.0;
};

AutoScanJob MakeAutoScanJob(const ImageListItem& lastImage, const std::set<std::string>& measured,
                            const Settings& settings, AutoScanMemory memory);

struct AutoScanOutcome {
  // The new images, in time order.
  std::vector<ImageListItem> images;
  // File names still being written (incomplete, or changed since the last
  // look); the next scan looks again.
  std::vector<std::string> waiting;
  AutoScanMemory memory;  // for the next scan
};

// Lists the folder of `lastImage`: FITS files passing the name filter (lower
// case, cut to 10 characters; an empty text filters nothing), complete and
// settled, not measured yet, whose list line is later, as text, than that
// of `lastImage`.
// Reads headers only.
AutoScanOutcome ScanForNewImages(const AutoScanJob& job, std::stop_token stop = {});

// The file holds the whole header (up to its END card) and as many data
// bytes as BITPIX, NAXIS1 and NAXIS2 announce (the final padding of the last
// record may be missing).
bool FitsFileComplete(const std::string& path);

}  // namespace lumenda
