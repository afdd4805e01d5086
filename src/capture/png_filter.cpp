#include "capture/png_filter.h"

#include <array>
#include <cstdlib>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#define WINHELPER_PNG_FILTER_SSE2 1
#include <emmintrin.h>
#endif

namespace winhelper {

namespace {

constexpr std::size_t kPixelBytes = 4;
constexpr int kFilterCount = 5;

std::uint8_t paeth_predictor(int a, int b, int c) {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  if (pb <= pc) return static_cast<std::uint8_t>(b);
  return static_cast<std::uint8_t>(c);
}

// One filtered byte; `i` indexes the row, left neighbours of the first pixel
// are zero.
std::uint8_t filtered_byte(int filter, const std::uint8_t* row, const std::uint8_t* prev,
                           std::size_t i) {
  const int x = row[i];
  const int a = i >= kPixelBytes ? row[i - kPixelBytes] : 0;
  const int b = prev[i];
  const int c = i >= kPixelBytes ? prev[i - kPixelBytes] : 0;
  switch (filter) {
    case 1: return static_cast<std::uint8_t>(x - a);
    case 2: return static_cast<std::uint8_t>(x - b);
    case 3: return static_cast<std::uint8_t>(x - ((a + b) >> 1));
    case 4: return static_cast<std::uint8_t>(x - paeth_predictor(a, b, c));
    default: return static_cast<std::uint8_t>(x);
  }
}

int signed_magnitude(std::uint8_t v) { return std::abs(static_cast<int>(static_cast<std::int8_t>(v))); }

using Costs = std::array<std::uint64_t, kFilterCount>;

void add_scalar_costs(const std::uint8_t* row, const std::uint8_t* prev, std::size_t begin,
                      std::size_t end, Costs& costs) {
  for (std::size_t i = begin; i < end; ++i)
    for (int f = 0; f < kFilterCount; ++f)
      costs[static_cast<std::size_t>(f)] +=
          static_cast<std::uint64_t>(signed_magnitude(filtered_byte(f, row, prev, i)));
}

void write_scalar(int filter, const std::uint8_t* row, const std::uint8_t* prev, std::size_t begin,
                  std::size_t end, std::uint8_t* out) {
  for (std::size_t i = begin; i < end; ++i) out[i] = filtered_byte(filter, row, prev, i);
}

int cheapest(const Costs& costs) {
  int best = 0;
  for (int f = 1; f < kFilterCount; ++f)
    if (costs[static_cast<std::size_t>(f)] < costs[static_cast<std::size_t>(best)]) best = f;
  return best;
}

#ifdef WINHELPER_PNG_FILTER_SSE2

constexpr std::size_t kBlock = 16;

inline __m128i load(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline __m128i abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

// Paeth prediction of eight 16-bit lanes.
inline __m128i paeth16(__m128i a, __m128i b, __m128i c) {
  const __m128i bc = _mm_sub_epi16(b, c);
  const __m128i ac = _mm_sub_epi16(a, c);
  const __m128i pa = abs16(bc);
  const __m128i pb = abs16(ac);
  const __m128i pc = abs16(_mm_add_epi16(ac, bc));
  const __m128i not_a = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
  const __m128i take_c = _mm_cmpgt_epi16(pb, pc);
  const __m128i b_or_c = _mm_or_si128(_mm_and_si128(take_c, c), _mm_andnot_si128(take_c, b));
  return _mm_or_si128(_mm_and_si128(not_a, b_or_c), _mm_andnot_si128(not_a, a));
}

inline __m128i paeth8(__m128i a, __m128i b, __m128i c) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = paeth16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero),
                             _mm_unpacklo_epi8(c, zero));
  const __m128i hi = paeth16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero),
                             _mm_unpackhi_epi8(c, zero));
  return _mm_packus_epi16(lo, hi);
}

// floor((a + b) / 2) per byte; _mm_avg_epu8 rounds up.
inline __m128i average_floor(__m128i a, __m128i b) {
  return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}

// Sum of |signed byte| over the 16 bytes, as two 64-bit lanes.
inline __m128i magnitude_sum(__m128i v) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i magnitude = _mm_min_epu8(v, _mm_sub_epi8(zero, v));
  return _mm_sad_epu8(magnitude, zero);
}

inline std::uint64_t lanes_total(__m128i v) {
  alignas(16) std::uint64_t lanes[2];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
  return lanes[0] + lanes[1];
}

// The vector loops cover [kPixelBytes, vector_end); the first pixel (zero
// left neighbours) and the tail go through the scalar code.
std::size_t vector_end(std::size_t row_bytes) {
  if (row_bytes < kPixelBytes + kBlock) return kPixelBytes;
  return kPixelBytes + (row_bytes - kPixelBytes) / kBlock * kBlock;
}

int filter_row_sse2(const std::uint8_t* row, const std::uint8_t* prev, std::size_t row_bytes,
                    std::uint8_t* out) {
  const std::size_t head = row_bytes < kPixelBytes ? row_bytes : kPixelBytes;
  const std::size_t vend = vector_end(row_bytes);
  Costs costs{};
  add_scalar_costs(row, prev, 0, head, costs);
  add_scalar_costs(row, prev, vend, row_bytes, costs);

  __m128i sum_none = _mm_setzero_si128(), sum_sub = sum_none, sum_up = sum_none,
          sum_avg = sum_none, sum_paeth = sum_none;
  for (std::size_t i = kPixelBytes; i < vend; i += kBlock) {
    const __m128i x = load(row + i);
    const __m128i a = load(row + i - kPixelBytes);
    const __m128i b = load(prev + i);
    const __m128i c = load(prev + i - kPixelBytes);
    sum_none = _mm_add_epi64(sum_none, magnitude_sum(x));
    sum_sub = _mm_add_epi64(sum_sub, magnitude_sum(_mm_sub_epi8(x, a)));
    sum_up = _mm_add_epi64(sum_up, magnitude_sum(_mm_sub_epi8(x, b)));
    sum_avg = _mm_add_epi64(sum_avg, magnitude_sum(_mm_sub_epi8(x, average_floor(a, b))));
    sum_paeth = _mm_add_epi64(sum_paeth, magnitude_sum(_mm_sub_epi8(x, paeth8(a, b, c))));
  }
  costs[0] += lanes_total(sum_none);
  costs[1] += lanes_total(sum_sub);
  costs[2] += lanes_total(sum_up);
  costs[3] += lanes_total(sum_avg);
  costs[4] += lanes_total(sum_paeth);

  const int filter = cheapest(costs);
  out[0] = static_cast<std::uint8_t>(filter);
  std::uint8_t* data = out + 1;
  write_scalar(filter, row, prev, 0, head, data);
  write_scalar(filter, row, prev, vend, row_bytes, data);
  for (std::size_t i = kPixelBytes; i < vend; i += kBlock) {
    const __m128i x = load(row + i);
    __m128i y = x;
    switch (filter) {
      case 1: y = _mm_sub_epi8(x, load(row + i - kPixelBytes)); break;
      case 2: y = _mm_sub_epi8(x, load(prev + i)); break;
      case 3: y = _mm_sub_epi8(x, average_floor(load(row + i - kPixelBytes), load(prev + i))); break;
      case 4:
        y = _mm_sub_epi8(x, paeth8(load(row + i - kPixelBytes), load(prev + i),
                                   load(prev + i - kPixelBytes)));
        break;
      default: break;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(data + i), y);
  }
  return filter;
}

#endif

}  // namespace

int filter_row_adaptive_scalar(const std::uint8_t* row, const std::uint8_t* prev,
                               std::size_t row_bytes, std::uint8_t* out) {
  Costs costs{};
  add_scalar_costs(row, prev, 0, row_bytes, costs);
  const int filter = cheapest(costs);
  out[0] = static_cast<std::uint8_t>(filter);
  write_scalar(filter, row, prev, 0, row_bytes, out + 1);
  return filter;
}

int filter_row_adaptive(const std::uint8_t* row, const std::uint8_t* prev, std::size_t row_bytes,
                        std::uint8_t* out) {
#ifdef WINHELPER_PNG_FILTER_SSE2
  return filter_row_sse2(row, prev, row_bytes, out);
#else
  return filter_row_adaptive_scalar(row, prev, row_bytes, out);
#endif
}

}  // namespace winhelper
