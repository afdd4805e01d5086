#include "service/diagnostics.h"

namespace winhelper {

namespace {

// The session's desktop as the system reports it; without a probe (no
// Windows session to ask) the desktop is taken as present.
Json desktop_report(DesktopProbe* probe) {
  DesktopFacts facts = probe ? probe->read() : DesktopFacts{};
  Json report = Json::object();
  report["interactive"] = !desktop_absence(facts).has_value();
  report["sessionId"] = probe ? Json(facts.session_id) : Json(nullptr);
  report["inputDesktop"] = facts.input_desktop_opens;
  auto warning = desktop_presence_warning(probe);
  report["warning"] = warning ? Json(*warning) : Json(nullptr);
  return report;
}

}  // namespace

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
  result["desktop"] = desktop_report(ctx.platform.desktop);
  return result;
}

}  // namespace winhelper
