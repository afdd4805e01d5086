#include "selftest/uia_checks.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "selftest/figures.h"
#include "selftest/test_app.h"
#include "uia/cached_extraction.h"
#include "uia/element_actions.h"
#include "uia/extraction.h"
#include "uia/provider_timeouts.h"
#include "uia/session.h"

namespace winhelper::selftest {

namespace {

using uia::RuntimeId;

struct Opened {
  uia::SessionPtr session;
  uia::ElementPtr root;
};

Result<Opened, Answer> open_root(Probes& probes, WindowHandle window) {
  auto session = uia::open_session(probes.uia());
  if (!session) {
    return Answer{Verdict::fail, "UI Automation is unavailable: " + session.error().message, ""};
  }
  auto root = (*session)->element_from_handle(window);
  if (!root) {
    return Answer{Verdict::fail,
                  "UI Automation has no element for the test window: " + root.error().message, ""};
  }
  return Opened{std::move(session).value(), std::move(root).value()};
}

Answer uia_failure(const std::string& step, const uia::UiaError& error) {
  return {Verdict::fail, step + " failed: " + error.message, ""};
}

// One element of a list, as a reader finds it on screen.
std::string describe(const uia::ExtractedElement& element) {
  return element.role + " '" + element.label + "'";
}

// The control-view tree as a cache request over the subtree builds it: its
// elements in pre-order, and each one's parent.
struct CachedTree {
  std::vector<RuntimeId> order;
  std::map<RuntimeId, RuntimeId> parent;
};

uia::Status add_cached(uia::Element& element, const RuntimeId* parent, CachedTree& tree) {
  auto id = element.cached_runtime_id();
  if (!id) return std::move(id).take_error();
  tree.order.push_back(*id);
  if (parent != nullptr) tree.parent[*id] = *parent;
  auto children = element.cached_children();
  if (!children) return std::move(children).take_error();
  auto count = (*children)->length();
  if (!count) return std::move(count).take_error();
  for (int i = 0; i < *count; ++i) {
    auto child = (*children)->element(i);
    if (!child) return std::move(child).take_error();
    if (auto added = add_cached(**child, &*id, tree); !added) return added;
  }
  return ok_status();
}

Result<CachedTree, Answer> cached_control_tree(uia::Session& session, uia::Element& root,
                                               uia::Condition& control_view) {
  auto request = session.create_cache_request(
      {{uia::property::kRuntimeId}, uia::CacheScope::Subtree, &control_view, uia::ElementMode::None});
  if (!request) return uia_failure("CreateCacheRequest", request.error());
  auto cached = root.build_updated_cache(**request);
  if (!cached) return uia_failure("BuildUpdatedCache over the subtree", cached.error());
  CachedTree tree;
  if (auto added = add_cached(**cached, nullptr, tree); !added) {
    return uia_failure("Reading the cached tree", added.error());
  }
  return tree;
}

Result<std::vector<uia::ElementPtr>, Answer> search_subtree(uia::Element& root,
                                                            uia::Condition& control_view) {
  auto found = root.find_all_subtree(control_view);
  if (!found) return uia_failure("FindAll over the subtree", found.error());
  auto count = (*found)->length();
  if (!count) return uia_failure("The search's length", count.error());
  std::vector<uia::ElementPtr> elements;
  for (int i = 0; i < *count; ++i) {
    auto element = (*found)->element(i);
    if (!element) return uia_failure("The search's element", element.error());
    elements.push_back(std::move(element).value());
  }
  return elements;
}

// Both views of the test window's control view: the search and the cache.
struct BothViews {
  Opened opened;
  std::vector<uia::ElementPtr> searched;
  std::vector<RuntimeId> searched_ids;
  CachedTree cached;
};

Result<BothViews, Answer> both_views(Probes& probes, WindowHandle window) {
  auto opened = open_root(probes, window);
  if (!opened) return opened.error();
  auto control_view = uia::control_view_condition(*opened->session);
  if (!control_view) return uia_failure("The control view's condition", control_view.error());
  auto searched = search_subtree(*opened->root, **control_view);
  if (!searched) return searched.error();
  auto cached = cached_control_tree(*opened->session, *opened->root, **control_view);
  if (!cached) return cached.error();
  BothViews views{std::move(opened).value(), std::move(searched).value(), {},
                  std::move(cached).value()};
  for (auto& element : views.searched) {
    auto id = element->runtime_id();
    if (!id) return uia_failure("A found element's runtime id", id.error());
    views.searched_ids.push_back(*id);
  }
  return views;
}

// The test application's button whose click opens a modal dialog. To Windows
// it is a plain button like the others; the project's test server makes its
// Invoke block until the dialog closes, as some frameworks' buttons do.
constexpr const char* kOpenDialogLabel = "Open Blocking Dialog";
// How long a dialog may take to show after an Invoke that returned at once.
constexpr std::int64_t kDialogShowMs = 2000;

TestAppSpec titled(const char* title) {
  TestAppSpec spec;
  spec.title = std::string("Winhelper Self-Test: ") + title;
  return spec;
}

}  // namespace

Answer cached_walk(Probes& probes) {
  auto app = TestApp::start(probes, titled("cached walk"));
  if (!app) return app.error();
  auto opened = open_root(probes, app->window());
  if (!opened) return opened.error();
  std::optional<uia::ElementList> cached = uia::extract_cached(*opened->session, *opened->root);
  if (!cached) {
    return {Verdict::fail,
            "the cached walk failed or could not tell the elements apart: every look reads "
            "element by element",
            ""};
  }
  uia::FreshElementNumbering numbering;
  auto walked = uia::extract_per_element(*opened->session, *opened->root, numbering);
  if (!walked) return uia_failure("The element-by-element walk", walked.error());
  for (uia::ExtractedElement& element : *walked) element.ref.clear();
  const std::string figure = count_of(walked->size(), "elements");
  for (std::size_t i = 0; i < std::min(cached->size(), walked->size()); ++i) {
    if ((*cached)[i] != (*walked)[i]) {
      return {Verdict::fail,
              "element " + std::to_string(i + 1) + " differs: cached " + describe((*cached)[i]) +
                  ", walked " + describe((*walked)[i]),
              figure};
    }
  }
  if (cached->size() != walked->size()) {
    return {Verdict::fail, "the cached walk gives " + count_of(cached->size(), "elements"), figure};
  }
  return {Verdict::pass, "the cached walk gives the records of the element-by-element walk", figure};
}

Answer search_order(Probes& probes) {
  auto app = TestApp::start(probes, titled("search order"));
  if (!app) return app.error();
  auto views = both_views(probes, app->window());
  if (!views) return views.error();
  const std::vector<RuntimeId>& searched = views->searched_ids;
  const std::vector<RuntimeId>& cached = views->cached.order;
  const std::string figure = count_of(searched.size(), "elements");
  for (std::size_t i = 0; i < std::min(searched.size(), cached.size()); ++i) {
    if (searched[i] != cached[i]) {
      return {Verdict::fail,
              "element " + std::to_string(i + 1) + " of the search is not the cached tree's " +
                  std::to_string(i + 1) + "th in pre-order",
              figure};
    }
  }
  if (searched.size() != cached.size()) {
    return {Verdict::fail,
            "the search found " + count_of(searched.size(), "elements") + ", the cached tree holds " +
                std::to_string(cached.size()),
            figure};
  }
  return {Verdict::pass, "the search lists the control view in the cached tree's pre-order", figure};
}

Answer control_parents(Probes& probes) {
  auto app = TestApp::start(probes, titled("control parents"));
  if (!app) return app.error();
  auto views = both_views(probes, app->window());
  if (!views) return views.error();
  auto walker = views->opened.session->control_view_walker();
  if (!walker) return uia_failure("The control-view walker", walker.error());
  std::size_t checked = 0;
  for (std::size_t i = 0; i < views->searched.size(); ++i) {
    const auto expected = views->cached.parent.find(views->searched_ids[i]);
    if (expected == views->cached.parent.end()) continue;  // the root, or not in the cache
    auto parent = (*walker)->parent(*views->searched[i]);
    if (!parent) return uia_failure("GetParentElement", parent.error());
    auto id = (*parent)->runtime_id();
    if (!id) return uia_failure("The parent's runtime id", id.error());
    if (*id != expected->second) {
      return {Verdict::fail,
              "the walker's parent of element " + std::to_string(i + 1) +
                  " is not its parent in the cached control view",
              count_of(checked, "parents")};
    }
    ++checked;
  }
  if (checked == 0) return {Verdict::fail, "the control view holds no element below the window", ""};
  return {Verdict::pass, "the walker climbs the control view as the cache builds it",
          count_of(checked, "parents")};
}

Answer provider_timeouts(Probes& probes) {
  TestAppSpec spec = titled("provider timeouts");
  spec.hang_ms = kProviderHangMs;
  auto app = TestApp::start(probes, spec);
  if (!app) return app.error();
  {
    uia::OpenResult opened = probes.uia().open();
    if (!opened.session) return {Verdict::fail, "UI Automation is unavailable", ""};
    if (!opened.bounds.timeouts_offered) {
      return {Verdict::fail, "the provider timeouts are not applied: " + opened.bounds.failure, ""};
    }
  }
  probes.post_key(app->window(), kHangKey);
  Clock& clock = probes.clock();
  clock.sleep_ms(kHangSettleMs);
  const std::int64_t start = clock.now_ms();
  uia::FreshElementNumbering numbering;
  auto looked = uia::extract_window(probes.uia(), app->window(), numbering);
  const std::int64_t took = clock.now_ms() - start;
  const std::string figure = seconds(took);
  if (took > kHungLookBoundMs) {
    return {Verdict::fail,
            "a look waited " + figure + " for a window that stopped answering: the provider "
            "timeouts do not bound it",
            figure};
  }
  if (looked) {
    return {Verdict::pass,
            "a look at a window that stopped answering was answered without its thread", figure};
  }
  return {Verdict::pass,
          "a look at a window that stopped answering gave up in time: " + looked.error().message,
          figure};
}

Answer blocking_invoke(Probes& probes) {
  auto started = TestApp::start(probes, titled("blocking invoke"));
  if (!started) return started.error();
  std::optional<TestApp> app(std::move(started).value());
  uia::ElementLocator locator{app->window(), {}, {}, 0, {}};
  {
    auto opened = open_root(probes, app->window());
    if (!opened) return opened.error();
    uia::FreshElementNumbering numbering;
    auto list = uia::extract(*opened->session, *opened->root, numbering);
    if (!list) return uia_failure("Reading the test window", list.error());
    for (const uia::ExtractedElement& element : *list) {
      if (element.label == kOpenDialogLabel && element.can_invoke) {
        locator = {app->window(), element.runtime_id, element.automation_id,
                   element.control_type, element.label};
      }
    }
  }
  if (locator.runtime_id.empty()) {
    return {Verdict::fail, "the test window's Open Blocking Dialog button offers no Invoke pattern",
            ""};
  }
  // The press runs on a thread of its own, as the helper runs a pattern call
  // under its grace period; the state outlives the thread if it must be left.
  struct State {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<uia::Result<uia::PressResult>> result;
  };
  auto state = std::make_shared<State>();
  Clock& clock = probes.clock();
  const std::int64_t start = clock.now_ms();
  std::thread presser([state, &client = probes.uia(), locator] {
    auto pressed = uia::press_element(client, locator);
    std::lock_guard<std::mutex> lock(state->mutex);
    state->result.emplace(std::move(pressed));
    state->done.notify_all();
  });
  // Waited for in real time: the press either returns at once or blocks
  // for as long as Windows lets it, whatever clock the checks run on.
  auto wait = [&](std::int64_t ms) {
    std::unique_lock<std::mutex> lock(state->mutex);
    return state->done.wait_for(lock, std::chrono::milliseconds(ms),
                                [&] { return state->result.has_value(); });
  };
  const bool returned = wait(kInvokeBoundMs);
  const std::int64_t took = clock.now_ms() - start;
  bool dialog_shown = false;
  for (const std::int64_t shown_by = clock.now_ms() + kDialogShowMs;
       !(dialog_shown = !app->other_windows().empty()) && clock.now_ms() < shown_by;) {
    clock.sleep_ms(100);
  }
  Answer answer = judge_invoke(returned ? &*state->result : nullptr, took, dialog_shown);
  // Closing the dialog ends a blocked Invoke; ending the application ends
  // any other call.
  app.reset();
  if (wait(kInvokeBoundMs)) {
    presser.join();
  } else {
    presser.detach();
  }
  return answer;
}

Answer judge_invoke(const uia::Result<uia::PressResult>* pressed, std::int64_t took_ms,
                    bool dialog_shown) {
  const std::string figure = seconds(took_ms);
  if (pressed == nullptr) {
    return {Verdict::fail,
            "Invoke was still blocked after " + figure +
                ": the provider timeouts do not end it, so a pending press keeps its thread "
                "until the dialog closes",
            figure};
  }
  if (!*pressed) {
    if (pressed->error().kind == uia::UiaErrorKind::Timeout) {
      return {Verdict::pass,
              "Invoke blocked while the dialog was open and timed out: answered as pending",
              figure};
    }
    return uia_failure("The press", pressed->error());
  }
  if ((*pressed)->kind != uia::PressResult::Kind::Invoked) {
    return {Verdict::fail, "the press did not use Invoke", figure};
  }
  if (!dialog_shown) return {Verdict::fail, "Invoke returned but no dialog opened", figure};
  return {Verdict::pass, "Invoke returned with the dialog open", figure};
}

}  // namespace winhelper::selftest
