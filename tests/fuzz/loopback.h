#pragma once
// One exchange with a server on 127.0.0.1 over a fresh connection.

#include <string>

namespace winhelper::fuzz {

// Sends `bytes`, then reads: until the connection closes when `until_close`
// (the sending side is shut first), else until the end of the headers.
// Each read waits at most 10 s. Empty when nothing came back; then `failure`,
// when given, holds the errno of the connect or read that failed (0: the
// server closed without a word).
std::string loopback_exchange(int port, const std::string& bytes, bool until_close,
                              int* failure = nullptr);

}  // namespace winhelper::fuzz
