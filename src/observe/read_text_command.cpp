#include "observe/read_text_command.h"

#include "context/refs.h"
#include "context/uia_errors.h"
#include "protocol/args.h"
#include "uia/element_access.h"
#include "uia/session.h"
#include "uia/text_reading.h"

namespace winhelper {

namespace {

constexpr std::uint64_t kDefaultLimit = 4096;

Result<ElementRecord> resolve_record(SharedState& shared, ClientSession session,
                                     const std::string& look_id,
                                     const std::string& element_ref) {
  auto state = shared.state.lock();
  if (!state) return state.take_error();
  return (*state)->looks_of(session).resolve(look_id, element_ref, kOwningLookUnavailable);
}

HelperError secure_text_refusal() {
  return HelperError{ErrorCode::SecureTextUnreadable,
                     "Refers to a secure text field; refusing to read its value"};
}

}  // namespace

Result<Json> read_text_command(const Json& args, CommandContext& ctx) {
  auto look_id = arg_string(args, "lookId");
  if (!look_id) return invalid_request("uiaReadText requires lookId");
  auto element_ref = arg_string(args, "elementRef");
  if (!element_ref) return invalid_request("uiaReadText requires elementRef");
  std::uint64_t offset = arg_u64(args, "offset").value_or(0);
  std::uint64_t limit = arg_u64(args, "limit").value_or(kDefaultLimit);

  auto record = resolve_record(ctx.shared, ctx.session, *look_id, *element_ref);
  if (!record) return record.take_error();
  if (record->is_password) return secure_text_refusal();
  if (ctx.platform.uia == nullptr) return port_unavailable(PlatformPort::Uia);

  uia::ElementText read;
  {
    uia::ElementLocator locator{record->window_id, record->runtime_id, record->automation_id,
                                record->control_type, record->name};
    auto resolved = uia::resolve_element(*ctx.platform.uia, locator);
    if (!resolved) return uia_protocol_error(resolved.error());
    // The look's flag may be older than the field: ask the element found now.
    auto password = uia::is_password_field(*resolved->element);
    if (!password) return uia_protocol_error(password.error());
    if (password.value()) return secure_text_refusal();
    auto text = uia::read_element_text(*resolved->element, uia::page_end(offset, limit));
    if (!text) return uia_protocol_error(text.error());
    read = std::move(text).value();
  }  // The element goes before its session, which ends this thread's COM use.

  uia::TextPage page = uia::page_element_text(read, offset, limit);
  Json result = Json::object();
  result["hasMore"] = page.has_more;
  result["limit"] = limit;
  result["offset"] = offset;
  result["text"] = std::move(page.text);
  result["totalChars"] = page.total_chars;
  return result;
}

}  // namespace winhelper
