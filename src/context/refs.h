#pragma once
// Textual forms of look ids and element refs, the errors for references that
// no longer resolve, and the mapping of look image points to the screen.

#include <cstdint>
#include <string>
#include <string_view>

#include "context/look.h"
#include "common/error.h"
#include "protocol/request.h"

namespace winhelper {

// "look_<n>".
std::string format_look_id(std::uint64_t number);
// "win:<look id>:<raw ref>", e.g. win:look_3:@e17. Opaque to clients.
std::string format_element_ref(std::string_view look_id, std::string_view raw_ref);

// `stale_ref` "Element reference is stale".
HelperError stale_ref_error();
// The `act` wording of a look that is no longer kept.
std::string look_unavailable_message(std::string_view look_id);
// The wording of batches and the element text commands.
inline constexpr char kOwningLookUnavailable[] = "Owning look is no longer available";

}  // namespace winhelper
