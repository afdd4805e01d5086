#include "desktop/clipboard_commands.h"

#include "clipboard/clipboard_access.h"
#include "protocol/args.h"
#include "uia/text_reading.h"

namespace winhelper {

namespace {

constexpr std::uint64_t kDefaultLimit = 4096;

Result<Clipboard*> clipboard_port(CommandContext& ctx) {
  if (ctx.platform.clipboard == nullptr) return port_unavailable(PlatformPort::Clipboard);
  return ctx.platform.clipboard;
}

}  // namespace

Result<Json> clipboard_read_command(const Json& args, CommandContext& ctx) {
  const std::uint64_t offset = arg_u64(args, "offset").value_or(0);
  const std::uint64_t limit = arg_u64(args, "limit").value_or(kDefaultLimit);
  auto clipboard = clipboard_port(ctx);
  if (!clipboard) return clipboard.take_error();
  auto text = read_clipboard_text(**clipboard, ctx.platform.clock);
  if (!text) return text.take_error();

  uia::TextPage page = uia::page_text(text->value_or(std::string()), offset, limit);
  Json result = Json::object();
  result["hasMore"] = page.has_more;
  result["hasText"] = text->has_value();
  result["limit"] = limit;
  result["offset"] = offset;
  result["text"] = std::move(page.text);
  result["totalChars"] = page.total_chars;
  return result;
}

Result<Json> clipboard_write_command(const Json& args, CommandContext& ctx) {
  std::optional<std::string> text = arg_string(args, "text");
  if (!text) return invalid_request("clipboardWrite requires text");
  // The clipboard's text ends at its first NUL: the rest would be lost.
  if (text->find('\0') != std::string::npos) {
    return invalid_request("clipboardWrite text must not contain NUL characters");
  }
  auto clipboard = clipboard_port(ctx);
  if (!clipboard) return clipboard.take_error();
  if (Status written = write_clipboard_text(**clipboard, ctx.platform.clock, *text); !written) {
    return written.take_error();
  }
  Json result = Json::object();
  result["totalChars"] = uia::page_text(*text, 0, 0).total_chars;
  return result;
}

}  // namespace winhelper
