#pragma once
// Extraction through cache requests: one light request over the subtree for
// its order, structure and off-screen states, one full request for exactly the
// examined elements that are on screen, and one request for the values of
// those that have a value pattern and are not password fields. The records
// equal the ones the element-by-element walk produces.

#include <optional>

#include "uia/element_record.h"
#include "uia/uia_port.h"

namespace winhelper::uia {

// The records without their refs, or nothing when caching failed or could not
// tell the examined elements apart; the caller then walks element by element.
// Takes no element numbers, so a fallback leaves no gap in the numbering.
std::optional<ElementList> extract_cached(Session& session, Element& root);

}  // namespace winhelper::uia
