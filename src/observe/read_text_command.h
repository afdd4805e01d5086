#pragma once
// uiaReadText (alias axReadText): the live text of one element of a stored
// look, a page at a time.

#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"

namespace winhelper {

// {"hasMore", "limit", "offset", "text", "totalChars"}. Password fields are
// refused from the stored record, before anything is read from the
// application.
Result<Json> read_text_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
