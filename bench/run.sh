#!/bin/bash
# Times the settings editor against the plain Win32 baseline under Wine and prints a summary.
# "floor" is the baseline with the product's manifest; "floor-plain" (no manifest) and
# "floor-nocrt" (no C runtime) show what those cost.
# Usage: bench/run.sh [ROUNDS] [x86|x64]   (default 15 rounds; one warm-up round comes first and
# is not counted; the build this host runs, see tools/wine-host.sh). The floor is built for the
# same bitness. Builds into build-bench/BUILD, uses its wineprefix and its own Xvfb; exits 1 if
# any run showed or stored a wrong value.
# BENCH_DESKTOP=virtual (default) runs in a Wine virtual desktop; BENCH_DESKTOP=x11 puts the
# windows straight on the bare Xvfb screen, where Wine waits about 2 s for a window manager
# that never answers each time a window closes, so OK->exit there is mostly that wait.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
rounds=${1:-15}
arch=${2:-$(tools/wine-host.sh default)}
if ! reason=$(tools/wine-host.sh can "$arch"); then
    echo "bench: the $arch build cannot run here: $reason" >&2
    exit 1
fi
build=$root/build-bench/$arch
wine() { "$root/tools/wine-host.sh" exec "$arch" "$@"; }
wineserver() { "$root/tools/wine-host.sh" server "$arch" "$@"; }

if [ -z "${BENCH_UNDER_XVFB:-}" ]; then
    export BENCH_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" -j2 --target bench >/dev/null

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.bench-prepared" ]; then
    bash tools/prepare-prefix.sh "$arch" "$WINEPREFIX" >/dev/null 2>&1
    touch "$WINEPREFIX/.bench-prepared"
fi

desktop=${BENCH_DESKTOP:-virtual}
wineserver -k 2>/dev/null || true
if [ "$desktop" = virtual ]; then
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
else
    wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
fi
wineserver -w

# One wineserver for the whole run, so no run pays for starting it.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

probe=$build/bench/probe.exe
icon=$(wine winepath -w "$root/res/main.ico" 2>/dev/null | tr -d '\r')
labels=(product floor floor-plain floor-nocrt)
declare -A exe=(
    [product]=$build/HarvexQuadrell.exe
    [floor]=$build/bench/HarvexFloor.exe
    [floor-plain]=$build/bench/HarvexFloorPlain.exe
    [floor-nocrt]=$build/bench/HarvexFloorNoCrt.exe
)
objdump() { "$([ "$arch" = x64 ] && echo x86_64 || echo i686)-w64-mingw32-objdump" "$@"; }
declare -A winexe
for label in "${labels[@]}"; do
    winexe[$label]=$(wine winepath -w "${exe[$label]}" 2>/dev/null | tr -d '\r')
done

results=$build/bench-results.txt
: >"$results"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
failed=0
run_one() {     # label round
    local line
    line=$(wine "$probe" "$1" "${winexe[$1]}" "$2" "$icon" 2>/dev/null | tr -d '\r') || true
    [ -n "$line" ] || line="run label=$1 round=$2 check=FAIL failures=no-output"
    [[ "$line" == *" check=ok"* ]] || failed=1
    echo "$line" >>"$results"
    echo "$line" >&2
}

# Round 0 warms the prefix, the font cache and the page cache; the summary leaves it out.
for round in $(seq 0 "$rounds"); do
    if [ $((round % 2)) -eq 1 ]; then
        order=("${labels[@]}")
    else
        order=(floor-nocrt floor-plain floor product)
    fi
    for label in "${order[@]}"; do
        run_one "$label" "$round"
    done
done

load_after=$(cut -d' ' -f1-3 /proc/loadavg)

echo
echo "== The $arch build: $(tools/wine-host.sh loader "$arch"), $(wine --version 2>/dev/null)"
echo "== Sizes and imports"
for label in "${labels[@]}"; do
    printf '%-12s %8d bytes  %s\n' "$label" "$(stat -c %s "${exe[$label]}")" \
        "$(objdump -p "${exe[$label]}" | awk '/DLL Name/ {printf "%s ", $3}')"
done

python3 - "$results" "${exe[product]}" "$desktop" "$load_before" "$load_after" "$(nproc)" <<'EOF'
import os, statistics, sys

rows = []
for line in open(sys.argv[1]):
    fields = dict(f.split("=", 1) for f in line.split()[1:] if "=" in f)
    rows.append(fields)

bad = [r for r in rows if r.get("check") != "ok"]
runs = [r for r in rows if r.get("check") == "ok" and int(r["round"]) > 0]
labels = ["product", "floor", "floor-plain", "floor-nocrt"]
figures = [("ready_ms", "start->ready ms", 1.10), ("ok_ms", "OK->exit ms", 1.25),
           ("peak_ws_kb", "peak working set KB", 1.05), ("hidden_ms", "OK->dialog hidden ms (values stored)", None)]

def value(label, rnd, key):
    for r in runs:
        if r["label"] == label and int(r["round"]) == rnd:
            return float(r[key])
    return None

rounds = sorted({int(r["round"]) for r in runs})
print(f"\n== {len(rounds)} rounds after one warm-up, desktop {sys.argv[3]}"
      " (median, min-max, IQR as % of median; ratio = median of per-round ratios to floor)")
for key, title, goal in figures:
    print(f"\n{title}")
    for label in labels:
        vals = [v for v in (value(label, n, key) for n in rounds) if v is not None]
        if not vals:
            continue
        med = statistics.median(vals)
        iqr = ""
        if len(vals) >= 4:
            q = statistics.quantiles(vals, n=4)
            iqr = f"  IQR {100 * (q[2] - q[0]) / med:.0f}%"
        line = f"  {label:<12} {med:9.1f}  ({min(vals):.1f}-{max(vals):.1f}){iqr}"
        floor_vals = [v for v in (value("floor", n, key) for n in rounds) if v is not None]
        if label != "floor" and floor_vals:
            line += f"  best/best {min(vals) / min(floor_vals):.2f}x"
        if label != "floor":
            ratios = [value(label, n, key) / value("floor", n, key) for n in rounds
                      if value(label, n, key) is not None and value("floor", n, key)]
            if ratios:
                line += f"  ratio {statistics.median(ratios):.2f}x ({min(ratios):.2f}-{max(ratios):.2f})"
                if label == "product" and goal:
                    verdict = "meets" if statistics.median(ratios) <= goal else "misses"
                    line += f"  goal <={goal:.2f}x: {verdict}"
        print(line)

print(f"\nload average (1/5/15 min) before {sys.argv[4]}, after {sys.argv[5]}, on {sys.argv[6]} CPUs")
size = os.path.getsize(sys.argv[2])
print(f"\nproduct exe {size} bytes; goal <=65536 stripped: {'meets' if size <= 65536 else 'misses'}")
print(f"value checks: {len(rows) - len(bad)} ok, {len(bad)} failed")
for r in bad:
    print(f"  FAIL {r.get('label')} round {r.get('round')}: {r.get('failures', '')}")
print(f"raw lines: {sys.argv[1]}")
EOF

exit $failed
