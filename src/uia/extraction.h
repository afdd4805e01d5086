#pragma once
// Turns the UI of a window, or of one element's subtree, into a flat, bounded
// list of element records.
//
// At most 200 elements of the subtree are reported; elements below which
// further ones were left out are marked truncated.
//
// The walk reads through cache requests, a few round trips into the target
// application whatever the window's size; where caching fails or cannot
// identify the elements it falls back to reading element by element, with
// the same records.

#include <cstdint>
#include <functional>

#include "common/clock.h"
#include <string>
#include <vector>

#include "uia/element_locator.h"
#include "uia/element_numbering.h"
#include "uia/element_record.h"
#include "uia/uia_port.h"

namespace winhelper::uia {

// Walks the subtree of root inside the caller's session.
Result<ElementList> extract(Session& session, Element& root, ElementNumbering& numbering);

// The same walk read element by element with live calls only: the fallback,
// and the reference the cached walk is held to.
Result<ElementList> extract_per_element(Session& session, Element& root,
                                        ElementNumbering& numbering);

// The subtree of a window's root element, in a session of its own.
Result<ElementList> extract_window(UiaClient& client, std::int64_t window_handle,
                                   ElementNumbering& numbering);

// As extract_window, but a failure is reported as the warning line
// "[uia] WARN extraction skipped: <text>" on standard error and gives an
// empty list: a look or capture goes on without elements.
ElementList extract_window_or_warn(UiaClient& client, std::int64_t window_handle,
                                   ElementNumbering& numbering);

// The same with the warning line handed to `warn` instead of standard error.
ElementList extract_window_or_warn(UiaClient& client, std::int64_t window_handle,
                                   ElementNumbering& numbering,
                                   const std::function<void(const std::string&)>& warn);

// Chromium and Electron build the tree of their web content only after the
// first UI Automation client appears, so for a while the document has no
// elements (field reports: seconds). True when the list holds such a document:
// a document element of a Chromium-family window with nothing under it.
bool awaits_late_tree(const ElementList& list);

// How long a look re-reads such a window, and how often.
inline constexpr std::int64_t kLateTreeWaitMs = 2000;
inline constexpr std::int64_t kLateTreePollMs = 250;

// As extract_window_or_warn, but a window whose web document is still empty
// is read again every kLateTreePollMs for up to kLateTreeWaitMs; then the look
// answers with what it has and the warning line "[uia] WARN the web document
// has no elements yet after 2 s; the outline may be incomplete". Only the
// answered reading takes element numbers.
ElementList extract_window_settled_or_warn(UiaClient& client, std::int64_t window_handle,
                                           ElementNumbering& numbering, Clock& clock,
                                           const std::function<void(const std::string&)>& warn);

// The same with the warning lines written to standard error.
ElementList extract_window_settled_or_warn(UiaClient& client, std::int64_t window_handle,
                                           ElementNumbering& numbering, Clock& clock);

// The warning line written by extract_window_or_warn, line feed included.
std::string extraction_warning_line(const std::string& failure_text);

// Writes that warning line to standard error, for elements left unread for
// `failure_text`.
void warn_extraction_skipped(const std::string& failure_text);

// Resolves the element first; its failure text is returned unchanged.
Result<ElementList> extract_scope(UiaClient& client, const ElementLocator& locator,
                                  ElementNumbering& numbering);

}  // namespace winhelper::uia
