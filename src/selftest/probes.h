#pragma once
// What the self-test's checks ask of the system: the Win32 answers are in
// win32/probes_win32.cpp, the tests' in the test itself. The ports are the
// helper's own (UI Automation client, window system, clipboard), so the
// checks run the code that ships; the rest are the few facts only a direct
// call can give.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clipboard/clipboard.h"
#include "common/clock.h"
#include "common/result.h"
#include "selftest/self_test.h"
#include "uia/uia_port.h"
#include "windows/window_system.h"

namespace winhelper::selftest {

// A process the self-test started. Destroying it closes nothing: the caller
// ends it (test_app.h), and destruction only lets go of the handle.
class StartedProcess {
 public:
  virtual ~StartedProcess() = default;
  virtual std::uint32_t pid() = 0;
  // Waits up to `ms` for the process to end; true when it has.
  virtual bool wait_exit(std::int64_t ms) = 0;
  virtual void terminate() = 0;
};

// Why a process did not start: the program is not there, or it failed.
struct StartFailure {
  bool missing = false;
  std::string text;
};

// One Winsock connection's blocked receive, ended by shutting down a
// duplicate of the connection's socket (the HTTP front's SocketHold).
struct SocketShutdown {
  std::string failure;  // why the connection or its duplicate could not be made
  bool returned = false;  // the blocked receive returned within the wait
  double ms = 0;  // from the shutdown to its return
};

// The access list of a file written as the token file is.
struct FileAcl {
  struct Entry {
    bool allow = true;
    std::string sid;  // "S-1-5-21-…"
    std::uint32_t mask = 0;
  };
  std::string failure;  // why the file could not be written or read
  bool is_protected = false;  // inherits nothing from its folder
  std::vector<Entry> entries;
  std::string user_sid;  // the process's user
};

class Probes {
 public:
  virtual ~Probes() = default;
  virtual Machine machine() = 0;
  // 0 when the input desktop opens for reading (OpenInputDesktop with
  // DESKTOP_READOBJECTS), else the system's error code.
  virtual std::uint32_t open_input_desktop() = 0;
  // Microseconds for `count` rounds of reserving and committing `bytes` of
  // fresh pages, touching each page and releasing them, as the helper does
  // for every block of 64 KiB and more; nullopt when pages could not be had.
  virtual std::optional<double> large_block_rounds_us(std::size_t bytes, int count) = 0;
  // Monotonic microseconds, for timing work done here.
  virtual double now_us() = 0;

  // The helper's own adapters.
  virtual Clock& clock() = 0;
  virtual uia::UiaClient& uia() = 0;
  virtual WindowSystem& windows() = 0;
  virtual Clipboard& clipboard() = 0;

  // Starts the test application shipped beside the self-test with these
  // arguments (UTF-8).
  virtual Result<std::unique_ptr<StartedProcess>, StartFailure> start_test_app(
      const std::vector<std::string>& args) = 0;
  // Posts a key press (WM_KEYDOWN) to the window's queue, as its thread
  // would take it from the keyboard.
  virtual void post_key(WindowHandle window, std::uint32_t virtual_key) = 0;
  virtual SocketShutdown socket_shutdown(std::int64_t wait_ms) = 0;
  // Writes a file in a fresh folder under the temporary folder as the
  // token file is written, reads its access list, and deletes both.
  virtual FileAcl private_file_acl() = 0;
  // What the self-test's own files and processes still hold: one line each
  // for a file not deleted or a started process still running.
  virtual std::vector<std::string> leftovers() = 0;
};

}  // namespace winhelper::selftest
