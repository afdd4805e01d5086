#pragma once
// The cache requests extraction and resolution use, and reading an element's
// facts back from the cache.

#include <optional>
#include <vector>

#include "uia/element_record.h"
#include "uia/uia_port.h"

namespace winhelper::uia {

// Everything extraction reads of an examined element, except the value,
// which is never asked for in bulk: a cache request cannot leave out password
// fields.
std::vector<int> fact_properties();

// The facts of an element fetched with fact_properties(), value left empty;
// nothing when the element is not reported (as the live walk decides).
std::optional<ElementFacts> cached_facts(Element& element);

// Whether the element's value may be read: it has the value pattern and is
// not known to be a password field. `readable_not_password` tells whether
// its password flag was read as false (an unreadable flag counts as not a
// password, as the live walk counts it).
bool value_wanted(Element& element, bool& readable_not_password);

}  // namespace winhelper::uia
