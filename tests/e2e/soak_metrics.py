"""Resource samples of the helper process during a soak run, and the verdict on whether
any of them grew.

Two views of the same process are taken at every sample:
- Windows' view through tests/e2e/procstat (procstat.exe <pid>): handles counted in the
  system handle table, split by object type, and threads;
- Linux's view of the Wine process that runs it (/proc/<pid>): resident and data memory,
  open file descriptors, threads.

Wine answers 0 for a process's private bytes and GDI/USER object counts, so memory comes
from /proc; on Windows the procstat figures would serve alone.
"""

import json
import os
import statistics
import subprocess
import time

# What each count may grow by between the first and the last third of the samples taken
# after the warm-up (their maxima): a leak of one handle per iteration passes these within
# the first minute.
COUNT_LIMITS = {
    "handles": 16,
    "threads": 4,
    "fds": 16,
}
# Memory is judged by its rate: the slope of a least-squares line through the samples after
# the warm-up, in KB per iteration. Comparing thirds lets a slow leak pass a short run; a
# line over every sample does not, while one heap step (64 to 256 KB) moves it little.
MEMORY = ("rssKb", "dataKb")
SLOPE_LIMIT_KB = 1.0


class SampleError(Exception):
    pass


def _proc_status(unix_pid):
    values = {}
    with open("/proc/%d/status" % unix_pid) as status:
        for line in status:
            name, _, rest = line.partition(":")
            if name in ("VmRSS", "VmHWM", "VmData", "Threads"):
                values[name] = int(rest.split()[0])
    return values


def windows_view(procstat_exe, windows_pid):
    """procstat's figures for a process: handles (with handleTypes), threads, and so on."""
    result = subprocess.run(["wine", procstat_exe, str(windows_pid)], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=60)
    try:
        view = json.loads(result.stdout.strip().splitlines()[-1])
    except (ValueError, IndexError):
        raise SampleError("procstat printed %r (exit %d): %s"
                          % (result.stdout, result.returncode, result.stderr.strip()))
    if "error" in view:
        raise SampleError("procstat: %s" % view["error"])
    return view


def sample(procstat_exe, windows_pid, unix_pid, started, iteration, requests):
    """One sample of the helper's resources, tagged with the run's progress."""
    # Under a loaded machine procstat now and then prints nothing; a sample is worth a retry,
    # not the run.
    for attempt in range(3):
        try:
            windows = windows_view(procstat_exe, windows_pid)
            break
        except (SampleError, subprocess.TimeoutExpired):
            if attempt == 2:
                raise
            time.sleep(1)
    status = _proc_status(unix_pid)
    return {
        "seconds": round(time.monotonic() - started, 1),
        "iteration": iteration,
        "requests": requests,
        "handles": windows["handles"],
        "handleTypes": windows["handleTypes"],
        "threads": windows["threads"],
        "linuxThreads": status["Threads"],
        "fds": len(os.listdir("/proc/%d/fd" % unix_pid)),
        "rssKb": status["VmRSS"],
        "peakRssKb": status["VmHWM"],
        "dataKb": status["VmData"],
    }


def _growth(first, last, metric):
    if metric in MEMORY:
        return statistics.median(s[metric] for s in last) - statistics.median(s[metric]
                                                                              for s in first)
    return max(s[metric] for s in last) - max(s[metric] for s in first)


def slope(samples, x, y):
    """The least-squares slope of `y` over `x` through the samples (0 when x never moves)."""
    xs = [s[x] for s in samples]
    ys = [s[y] for s in samples]
    mean_x, mean_y = statistics.fmean(xs), statistics.fmean(ys)
    spread = sum((v - mean_x) ** 2 for v in xs)
    if spread == 0:
        return 0.0
    return sum((a - mean_x) * (b - mean_y) for a, b in zip(xs, ys)) / spread


def _type_growth(first, last):
    """Handle types whose largest count grew, with the growth: names what leaks."""
    types = set()
    for s in first + last:
        types.update(s["handleTypes"])
    grown = {}
    for kind in sorted(types):
        before = max(s["handleTypes"].get(kind, 0) for s in first)
        after = max(s["handleTypes"].get(kind, 0) for s in last)
        if after > before:
            grown[kind] = after - before
    return grown


def verdict(samples, warmup_seconds):
    """{"ok", "growth", "slopes", "limits", "handleTypeGrowth", "perIteration", "reason"} for
    the samples taken after the warm-up; needs at least six of them."""
    steady = [s for s in samples if s["seconds"] >= warmup_seconds]
    if len(steady) < 6:
        return {"ok": False, "reason": "only %d samples after the warm-up; need 6" % len(steady)}
    third = len(steady) // 3
    first, last = steady[:third], steady[-third:]
    growth = {metric: _growth(first, last, metric) for metric in tuple(COUNT_LIMITS) + MEMORY}
    slopes = {m: round(slope(steady, "iteration", m), 3) for m in MEMORY}
    per_request = {m: round(slope(steady, "requests", m), 3) for m in MEMORY}
    over = [m for m, limit in COUNT_LIMITS.items() if growth[m] > limit]
    over += ["%s (%.2f KB per iteration)" % (m, slopes[m]) for m in MEMORY
             if slopes[m] > SLOPE_LIMIT_KB]
    iterations = max(1, steady[-1]["iteration"] - steady[0]["iteration"])
    return {
        "ok": not over,
        "growth": growth,
        "slopes": {"kbPerIteration": slopes, "kbPerRequest": per_request},
        "limits": dict(COUNT_LIMITS, kbPerIteration=SLOPE_LIMIT_KB),
        "handleTypeGrowth": _type_growth(first, last),
        "perIteration": {m: round((steady[-1][m] - steady[0][m]) / iterations, 2)
                         for m in tuple(COUNT_LIMITS) + MEMORY},
        "reason": "grew beyond the limit: %s" % ", ".join(over) if over else "",
    }


def table(samples):
    """The samples as aligned text lines for the run's log."""
    columns = ("seconds", "iteration", "requests", "handles", "threads", "linuxThreads", "fds",
               "rssKb", "peakRssKb", "dataKb")
    lines = ["  ".join("%12s" % c for c in columns)]
    for s in samples:
        lines.append("  ".join("%12s" % s[c] for c in columns))
    return lines
