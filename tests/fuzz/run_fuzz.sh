#!/usr/bin/env bash
# Runs the request fuzzer for a bounded time: builds it with the asan preset
# (clang, address and undefined-behaviour sanitizers, the same build as the
# sanitized unit tests) when needed, then feeds
# it a scratch copy of the seed corpus, so the committed corpus is never
# written. Fails on a crash, a sanitizer report, a leak, an input that runs
# longer than 10 s, or memory above 2 GB; the offending input is kept under
# build/asan/findings/.
#
# Usage: tests/fuzz/run_fuzz.sh [seconds] [http]   (default 60; "http" runs
# the HTTP front's fuzzer with its own corpus instead of the request fuzzer)
set -euo pipefail
seconds=${1:-60}
target=winhelper_fuzz corpus=corpus dict=(-dict=tests/fuzz/request.dict)
if [ "${2:-}" = http ]; then target=winhelper_http_fuzz corpus=http_corpus dict=(); fi
cd "$(dirname "$0")/../.."
root=$PWD

cmake --preset asan >/dev/null
cmake --build --preset asan -j2 --target "$target"

work=$(mktemp -d "${TMPDIR:-/tmp}/winhelper-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts"
cp "$root/tests/fuzz/$corpus"/* "$work/corpus/"

status=0
"$root/build/asan/tests/$target" "$work/corpus" "${dict[@]}" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1 || status=$?

if [ "$status" -ne 0 ]; then
  mkdir -p "$root/build/asan/findings"
  cp "$work"/artifacts/* "$root/build/asan/findings/" 2>/dev/null || true
  echo "run_fuzz: failed (exit $status); inputs kept in build/asan/findings/" >&2
  echo "run_fuzz: reproduce with build/asan/tests/$target <input>" >&2
  exit "$status"
fi
echo "run_fuzz: ${seconds} s without a fault"
