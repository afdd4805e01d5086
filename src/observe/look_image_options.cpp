#include "observe/look_image_options.h"

#include "capture/jpeg_encoder.h"
#include "protocol/args.h"

namespace winhelper {

Result<LookImageOptions> parse_look_image_options(const Json& args) {
  LookImageOptions out;
  if (const Json* format = arg_member(args, "imageFormat")) {
    if (*format == "png") {
      out.format = ImageFormat::Png;
    } else if (*format == "jpeg") {
      out.format = ImageFormat::Jpeg;
    } else {
      return invalid_request("imageFormat must be \"png\" or \"jpeg\"");
    }
  }
  if (const Json* quality = arg_member(args, "jpegQuality")) {
    const std::optional<std::int64_t> q = arg_i64(args, "jpegQuality");
    if (!quality->is_number_integer() || !q || *q < kJpegQualityMin || *q > kJpegQualityMax)
      return invalid_request("jpegQuality must be an integer from 1 to 100");
    if (out.format != ImageFormat::Jpeg)
      return invalid_request("jpegQuality needs imageFormat \"jpeg\"");
    out.jpeg_quality = static_cast<int>(*q);
  }
  return out;
}

LookImagePlan plan_look_image(std::optional<std::uint32_t> max_dimension,
                              const LookImageOptions& options, const ImageBudget* budget) {
  LookImagePlan plan;
  plan.max_dimension = max_dimension;
  plan.described = budget != nullptr || options.format.has_value();
  if (budget != nullptr && !plan.max_dimension) plan.max_dimension = budget->max_side;
  if (options.format) {
    plan.encoding.format = *options.format;
    plan.encoding.jpeg_quality = options.jpeg_quality.value_or(kDefaultJpegQuality);
  } else if (budget != nullptr) {
    plan.encoding.max_base64_bytes = budget->max_base64_bytes;
  }
  return plan;
}

}  // namespace winhelper
