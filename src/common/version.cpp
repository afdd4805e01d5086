#include "common/version.h"

#include "version_text.h"

namespace winhelper {

std::string_view version() { return WINHELPER_VERSION_TEXT; }

}  // namespace winhelper
