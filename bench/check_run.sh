#!/usr/bin/env bash
# Prints what a whole "-check" run costs on the simulated host: its time against starting a
# process that does nothing (/bin/true), measured in the same run, and its peak memory.
# Under Wine (when the Windows executable and Wine are present) it also sets a "-check" run of
# TessivMemoryChecker.exe against Wine's own wmic answering the same two queries.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-200}
build=${BUILD:-/tmp/build-bench-check}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSIV_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target TessivMemoryChecker >/dev/null
checker="$build/TessivMemoryChecker"

python3 - "$checker" "$runs" <<'PY'
import os, subprocess, sys, time
checker, runs = sys.argv[1], int(sys.argv[2])
env = {k: v for k, v in os.environ.items() if not k.startswith("TESSIV_")}

def median_seconds(command):
    samples = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       stdin=subprocess.DEVNULL, env=env, check=False)
        samples.append(time.perf_counter() - start)
    samples.sort()
    return samples[len(samples) // 2]

# Interleave the two so that a change of load on the machine touches both alike.
true_a = median_seconds(["/bin/true"])
check = median_seconds([checker, "-check"])
true_b = median_seconds(["/bin/true"])
baseline = (true_a + true_b) / 2
print(f"runs each:                       {runs}")
print(f"/bin/true, median:               {baseline * 1000:.3f} ms")
print(f"TessivMemoryChecker -check:      {check * 1000:.3f} ms")
print(f"ratio (goal: at most 1.5):       {check / baseline:.2f}")

# A fresh process of its own, so that no earlier child's peak is counted.
peak_kb = subprocess.run(["/usr/bin/time", "-f", "%M", checker, "-check"], env=env,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True).stderr
print(f"peak resident memory of a run:   {int(peak_kb.split()[-1]) / 1024:.2f} MB (goal: under 4 MB)")
PY

. tools/windows/wine-env.sh
if tessiv_wine_prefix >/dev/null 2>&1 &&
  exe=${WINDOWS_EXE:-build/windows-$TESSIV_WINE_ARCH/TessivMemoryChecker.exe} && [ -f "$exe" ]; then
  trap tessiv_wine_cleanup EXIT
  python3 - "$exe" "$TESSIV_WINE" <<'PY'
import subprocess, sys, time
exe, wine = sys.argv[1], sys.argv[2]
def median_seconds(command, runs=10):
    samples = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       stdin=subprocess.DEVNULL, check=False)
        samples.append(time.perf_counter() - start)
    samples.sort()
    return samples[len(samples) // 2]
wmic = median_seconds(["sh", "-c",
    f"{wine} wmic path Win32_DeviceMemoryAddress get StartingAddress && "
    f"{wine} wmic path Win32_PhysicalMemory get Capacity,MemoryType"])
check = median_seconds([wine, exe, "-check"])
print(f"under Wine, wmic with both queries: {wmic * 1000:.1f} ms")
print(f"under Wine, TessivMemoryChecker.exe -check: {check * 1000:.1f} ms (goal: no slower)")
PY
else
  echo "under Wine: skipped (no usable Wine, or no Windows build: run tools/windows/test-windows.sh)"
fi
