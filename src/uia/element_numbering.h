#pragma once
// Where extraction takes its "@e" numbers from. The window registry carries
// the long-lived counter; FreshElementNumbering serves callers that must not
// touch a shared registry.

#include <cstdint>
#include <set>

namespace winhelper::uia {

class ElementNumbering {
 public:
  virtual ~ElementNumbering() = default;
  // Hands out the next number (the first is 1) and records it.
  virtual std::uint64_t take_element_number() = 0;
};

class FreshElementNumbering final : public ElementNumbering {
 public:
  std::uint64_t take_element_number() override {
    std::uint64_t number = next_++;
    handed_out_.insert(number);
    return number;
  }
  const std::set<std::uint64_t>& handed_out() const { return handed_out_; }

 private:
  std::uint64_t next_ = 1;
  std::set<std::uint64_t> handed_out_;
};

}  // namespace winhelper::uia
