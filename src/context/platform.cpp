#include "context/platform.h"

#include <string>

namespace winhelper {

namespace {

const char* port_name(PlatformPort port) {
  switch (port) {
    case PlatformPort::Input:
      return "Physical input";
    case PlatformPort::Windows:
      return "Window system";
    case PlatformPort::Screen:
      return "Screen capture";
    case PlatformPort::Uia:
      return "UI Automation";
    case PlatformPort::Processes:
      return "Process launching";
    case PlatformPort::Clipboard:
      return "The clipboard";
    case PlatformPort::Commands:
      return "Running commands";
  }
  return "A platform port";
}

}  // namespace

HelperError port_unavailable(PlatformPort port) {
  return internal_error(std::string(port_name(port)) + " is not available");
}

}  // namespace winhelper
