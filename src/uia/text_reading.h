#pragma once
// Reading an element's full text live and handing it out in pages of
// Unicode scalar values.

#include <cstdint>
#include <string>
#include <string_view>

#include "uia/uia_port.h"

namespace winhelper::uia {

// The first non-empty text of: the text pattern's document, the value
// pattern's value; otherwise the name (empty when unreadable). A missing
// pattern or a failed call falls through to the next source silently.
std::string read_element_text(Element& element);

struct TextPage {
  std::string text;
  std::uint64_t total_chars = 0;
  bool has_more = false;
};

// Characters [offset, min(offset + limit, total)) of valid UTF-8 text; the
// end index saturates instead of wrapping, and an offset at or past the end
// gives an empty page.
TextPage page_text(std::string_view text, std::uint64_t offset, std::uint64_t limit);

}  // namespace winhelper::uia
