#pragma once
// What a look observes of its window: the picture, taken by capture, and the
// UI Automation elements, read here once the picture is taken (or without
// one), or only the subtree of a scope element.

#include <cstdint>
#include <optional>
#include <string>

#include "common/result.h"
#include "context/command_context.h"
#include "observe/look_arguments.h"
#include "observe/look_root.h"
#include "observe/look_scope.h"
#include "uia/element_numbering.h"
#include "uia/element_record.h"

namespace winhelper {

struct Observation {
  std::optional<std::string> image_base64;
  ImageFormat image_format = ImageFormat::Png;
  int jpeg_quality = 0;  // 0 for PNG
  bool shrunk_to_fit = false;
  // The answer names the image's format and scale (LookImagePlan::described).
  bool image_described = false;
  // The image size, or the frame size when there is no image.
  double image_width = 1;
  double image_height = 1;
  uia::ElementList elements;
};

// Observes the root window whose handle the registry holds (none when its
// ref no longer resolves). With an image, a capture failure fails the look
// and a window that gives no picture (zero-sized) gives no elements either;
// without one, a root that does not resolve is no error: the look then holds
// only the root node. A scoped look reads no elements here. Elements that
// cannot be read are reported by the warning line and left out.
Result<Observation> observe_window(const LookArguments& args, const LookRoot& root,
                                   std::optional<std::int64_t> handle, bool with_image,
                                   CommandContext& ctx, uia::ElementNumbering& numbering);

// The subtree of the scope element; failures map to the element error kinds.
Result<uia::ElementList> extract_scope_elements(const LookScope& scope, const LookRoot& root,
                                                CommandContext& ctx,
                                                uia::ElementNumbering& numbering);

}  // namespace winhelper
