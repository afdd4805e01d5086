#include "uia/text_reading.h"

#include <algorithm>
#include <limits>

#include "uia/session.h"

namespace winhelper::uia {

namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

bool is_continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// UTF-16 units of valid UTF-8 text: two for each four-byte sequence.
std::uint64_t utf16_units(std::string_view text) {
  std::uint64_t units = 0;
  for (char byte : text) {
    auto b = static_cast<unsigned char>(byte);
    if ((b & 0xC0) != 0x80) ++units;
    if ((b & 0xF8) == 0xF0) ++units;
  }
  return units;
}

// GetText's bound for `chars` scalar values: two UTF-16 units each covers
// any text; -1 (all) where that does not fit an int.
int units_for(std::uint64_t chars) {
  constexpr std::uint64_t kIntMax = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
  if (chars > kIntMax / 2) return -1;
  return static_cast<int>(chars * 2);
}

// The document of a text pattern, bounded: read up to the page's end and one
// character more; only when that fills the bound does the document go on, and
// then its length comes from the provider instead of reading the rest.
Result<ElementText> read_document(TextPattern& pattern, std::uint64_t needed_chars) {
  int bound = units_for(needed_chars == kMax ? kMax : needed_chars + 1);
  auto text = pattern.document_text(bound);
  if (!text) return step_failure("TextPattern.GetText", text.error());
  ElementText read{std::move(text).value(), std::nullopt};
  if (bound < 0 || utf16_units(read.text) < static_cast<std::uint64_t>(bound)) return read;
  auto length = pattern.document_characters();
  if (!length) return step_failure("TextPattern.MoveEndpointByUnit", length.error());
  read.provider_length = static_cast<std::uint64_t>(std::max<std::int64_t>(length.value(), 0));
  return read;
}

}  // namespace

Result<ElementText> read_element_text(Element& element, std::uint64_t needed_chars) {
  if (auto pattern = pattern_if(element, property::kIsTextAvailable, &Element::text_pattern)) {
    auto read = read_document(*pattern, needed_chars);
    if (!read || !read->text.empty()) return read;
  }
  if (auto pattern = pattern_if(element, property::kIsValueAvailable, &Element::value_pattern)) {
    auto value = pattern->value();
    if (!value) return step_failure("CurrentValue", value.error());
    if (!value->empty()) return ElementText{std::move(value).value(), std::nullopt};
  }
  auto name = name_of(element);
  if (!name) return step_failure("CurrentName", name.error());
  return ElementText{std::move(name).value(), std::nullopt};
}

std::uint64_t page_end(std::uint64_t offset, std::uint64_t limit) {
  return limit > kMax - offset ? kMax : offset + limit;
}

TextPage page_text(std::string_view text, std::uint64_t offset, std::uint64_t limit) {
  std::uint64_t end = page_end(offset, limit);

  TextPage page;
  std::size_t begin_byte = text.size();
  std::size_t end_byte = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (is_continuation(text[i])) continue;
    if (page.total_chars == offset) begin_byte = i;
    if (page.total_chars == end) end_byte = i;
    ++page.total_chars;
  }
  if (offset < page.total_chars) {
    page.text = std::string(text.substr(begin_byte, end_byte - begin_byte));
  }
  page.has_more = end < page.total_chars;
  return page;
}

TextPage page_element_text(const ElementText& read, std::uint64_t offset, std::uint64_t limit) {
  TextPage page = page_text(read.text, offset, limit);
  if (read.provider_length) {
    page.total_chars = std::max(page.total_chars, *read.provider_length);
    page.has_more = page_end(offset, limit) < page.total_chars;
  }
  return page;
}

}  // namespace winhelper::uia
