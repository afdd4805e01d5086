// The image path of a look (byte swap, scaling, PNG, Base64), each step alone
// and together, beside reference PNG encoders on the same UI-like frames.
// Throughput is in bytes of RGBA input; `png_bytes` is the encoded size and,
// for the whole paths, `peak_per_frame` the most memory held at once through
// operator new (the grabbed frame included) divided by the frame's bytes.

#include <benchmark/benchmark.h>

#include <map>
#include <utility>

#include "capture/base64.h"
#include "capture/pixels.h"
#include "capture/png_encoder.h"
#include "capture/png_filter.h"
#include "capture/scaling.h"
#include "allocation_meter.h"
#include "reference_encoders.h"
#include "ui_frames.h"

namespace {

using namespace winhelper;

struct Frame {
  std::vector<std::uint8_t> bgrx;  // as grabbed
  std::vector<std::uint8_t> rgba;  // after the byte swap
  ImageSize size;
};

const Frame& frame(std::int64_t width, std::int64_t height) {
  static std::map<std::pair<std::int64_t, std::int64_t>, Frame> frames;
  auto [it, fresh] = frames.try_emplace({width, height});
  if (fresh) {
    Frame& f = it->second;
    f.size = {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
    f.bgrx = bench::make_ui_frame(static_cast<int>(width), static_cast<int>(height));
    f.rgba = f.bgrx;
    bgrx_to_opaque_rgba(f.rgba);
  }
  return it->second;
}

// Scaling halves the longer side, a typical maxDimension for a model's view.
ImageSize half(ImageSize s) { return scaled_size(s, std::max(s.width, s.height) / 2); }

void finish(benchmark::State& state, const Frame& f, std::size_t png_bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(f.rgba.size()));
  state.counters["png_bytes"] = static_cast<double>(png_bytes);
}

std::vector<std::uint8_t> encode(const std::vector<std::uint8_t>& rgba, ImageSize size,
                                 const PngSettings& settings = {}) {
  auto png = encode_png_rgba(rgba, size.width, size.height, settings);
  return png.ok() ? std::move(png).value() : std::vector<std::uint8_t>{};
}

void ByteSwap(benchmark::State& state) {
  const Frame& f = frame(state.range(0), state.range(1));
  std::vector<std::uint8_t> work = f.bgrx;
  for (auto _ : state) {
    bgrx_to_opaque_rgba(work);
    benchmark::DoNotOptimize(work.data());
  }
  finish(state, f, 0);
}

void Scale(benchmark::State& state) {
  const Frame& f = frame(state.range(0), state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(resize_rgba(f.rgba, f.size, half(f.size)));
  finish(state, f, 0);
}

void Png(benchmark::State& state) {
  const Frame& f = frame(state.range(0), state.range(1));
  std::size_t bytes = 0;
  for (auto _ : state) bytes = encode(f.rgba, f.size).size();
  finish(state, f, bytes);
}

// The adaptive filter choice alone, the part of Png that is not deflate.
void PngFilterOnly(benchmark::State& state) {
  const Frame& f = frame(state.range(0), state.range(1));
  const std::size_t row_bytes = std::size_t{f.size.width} * 4;
  const std::vector<std::uint8_t> zero(row_bytes, 0);
  std::vector<std::uint8_t> out(row_bytes + 1);
  for (auto _ : state) {
    for (std::uint32_t y = 0; y < f.size.height; ++y) {
      const std::uint8_t* row = f.rgba.data() + y * row_bytes;
      filter_row_adaptive(row, y == 0 ? zero.data() : row - row_bytes, row_bytes, out.data());
      benchmark::DoNotOptimize(out.data());
    }
  }
  finish(state, f, 0);
}

void Base64(benchmark::State& state) {
  const Frame& f = frame(state.range(0), state.range(1));
  const std::vector<std::uint8_t> png = encode(f.rgba, f.size);
  for (auto _ : state) benchmark::DoNotOptimize(base64_encode(png));
  finish(state, f, png.size());
}

// Swap, PNG and Base64 of a grabbed frame: the path of an unscaled look.
void ImagePath(benchmark::State& state) {
  const Frame& f = frame(state.range(0), state.range(1));
  std::vector<std::uint8_t> work;
  std::size_t bytes = 0;
  std::size_t peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::uint8_t>().swap(work);
    const std::size_t base = bench::allocated_now();
    bench::reset_allocation_peak();
    work = f.bgrx;
    state.ResumeTiming();
    bgrx_to_opaque_rgba(work);
    std::vector<std::uint8_t> png = encode(work, f.size);
    std::vector<std::uint8_t>().swap(work);
    benchmark::DoNotOptimize(base64_encode(png));
    bytes = png.size();
    peak = bench::allocation_peak() - base;
  }
  finish(state, f, bytes);
  state.counters["peak_per_frame"] = static_cast<double>(peak) / static_cast<double>(f.rgba.size());
}

void ImagePathScaled(benchmark::State& state) {
  const Frame& f = frame(state.range(0), state.range(1));
  std::vector<std::uint8_t> work;
  std::size_t bytes = 0;
  std::size_t peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::uint8_t>().swap(work);
    const std::size_t base = bench::allocated_now();
    bench::reset_allocation_peak();
    work = f.bgrx;
    state.ResumeTiming();
    bgrx_to_opaque_rgba(work);
    const ImageSize to = half(f.size);
    work = resize_rgba(work, f.size, to);
    std::vector<std::uint8_t> png = encode(work, to);
    std::vector<std::uint8_t>().swap(work);
    benchmark::DoNotOptimize(base64_encode(png));
    bytes = png.size();
    peak = bench::allocation_peak() - base;
  }
  finish(state, f, bytes);
  state.counters["peak_per_frame"] = static_cast<double>(peak) / static_cast<double>(f.rgba.size());
}

// The helper's encoder with other settings, to show why the defaults won.
void PngSetting(benchmark::State& state, PngSettings settings) {
  const Frame& f = frame(state.range(0), state.range(1));
  std::size_t bytes = 0;
  for (auto _ : state) bytes = encode(f.rgba, f.size, settings).size();
  finish(state, f, bytes);
}

void RefStbBuiltin(benchmark::State& state) {
  const Frame& f = frame(state.range(0), state.range(1));
  std::size_t bytes = 0;
  for (auto _ : state)
    bytes = bench::stb_png_builtin(f.rgba.data(), static_cast<int>(f.size.width),
                                   static_cast<int>(f.size.height));
  finish(state, f, bytes);
}

void RefStbOverZlib1(benchmark::State& state) {
  const Frame& f = frame(state.range(0), state.range(1));
  std::size_t bytes = 0;
  for (auto _ : state)
    bytes = bench::stb_png_over_zlib(f.rgba.data(), static_cast<int>(f.size.width),
                                     static_cast<int>(f.size.height), 1);
  finish(state, f, bytes);
}

void RefLibpngLevel1AllFilters(benchmark::State& state) {
  const Frame& f = frame(state.range(0), state.range(1));
  std::size_t bytes = 0;
  for (auto _ : state)
    bytes = bench::libpng_level1_all_filters(f.rgba.data(), static_cast<int>(f.size.width),
                                             static_cast<int>(f.size.height));
  finish(state, f, bytes);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->MinTime(0.3);
}

PngSettings with(int level, int strategy, bool adaptive) {
  PngSettings s;
  s.zlib_level = level;
  s.zlib_strategy = strategy;
  s.adaptive_filter = adaptive;
  return s;
}

}  // namespace

BENCHMARK(ByteSwap)->Apply(Sizes);
BENCHMARK(Scale)->Apply(Sizes);
BENCHMARK(Png)->Apply(Sizes);
BENCHMARK(PngFilterOnly)->Apply(Sizes);
BENCHMARK(Base64)->Apply(Sizes);
BENCHMARK(ImagePath)->Apply(Sizes);
BENCHMARK(ImagePathScaled)->Apply(Sizes);
BENCHMARK(RefStbBuiltin)->Apply(Sizes);
BENCHMARK(RefLibpngLevel1AllFilters)->Apply(Sizes);
BENCHMARK(RefStbOverZlib1)->Apply(Sizes);
// zlib strategies: 0 default, 1 filtered, 2 Huffman only, 3 run-length.
BENCHMARK_CAPTURE(PngSetting, level2, with(2, 0, true))->Apply(Sizes);
BENCHMARK_CAPTURE(PngSetting, level1_rle, with(1, 3, true))->Apply(Sizes);
BENCHMARK_CAPTURE(PngSetting, level1_unfiltered, with(1, 0, false))->Apply(Sizes);
