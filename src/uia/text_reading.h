#pragma once
// Reading an element's text live and handing it out in pages of Unicode
// scalar values.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "uia/uia_port.h"

namespace winhelper::uia {

// What was read of an element's text: all of it, or, from a text pattern
// whose document goes on past what a page needs, its start and the
// document's length as the provider counts characters.
struct ElementText {
  std::string text;
  // Set when `text` is only the start of the document.
  std::optional<std::uint64_t> provider_length;
};

// The first non-empty text of: the text pattern's document, the value
// pattern's value; otherwise the name. A pattern the element does not offer
// moves on to the next source; a source that fails is an error (a failing
// document is never answered with the name). Of a document, only as much is
// read as a page ending at `needed_chars` characters needs, plus one
// character to tell whether more follows.
Result<ElementText> read_element_text(Element& element, std::uint64_t needed_chars);

struct TextPage {
  std::string text;
  std::uint64_t total_chars = 0;
  bool has_more = false;
};

// Characters [offset, min(offset + limit, total)) of valid UTF-8 text; the
// end index saturates instead of wrapping, and an offset at or past the end
// gives an empty page.
TextPage page_text(std::string_view text, std::uint64_t offset, std::uint64_t limit);

// The page of what was read: as page_text, except that when only the start
// of a document was read the total is the provider's length, never less than
// what was read.
TextPage page_element_text(const ElementText& read, std::uint64_t offset, std::uint64_t limit);

// offset + limit, saturating.
std::uint64_t page_end(std::uint64_t offset, std::uint64_t limit);

}  // namespace winhelper::uia
