#include "provider_timeouts.h"

#include <string>

#include "call_log.h"
#include "com_object.h"

namespace uia_server {
namespace {

struct Timeouts {
  DWORD connection = 0;
  DWORD transaction = 0;
};

thread_local Timeouts current;

}  // namespace

void start_thread_timeouts() { current = Timeouts{}; }
void set_connection_timeout(DWORD ms) { current.connection = ms; }
void set_transaction_timeout(DWORD ms) { current.transaction = ms; }
DWORD connection_timeout() { return current.connection; }
DWORD transaction_timeout() { return current.transaction; }

HRESULT reach(const Node& node, bool connection) {
  if (!alive(node)) return element_gone();
  DWORD limit = connection ? current.connection : current.transaction;
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
