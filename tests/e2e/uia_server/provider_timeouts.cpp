#include "provider_timeouts.h"

#include <cstdint>
#include <string>

#include "call_log.h"
#include "com_object.h"

namespace uia_server {
namespace {

// Both timeouts in one thread-local slot of the system's own (the low and high 32 bits).
// Not C++ thread_local: in this statically linked DLL that goes through its own copy of the
// threads library, which gives every helper thread that touches it a duplicated thread
// handle and events of its own.
DWORD slot() {
  static const DWORD index = TlsAlloc();
  return index;
}

std::uint64_t both() {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(TlsGetValue(slot())));
}

void store(std::uint64_t value) {
  TlsSetValue(slot(), reinterpret_cast<void*>(static_cast<std::uintptr_t>(value)));
}

}  // namespace

void start_thread_timeouts() { store(0); }
void set_connection_timeout(DWORD ms) { store((both() & 0xFFFFFFFF00000000ull) | ms); }
void set_transaction_timeout(DWORD ms) {
  store((both() & 0xFFFFFFFFull) | (static_cast<std::uint64_t>(ms) << 32));
}
DWORD connection_timeout() { return static_cast<DWORD>(both() & 0xFFFFFFFFull); }
DWORD transaction_timeout() { return static_cast<DWORD>(both() >> 32); }

HRESULT reach(const Node& node, bool connection) {
  if (!alive(node)) return element_gone();
  DWORD limit = connection ? connection_timeout() : transaction_timeout();
  if (limit == 0) {
    // No timeout set: the call waits for the provider.
    SendMessageW(node.window, WM_NULL, 0, 0);
    return S_OK;
  }
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(node.window, WM_NULL, 0, 0, SMTO_BLOCK, limit, &answer) != 0) {
    return S_OK;
  }
  if (!alive(node)) return element_gone();
  count_timed_out_call();
  return fail(kTimeout, L"The provider did not answer within " + std::to_wstring(limit) +
                            (connection ? L" ms (connection timeout)" : L" ms (transaction timeout)"));
}

}  // namespace uia_server
