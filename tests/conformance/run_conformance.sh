#!/usr/bin/env bash
# Runs the official MCP conformance suites (pinned by package-lock.json)
# against the MCP server over HTTP on the fake desktop (natively, --no-auth on
# loopback), all against the one server, as a client would meet it after
# others: 0.1.16 for the 2025-11-25 sessions, 0.2.0-alpha.12 (installed as
# conformance-modern) for the stateless 2026-07-28 requests. Only the server
# scenarios that apply to a server with these tools run; docs/remote.md lists
# the others and why they do not apply.
# Usage: tests/conformance/run_conformance.sh <winhelper_mcp_fake>
set -euo pipefail
server_binary=$1
here="$(cd "$(dirname "$0")" && pwd)"
legacy_scenarios=(server-initialize ping tools-list server-sse-multiple-streams dns-rebinding-protection)
# The newer suite, at the wire version given before each scenario: the
# stateless scenarios, and one for sessions that 0.1.16 does not have.
newer_runs=("2026-07-28 server-stateless" "2026-07-28 tools-list" "2026-07-28 server-sse-multiple-streams"
            "2026-07-28 dns-rebinding-protection" "2026-07-28 caching" "2026-07-28 http-header-validation"
            "2026-07-28 input-required-result-unsupported-methods" "2025-11-25 server-session-lifecycle")

# Checks of the stateless scenarios that need what a tools-only server lacks (the
# suite's diagnostic tools, prompts, resources). Each may fail only because
# of that, so the server must give instead the refusal named here, which
# refusal.mjs checks: "method M" is 404 with -32601 over HTTP, "tool T" an
# error answer that echoes the request's id.
declare -A exempt=(
  [server-stateless/sep-2575-server-rejects-undeclared-capability]="tool test_missing_capability"
  [server-stateless/sep-2575-missing-capability-http-400]="tool test_missing_capability"
  [server-stateless/sep-2575-http-server-no-independent-requests-on-stream]="tool test_streaming_elicitation"
  [server-stateless/sep-2575-server-no-log-without-loglevel]="tool test_logging_tool"
  [caching/sep-2549-prompts-list-caching-hints]="method prompts/list"
  [caching/sep-2549-resources-list-caching-hints]="method resources/list"
  [caching/sep-2549-resources-templates-list-caching-hints]="method resources/templates/list"
)

if [ ! -f "$here/node_modules/.package-lock.json" ] ||
   [ "$here/package-lock.json" -nt "$here/node_modules/.package-lock.json" ]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi

# The suites need Node 22; the lockfile pins it as the node package.
export PATH="$here/node_modules/.bin:$PATH"
legacy_cli="$here/node_modules/@modelcontextprotocol/conformance/dist/index.js"
modern_cli="$here/node_modules/conformance-modern/dist/index.js"

log="$here/../../build/conformance-server.log"
results=$(mktemp -d)
port=$((20000 + RANDOM % 20000))
url="http://127.0.0.1:$port/mcp"
"$server_binary" --http "127.0.0.1:$port" --no-auth 2>"$log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -rf "$results"' EXIT
for _ in $(seq 100); do
  grep -q "serving MCP at" "$log" 2>/dev/null && break
  sleep 0.1
done

failed=0
fail() {
  echo "conformance: $1 FAILED"
  [ -z "${2:-}" ] || echo "$2" | tail -n 20
  failed=1
}

for scenario in "${legacy_scenarios[@]}"; do
  out=$(cd "$here" && node "$legacy_cli" server --url "$url" --scenario "$scenario" 2>&1) || true
  if grep -qE "Passed: ([0-9]+)/\1, 0 failed" <<<"$out"; then
    echo "conformance 2025-11-25: $scenario passed"
  else
    fail "2025-11-25 $scenario" "$out"
  fi
done

for run in "${newer_runs[@]}"; do
  read -r version scenario <<<"$run"
  out=$(cd "$here" && node "$modern_cli" server --url "$url" --scenario "$scenario" \
          --spec-version "$version" -o "$results/$scenario" 2>&1) || true
  # One line a check: its status, id and error message.
  checks=$(node -e '
    const fs = require("fs"), path = require("path");
    for (const dir of fs.readdirSync(process.argv[1])) {
      for (const c of JSON.parse(fs.readFileSync(path.join(process.argv[1], dir, "checks.json")))) {
        console.log(`${c.status} ${c.id} ${(c.errorMessage ?? "").replace(/\s+/g, " ")}`);
      }
    }' "$results/$scenario" 2>/dev/null) || checks=""
  if ! grep -q "^SUCCESS " <<<"$checks"; then
    fail "$version $scenario (no check passed)" "$out"
    continue
  fi
  unexplained=""
  exempted=0
  while read -r id message; do
    if [ -n "${exempt[$scenario/$id]:-}" ]; then
      exempted=$((exempted + 1))
    else
      unexplained+="  $id: $message"$'\n'
    fi
  done < <(sed -n 's/^FAILURE //p' <<<"$checks")
  if [ -z "$unexplained" ]; then
    echo "conformance $version: $scenario passed ($exempted exempt checks failed)"
  else
    fail "$version $scenario" "$unexplained"
  fi
done

# The refusals that the exempt checks stand on, each once.
while read -r refusal; do
  [ -n "$refusal" ] || continue
  # shellcheck disable=SC2086 # "method M" / "tool T" splits into its two words
  if node "$here/refusal.mjs" "$url" $refusal; then
    echo "conformance: the refusal of $refusal holds"
  else
    fail "refusal of $refusal"
  fi
done < <(printf '%s\n' "${exempt[@]}" | sort -u)
exit "$failed"
