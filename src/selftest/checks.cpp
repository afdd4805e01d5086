#include "selftest/checks.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "capture/image_encoding.h"
#include "capture/jpeg_encoder.h"
#include "capture/png_encoder.h"
#include "selftest/desktop_state.h"
#include "selftest/figures.h"
#include "selftest/uia_checks.h"
#include "selftest/window_checks.h"

namespace winhelper::selftest {

namespace {

Answer input_desktop(Probes& probes) {
  const std::uint32_t error = probes.open_input_desktop();
  if (error == 0) return {Verdict::pass, "the input desktop opens for reading", ""};
  return {Verdict::fail,
          "OpenInputDesktop failed with error " + std::to_string(error) +
              " in a signed-in session that is not locked",
          ""};
}

// A frame with detail in every block, like a desktop's text and edges: a
// gradient crossed by a fine pattern.
std::vector<std::uint8_t> test_frame(std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint8_t> rgba(std::size_t{width} * height * 4);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint8_t* pixel = &rgba[(std::size_t{y} * width + x) * 4];
      const bool ink = ((x / 3) ^ (y / 5)) % 7 == 0;
      pixel[0] = ink ? 20 : static_cast<std::uint8_t>(x * 255 / width);
      pixel[1] = ink ? 20 : static_cast<std::uint8_t>(y * 255 / height);
      pixel[2] = ink ? 40 : 200;
      pixel[3] = 255;
    }
  }
  return rgba;
}

double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// JPEG against PNG on the same frame, alternately, so that the machine's speed
// and load weigh on both alike: the medians of three timed rounds after one
// that warms the caches.
Answer jpeg_speed(Probes& probes) {
  constexpr std::uint32_t kWidth = 1920;
  constexpr std::uint32_t kHeight = 1080;
  const std::vector<std::uint8_t> frame = test_frame(kWidth, kHeight);
  std::vector<double> jpeg_ms;
  std::vector<double> png_ms;
  for (int round = 0; round < 4; ++round) {
    double start = probes.now_us();
    auto jpeg = encode_jpeg_rgba(frame, kWidth, kHeight, kDefaultJpegQuality);
    const double jpeg_took = (probes.now_us() - start) / 1000;
    start = probes.now_us();
    auto png = encode_png_rgba(frame, kWidth, kHeight);
    const double png_took = (probes.now_us() - start) / 1000;
    if (!jpeg) return {Verdict::fail, jpeg.error().message, ""};
    if (!png) return {Verdict::fail, png.error().message, ""};
    if (round == 0) continue;
    jpeg_ms.push_back(jpeg_took);
    png_ms.push_back(png_took);
  }
  const double jpeg = median(jpeg_ms);
  const double png = median(png_ms);
  const double ratio = png > 0 ? jpeg / png : 1;
  char figure[64];
  std::snprintf(figure, sizeof figure, "%.1f ms, %.0f%% of PNG's", jpeg, ratio * 100);
  if (ratio <= kJpegToPngBound)
    return {Verdict::pass, "a 1920x1080 frame: JPEG no slower than PNG", figure};
  return {Verdict::fail,
          "a 1920x1080 frame: JPEG slower than PNG (libjpeg-turbo's SIMD code unused?): "
          "looks over the image budget slow down",
          figure};
}

Answer large_block_cost(Probes& probes) {
  constexpr int kRounds = 200;
  const std::optional<double> total = probes.large_block_rounds_us(std::size_t{1} << 20, kRounds);
  if (!total) return {Verdict::fail, "VirtualAlloc refused a 1 MiB block", ""};
  const double us = *total / kRounds;
  const std::string figure = fixed(us, "us per 1 MiB block");
  if (us <= kLargeBlockUsBound)
    return {Verdict::pass, "pages of their own cost little beside a look", figure};
  return {Verdict::fail, "pages of their own cost more than 200 us per block", figure};
}

}  // namespace

Answer judge_socket_shutdown(const SocketShutdown& shutdown) {
  if (!shutdown.failure.empty()) {
    return {Verdict::fail, "the loopback connection could not be set up: " + shutdown.failure, ""};
  }
  if (!shutdown.returned) {
    return {Verdict::fail,
            "a blocked receive went on after its socket's duplicate was shut down: the HTTP "
            "front's deadlines would not end a connection",
            ""};
  }
  const std::string figure = fixed(shutdown.ms, "ms");
  if (shutdown.ms > kSocketBoundMs) {
    return {Verdict::fail, "a blocked receive returned late after its duplicate was shut down",
            figure};
  }
  return {Verdict::pass, "shutting down a duplicate ends the original's blocked receive", figure};
}

Answer judge_private_file(const FileAcl& acl) {
  if (!acl.failure.empty()) return {Verdict::fail, acl.failure, ""};
  if (!acl.is_protected) {
    return {Verdict::fail, "the token file inherits access from its folder", ""};
  }
  bool user_has_all = false;
  for (const FileAcl::Entry& entry : acl.entries) {
    if (entry.sid != acl.user_sid) {
      return {Verdict::fail,
              std::string("the token file's access list ") + (entry.allow ? "grants " : "denies ") +
                  entry.sid + " too",
              ""};
    }
    if (entry.allow && (entry.mask & kFileAllAccess) == kFileAllAccess) user_has_all = true;
  }
  if (!user_has_all) return {Verdict::fail, "the token file's user lacks full access", ""};
  return {Verdict::pass, "only the user has access to the token file", ""};
}

namespace {

constexpr std::string_view kNoUiAutomation =
    "Wine has no UI Automation core of its own; only the project's test server answers there";

}  // namespace

std::vector<Check> windows_checks(Probes& probes) {
  auto with = [&probes](Answer (*check)(Probes&)) {
    return [&probes, check] { return check(probes); };
  };
  return {
      {"input-desktop", "Wine's desktop is always interactive and never locked",
       [&probes] { return input_desktop(probes); }},
      {"jpeg-speed", "", [&probes] { return jpeg_speed(probes); }},
      {"large-block-cost", "Wine takes pages from Linux, whose cost is not Windows'",
       [&probes] { return large_block_cost(probes); }},
      {"uia-cached-walk", kNoUiAutomation, with(cached_walk)},
      {"uia-search-order", kNoUiAutomation, with(search_order)},
      {"uia-control-parents", kNoUiAutomation, with(control_parents)},
      {"uia-provider-timeouts", kNoUiAutomation, with(provider_timeouts)},
      {"uia-blocking-invoke", kNoUiAutomation, with(blocking_invoke)},
      {"hung-window", "Wine's report of a hung window is Wine's own, not Windows'",
       with(hung_window)},
      {"foreground-escalation", "Wine has no foreground lock of Windows' kind",
       with(foreground_escalation)},
      {"clipboard-busy", "Wine's clipboard answers a held clipboard its own way",
       with(clipboard_busy)},
      {"dpi-unaware-move", "Wine scales no window that is not DPI aware", with(dpi_unaware_move)},
      {"socket-shutdown", "Wine's sockets are Linux's, not Winsock's",
       [&probes] { return judge_socket_shutdown(probes.socket_shutdown(kSocketWaitMs)); }},
      {"token-file-acl", "Wine runs everything as one user and keeps no access lists of Windows'",
       [&probes] { return judge_private_file(probes.private_file_acl()); }},
  };
}

std::vector<Outcome> run_all(Probes& probes, const Machine& machine) {
  const DesktopState before = capture_desktop(probes.windows(), probes.clipboard());
  const std::vector<Check> checks = windows_checks(probes);
  std::vector<Outcome> outcomes = run_checks(checks, machine);
  const DesktopState after = capture_desktop(probes.windows(), probes.clipboard());
  outcomes.push_back({"left-as-found", compare_desktops(before, after, probes.leftovers())});
  return outcomes;
}

}  // namespace winhelper::selftest
