#pragma once
// clipboardRead and clipboardWrite: the clipboard's Unicode text, read a page
// at a time as uiaReadText pages an element's text, and replaced.

#include "common/result.h"
#include "context/command_context.h"
#include "protocol/request.h"

namespace winhelper {

// {hasMore, hasText, limit, offset, text, totalChars}; a clipboard without
// text answers hasText false and an empty page.
Result<Json> clipboard_read_command(const Json& args, CommandContext& ctx);

// {"totalChars": n}, the characters put.
Result<Json> clipboard_write_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
