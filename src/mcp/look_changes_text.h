#pragma once
// The text form of a look that reports its changes since an earlier look:
// only the elements that appeared or changed, each under the chain of its
// ancestors (shortened to role, title and ref), then one line with the refs
// that went and the count of unchanged elements, which stay usable through
// the earlier look's refs while that look is kept.
//
//   lookId look_7, image 640x480 pixels; changes since look_3:
//   Window "Editor" @w1
//     edit "Name:" win:look_7:@e31 ="Ada" [setvalue,focus,textinput] 95,48 240x24 changed value, was win:look_3:@e12
//     button "Save" win:look_7:@e40 [press] 10,80 60x24 new
//   gone: win:look_3:@e14; 12 unchanged: ...

#include <string>

#include "protocol/request.h"

namespace winhelper::mcp {

// `look`: a look result with `changes`.
std::string render_look_changes(const Json& look);

}  // namespace winhelper::mcp
