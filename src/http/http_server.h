#pragma once
// `winhelper-mcp --http`: resolves the security settings, binds, and serves
// until the process ends. Every line it prints goes to `log`.

#include <functional>
#include <string>

#include "http/http_arguments.h"
#include "mcp/server.h"
#include "service/dispatcher.h"

namespace winhelper::mcp {

// The process exit code: 2 when the settings are refused or the address
// cannot be bound, 0 after a stop.
int run_mcp_http_server(Dispatcher& dispatcher, const HttpArguments& args,
                        const TokenEnvironment& environment, const ServerOptions& options);

}  // namespace winhelper::mcp
