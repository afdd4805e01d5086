// The real service under a flood: every kind of request line, huge strings,
// nesting far past the limit, and a line that is not UTF-8 at the very end,
// written as fast as a bounded pipe takes them while eight workers answer.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "fuzz/fuzz_platform.h"
#include "fuzz/response_check.h"
#include "service/service.h"
#include "stress/bounded_pipe.h"
#include "stress/stress_mix.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define WINHELPER_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define WINHELPER_SANITIZED 1
#endif
#endif

namespace winhelper::stress {
namespace {

#ifdef WINHELPER_SANITIZED
constexpr bool kSanitized = true;
constexpr std::size_t kDefaultLines = 20'000;
#else
constexpr bool kSanitized = false;
constexpr std::size_t kDefaultLines = 100'000;
#endif

// Growth of peak resident memory allowed over the whole run (native build):
// a few 10 MB lines in flight at once, their copies, and the request queue.
constexpr long kPeakGrowthLimitKiB = 512 * 1024;

// Overridable so that a longer soak can reuse the test.
std::size_t line_count() {
  if (const char* text = std::getenv("WINHELPER_STRESS_LINES")) {
    std::size_t n = std::strtoull(text, nullptr, 10);
    if (n >= 16) return n;
  }
  return kDefaultLines;
}

long peak_rss_kib() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      long kib = 0;
      status >> kib;
      return kib;
    }
    status.ignore(1 << 20, '\n');
  }
  return 0;
}

struct Answer {
  std::string id;
  bool ok = false;
  std::string code;
  std::string message;  // first 256 bytes
};

// Checks each response line as it is written and keeps a short summary.
class CheckingOutput final : public ByteOutput {
 public:
  bool write(std::string_view bytes) override {
    std::lock_guard<std::mutex> hold(mutex_);
    partial_.append(bytes);
    std::size_t start = 0;
    std::size_t lf;
    while ((lf = partial_.find('\n', start)) != std::string::npos) {
      take(std::string_view(partial_).substr(start, lf - start));
      start = lf + 1;
    }
    partial_.erase(0, start);
    return true;
  }

  std::vector<Answer> answers() {
    std::lock_guard<std::mutex> hold(mutex_);
    return answers_;
  }
  std::vector<std::string> faults() {
    std::lock_guard<std::mutex> hold(mutex_);
    return faults_;
  }
  std::string unterminated() {
    std::lock_guard<std::mutex> hold(mutex_);
    return partial_;
  }

 private:
  void take(std::string_view line) {
    fuzz::ResponseCheck checked = fuzz::check_response_line(line);
    if (!checked.response) {
      if (faults_.size() < 20) {
        faults_.push_back(checked.fault + ": " + std::string(line.substr(0, 300)));
      }
      return;
    }
    answers_.push_back({std::move(checked.response->id), checked.response->ok,
                        std::move(checked.response->code),
                        checked.response->message.substr(0, 256)});
  }

  std::mutex mutex_;
  std::string partial_;
  std::vector<Answer> answers_;
  std::vector<std::string> faults_;
};

// Invariants of the shared state that must hold at every moment of the run.
std::string state_fault(SharedState& shared) {
  auto state = shared.state.lock();
  if (!state) return state.error().message;
  // Looks are stored by concurrent workers; the history never exceeds its bound.
  if ((*state)->looks.size() > LookStore::kCapacity) {
    return "look store holds " + std::to_string((*state)->looks.size()) + " looks";
  }
  return {};
}

std::string describe(const StressLine& e) {
  return "id " + e.id.substr(0, 40) + " code " + e.code.value_or("-") + " '" +
         e.message_part.substr(0, 60) + "'";
}

bool matches(const StressLine& e, const Answer& a) {
  if (e.must_succeed && !a.ok) return false;
  if (e.code && (a.ok || a.code != *e.code)) return false;
  return a.message.find(e.message_part.substr(0, 200)) != std::string::npos;
}

TEST(ServiceStress, EveryLineIsAnsweredOnceThroughAFullPipe) {
  StressMix mix(line_count());
  fuzz::FuzzPlatform desktop;
  BoundedPipe pipe(256 * 1024);
  CheckingOutput output;
  const long peak_before = peak_rss_kib();

  std::vector<StressLine> expected;  // answered lines, without their text
  std::promise<void> finished;
  std::shared_future<void> done = finished.get_future().share();
  std::thread service([&] {
    run_service(pipe, output, desktop.dispatcher());
    finished.set_value();
  });
  std::thread feeder([&] {
    for (std::size_t i = 0; i < mix.count(); ++i) {
      StressLine line = mix.line(i);
      line.text.push_back('\n');
      pipe.write(line.text);
      if (line.answered) {
        line.text.clear();
        line.text.shrink_to_fit();
        expected.push_back(std::move(line));
      }
    }
    pipe.close();
  });
  std::string sampled_fault;
  // Samples the shared state while the workers run.
  std::thread sampler([&, done] {
    while (done.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready) {
      std::string fault = state_fault(desktop.shared());
      if (!fault.empty() && sampled_fault.empty()) sampled_fault = fault;
    }
  });

  // A deadlock must fail the run, not hang it.
  if (done.wait_for(std::chrono::minutes(5)) != std::future_status::ready) {
    std::fprintf(stderr, "service stress: no end after 5 minutes; %zu answers so far\n",
                 output.answers().size());
    std::_Exit(1);
  }
  service.join();
  feeder.join();
  sampler.join();
  const long peak_after = peak_rss_kib();
  std::printf("service stress: %zu lines, %zu answered; peak RSS %ld KiB -> %ld KiB\n",
              mix.count(), expected.size(), peak_before, peak_after);

  EXPECT_EQ(sampled_fault, "");
  EXPECT_EQ(output.faults(), std::vector<std::string>{});
  EXPECT_EQ(output.unterminated(), "");
  std::vector<Answer> answers = output.answers();
  ASSERT_EQ(answers.size(), expected.size());

  // Lines with an id of their own: exactly one matching answer each.
  std::map<std::string, const Answer*> by_id;
  std::vector<const Answer*> anonymous;
  for (const Answer& a : answers) {
    if (a.id == "unknown") {
      anonymous.push_back(&a);
    } else {
      EXPECT_TRUE(by_id.emplace(a.id, &a).second) << "answered twice: " << a.id.substr(0, 40);
    }
  }
  std::vector<const StressLine*> anonymous_expected;
  for (const StressLine& e : expected) {
    if (e.id == "unknown") {
      anonymous_expected.push_back(&e);
      continue;
    }
    auto it = by_id.find(e.id);
    if (it == by_id.end()) {
      ADD_FAILURE() << "not answered: " << describe(e);
      continue;
    }
    EXPECT_TRUE(matches(e, *it->second))
        << describe(e) << " answered " << it->second->code << " " << it->second->message;
  }

  // Lines answered as "unknown": the same count of each kind of failure.
  std::set<std::string> parts;
  for (const StressLine* e : anonymous_expected) parts.insert(*e->code + "|" + e->message_part);
  auto kind_of = [&](const Answer& a) {
    std::string best;
    for (const std::string& p : parts) {
      std::string code = p.substr(0, p.find('|'));
      std::string part = p.substr(p.find('|') + 1);
      if (code == a.code && a.message.find(part) != std::string::npos && p.size() > best.size()) {
        best = p;
      }
    }
    return best.empty() ? "unexpected: " + a.code + " " + a.message : best;
  };
  std::map<std::string, int> want;
  std::map<std::string, int> got;
  for (const StressLine* e : anonymous_expected) ++want[*e->code + "|" + e->message_part];
  for (const Answer* a : anonymous) ++got[kind_of(*a)];
  EXPECT_EQ(got, want);

  // The unreadable last line is answered exactly once, with the read error.
  EXPECT_EQ(got["internal_error|Failed to read input line: stream did not contain valid UTF-8"], 1);

  if (!kSanitized) {
    EXPECT_LT(peak_after - peak_before, kPeakGrowthLimitKiB);
  }
}

}  // namespace
}  // namespace winhelper::stress
