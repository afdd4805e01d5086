#include "service/dispatcher.h"

#include <exception>

namespace winhelper {

void Dispatcher::add(std::string name, Handler handler) {
  table_.insert_or_assign(std::move(name), std::move(handler));
}

Response Dispatcher::dispatch(const Request& request, const std::atomic<bool>* cancel,
                              ClientSession session) {
  if (request.protocol_version != kProtocolVersion) {
    return Response::failure(
        request.id, invalid_request("Unsupported Windows helper protocol " +
                                    std::to_string(request.protocol_version) + "; expected " +
                                    std::to_string(kProtocolVersion) +
                                    ". Restart Orvel to use the installed helper."));
  }
  auto it = table_.find(request.cmd);
  if (it == table_.end()) {
    return Response::failure(request.id, {ErrorCode::UnsupportedCommand,
                                          "Unknown command '" + request.cmd + "'"});
  }
  CommandContext ctx = ctx_;
  ctx.cancel = cancel;
  ctx.session = session;
  try {
    Result<Json> outcome = it->second(request.args, ctx);
    if (outcome.ok()) return Response::success(request.id, std::move(outcome).value());
    return Response::failure(request.id, outcome.take_error());
  } catch (const std::exception& e) {
    return Response::failure(request.id, internal_error("command '" + request.cmd +
                                                        "' failed unexpectedly: " + e.what()));
  } catch (...) {
    return Response::failure(
        request.id,
        internal_error("command '" + request.cmd + "' failed unexpectedly: unknown exception"));
  }
}

}  // namespace winhelper
