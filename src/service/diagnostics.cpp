#include "service/diagnostics.h"

namespace winhelper {

Result<Json> diagnostics_command(const Json&, CommandContext& ctx) {
  Json result = Json::object();
  result["accessibility"] = true;
  result["arch"] = "x86_64";
  result["architectureVersion"] = 1;
  result["invariants"] = Json::array({"state-scoped-observations", "bounded-observation-history",
                                      "multi-root-forest", "progressive-disclosure",
                                      "atomic-physical-input", "concurrent-requests",
                                      "transactional-batching"});
  result["os"] = "windows";
  result["pid"] = ctx.platform.process_id;
  result["protocolVersion"] = kProtocolVersion;
  result["screenRecording"] = true;
  return result;
}

}  // namespace winhelper
