// The image budget of MCP looks: JPEG encoding of a 1,568 px frame with
// libjpeg-turbo beside stb's JPEG writer at equal quality, and the image path
// of a 2560 x 1400 look with the default budget (scaled to 1,568 px, PNG or
// JPEG to fit 1 MiB of Base64) beside the full-size PNG path. `bytes` is the
// encoded file, `base64` the text a look sends.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "capture/base64.h"
#include "capture/image_encoding.h"
#include "capture/jpeg_encoder.h"
#include "capture/pixels.h"
#include "capture/scaling.h"
#include "reference_encoders.h"
#include "ui_frames.h"

namespace {

using namespace winhelper;

constexpr int kQuality = 85;

struct Frame {
  std::vector<std::uint8_t> bgrx;
  std::vector<std::uint8_t> rgba;
  ImageSize size;
};

// `photo`: the whole frame is the UI frame's photo-like texture (smooth
// colour with noise), as a window over a photograph.
Frame make_frame(std::uint32_t width, std::uint32_t height, bool photo) {
  Frame f;
  f.size = {width, height};
  f.bgrx = bench::make_ui_frame(static_cast<int>(width), static_cast<int>(height));
  if (photo) {
    std::uint32_t seed = 99;
    for (std::size_t i = 0; i < f.bgrx.size(); i += 4) {
      seed = seed * 1664525u + 1013904223u;
      const std::size_t x = (i / 4) % width, y = (i / 4) / width;
      const int noise = static_cast<int>(seed >> 27) - 16;
      f.bgrx[i] = static_cast<std::uint8_t>(std::clamp<int>(int(x / 12) + noise, 0, 255));
      f.bgrx[i + 1] = static_cast<std::uint8_t>(std::clamp<int>(int(y / 7) + noise, 0, 255));
      f.bgrx[i + 2] = static_cast<std::uint8_t>(std::clamp<int>(int((x + y) / 20) - noise, 0, 255));
    }
  }
  f.rgba = f.bgrx;
  bgrx_to_opaque_rgba(f.rgba);
  return f;
}

// A frame 1568 or 2560 pixels wide, of UI (kind 0) or photo-like (kind 1) content.
const Frame& frame(std::int64_t kind, std::uint32_t width) {
  static const Frame ui_1568 = make_frame(1568, 858, false);
  static const Frame photo_1568 = make_frame(1568, 858, true);
  static const Frame ui_2560 = make_frame(2560, 1400, false);
  static const Frame photo_2560 = make_frame(2560, 1400, true);
  const bool photo = kind == 1;
  if (width == 1568) return photo ? photo_1568 : ui_1568;
  return photo ? photo_2560 : ui_2560;
}

void JpegTurbo(benchmark::State& state) {
  const Frame& f = frame(state.range(0), 1568);
  std::size_t bytes = 0;
  for (auto _ : state)
    bytes = encode_jpeg_rgba(f.rgba, f.size.width, f.size.height, kQuality).value_or({}).size();
  state.counters["bytes"] = static_cast<double>(bytes);
}

void JpegStb(benchmark::State& state) {
  const Frame& f = frame(state.range(0), 1568);
  std::size_t bytes = 0;
  for (auto _ : state)
    bytes = bench::stb_jpeg(f.rgba.data(), static_cast<int>(f.size.width),
                            static_cast<int>(f.size.height), kQuality);
  state.counters["bytes"] = static_cast<double>(bytes);
}

// From the grabbed pixels to the Base64 text, as a capture runs it.
void look_image(benchmark::State& state, bool budget) {
  const Frame& f = frame(state.range(0), 2560);
  ImageEncoding encoding;
  if (budget) encoding.max_base64_bytes = ImageBudget{}.max_base64_bytes;
  const ImageSize to = budget ? scaled_size(f.size, ImageBudget{}.max_side) : f.size;
  std::size_t base64 = 0;
  int quality = 0;
  for (auto _ : state) {
    std::vector<std::uint8_t> pixels = f.bgrx;
    bgrx_to_opaque_rgba(pixels);
    if (to != f.size) pixels = resize_rgba(pixels, f.size, to);
    Result<EncodedImage> image = encode_image(pixels, to, encoding);
    if (!image) {
      state.SkipWithError(image.error().message.c_str());
      return;
    }
    base64 = base64_encode(image->bytes).size();
    quality = image->jpeg_quality;
  }
  state.counters["base64"] = static_cast<double>(base64);
  state.counters["jpeg_quality"] = quality;
}

void LookFullPng(benchmark::State& state) { look_image(state, false); }
void LookBudget(benchmark::State& state) { look_image(state, true); }

// 0: UI frame, 1: photo-like frame.
void Kinds(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(0.3);
}

}  // namespace

BENCHMARK(JpegTurbo)->Apply(Kinds);
BENCHMARK(JpegStb)->Apply(Kinds);
BENCHMARK(LookFullPng)->Apply(Kinds);
BENCHMARK(LookBudget)->Apply(Kinds);
