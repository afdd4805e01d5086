// winhelper.exe: the line protocol over standard input and output. Its one
// argument, --version, prints the version and exits; any other is ignored, as
// the host starts it with none.

#include <cstdio>
#include <string_view>

#include "app/win32/win32_wiring.h"
#include "common/version.h"
#include "service/service.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::printf("winhelper %.*s\n", static_cast<int>(winhelper::version().size()),
                winhelper::version().data());
    return 0;
  }
  return winhelper::run_on_windows(
      [](winhelper::ByteInput& input, winhelper::ByteOutput& output,
         winhelper::Dispatcher& dispatcher) { winhelper::run_service(input, output, dispatcher); });
}
