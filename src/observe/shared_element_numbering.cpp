#include "observe/shared_element_numbering.h"

namespace winhelper {

std::uint64_t SharedElementNumbering::take_element_number() {
  auto state = shared_.state.lock();
  if (!state) return private_next_++;
  // The numbers are not also kept in the registry's set of handed-out
  // numbers: nothing reads that set, and it would grow with every look for
  // the life of the process.
  return (*state)->windows.next_element_number++;
}

}  // namespace winhelper
