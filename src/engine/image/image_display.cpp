#include "image/image_display.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "text/number_format.h"

namespace lumenda {
namespace {

constexpr int kBinWidth = 10;
constexpr int kBins = 6555;      // rnd(65535 / 10) + 1
constexpr int kLeastInBin = 10;  // "more than 9 pixels"
constexpr int kLeastWidth = 15;
constexpr uint32_t kEmptyGrey = 0xFF7F7F7Fu;

int Rnd(double v) {
  return static_cast<int>(RoundHalfEven(v));
}

// Half-even rounding of sum / 2^shift for non-negative sums.
inline uint32_t ShiftRound(uint32_t sum, int shift) {
  const uint32_t q = sum >> shift;
  const uint32_t r = sum & ((1u << shift) - 1u);
  const uint32_t half = 1u << (shift - 1);
  return q + ((r > half || (r == half && (q & 1u))) ? 1u : 0u);
}

// The grey level of every possible value for this Fondo and Rango; bytes, so
// the table stays in the cache while a large image streams past it.
std::vector<uint8_t> GreyTable(int fondo, int rango) {
  std::vector<uint8_t> table(65536);
  const double r = rango < 1 ? 1.0 : static_cast<double>(rango);
  for (int v = 0; v < 65536; ++v) {
    const double g = std::nearbyint(static_cast<double>(v - fondo) / r * 255.0);
    table[static_cast<size_t>(v)] = static_cast<uint8_t>(std::clamp(g, 0.0, 255.0));
  }
  return table;
}

inline uint32_t Pixel(uint8_t grey) {
  return 0xFF000000u | (static_cast<uint32_t>(grey) * 0x010101u);
}

// Renders at 1 / `step` (step 1, 2 or 4): picture pixel (bx, by) is the
// mean of the block at image column bx * step, row by * step.
void RenderBlocks(const TPlaca& image, const DisplayView& view, int step, int pw, int ph,
                  const std::vector<uint8_t>& grey, uint32_t* out, int stride) {
  const int w = image.Width();
  const int h = image.Height();
  const uint16_t* px = image.Data();
  const int shift = step == 4 ? 4 : step == 2 ? 2 : 0;
  std::vector<uint32_t> sums(static_cast<size_t>(pw));
  for (int by = 0; by < ph; ++by) {
    uint32_t* row =
        out + static_cast<size_t>(view.flipY ? ph - 1 - by : by) * static_cast<size_t>(stride);
    const int y0 = by * step;
    const int rows = std::min(step, h - y0);
    if (rows <= 0) {
      std::fill(row, row + pw, kEmptyGrey);
      continue;
    }
    if (step == 1) {
      const uint16_t* src = px + static_cast<size_t>(y0) * static_cast<size_t>(w);
      if (view.flipX) {
        for (int x = 0; x < w; ++x) row[pw - 1 - x] = Pixel(grey[src[x]]);
      } else {
        for (int x = 0; x < w; ++x) row[x] = Pixel(grey[src[x]]);
      }
      for (int x = w; x < pw; ++x) row[view.flipX ? pw - 1 - x : x] = kEmptyGrey;
      continue;
    }
    std::fill(sums.begin(), sums.end(), 0u);
    const int fullBlocks = w / step;
    for (int yy = 0; yy < rows; ++yy) {
      const uint16_t* src = px + static_cast<size_t>(y0 + yy) * static_cast<size_t>(w);
      for (int bx = 0; bx < fullBlocks; ++bx) {
        const uint16_t* s = src + bx * step;
        uint32_t sum = static_cast<uint32_t>(s[0]) + s[1];
        if (step == 4) sum += static_cast<uint32_t>(s[2]) + s[3];
        sums[static_cast<size_t>(bx)] += sum;
      }
      for (int x = fullBlocks * step; x < w; ++x) sums[static_cast<size_t>(fullBlocks)] += src[x];
    }
    const int partialCols = w - fullBlocks * step;
    for (int bx = 0; bx < pw; ++bx) {
      const int cols = bx < fullBlocks ? step : bx == fullBlocks ? partialCols : 0;
      uint32_t value;
      if (cols == 0) {
        row[view.flipX ? pw - 1 - bx : bx] = kEmptyGrey;
        continue;
      }
      if (cols == step && rows == step) {
        value = ShiftRound(sums[static_cast<size_t>(bx)], shift);
      } else {  // a block cut by the image's edge: the mean of what is inside
        value = static_cast<uint32_t>(
            Rnd(static_cast<double>(sums[static_cast<size_t>(bx)]) / (cols * rows)));
      }
      row[view.flipX ? pw - 1 - bx : bx] = Pixel(grey[std::min<uint32_t>(value, 65535u)]);
    }
  }
}

}  // namespace

double ZoomFactor(int zoomCode) {
  if (zoomCode == kZoomHalf) return 0.5;
  if (zoomCode == kZoomQuarter) return 0.25;
  return 1.0;
}

DisplayLevels AutoLevels(const TPlaca& image) {
  std::vector<uint32_t> histogram(kBins, 0);
  if (const uint16_t* px = image.Data()) {
    // Zero pixels are not counted: they go to a slot past the last bin.
    constexpr int kSlots = kBins + 1;
    std::vector<uint16_t> binOf(65536);
    binOf[0] = kBins;
    for (int v = 1; v < 65536; ++v)
      binOf[static_cast<size_t>(v)] = static_cast<uint16_t>(Rnd(v / 10.0));
    const size_t n = static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height());
    // Four partial histograms keep runs of equal values from stalling on one
    // counter.
    std::vector<uint32_t> part(4 * kSlots, 0);
    uint32_t* p0 = part.data();
    uint32_t* p1 = p0 + kSlots;
    uint32_t* p2 = p1 + kSlots;
    uint32_t* p3 = p2 + kSlots;
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
      ++p0[binOf[px[i]]];
      ++p1[binOf[px[i + 1]]];
      ++p2[binOf[px[i + 2]]];
      ++p3[binOf[px[i + 3]]];
    }
    for (; i < n; ++i) ++p0[binOf[px[i]]];
    for (int b = 0; b < kBins; ++b)
      histogram[static_cast<size_t>(b)] = p0[b] + p1[b] + p2[b] + p3[b];
  }
  int low = -1;
  int firstUsed = -1;
  int mode = 0;
  for (int b = 0; b < kBins; ++b) {
    const uint32_t c = histogram[static_cast<size_t>(b)];
    if (low < 0 && c >= kLeastInBin) low = b;
    if (firstUsed < 0 && c > 0) firstUsed = b;
    if (c > histogram[static_cast<size_t>(mode)]) mode = b;
  }
  if (low < 0) low = firstUsed < 0 ? 0 : firstUsed;
  int width = (mode - low) * kBinWidth;
  if (width < kLeastWidth) width = kLeastWidth;

  DisplayLevels levels;
  levels.fondo = low * kBinWidth + 1;
  levels.fondoMin = Rnd(0.5 * levels.fondo);
  levels.fondoMax = Rnd(1.5 * levels.fondo);
  levels.rango = Rnd(3.6 * width);
  levels.rangoMin = Rnd(0.2 * levels.rango);
  levels.rangoMax = Rnd(2.5 * levels.rango);
  return levels;
}

int PictureExtent(int size, int zoomCode) {
  if (size <= 0) return 0;
  return Rnd((size - 1) * ZoomFactor(zoomCode) + 1);
}

void RenderPicture(const TPlaca& image, const DisplayView& view, uint32_t* out, int stride) {
  const int pw = PictureExtent(image.Width(), view.zoomCode);
  const int ph = PictureExtent(image.Height(), view.zoomCode);
  if (!image.HasPixels() || pw <= 0 || ph <= 0) return;
  const int step = view.zoomCode == kZoomHalf ? 2 : view.zoomCode == kZoomQuarter ? 4 : 1;
  RenderBlocks(image, view, step, pw, ph, GreyTable(view.fondo, view.rango), out, stride);
}

PointerReadout ReadPointer(const TPlaca& image, const PlateReading& plate, const DisplayView& view,
                           int px, int py) {
  PointerReadout r;
  const double z = ZoomFactor(view.zoomCode);
  r.x = Rnd(px / z);
  r.y = Rnd(py / z);
  const int maxX = image.Width() - 1;
  const int maxY = image.Height() - 1;
  const int ix = view.flipX ? maxX - r.x : r.x;
  const int iy = view.flipY ? maxY - r.y : r.y;
  r.xText = "X: " + IntToStr(r.x);
  r.yText = "Y: " + IntToStr(r.y);
  r.iText = "I: " + IntToStr(image.Pixel(ix, iy));
  if (plate.valid) {
    auto [ra, dec] =
        PixelToRADec(plate.solution, px / z, py / z, maxX, maxY, view.flipX, view.flipY);
    r.arText = "AR: " + ra;
    r.decText = "DEC: " + dec;
  }
  return r;
}

MagnifierCrop MagnifierSource(int px, int py, int magnification) {
  const int half = magnification == 5 ? 25 : 42;
  return MagnifierCrop{px - half, py - half, 2 * half + 1, magnification == 5 ? 129 : 128};
}

}  // namespace lumenda
