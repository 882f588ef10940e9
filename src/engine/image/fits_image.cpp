#include "image/fits_image.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {
namespace {

// The in-place conversions below swap bytes for a little-endian host.
static_assert(std::endian::native == std::endian::little);

constexpr size_t kRecordBytes = 2880;
constexpr size_t kCardBytes = 80;
constexpr size_t kCardsPerRecord = kRecordBytes / kCardBytes;
// Data are read this many records at a time and converted while the block is
// still in cache.
constexpr size_t kRecordsPerBlock = 128;
constexpr size_t kBlockBytes = kRecordsPerBlock * kRecordBytes;
constexpr int kMaxSide = 65535;
constexpr size_t kHugePage = size_t{2} << 20;

enum class SampleKind { kByte, kShort, kFloat, kInt };

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Header cards are 80 bytes, whatever bytes a careless writer put in them.
std::string KeyOf(std::string_view line) {
  return Trim(line.substr(0, 8));
}

// Low 16 bits of the integer nearest to v (two's complement for negatives).
uint16_t Low16(double v) {
  if (!std::isfinite(v)) return 0;
  // Rounded as a double: the low bits of any value, however large.
  double r = std::fmod(std::nearbyint(v), 65536.0);
  if (r < 0) r += 65536.0;
  return static_cast<uint16_t>(static_cast<int>(r));
}

// Big-endian 32-bit words to host order, in two passes that the compiler
// vectorises (a plain byte swap it would not, without SSSE3).
void SwapWords(uint32_t* w, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const uint32_t x = w[i];
    w[i] = ((x >> 8) & 0x00FF00FFu) | ((x << 8) & 0xFF00FF00u);
  }
  for (size_t i = 0; i < n; ++i) w[i] = (w[i] >> 16) | (w[i] << 16);
}

// Big-endian IEEE singles to counts: nearest integer (halves to even) +
// offset, clamped to 0..65535, NaN as 0. Single precision is exact here:
// below 2^22 the rounding trick with 1.5 * 2^23 gives the exact integer and
// the sums stay below 2^24; above it the result is clamped whatever the
// rounding did. One pass from the raw block, the byte swap included; with
// AVX2 at run time it takes eight samples a step.
// The clones' resolver runs before a sanitizer's runtime is ready, so
// sanitized builds keep the plain version.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LUMENDA_FLOAT_CLONES
#else
#define LUMENDA_FLOAT_CLONES __attribute__((target_clones("avx2", "default")))
#endif
LUMENDA_FLOAT_CLONES void ConvertFloats(const uint32_t* __restrict words, size_t n, float offset,
                                        uint16_t* __restrict out) {
  constexpr float kMagic = 12582912.0f;
  for (size_t i = 0; i < n; ++i) {
    uint32_t x = words[i];
    x = ((x >> 8) & 0x00FF00FFu) | ((x << 8) & 0xFF00FF00u);
    x = (x >> 16) | (x << 16);
    const float v = std::bit_cast<float>(x);
    float c = ((v + kMagic) - kMagic) + offset;
    c = c > 0.0f ? c : 0.0f;
    c = c < 65535.0f ? c : 65535.0f;
    out[i] = static_cast<uint16_t>(static_cast<int32_t>(c));
  }
}

// Big-endian 16-bit samples to counts in place: bytes swapped, offset added
// (wrapping, as the unsigned sum does). Its AVX2 clone also spares the load
// the penalty that plain SSE code pays after code that left the upper halves
// of the vector registers in use (the star measurement, a library copy).
LUMENDA_FLOAT_CLONES void SwapShorts(uint16_t* p, size_t n, uint16_t offset) {
  for (size_t i = 0; i < n; ++i) {
    const uint16_t raw = p[i];
    p[i] = static_cast<uint16_t>(static_cast<uint16_t>((raw >> 8) | (raw << 8)) + offset);
  }
}

void ConvertInts(const uint32_t* __restrict words, size_t n, uint16_t* __restrict out) {
  for (size_t i = 0; i < n; ++i) {
    const auto v = static_cast<int32_t>(words[i]);
    out[i] = static_cast<uint16_t>(v < 0 ? 0 : v > 65535 ? 65535 : v);
  }
}

// A side length: a whole number 1..65535.
std::optional<int> ParseSide(const std::string& text) {
  auto v = ParseDouble(text);
  if (!v || !std::isfinite(*v) || *v != std::floor(*v) || *v < 1 || *v > kMaxSide)
    return std::nullopt;
  return static_cast<int>(*v);
}

// Reads exactly n bytes.
Status ReadExactly(std::FILE* f, void* dst, size_t n, const std::string& path) {
  if (std::fread(dst, 1, n, f) == n) return Status::Ok();
  if (std::feof(f))
    return Status::Fail("Error: el fichero " + path + " termina antes del final de la imagen",
                        FailureKind::kIo);
  return Status::Fail("Error de lectura en el fichero " + path, FailureKind::kIo);
}

struct OpenedFile {
  FilePtr file;
  unsigned long long bytes = 0;
};

// A file that can be read, with its size.
Result<OpenedFile> OpenImageFile(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0)
    return Result<OpenedFile>::Fail("No se encuentra el fichero " + path, FailureKind::kIo);
  FilePtr file(S_ISDIR(st.st_mode) ? nullptr : std::fopen(path.c_str(), "rb"));
  if (!file)
    return Result<OpenedFile>::Fail("No se puede abrir el fichero " + path, FailureKind::kIo);
  // Our own blocks are large; stdio's buffer would only add a copy.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  return Result<OpenedFile>::Ok({std::move(file), static_cast<unsigned long long>(st.st_size)});
}

// The header cards up to END, trimmed, and the number of records they took.
struct HeaderRecords {
  size_t records = 0;
  bool foundEnd = false;
};
Result<HeaderRecords> ReadHeaderRecords(std::FILE* f, const std::string& path,
                                        std::vector<std::string>& header) {
  header.clear();
  HeaderRecords read;
  std::array<char, kRecordBytes> record;
  while (!read.foundEnd) {
    if (std::fread(record.data(), 1, kRecordBytes, f) != kRecordBytes) break;
    ++read.records;
    for (size_t c = 0; c < kCardsPerRecord; ++c) {
      std::string line = Trim(std::string_view(record.data() + c * kCardBytes, kCardBytes));
      if (line == "END") {
        read.foundEnd = true;
        break;
      }
      header.push_back(std::move(line));
    }
    // A file that does not open with SIMPLE is not FITS: no need to read all of it.
    if (read.records == 1 && (header.empty() || KeyOf(header.front()) != "SIMPLE")) break;
  }
  if (std::ferror(f))
    return Result<HeaderRecords>::Fail("Error de lectura en el fichero " + path, FailureKind::kIo);
  return Result<HeaderRecords>::Ok(read);
}

// The primary array as the header describes it.
struct Layout {
  SampleKind kind = SampleKind::kShort;
  size_t sampleBytes = 2;
  int width = 0;
  int height = 0;
  std::string naxis1, naxis2;  // as written, for the messages
};
Result<Layout> ReadLayout(const TPlaca& image, bool foundEnd, const std::string& path) {
  using Out = Result<Layout>;
  const std::string simple = image.GetKeyword("SIMPLE");
  if (simple != "T") return Out::Fail("Error: formato (SIMPLE=" + simple + ") no soportado");
  if (!foundEnd)
    return Out::Fail("Error: el fichero " + path + " termina antes del final de la cabecera (END)",
                     FailureKind::kIo);
  const std::string naxis = image.GetKeyword("NAXIS");
  if (naxis != "2") return Out::Fail("Error: formato (NAXIS=" + naxis + ") no soportado");
  Layout layout;
  const std::string bitpix(Copy(image.GetKeyword("BITPIX"), 1, 3));
  if (bitpix == "8") {
    layout.kind = SampleKind::kByte;
    layout.sampleBytes = 1;
  } else if (bitpix == "16") {
    layout.kind = SampleKind::kShort;
    layout.sampleBytes = 2;
  } else if (bitpix == "-32") {
    layout.kind = SampleKind::kFloat;
    layout.sampleBytes = 4;
  } else if (bitpix == "32") {
    layout.kind = SampleKind::kInt;
    layout.sampleBytes = 4;
  } else {
    return Out::Fail(" Error: formato de pixel (BITPIX=" + bitpix + ") no soportado");
  }
  layout.naxis1 = image.GetKeyword("NAXIS1");
  layout.naxis2 = image.GetKeyword("NAXIS2");
  const auto width = ParseSide(layout.naxis1);
  const auto height = ParseSide(layout.naxis2);
  if (!width || !height)
    return Out::Fail("Error: tamaño de imagen (NAXIS1=" + layout.naxis1 +
                     ", NAXIS2=" + layout.naxis2 + ") no soportado");
  layout.width = *width;
  layout.height = *height;
  return Out::Ok(std::move(layout));
}

// Counts = stored value * BSCALE + BZERO.
struct Scaling {
  long long bzero = 0;
  double bscale = 1.0;
};
Result<Scaling> ReadScaling(const TPlaca& image) {
  Scaling scaling;
  if (std::string text = image.GetKeyword("BZERO"); !text.empty()) {
    auto v = ParseDouble(text);
    if (!v || !(RoundHalfEven(*v) >= 0 && RoundHalfEven(*v) <= 65535))
      return Result<Scaling>::Fail("Error: valor de BZERO (" + text + ") no soportado");
    scaling.bzero = RoundHalfEven(*v);
  }
  if (std::string text = image.GetKeyword("BSCALE"); !text.empty()) {
    auto v = ParseDouble(text);
    if (!v || !std::isfinite(*v))
      return Result<Scaling>::Fail("Error: valor de BSCALE (" + text + ") no soportado");
    scaling.bscale = *v;
  }
  return Result<Scaling>::Ok(scaling);
}

// 16-bit samples: read into the pixel array itself and converted in place,
// block by block.
Status ReadShortSamples(std::FILE* f, size_t count, const Scaling& scaling, const std::string& path,
                        uint16_t* out) {
  std::unique_ptr<uint16_t[]> table;
  if (scaling.bscale != 1.0) {
    table.reset(new uint16_t[65536]);
    for (int s = 0; s < 65536; ++s)
      table[s] = Low16(s * scaling.bscale + static_cast<double>(scaling.bzero));
  }
  const auto offset = static_cast<uint16_t>(scaling.bzero);
  for (size_t done = 0; done < count;) {
    const size_t n = std::min(kBlockBytes / 2, count - done);
    uint16_t* p = out + done;
    if (Status read = ReadExactly(f, p, n * 2, path); !read.ok()) return read;
    if (table) {
      for (size_t i = 0; i < n; ++i) {
        const auto* b = reinterpret_cast<const unsigned char*>(p + i);
        p[i] = table[(b[0] << 8) | b[1]];
      }
    } else {
      SwapShorts(p, n, offset);
    }
    done += n;
  }
  return Status::Ok();
}

// 8-bit and 32-bit samples: through one block of records.
Status ReadOtherSamples(std::FILE* f, const Layout& layout, size_t count, const Scaling& scaling,
                        const std::string& path, uint16_t* out) {
  std::unique_ptr<uint32_t[]> block(new uint32_t[kBlockBytes / 4]);
  std::array<uint16_t, 256> byteTable;
  if (layout.kind == SampleKind::kByte)
    for (int s = 0; s < 256; ++s)
      byteTable[s] = Low16(s * scaling.bscale + static_cast<double>(scaling.bzero));
  const auto floatOffset = static_cast<float>(100 - scaling.bzero);
  for (size_t done = 0; done < count;) {
    const size_t n = std::min(kBlockBytes / layout.sampleBytes, count - done);
    if (Status read = ReadExactly(f, block.get(), n * layout.sampleBytes, path); !read.ok())
      return read;
    uint16_t* p = out + done;
    if (layout.kind == SampleKind::kByte) {
      const auto* b = reinterpret_cast<const unsigned char*>(block.get());
      for (size_t i = 0; i < n; ++i) p[i] = byteTable[b[i]];
    } else if (layout.kind == SampleKind::kFloat) {
      ConvertFloats(block.get(), n, floatOffset, p);
    } else {
      SwapWords(block.get(), n);
      ConvertInts(block.get(), n, p);
    }
    done += n;
  }
  return Status::Ok();
}

}  // namespace

std::string MakeHeaderCard(std::string_view key, std::string_view value, std::string_view comment) {
  std::string card(key.substr(0, 8));
  card.resize(8, ' ');
  card += "= ";
  if (key == "SIMPLE")
    card += std::string(19, ' ') + "T";
  else if (ParseDouble(value))
    card += PadLeft(value, 20);
  else
    card += "'" + PadRight(value, 20) + "'";
  if (!comment.empty()) {
    card += " / ";
    card += comment;
  }
  card.resize(80, ' ');
  return card;
}

TPlaca::TPlaca() = default;

TPlaca::~TPlaca() = default;

TPlaca::TPlaca(const TPlaca& other) {
  *this = other;
}

TPlaca& TPlaca::operator=(const TPlaca& other) {
  if (this == &other) return *this;
  header_ = other.header_;
  width_ = other.width_;
  height_ = other.height_;
  const size_t count =
      static_cast<size_t>(other.pixelsWidth_) * static_cast<size_t>(other.pixelsHeight_);
  if (count > 0 && EnsureCapacity(count)) {
    std::memcpy(pixels_.get(), other.pixels_.get(), count * sizeof(uint16_t));
    pixelsWidth_ = other.pixelsWidth_;
    pixelsHeight_ = other.pixelsHeight_;
  } else {
    DropPixels();
  }
  return *this;
}

void TPlaca::FreeDeleter::operator()(uint16_t* p) const {
  std::free(p);
}

bool TPlaca::EnsureCapacity(size_t count) {
  if (count <= capacity_) return true;
  if (count > SIZE_MAX / sizeof(uint16_t) - kHugePage) return false;
  size_t bytes = count * sizeof(uint16_t);
  void* memory = nullptr;
  if (bytes >= 2 * kHugePage) {
    // Large frames on huge pages: the first load into a fresh array then
    // costs a few page faults instead of thousands.
    bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    memory = std::aligned_alloc(kHugePage, bytes);
#ifdef MADV_HUGEPAGE
    if (memory) ::madvise(memory, bytes, MADV_HUGEPAGE);
#endif
  } else {
    memory = std::malloc(bytes);
  }
  // Not initialised on purpose: the load overwrites every sample.
  if (!memory) return false;
  pixels_.reset(static_cast<uint16_t*>(memory));
  capacity_ = bytes / sizeof(uint16_t);
  return true;
}

void TPlaca::DropPixels() {
  pixelsWidth_ = 0;
  pixelsHeight_ = 0;
}

bool TPlaca::Resize(int width, int height) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (!EnsureCapacity(count)) return false;
  std::fill_n(pixels_.get(), count, uint16_t{0});
  width_ = pixelsWidth_ = width;
  height_ = pixelsHeight_ = height;
  return true;
}

Status TPlaca::LoadFile(const std::string& path) {
  return Load(path, false);
}

Status TPlaca::LoadHeader(const std::string& path) {
  return Load(path, true);
}

Status TPlaca::Load(const std::string& path, bool headerOnly) {
  Result<OpenedFile> opened = OpenImageFile(path);
  if (!opened.ok()) return Status::FailWith(opened);
  std::FILE* f = opened.value.file.get();

  // From here on a failure leaves an empty image.
  auto fail = [this](const auto& failure) {
    width_ = height_ = 0;
    DropPixels();
    return Status::FailWith(failure);
  };
  const Result<HeaderRecords> header = ReadHeaderRecords(f, path, header_);
  if (!header.ok()) return fail(header);
  const Result<Layout> layout = ReadLayout(*this, header.value.foundEnd, path);
  if (!layout.ok()) return fail(layout);
  const Layout& l = layout.value;

  if (headerOnly) {
    if (l.width != width_ || l.height != height_) DropPixels();
    width_ = l.width;
    height_ = l.height;
    return Status::Ok();
  }

  const Result<Scaling> scaling = ReadScaling(*this);
  if (!scaling.ok()) return fail(scaling);
  const size_t count = static_cast<size_t>(l.width) * static_cast<size_t>(l.height);
  // Checked before anything is allocated, so a damaged header cannot ask for
  // gigabytes that the file does not hold.
  if (opened.value.bytes < header.value.records * kRecordBytes + count * l.sampleBytes)
    return fail(Status::Fail("Error: el fichero " + path + " termina antes del final de la imagen",
                             FailureKind::kIo));
  DropPixels();
  if (!EnsureCapacity(count))
    return fail(Status::Fail("Error: no hay memoria suficiente para una imagen de " + l.naxis1 +
                             " x " + l.naxis2 + " píxeles"));
  if (l.kind == SampleKind::kFloat || l.kind == SampleKind::kInt) SetKeyword("BITPIX", "16");
  const Status read = l.kind == SampleKind::kShort
                          ? ReadShortSamples(f, count, scaling.value, path, pixels_.get())
                          : ReadOtherSamples(f, l, count, scaling.value, path, pixels_.get());
  if (!read.ok()) return fail(read);

  width_ = pixelsWidth_ = l.width;
  height_ = pixelsHeight_ = l.height;
  SetKeyword("BZERO", "0.0");
  return Status::Ok();
}

std::string TPlaca::GetKeyword(std::string_view key) const {
  const std::string name = ToUpper(key);
  for (const std::string& line : header_) {
    if (KeyOf(line) != name) continue;
    std::string_view value = std::string_view(line).substr(std::min<size_t>(9, line.size()), 70);
    // Only a slash from card column 19 on starts a comment, so values such as
    // 12/08/08 survive.
    if (value.size() > 9) {
      const size_t slash = value.find('/', 9);
      if (slash != std::string_view::npos) value = value.substr(0, slash);
    }
    std::string text = Trim(value);
    if (!text.empty() && text.front() == '\'') {
      text.erase(0, 1);
      if (!text.empty() && text.back() == '\'') text.pop_back();
      text = Trim(text);
    }
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
  }
  return {};
}

void TPlaca::SetKeyword(std::string_view key, std::string_view value, std::string_view comment) {
  std::string card = MakeHeaderCard(key, value, comment);
  for (auto it = header_.rbegin(); it != header_.rend(); ++it) {
    if (KeyOf(*it) == key) {
      *it = std::move(card);
      return;
    }
  }
  header_.push_back(std::move(card));
}

}  // namespace lumenda
