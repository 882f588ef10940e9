#include "image/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_map>

#include "text/text_file.h"

namespace lumenda {
namespace {

constexpr int kMaxColours = 256;
constexpr int kMaxSide = 65535;  // the GIF screen size fields have 16 bits

std::uint32_t PixelAt(std::span<const std::uint8_t> rgb, std::size_t i) {
  return (std::uint32_t{rgb[3 * i]} << 16) | (std::uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
}

int Channel(std::uint32_t colour, int c) {
  return static_cast<int>((colour >> (16 - 8 * c)) & 0xFF);
}

// One distinct colour of the picture and how many pixels have it.
struct Entry {
  std::uint32_t colour;
  std::uint32_t count;
};

std::vector<Entry> Histogram(std::span<const std::uint8_t> rgb, std::size_t pixels) {
  std::unordered_map<std::uint32_t, std::uint32_t> counts;
  counts.reserve(4096);
  // Charts repeat a colour along whole runs of a row.
  std::uint32_t last = 0;
  std::uint32_t* lastCount = nullptr;
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint32_t c = PixelAt(rgb, i);
    if (lastCount == nullptr || c != last) {
      last = c;
      lastCount = &counts[c];
    }
    ++*lastCount;
  }
  std::vector<Entry> entries;
  entries.reserve(counts.size());
  for (const auto& [colour, count] : counts) entries.push_back({colour, count});
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.colour < b.colour; });
  return entries;
}

// Weighted sums of a set of colours: enough for its mean and its squared error.
struct Moments {
  double w = 0;
  std::array<double, 3> s{};
  double q = 0;  // sum of w * |c|^2

  void Add(const Entry& e) {
    w += e.count;
    for (int c = 0; c < 3; ++c) {
      const double v = Channel(e.colour, c);
      s[c] += e.count * v;
      q += e.count * v * v;
    }
  }
  double Error() const {
    if (w <= 0) return 0;
    return q - (s[0] * s[0] + s[1] * s[1] + s[2] * s[2]) / w;
  }
  std::uint32_t Mean() const {
    std::uint32_t colour = 0;
    for (int c = 0; c < 3; ++c) {
      const auto v = static_cast<std::uint32_t>(std::clamp(s[c] / w + 0.5, 0.0, 255.0));
      colour |= v << (16 - 8 * c);
    }
    return colour;
  }
  Moments Minus(const Moments& other) const {
    Moments m = *this;
    m.w -= other.w;
    for (int c = 0; c < 3; ++c) m.s[c] -= other.s[c];
    m.q -= other.q;
    return m;
  }
};

struct Box {
  std::size_t begin, end;  // entries [begin, end)
  Moments moments;
};

Moments MomentsOf(const std::vector<Entry>& entries, std::size_t begin, std::size_t end) {
  Moments m;
  for (std::size_t i = begin; i < end; ++i) m.Add(entries[i]);
  return m;
}

// Splits a box along its widest-spread channel at the cut that leaves the
// least squared error in the two halves. False when it cannot be split.
bool SplitBox(std::vector<Entry>& entries, const Box& box, Box& low, Box& high) {
  if (box.end - box.begin < 2) return false;
  int axis = 0;
  double best = -1;
  for (int c = 0; c < 3; ++c) {
    const double mean = box.moments.s[c] / box.moments.w;
    double spread = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
      const double d = Channel(entries[i].colour, c) - mean;
      spread += entries[i].count * d * d;
    }
    if (spread > best) best = spread, axis = c;
  }
  std::sort(entries.begin() + static_cast<std::ptrdiff_t>(box.begin),
            entries.begin() + static_cast<std::ptrdiff_t>(box.end),
            [axis](const Entry& a, const Entry& b) {
              return Channel(a.colour, axis) < Channel(b.colour, axis);
            });
  Moments left;
  double bestError = std::numeric_limits<double>::infinity();
  std::size_t cut = 0;
  for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
    left.Add(entries[i]);
    // Cut only between different values of the channel, so equal colours
    // stay together.
    if (Channel(entries[i].colour, axis) == Channel(entries[i + 1].colour, axis)) continue;
    const double error = left.Error() + box.moments.Minus(left).Error();
    if (error < bestError) bestError = error, cut = i + 1;
  }
  if (cut == 0) return false;
  low = {box.begin, cut, MomentsOf(entries, box.begin, cut)};
  high = {cut, box.end, MomentsOf(entries, cut, box.end)};
  return true;
}

// Nearest palette colour, searching outward from the closest red value and
// stopping once the red difference alone exceeds the best distance.
class PaletteSearch {
 public:
  explicit PaletteSearch(const std::vector<std::uint32_t>& palette) {
    for (std::size_t i = 0; i < palette.size(); ++i)
      sorted_.push_back({palette[i], static_cast<int>(i)});
    std::sort(sorted_.begin(), sorted_.end(), [](const Item& a, const Item& b) {
      return Channel(a.colour, 0) < Channel(b.colour, 0);
    });
  }

  int Nearest(std::uint32_t colour) const {
    const int r = Channel(colour, 0);
    auto start = std::lower_bound(sorted_.begin(), sorted_.end(), r, [](const Item& item, int v) {
      return Channel(item.colour, 0) < v;
    });
    int best = std::numeric_limits<int>::max();
    int index = 0;
    auto visit = [&](const Item& item) {
      const int d = Distance(item.colour, colour);
      if (d < best) best = d, index = item.index;
    };
    auto up = start;
    auto down = start;
    while (up != sorted_.end() || down != sorted_.begin()) {
      bool progressed = false;
      if (up != sorted_.end()) {
        const int dr = Channel(up->colour, 0) - r;
        if (dr * dr < best) {
          visit(*up++);
          progressed = true;
        } else {
          up = sorted_.end();
        }
      }
      if (down != sorted_.begin()) {
        const int dr = r - Channel((down - 1)->colour, 0);
        if (dr * dr < best) {
          visit(*--down);
          progressed = true;
        } else {
          down = sorted_.begin();
        }
      }
      if (!progressed) break;
    }
    return index;
  }

 private:
  struct Item {
    std::uint32_t colour;
    int index;
  };
  static int Distance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int c = 0; c < 3; ++c) {
      const int x = Channel(a, c) - Channel(b, c);
      d += x * x;
    }
    return d;
  }
  std::vector<Item> sorted_;
};

std::vector<std::uint32_t> QuantizedPalette(std::vector<Entry>& entries) {
  std::vector<Box> boxes{{0, entries.size(), MomentsOf(entries, 0, entries.size())}};
  std::vector<bool> splittable{true};
  while (static_cast<int>(boxes.size()) < kMaxColours) {
    int worst = -1;
    double worstError = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const double e = boxes[i].moments.Error();
      if (splittable[i] && e > worstError) worstError = e, worst = static_cast<int>(i);
    }
    if (worst < 0) break;
    Box low, high;
    if (!SplitBox(entries, boxes[worst], low, high)) {
      splittable[worst] = false;
      continue;
    }
    boxes[worst] = low;
    boxes.push_back(high);
    splittable.push_back(true);
  }
  std::vector<std::uint32_t> palette;
  for (const Box& box : boxes) palette.push_back(box.moments.Mean());

  // A few k-means rounds move each colour to the mean of the colours that
  // are nearest to it, which the box cuts alone do not guarantee.
  for (int round = 0; round < 3; ++round) {
    std::vector<Moments> sums(palette.size());
    const PaletteSearch search(palette);
    for (const Entry& e : entries) sums[search.Nearest(e.colour)].Add(e);
    for (std::size_t i = 0; i < palette.size(); ++i)
      if (sums[i].w > 0) palette[i] = sums[i].Mean();
  }
  return palette;
}

}  // namespace

IndexedPicture ToIndexed(std::span<const std::uint8_t> rgb, int width, int height) {
  IndexedPicture out;
  out.width = width;
  out.height = height;
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<Entry> entries = Histogram(rgb, pixels);

  std::unordered_map<std::uint32_t, std::uint8_t> index;
  index.reserve(entries.size());
  if (entries.size() <= kMaxColours) {
    out.exact = true;
    for (const Entry& e : entries) {
      index[e.colour] = static_cast<std::uint8_t>(out.palette.size());
      out.palette.push_back(e.colour);
    }
  } else {
    out.palette = QuantizedPalette(entries);
    const PaletteSearch search(out.palette);
    for (const Entry& e : entries)
      index[e.colour] = static_cast<std::uint8_t>(search.Nearest(e.colour));
  }

  out.indices.resize(pixels);
  std::uint32_t last = 0;
  std::uint8_t lastIndex = 0;
  bool haveLast = false;
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint32_t c = PixelAt(rgb, i);
    if (!haveLast || c != last) {
      last = c;
      lastIndex = index[c];
      haveLast = true;
    }
    out.indices[i] = lastIndex;
  }
  return out;
}

std::string GifErrorText(int code) {
  switch (code) {
    case E_GIF_ERR_OPEN_FAILED:
      return "Error en imagen GIF: no se pudo abrir la salida.";
    case E_GIF_ERR_WRITE_FAILED:
      return "Error en imagen GIF: no se pudo escribir.";
    case E_GIF_ERR_HAS_SCRN_DSCR:
      return "Error en imagen GIF: la pantalla ya estaba descrita.";
    case E_GIF_ERR_HAS_IMAG_DSCR:
      return "Error en imagen GIF: la imagen ya estaba descrita.";
    case E_GIF_ERR_NO_COLOR_MAP:
      return "Error en imagen GIF: falta la paleta de colores.";
    case E_GIF_ERR_DATA_TOO_BIG:
      return "Error en imagen GIF: más datos que píxeles.";
    case E_GIF_ERR_NOT_ENOUGH_MEM:
      return "Error en imagen GIF: memoria insuficiente.";
    case E_GIF_ERR_DISK_IS_FULL:
      return "Error en imagen GIF: disco lleno.";
    case E_GIF_ERR_CLOSE_FAILED:
      return "Error en imagen GIF: no se pudo cerrar.";
    case E_GIF_ERR_NOT_WRITEABLE:
      return "Error en imagen GIF: la salida no admite escritura.";
    default:
      return "Error en imagen GIF (código " + std::to_string(code) + ").";
  }
}

namespace {

struct SinkState {
  const ByteSink* sink;
  bool failed = false;
};

int WriteToSink(GifFileType* gif, const GifByteType* data, int size) {
  auto* state = static_cast<SinkState*>(gif->UserData);
  if (state->failed || !(*state->sink)(data, static_cast<std::size_t>(size))) {
    state->failed = true;
    return 0;  // a short write is giflib's write error
  }
  return size;
}

}  // namespace

Status EncodeGif(const RgbPicture& picture, const ByteSink& sink) {
  if (picture.width < 1 || picture.height < 1 || picture.width > kMaxSide ||
      picture.height > kMaxSide) {
    return Status::Fail("Error en imagen GIF: tamaño no válido (" + std::to_string(picture.width) +
                        " x " + std::to_string(picture.height) + ").");
  }
  const std::size_t pixels =
      static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
  if (picture.rgb.size() != 3 * pixels) {
    return Status::Fail("Error en imagen GIF: los datos no corresponden al tamaño.");
  }
  const IndexedPicture indexed = ToIndexed(picture.rgb, picture.width, picture.height);

  int bits = 1;
  while ((1 << bits) < static_cast<int>(indexed.palette.size())) ++bits;
  std::vector<GifColorType> colours(std::size_t{1} << bits, GifColorType{0, 0, 0});
  for (std::size_t i = 0; i < indexed.palette.size(); ++i) {
    colours[i] = {static_cast<GifByteType>(Channel(indexed.palette[i], 0)),
                  static_cast<GifByteType>(Channel(indexed.palette[i], 1)),
                  static_cast<GifByteType>(Channel(indexed.palette[i], 2))};
  }
  std::unique_ptr<ColorMapObject, decltype(&GifFreeMapObject)> map(
      GifMakeMapObject(1 << bits, colours.data()), &GifFreeMapObject);
  if (!map) return Status::Fail(GifErrorText(E_GIF_ERR_NOT_ENOUGH_MEM));

  SinkState state{&sink};
  int error = 0;
  GifFileType* gif = EGifOpen(&state, &WriteToSink, &error);
  if (gif == nullptr) return Status::Fail(GifErrorText(error));

  std::vector<GifPixelType> row(static_cast<std::size_t>(picture.width));
  bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, bits, 0, map.get()) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < picture.height; ++y) {
    std::memcpy(row.data(), indexed.indices.data() + static_cast<std::size_t>(y) * row.size(),
                row.size());
    ok = EGifPutLine(gif, row.data(), picture.width) == GIF_OK;
  }
  if (!ok) error = gif->Error;
  // Closing frees the file's memory whatever happened before.
  int closeError = 0;
  const bool closed = EGifCloseFile(gif, &closeError) == GIF_OK;
  if (state.failed) return Status::Fail(GifErrorText(E_GIF_ERR_WRITE_FAILED));
  if (!ok) return Status::Fail(GifErrorText(error));
  if (!closed) return Status::Fail(GifErrorText(closeError));
  return Status::Ok();
}

Result<std::vector<std::uint8_t>> EncodeGif(const RgbPicture& picture) {
  std::vector<std::uint8_t> bytes;
  const Status status = EncodeGif(picture, [&](const std::uint8_t* data, std::size_t size) {
    bytes.insert(bytes.end(), data, data + size);
    return true;
  });
  if (!status.ok()) return Result<std::vector<std::uint8_t>>::Fail(status.message);
  return Result<std::vector<std::uint8_t>>::Ok(std::move(bytes));
}

Status WriteGif(const std::string& path, const RgbPicture& picture) {
  auto bytes = EncodeGif(picture);
  if (!bytes.ok()) return Status::Fail(bytes.message);
  return WriteFileAtomic(path, std::string_view(reinterpret_cast<const char*>(bytes.value.data()),
                                                bytes.value.size()));
}

}  // namespace lumenda
