// FITS load speed: a 4096 x 4096 16-bit frame (BZERO 32768), read by TPlaca
// and, side by side, by cfitsio's fits_read_pix into unsigned 16-bit values.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "image/fits_image.h"

#ifdef LUMENDA_HAVE_CFITSIO
#include <fitsio.h>
#endif

namespace {

constexpr int kSide = 4096;

std::string Card(const std::string& key, const std::string& value) {
  std::string card = key;
  card.resize(8, ' ');
  card += "= ";
  card += std::string(value.size() < 20 ? 20 - value.size() : 0, ' ') + value;
  card.resize(80, ' ');
  return card;
}

// Writes the frame once per run into the temporary folder.
const std::string& FramePath(int bitpix) {
  static std::string paths[2];
  std::string& path = paths[bitpix == 16 ? 0 : 1];
  if (!path.empty()) return path;
  path = (std::filesystem::temp_directory_path() /
          ("lumenda_bench_" + std::to_string(kSide) + "_" + std::to_string(bitpix) + ".fit"))
             .string();
  std::string header = Card("SIMPLE", "T") + Card("BITPIX", std::to_string(bitpix)) +
                       Card("NAXIS", "2") + Card("NAXIS1", std::to_string(kSide)) +
                       Card("NAXIS2", std::to_string(kSide));
  if (bitpix == 16) header += Card("BZERO", "32768") + Card("BSCALE", "1");
  header += std::string("END").append(77, ' ');
  header.resize(2880, ' ');
  const size_t n = static_cast<size_t>(kSide) * kSide;
  const size_t bytesPerSample = bitpix == 16 ? 2 : 4;
  std::string data(n * bytesPerSample, '\0');
  uint32_t state = 12345;
  for (size_t i = 0; i < n; ++i) {
    state = state * 1664525u + 1013904223u;
    const uint32_t counts = 900 + (state >> 22);  // sky-like values
    if (bitpix == 16) {
      const uint16_t raw = static_cast<uint16_t>(counts ^ 0x8000);
      data[2 * i] = static_cast<char>(raw >> 8);
      data[2 * i + 1] = static_cast<char>(raw & 0xFF);
    } else {
      float f = static_cast<float>(counts) + 0.25f;
      uint32_t bits;
      std::memcpy(&bits, &f, 4);
      for (int b = 0; b < 4; ++b) data[4 * i + b] = static_cast<char>(bits >> (24 - 8 * b));
    }
  }
  data.resize((data.size() + 2879) / 2880 * 2880, '\0');
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(header.data(), 1, header.size(), f);
  std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
  return path;
}

void SetThroughput(benchmark::State& state, size_t bytesPerSample) {
  const auto bytes = static_cast<int64_t>(kSide) * kSide * static_cast<int64_t>(bytesPerSample);
  state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_TPlacaLoad16(benchmark::State& state) {
  const std::string& path = FramePath(16);
  lumenda::TPlaca image;
  for (auto _ : state) {
    if (lumenda::Status loaded = image.LoadFile(path); !loaded.ok())
      state.SkipWithError(loaded.message.c_str());
    benchmark::DoNotOptimize(image.Data());
  }
  SetThroughput(state, 2);
}
BENCHMARK(BM_TPlacaLoad16)->Unit(benchmark::kMillisecond);

void BM_TPlacaLoadFloat(benchmark::State& state) {
  const std::string& path = FramePath(-32);
  lumenda::TPlaca image;
  for (auto _ : state) {
    if (lumenda::Status loaded = image.LoadFile(path); !loaded.ok())
      state.SkipWithError(loaded.message.c_str());
    benchmark::DoNotOptimize(image.Data());
  }
  SetThroughput(state, 4);
}
BENCHMARK(BM_TPlacaLoadFloat)->Unit(benchmark::kMillisecond);

// A fresh image object each time: includes allocating the pixel array.
void BM_TPlacaLoad16Fresh(benchmark::State& state) {
  const std::string& path = FramePath(16);
  for (auto _ : state) {
    lumenda::TPlaca image;
    if (lumenda::Status loaded = image.LoadFile(path); !loaded.ok())
      state.SkipWithError(loaded.message.c_str());
    benchmark::DoNotOptimize(image.Data());
  }
  SetThroughput(state, 2);
}
BENCHMARK(BM_TPlacaLoad16Fresh)->Unit(benchmark::kMillisecond);

#ifdef LUMENDA_HAVE_CFITSIO
void CfitsioLoad(benchmark::State& state, int bitpix, size_t bytesPerSample) {
  const std::string& path = FramePath(bitpix);
  std::vector<uint16_t> pixels(static_cast<size_t>(kSide) * kSide);
  for (auto _ : state) {
    fitsfile* file = nullptr;
    int status = 0;
    fits_open_file(&file, path.c_str(), READONLY, &status);
    long first[2] = {1, 1};
    int anyNull = 0;
    fits_read_pix(file, TUSHORT, first, static_cast<LONGLONG>(pixels.size()), nullptr,
                  pixels.data(), &anyNull, &status);
    fits_close_file(file, &status);
    if (status != 0) state.SkipWithError("cfitsio failed");
    benchmark::DoNotOptimize(pixels.data());
  }
  SetThroughput(state, bytesPerSample);
}

void BM_CfitsioReadPix16(benchmark::State& state) {
  CfitsioLoad(state, 16, 2);
}
BENCHMARK(BM_CfitsioReadPix16)->Unit(benchmark::kMillisecond);

// A fresh pixel buffer each time, as BM_TPlacaLoad16Fresh.
void BM_CfitsioReadPix16Fresh(benchmark::State& state) {
  const std::string& path = FramePath(16);
  for (auto _ : state) {
    std::unique_ptr<uint16_t[]> pixels(new uint16_t[static_cast<size_t>(kSide) * kSide]);
    fitsfile* file = nullptr;
    int status = 0;
    fits_open_file(&file, path.c_str(), READONLY, &status);
    long first[2] = {1, 1};
    int anyNull = 0;
    fits_read_pix(file, TUSHORT, first, static_cast<LONGLONG>(kSide) * kSide, nullptr, pixels.get(),
                  &anyNull, &status);
    fits_close_file(file, &status);
    if (status != 0) state.SkipWithError("cfitsio failed");
    benchmark::DoNotOptimize(pixels.get());
  }
  SetThroughput(state, 2);
}
BENCHMARK(BM_CfitsioReadPix16Fresh)->Unit(benchmark::kMillisecond);

void BM_CfitsioReadPixFloat(benchmark::State& state) {
  CfitsioLoad(state, -32, 4);
}
BENCHMARK(BM_CfitsioReadPixFloat)->Unit(benchmark::kMillisecond);
#endif

void BM_TPlacaLoadHeader(benchmark::State& state) {
  const std::string& path = FramePath(16);
  lumenda::TPlaca image;
  for (auto _ : state) {
    if (lumenda::Status loaded = image.LoadHeader(path); !loaded.ok())
      state.SkipWithError(loaded.message.c_str());
    benchmark::DoNotOptimize(image.Width());
  }
}
BENCHMARK(BM_TPlacaLoadHeader)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
