#include "selftest/window_checks.h"

#include <cstdlib>

#include "act/foreground.h"
#include "selftest/figures.h"
#include "selftest/test_app.h"

namespace winhelper::selftest {

namespace {

constexpr std::int64_t kPollMs = 100;
// How long a moved window is given to take its new place, and the
// clipboard to open again after its holder ended.
constexpr std::int64_t kSettleMs = 300;
constexpr std::int64_t kClipboardReleaseMs = 2000;

TestAppSpec titled(const char* title, ScreenRect rect = {60, 60, 790, 480}) {
  TestAppSpec spec;
  spec.title = std::string("Winhelper Self-Test: ") + title;
  spec.rect = rect;
  return spec;
}

std::string rect_text(const ScreenRect& rect) {
  return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ") " +
         std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
}

}  // namespace

Answer judge_hung_report(std::optional<std::int64_t> reported_ms) {
  if (!reported_ms) {
    return {Verdict::fail,
            "a window whose thread stopped was not reported hung within 8 s: the helper "
            "would send it input that Windows holds back",
            ""};
  }
  const std::string figure = seconds(*reported_ms);
  if (*reported_ms < kHungReportEarliestMs) {
    return {Verdict::fail, "reported hung sooner than the 5 s the helper assumes", figure};
  }
  if (*reported_ms > kHungReportLatestMs) {
    return {Verdict::fail,
            "reported hung later than the 5 s the helper assumes: its 500 ms probe does not "
            "cover the time between",
            figure};
  }
  return {Verdict::pass, "reported hung 5 s after its thread stopped, as the helper assumes",
          figure};
}

Answer judge_foreground(bool plain_granted, const Status& escalated) {
  if (plain_granted) {
    return {Verdict::not_applicable,
            "Windows granted the first plain foreground request, so there was no refusal for "
            "the escalation to overcome",
            ""};
  }
  if (!escalated) {
    return {Verdict::fail,
            "Windows refused the foreground, and the helper's escalation did not overcome it",
            ""};
  }
  return {Verdict::pass, "Windows refused the plain request; the escalation brought the window forward",
          ""};
}

Answer judge_clipboard(const Result<std::optional<std::string>, ClipboardError>& held,
                       bool opened_after) {
  if (held) {
    return {Verdict::fail, "the clipboard opened while another process held it open", ""};
  }
  if (held.error().kind != ClipboardFailure::Busy) {
    return {Verdict::fail,
            "another process's hold gave " + held.error().platform_text +
                ", which the helper takes for a failure instead of waiting",
            ""};
  }
  if (!opened_after) {
    return {Verdict::fail, "the clipboard stayed closed after its holder had ended", ""};
  }
  return {Verdict::pass, "another process's hold reads as busy, so the helper waits for it", ""};
}

Answer judge_move(std::uint32_t dpi, bool moved, const ScreenRect& asked,
                  const std::optional<ScreenRect>& got) {
  if (dpi == 0 || dpi == 96) {
    return {Verdict::not_applicable,
            "the window's monitor is at 96 DPI (100 %), where Windows scales no window; run "
            "the self-test at another scale to check",
            ""};
  }
  const std::string figure = std::to_string(dpi) + " DPI";
  if (!moved) return {Verdict::fail, "SetWindowPos refused to move the window", figure};
  if (!got) return {Verdict::fail, "the moved window's rectangle could not be read", figure};
  const bool placed = std::abs(got->left - asked.left) <= 1 && std::abs(got->top - asked.top) <= 1 &&
                      std::abs(got->right - asked.right) <= 1 &&
                      std::abs(got->bottom - asked.bottom) <= 1;
  if (!placed) {
    return {Verdict::fail, "asked for " + rect_text(asked) + ", the window took " + rect_text(*got),
            figure};
  }
  return {Verdict::pass, "placed at the physical pixels asked for", figure};
}

Answer hung_window(Probes& probes) {
  TestAppSpec spec = titled("hung window");
  spec.hang_ms = kHungReportHangMs;
  auto app = TestApp::start(probes, spec);
  if (!app) return app.error();
  WindowSystem& windows = probes.windows();
  Clock& clock = probes.clock();
  if (windows.is_hung(app->window())) {
    return {Verdict::fail, "a window that answers is reported hung", ""};
  }
  probes.post_key(app->window(), kHangKey);
  const std::int64_t start = clock.now_ms();
  std::optional<std::int64_t> reported;
  for (std::int64_t took = 0; took <= kHungReportLatestMs + 1000; took = clock.now_ms() - start) {
    if (windows.is_hung(app->window())) {
      reported = took;
      break;
    }
    clock.sleep_ms(kPollMs);
  }
  return judge_hung_report(reported);
}

Answer foreground_escalation(Probes& probes) {
  WindowSystem& windows = probes.windows();
  const WindowHandle before = windows.foreground();
  auto first = TestApp::start(probes, titled("foreground A", {60, 60, 560, 400}));
  if (!first) return first.error();
  // The second takes the foreground from the first, if the system lets it.
  auto second = TestApp::start(probes, titled("foreground B", {120, 120, 620, 460}));
  if (!second) return second.error();
  const bool plain_granted =
      windows.set_foreground(first->window()) && windows.foreground() == first->window();
  Answer answer = judge_foreground(
      plain_granted,
      plain_granted ? Status(ok_status())
                    : bring_to_foreground(windows, probes.clock(), first->window()));
  // The window that had the foreground gets it back, as far as Windows lets it.
  if (before != 0 && windows.process_id(before) != 0) {
    (void)bring_to_foreground(windows, probes.clock(), before);
  }
  return answer;
}

Answer clipboard_busy(Probes& probes) {
  Clipboard& clipboard = probes.clipboard();
  if (auto free = clipboard.read_text(); !free && free.error().kind == ClipboardFailure::Busy) {
    return {Verdict::not_applicable, "another application holds the clipboard open now", ""};
  }
  TestAppSpec spec = titled("clipboard");
  spec.hold_clipboard = true;
  auto started = TestApp::start(probes, spec);
  if (!started) return started.error();
  std::optional<TestApp> app(std::move(started).value());
  const auto held = clipboard.read_text();
  app.reset();
  bool opened_after = false;
  Clock& clock = probes.clock();
  const std::int64_t start = clock.now_ms();
  while (!(opened_after = clipboard.read_text().ok()) &&
         clock.now_ms() - start < kClipboardReleaseMs) {
    clock.sleep_ms(kPollMs);
  }
  return judge_clipboard(held, opened_after);
}

Answer dpi_unaware_move(Probes& probes) {
  TestAppSpec spec = titled("DPI unaware", {80, 80, 680, 480});
  spec.dpi_unaware = true;
  auto app = TestApp::start(probes, spec);
  if (!app) return app.error();
  WindowSystem& windows = probes.windows();
  const std::uint32_t dpi = windows.dpi(app->window());
  const std::optional<ScreenRect> was = windows.rect(app->window());
  if (dpi == 0 || dpi == 96 || !was) return judge_move(dpi, false, {}, was);
  // Odd offsets, which a scaling on the way would round away.
  const ScreenRect asked{was->left + 37, was->top + 23, was->right + 98, was->bottom + 64};
  const bool moved = windows.move(app->window(), asked);
  probes.clock().sleep_ms(kSettleMs);
  return judge_move(dpi, moved, asked, windows.rect(app->window()));
}

}  // namespace winhelper::selftest
