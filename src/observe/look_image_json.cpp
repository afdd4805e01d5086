#include "observe/look_image_json.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace winhelper {

Json look_image_json(Observation& observation, double frame_width) {
  const bool jpeg = observation.image_format == ImageFormat::Jpeg;
  Json image = Json::object();
  image["height"] = static_cast<std::int64_t>(observation.image_height);
  image["jpegBase64"] = std::move(*observation.image_base64);
  image["mimeType"] = jpeg ? "image/jpeg" : "image/png";
  image["width"] = static_cast<std::int64_t>(observation.image_width);
  if (!observation.image_described) return image;
  image["format"] = jpeg ? "jpeg" : "png";
  const double scale = observation.image_width / std::max(frame_width, 1.0);
  image["scale"] = std::round(scale * 10000.0) / 10000.0;
  if (jpeg) image["jpegQuality"] = observation.jpeg_quality;
  if (observation.shrunk_to_fit) image["shrunkToFit"] = true;
  return image;
}

}  // namespace winhelper
