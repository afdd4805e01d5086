#pragma once
// A compact text form of a look for a model: one header line, then one line
// per outline node, indented two blanks per level:
//
//   button "Open Dialog" win:look_3:@e4 [press,focus] 10,10 120x28
//   edit "Name:" win:look_3:@e6 ="visible text" [setvalue,focus,textinput] 95,48 240x24
//
// Every ref, role, title, value and capability of the outline is kept;
// quoted texts are escaped as JSON strings, so a value never breaks a line.
// Rectangles are in image pixels, rounded. Nothing is added that the outline
// does not hold, so a password field's content (never in the outline) never
// appears.

#include <string>

#include "protocol/request.h"

namespace winhelper::mcp {

// `outline`: the root node of a look result's outline.
std::string render_outline(const Json& outline);

// "WxH pixels", then the format (and JPEG quality) and the scale to the
// window when the image names them: "1568x858 pixels jpeg quality 85 (scale
// 0.6125 of the window)".
std::string image_summary(const Json& image);

// The header line and the outline of a look result; for a look that
// carries `changes`, the changed part only (look_changes_text.h).
std::string render_look(const Json& look);

// "lookId look_3, image 640x480 pixels" (or ", no image").
std::string look_header(const Json& look);

// One node's line at `depth` without its newline: in full, or shortened to
// role, title and ref for a node shown only as the ancestor of a change.
std::string element_line(const Json& node, int depth);
std::string ancestor_line(const Json& node, int depth);

// One line per window of a listing result.
std::string render_windows(const Json& listing);

}  // namespace winhelper::mcp
