#pragma once
// Adaptive PNG row filtering for 4-byte pixels: each row gets the filter
// (None, Sub, Up, Average, Paeth) whose output has the smallest sum of
// absolute values when read as signed bytes, ties going to the lower filter
// number. That is the usual heuristic of PNG encoders; it turns flat panels
// and repeated rows into runs of zeros that deflate cheaply.

#include <cstddef>
#include <cstdint>

namespace winhelper {

// Writes the filter type byte and then `row_bytes` filtered bytes to `out`
// (row_bytes + 1 bytes). `prev` is the previous raw row, all zeros for the
// first row. `row_bytes` is a multiple of 4. Returns the filter chosen.
int filter_row_adaptive(const std::uint8_t* row, const std::uint8_t* prev, std::size_t row_bytes,
                        std::uint8_t* out);

// The same choice and output computed one byte at a time; the vectorised
// version above must match it exactly.
int filter_row_adaptive_scalar(const std::uint8_t* row, const std::uint8_t* prev,
                               std::size_t row_bytes, std::uint8_t* out);

}  // namespace winhelper
