#pragma once
// What the UI Automation algorithms need from the platform. The Win32 adapter
// wraps the COM client; tests use fake element trees. Every call fails with
// the platform error text only; the algorithms add the step. A call that
// succeeds without handing back an object counts as a failure (code 0),
// except for element arrays: no array is an empty one.
//
// Every search and every cache request names its view (the tree filter) as
// the control view: see control_view_condition in session.h.
//
// Ownership: a Session outlives every object obtained through it. Objects are
// released when their owners are destroyed; closing the session (destroying
// it) ends the COM scope. Nothing here is shared between threads.
//
// Live calls (Current reads, searches, navigation, pattern calls) cross into
// the target application's process on Windows. Cache requests fetch many
// properties of many elements in one such call; the `cached_*` reads then
// answer from what that call brought back, as UI Automation's cached getters
// do: a snapshot taken at request time, failing for what was not requested.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/rect.h"
#include "uia/uia_failure.h"

namespace winhelper::uia {

using RuntimeId = std::vector<std::int32_t>;

// The values of UI Automation's ScrollAmount used by the scroll action.
enum class ScrollAmount : int { SmallDecrement = 1, NoAmount = 2, SmallIncrement = 4 };

// ToggleState_Off; any other value counts as toggled on.
inline constexpr int kToggleStateOff = 0;

class Element;
using ElementPtr = std::unique_ptr<Element>;

class Condition {
 public:
  virtual ~Condition() = default;
};
using ConditionPtr = std::unique_ptr<Condition>;

// UI Automation's TreeScope values a cache request can carry.
enum class CacheScope : int { Element = 1, Children = 2, Descendants = 4, Subtree = 7 };

// AutomationElementMode: None gives elements that answer cached reads only.
enum class ElementMode { None, Full };

// What a cache request asks for: properties by id, how far below the element
// the cache reaches, which elements enter the cached tree (null: UI
// Automation's default, the control view) and the mode of the elements.
struct CacheRequestSpec {
  std::vector<int> properties;
  CacheScope scope = CacheScope::Element;
  Condition* tree_filter = nullptr;
  ElementMode mode = ElementMode::Full;
};

class CacheRequest {
 public:
  virtual ~CacheRequest() = default;
};
using CacheRequestPtr = std::unique_ptr<CacheRequest>;

class ElementArray {
 public:
  virtual ~ElementArray() = default;
  virtual Result<int> length() = 0;
  virtual Result<ElementPtr> element(int index) = 0;
};

class TreeWalker {
 public:
  virtual ~TreeWalker() = default;
  // Fails when there is no parent.
  virtual Result<ElementPtr> parent(Element& element) = 0;
  virtual Result<ElementPtr> parent_build_cache(Element& element, CacheRequest& request) = 0;
};

class InvokePattern {
 public:
  virtual ~InvokePattern() = default;
  virtual Status invoke() = 0;
};

class TogglePattern {
 public:
  virtual ~TogglePattern() = default;
  virtual Status toggle() = 0;
  virtual Result<int> toggle_state() = 0;
};

class SelectionItemPattern {
 public:
  virtual ~SelectionItemPattern() = default;
  virtual Status select() = 0;
  virtual Result<bool> is_selected() = 0;
};

class ExpandCollapsePattern {
 public:
  virtual ~ExpandCollapsePattern() = default;
  virtual Status expand() = 0;
};

class LegacyAccessiblePattern {
 public:
  virtual ~LegacyAccessiblePattern() = default;
  virtual Result<std::string> default_action() = 0;
  virtual Status do_default_action() = 0;
};

class ValuePattern {
 public:
  virtual ~ValuePattern() = default;
  virtual Result<std::string> value() = 0;
  virtual Result<bool> is_read_only() = 0;
  // UTF-8 text; the empty text is passed as an empty string, never null.
  virtual Status set_value(const std::string& text) = 0;
};

class TextPattern {
 public:
  virtual ~TextPattern() = default;
  // GetText of the document range: at most max_length UTF-16 units, -1 for
  // all of it. Fails on a null string.
  virtual Result<std::string> document_text(int max_length) = 0;
  // The document range's length in the provider's own characters
  // (TextUnit_Character), by moving the range's start to its end.
  virtual Result<std::int64_t> document_characters() = 0;
};

class ScrollPattern {
 public:
  virtual ~ScrollPattern() = default;
  virtual Status scroll(ScrollAmount horizontal, ScrollAmount vertical) = 0;
};

// Property ids: the pattern-availability ones are read through property_bool;
// all of them can be named in a cache request.
namespace property {
inline constexpr int kRuntimeId = 30000;
inline constexpr int kBoundingRectangle = 30001;
inline constexpr int kControlType = 30003;
inline constexpr int kName = 30005;
inline constexpr int kIsKeyboardFocusable = 30009;
inline constexpr int kIsEnabled = 30010;
inline constexpr int kAutomationId = 30011;
inline constexpr int kClassName = 30012;
inline constexpr int kIsControlElement = 30016;
inline constexpr int kIsPassword = 30019;
inline constexpr int kIsOffscreen = 30022;
inline constexpr int kValueValue = 30045;
inline constexpr int kValueIsReadOnly = 30046;
inline constexpr int kLegacyDefaultAction = 30100;
inline constexpr int kIsExpandCollapseAvailable = 30028;
inline constexpr int kIsInvokeAvailable = 30031;
inline constexpr int kIsScrollAvailable = 30034;
inline constexpr int kIsSelectionItemAvailable = 30036;
inline constexpr int kIsTextAvailable = 30040;
inline constexpr int kIsToggleAvailable = 30041;
inline constexpr int kIsValueAvailable = 30043;
inline constexpr int kIsLegacyAccessibleAvailable = 30090;
}  // namespace property

class Element {
 public:
  virtual ~Element() = default;

  virtual Result<RuntimeId> runtime_id() = 0;
  virtual Result<int> control_type() = 0;
  virtual Result<std::string> name() = 0;
  virtual Result<std::string> automation_id() = 0;
  virtual Result<std::string> class_name() = 0;
  virtual Result<ScreenRect> bounding_rectangle() = 0;
  virtual Result<bool> is_offscreen() = 0;
  virtual Result<bool> is_enabled() = 0;
  virtual Result<bool> is_keyboard_focusable() = 0;
  virtual Result<bool> is_password() = 0;
  // A boolean property read as a variant and converted to a bool.
  virtual Result<bool> property_bool(int property_id) = 0;

  // Searches this element and all its descendants.
  virtual Result<std::unique_ptr<ElementArray>> find_all_subtree(Condition& condition) = 0;
  virtual Result<ElementPtr> find_first_subtree(Condition& condition) = 0;

  virtual Status set_focus() = 0;

  // Live calls that also fill a cache: this element again, the subtree search.
  virtual Result<ElementPtr> build_updated_cache(CacheRequest& request) = 0;
  virtual Result<std::unique_ptr<ElementArray>> find_all_subtree_build_cache(
      Condition& condition, CacheRequest& request) = 0;
  virtual Result<ElementPtr> find_first_subtree_build_cache(Condition& condition,
                                                            CacheRequest& request) = 0;

  // Cached reads (GetCachedPropertyValue and the cached getters). Booleans are
  // converted as property_bool converts them; a value of another type fails.
  virtual Result<bool> cached_bool(int property_id) = 0;
  virtual Result<int> cached_int(int property_id) = 0;
  virtual Result<std::string> cached_string(int property_id) = 0;
  virtual Result<RuntimeId> cached_runtime_id() = 0;
  virtual Result<ScreenRect> cached_bounding_rectangle() = 0;
  // The children in the cached tree, in the view of the request's tree filter.
  virtual Result<std::unique_ptr<ElementArray>> cached_children() = 0;

  // Null when the element does not offer the pattern or it cannot be obtained.
  virtual std::unique_ptr<InvokePattern> invoke_pattern() = 0;
  virtual std::unique_ptr<TogglePattern> toggle_pattern() = 0;
  virtual std::unique_ptr<SelectionItemPattern> selection_item_pattern() = 0;
  virtual std::unique_ptr<ExpandCollapsePattern> expand_collapse_pattern() = 0;
  virtual std::unique_ptr<LegacyAccessiblePattern> legacy_accessible_pattern() = 0;
  virtual std::unique_ptr<ValuePattern> value_pattern() = 0;
  virtual std::unique_ptr<ScrollPattern> scroll_pattern() = 0;
  virtual std::unique_ptr<TextPattern> text_pattern() = 0;
};

class Session {
 public:
  virtual ~Session() = default;
  virtual Result<ElementPtr> element_from_handle(std::int64_t window_handle) = 0;
  virtual Result<ElementPtr> element_from_point(std::int32_t x, std::int32_t y) = 0;
  virtual Result<std::unique_ptr<TreeWalker>> control_view_walker() = 0;
  virtual Result<ConditionPtr> create_true_condition() = 0;
  // A property condition on the automation id (property 30011).
  virtual Result<ConditionPtr> create_automation_id_condition(const std::string& automation_id) = 0;
  // Property conditions on the runtime id (30000) and on a boolean property.
  virtual Result<ConditionPtr> create_runtime_id_condition(const RuntimeId& runtime_id) = 0;
  virtual Result<ConditionPtr> create_bool_condition(int property_id, bool value) = 0;
  virtual Result<ConditionPtr> create_and_condition(Condition& first, Condition& second) = 0;
  virtual Result<ConditionPtr> create_or_condition(const std::vector<Condition*>& conditions) = 0;
  virtual Result<CacheRequestPtr> create_cache_request(const CacheRequestSpec& spec) = 0;

  virtual Result<ElementPtr> element_from_handle_build_cache(std::int64_t window_handle,
                                                             CacheRequest& request) = 0;
  virtual Result<ElementPtr> element_from_point_build_cache(std::int32_t x, std::int32_t y,
                                                            CacheRequest& request) = 0;
};
using SessionPtr = std::unique_ptr<Session>;

// Why a session could not be opened.
struct OpenFailure {
  enum class Stage { ComInitialize, CreateAutomation };
  Stage stage = Stage::ComInitialize;
  std::uint32_t code = 0;
  // The platform error text (CreateAutomation only).
  std::string platform_text;
};

// Whether a session's calls are bounded by the provider timeouts: created
// from the class that offers them (CUIAutomation8), and both timeouts taken.
struct ProviderBounds {
  bool timeouts_offered = false;
  // Why they do not apply, as a platform error text: the newer class could
  // not be created, or it refused a timeout. Empty when they apply.
  std::string failure;
};

struct OpenResult {
  SessionPtr session;  // null on failure
  OpenFailure failure;
  ProviderBounds bounds;
};

class UiaClient {
 public:
  virtual ~UiaClient() = default;
  // Opens a session on the calling thread.
  virtual OpenResult open() = 0;
};

}  // namespace winhelper::uia
