#pragma once
// How a look encodes its image: the `imageFormat` and `jpegQuality`
// arguments, and the image budget of the front end that asked (the MCP
// server has one, the line protocol none).

#include <cstdint>
#include <optional>

#include "capture/image_encoding.h"
#include "common/result.h"
#include "protocol/request.h"

namespace winhelper {

struct LookImageOptions {
  std::optional<ImageFormat> format;
  std::optional<int> jpeg_quality;  // only with ImageFormat::Jpeg
};

// Unlike the look's older arguments these are checked: a value of the wrong
// type or out of range is refused with invalid_request.
Result<LookImageOptions> parse_look_image_options(const Json& args);

struct LookImagePlan {
  std::optional<std::uint32_t> max_dimension;
  ImageEncoding encoding;
  // The result describes the image's format and scale: a format was asked
  // for or a budget chose it (without either, the answer stays as it was).
  bool described = false;
};

// `max_dimension` is the call's own; under a budget it defaults to the
// budget's side, and the budget's bytes choose the format unless the call
// named one.
LookImagePlan plan_look_image(std::optional<std::uint32_t> max_dimension,
                              const LookImageOptions& options, const ImageBudget* budget);

}  // namespace winhelper
