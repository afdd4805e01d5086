#include "fuzz/fuzz_platform.h"

namespace winhelper::fuzz {

FuzzPlatform::FuzzPlatform()
    : platform_{clock_, kProcessId}, dispatcher_(CommandContext{platform_, shared_}) {
  platform_.input = &input_;
  register_commands(dispatcher_);
}

}  // namespace winhelper::fuzz
