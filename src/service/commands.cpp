#include "service/diagnostics.h"
#include "service/dispatcher.h"

namespace winhelper {

void register_commands(Dispatcher& dispatcher) {
  dispatcher.add("diagnostics", diagnostics_command);
}

}  // namespace winhelper
