#include "uia/text_reading.h"

#include <limits>

#include "uia/session.h"

namespace winhelper::uia {

std::string read_element_text(Element& element) {
  if (auto pattern = pattern_if(element, property::kIsTextAvailable, &Element::text_pattern)) {
    auto text = pattern->document_text();
    if (text && !text.value().empty()) return std::move(text).value();
  }
  if (auto pattern = pattern_if(element, property::kIsValueAvailable, &Element::value_pattern)) {
    auto value = pattern->value();
    if (value && !value.value().empty()) return std::move(value).value();
  }
  return name_of(element).value_or(std::string());
}

namespace {

bool is_continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

TextPage page_text(std::string_view text, std::uint64_t offset, std::uint64_t limit) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t end = limit > kMax - offset ? kMax : offset + limit;

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

}  // namespace winhelper::uia
