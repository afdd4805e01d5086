// winhelper.exe: the line protocol over standard input and output.

#include "app/win32/win32_wiring.h"
#include "service/service.h"

int main() {
  return winhelper::run_on_windows(
      [](winhelper::ByteInput& input, winhelper::ByteOutput& output,
         winhelper::Dispatcher& dispatcher) { winhelper::run_service(input, output, dispatcher); });
}
