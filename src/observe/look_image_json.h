#pragma once
// The `image` member of a look's answer.

#include "observe/look_observation.h"
#include "protocol/request.h"

namespace winhelper {

// `height`, `jpegBase64` (the Base64 text of the PNG or JPEG file, whatever
// its format: the member kept its first name), `mimeType` and `width`; when
// the observation says so, also `format`, `scale` (image width over the
// window's width), `jpegQuality` for a JPEG and `shrunkToFit` when the
// image was made smaller than asked to fit its byte budget. Moves the Base64
// text out of the observation.
Json look_image_json(Observation& observation, double frame_width);

}  // namespace winhelper
