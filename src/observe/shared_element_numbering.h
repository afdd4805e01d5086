#pragma once
// "@e" numbers for the extractions of looks, drawn from the element counter
// of the window registry in HelperState. The state lock is taken for each
// number and released at once, so it is never held across a UI Automation
// call; concurrent looks therefore never hand out the same number.

#include <cstdint>

#include "context/helper_state.h"
#include "uia/element_numbering.h"

namespace winhelper {

class SharedElementNumbering final : public uia::ElementNumbering {
 public:
  explicit SharedElementNumbering(SharedState& shared) : shared_(shared) {}

  // With a poisoned state lock the numbers come from a private counter: the
  // look that uses them fails anyway when it draws its id or stores itself.
  std::uint64_t take_element_number() override;

 private:
  SharedState& shared_;
  std::uint64_t private_next_ = 1;
};

}  // namespace winhelper
