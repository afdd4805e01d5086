#!/usr/bin/env bash
# Runs the official MCP conformance suite (pinned by package-lock.json) against
# the MCP server over HTTP on the fake desktop (natively, --no-auth on
# loopback): the server scenarios that apply to a server with these tools,
# each against the one server, as a client would meet it after others.
# docs/remote.md lists the others and why they do not apply.
# Usage: tests/conformance/run_conformance.sh <winhelper_mcp_fake>
set -euo pipefail
server_binary=$1
here="$(cd "$(dirname "$0")" && pwd)"
scenarios=(server-initialize ping tools-list server-sse-multiple-streams dns-rebinding-protection)

if [ ! -f "$here/node_modules/.package-lock.json" ] ||
   [ "$here/package-lock.json" -nt "$here/node_modules/.package-lock.json" ]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi

# The suite needs Node 22; the lockfile pins it as the node package.
export PATH="$here/node_modules/.bin:$PATH"

port=$((20000 + RANDOM % 20000))
"$server_binary" --http "127.0.0.1:$port" --no-auth 2>"$here/../../build/conformance-server.log" &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  grep -q "serving MCP at" "$here/../../build/conformance-server.log" 2>/dev/null && break
  sleep 0.1
done

failed=0
for scenario in "${scenarios[@]}"; do
  out=$(cd "$here" && npx --no-install conformance server --url "http://127.0.0.1:$port/mcp" \
          --scenario "$scenario" 2>&1) || true
  if grep -qE "Passed: ([0-9]+)/\1, 0 failed" <<<"$out"; then
    echo "conformance: $scenario passed"
  else
    echo "conformance: $scenario FAILED"
    echo "$out" | tail -n 20
    failed=1
  fi
done
exit "$failed"
