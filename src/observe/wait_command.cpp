#include "observe/wait_command.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "common/lowercase.h"
#include "common/text.h"
#include "context/refs.h"
#include "context/uia_errors.h"
#include "protocol/args.h"
#include "uia/wait_matching.h"
#include "windows/root_snapshot.h"

namespace winhelper {

namespace {

std::uint64_t read_timeout(const Json& args) {
  auto timeout = arg_u64(args, "timeoutMs");
  if (!timeout) return kWaitDefaultTimeoutMs;
  return std::clamp(*timeout, kWaitMinTimeoutMs, kWaitMaxTimeoutMs);
}

// A record's windowId: any non-zero integer as it is, anything else 0.
Result<uia::RuntimeId> scope_runtime_id(SharedState& shared, ClientSession session,
                                        const std::string& look_id,
                                        const std::string& scope_ref) {
  auto state = shared.state.lock();
  if (!state) return state.take_error();
  auto record = (*state)->looks_of(session).resolve(look_id, scope_ref, kOwningLookUnavailable);
  if (!record) return record.take_error();
  return record->runtime_id;
}

Result<std::optional<std::int64_t>> observed_root_window(SharedState& shared,
                                                         const std::string& ref) {
  auto state = shared.state.lock();
  if (!state) return state.take_error();
  for (const auto& [key, record] : (*state)->observed_roots) {
    if (record.ref == ref) return std::optional<std::int64_t>(record.window_id);
  }
  return std::optional<std::int64_t>();
}

// The window to search: `windowId`, then a listed `rootRef`/`windowRef`, then
// a window of `pid`, in that order of precedence.
Result<std::int64_t> find_root_window(const Json& args, CommandContext& ctx) {
  if (auto window_id = arg_i64(args, "windowId")) return *window_id;

  const Json* ref = arg_member(args, "rootRef");
  if (!ref) ref = arg_member(args, "windowRef");
  if (ref && ref->is_string()) {
    auto found = observed_root_window(ctx.shared, ref->get<std::string>());
    if (!found) return found.take_error();
    if (*found) return **found;
  }

  if (auto pid = arg_u64(args, "pid"); pid && ctx.platform.windows) {
    auto snapshot = take_root_snapshot(*ctx.platform.windows, *pid);
    if (!snapshot) return snapshot.take_error();
    for (const auto& [key, record] : snapshot->roots) {
      if (record.pid == *pid) return record.window_id;
    }
  }
  return target_not_found("waitFor target root was not found");
}

Json wait_result(bool found, const Json& gone, std::size_t node_count) {
  Json result = Json::object();
  result["found"] = found;
  if (found) {
    result["gone"] = gone;
  } else {
    result["timedOut"] = true;
  }
  result["nodeCount"] = node_count;
  return result;
}

bool window_closed(CommandContext& ctx, std::int64_t window) {
  return ctx.platform.windows != nullptr && ctx.platform.windows->process_id(window) == 0;
}

// One window's element list, read again at each poll until the filters
// decide or the time runs out.
class WaitPoll final : public PolledCommand {
 public:
  WaitPoll(uia::WaitFilters filters, bool gone, std::int64_t window, std::int64_t started,
           std::int64_t deadline)
      : filters_(std::move(filters)),
        gone_(gone),
        window_(window),
        started_(started),
        deadline_(deadline) {}

  std::optional<PollProgress> progress(std::int64_t now_ms) const override {
    return PollProgress::between(started_, deadline_, now_ms);
  }

  PollStep poll(CommandContext& ctx) override {
    // A withdrawn request stops before its next poll; its answer is not sent.
    if (ctx.cancelled() || ctx.platform.clock.now_ms() >= deadline_) {
      return PollStep::done(wait_result(false, nullptr, node_count_));
    }
    // A private numbering: the refs of a poll are never handed out, so the
    // shared registry's counter stays untouched.
    uia::FreshElementNumbering numbering;
    auto records = uia::extract_window(*ctx.platform.uia, window_, numbering);
    if (!records) {
      // A window that closed while we waited for its element to go leaves
      // nothing to read: that is the awaited outcome, not a failure.
      if (gone_ && window_closed(ctx, window_)) return PollStep::done(wait_result(true, true, 0));
      return PollStep::done(uia_protocol_error(records.error()));
    }
    node_count_ = records->size();

    uia::ParentMap parents = uia::build_parent_map(*records);
    bool matched =
        std::any_of(records->begin(), records->end(), [&](const uia::ExtractedElement& record) {
          return uia::record_matches(record, filters_, parents);
        });
    if (matched && !gone_) return PollStep::done(wait_result(true, nullptr, node_count_));
    if (!matched && gone_) return PollStep::done(wait_result(true, true, node_count_));
    return PollStep::again(kWaitPollIntervalMs);
  }

 private:
  uia::WaitFilters filters_;
  bool gone_;
  std::int64_t window_;
  std::int64_t started_;
  std::int64_t deadline_;
  std::size_t node_count_ = 0;
};

}  // namespace

PolledStart start_wait_for(const Json& args, CommandContext& ctx) {
  std::uint64_t timeout_ms = read_timeout(args);
  uia::WaitFilters filters;
  if (auto text = arg_string(args, "text")) filters.text = to_lower_utf8(*text);
  filters.role = arg_string(args, "role");
  if (auto value = arg_string(args, "value")) {
    filters.value = to_lower_utf8(trim_unicode_whitespace(*value));
  }
  bool gone = arg_bool(args, "gone").value_or(false);
  filters.scope_exact = arg_bool(args, "scopeExact").value_or(false);

  if (auto scope_ref = arg_string(args, "scopeRef")) {
    auto look_id = arg_string(args, "lookId");
    if (!look_id) return invalid_request("scopeRef requires lookId");
    auto scope = scope_runtime_id(ctx.shared, ctx.session, *look_id, *scope_ref);
    if (!scope) return scope.take_error();
    filters.scope = std::move(scope).value();
  }
  if (!filters.has_filter()) return invalid_request("uiaWaitFor requires text, role, or value");

  auto window = find_root_window(args, ctx);
  if (!window) return window.take_error();
  if (ctx.platform.uia == nullptr) return port_unavailable(PlatformPort::Uia);

  const std::int64_t started = ctx.platform.clock.now_ms();
  const std::int64_t deadline = started + static_cast<std::int64_t>(timeout_ms);
  return std::unique_ptr<PolledCommand>(
      std::make_unique<WaitPoll>(std::move(filters), gone, *window, started, deadline));
}

Result<Json> wait_for_command(const Json& args, CommandContext& ctx) {
  return poll_to_answer(start_wait_for(args, ctx), ctx);
}

}  // namespace winhelper
