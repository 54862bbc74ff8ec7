#!/usr/bin/env bash
# Builds the benchmarks (build-bench/, Release), runs every one and prints one table:
# - one tick of the refresh, 12 axes on 4 boards, on a card that answers from a table, offscreen:
#   time (Google Benchmark) and instructions (callgrind, ticks run less none run, divided by the ticks);
# - the real readout on the simulated boards (12 channels, 4 boards) against an empty Qt main window,
#   under Xvfb: start-up to the first frame, resident memory 2 s after the start, processor time over
#   30 s of live refresh; start-up and memory also against a window with a menu, a label and a button,
#   processor time also against that window changing its label every 250 ms.
# The targets are ratios to the label window measured in the same run: live on-CPU time at most 3.0 (a guard
# against a regression of a third or more; bench/README.md has the ratios measured), first frame at most
# 1.3, resident memory at most 1.1. Takes about three and a half minutes after the build.
# bench/README.md says what each figure is.
set -euo pipefail
shopt -s inherit_errexit
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

readonly kRuns=5          # start-ups of each program
readonly kTicks=100       # ticks counted under callgrind
readonly kCpuFromMs=2000  # the processor time is taken from here...
readonly kCpuToMs=32000   # ...to here, 30 s
readonly kFirstPaintWait=8 # s for a start-up under callgrind to reach its first paint
readonly kReadoutTitle="Orvane001 - Digital Readout (simulated boards)"
readonly kEmptyTitle="Empty Window"
readonly kLabelTitle="Label Window"

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# The value of key $1 in the probe's "key=value ..." lines on standard input, one a line.
field() { tr ' ' '\n' | sed -n "s/^$1=//p"; }

# The part that needs an X server: run by this script under Xvfb.
if [ "${1:-}" = "--on-display" ]; then
    bin=$2 out=$3
    export QT_QPA_PLATFORM=xcb
    # shellcheck disable=SC2054 # the commas belong to the list of types
    readout_env=(ENCODER_SIM_CHANNELS=12 ENCODER_SIM_BOARDS=4 ENCODER_SIM_TYPES=0,0,0,1,1,1,0,0,0,1,1,1)
    readout=(env "${readout_env[@]}" "$bin/orvane-readout")
    for _ in $(seq "$kRuns"); do
        "$bin/frame_probe" --title "$kEmptyTitle" --rss-at 2000 -- "$bin/empty_window" >>"$out/start-empty.txt"
        "$bin/frame_probe" --title "$kLabelTitle" --rss-at 2000 -- "$bin/label_window" >>"$out/start-label.txt"
        "$bin/frame_probe" --title "$kReadoutTitle" --rss-at 2000 -- "${readout[@]}" >>"$out/start-readout.txt"
    done
    # Instructions to the end of the first paint, which the times above carry with the machine's noise:
    # callgrind writes a profile at the end of each paint; the first one counts from the start on.
    first_paint() { # COMMAND...
        "$@" >/dev/null 2>&1 &
        sleep "$kFirstPaintWait"
        kill -TERM $! && wait $! || true
    }
    callgrind=(valgrind --tool=callgrind --dump-after='QWidgetRepaintManager::paintAndFlush()')
    first_paint "${callgrind[@]}" --callgrind-out-file="$out/first.label" "$bin/label_window"
    first_paint env "${readout_env[@]}" "${callgrind[@]}" --callgrind-out-file="$out/first.readout" \
        "$bin/orvane-readout"
    # All at once: the same 30 s, the readout refreshing, the empty window idling, the label changing.
    "$bin/frame_probe" --title "$kEmptyTitle" --cpu-from "$kCpuFromMs" --cpu-to "$kCpuToMs" -- \
        "$bin/empty_window" >"$out/cpu-empty.txt" &
    empty=$!
    "$bin/frame_probe" --title "$kLabelTitle" --cpu-from "$kCpuFromMs" --cpu-to "$kCpuToMs" -- \
        "$bin/label_window" --tick >"$out/cpu-label.txt" &
    label=$!
    "$bin/frame_probe" --title "$kReadoutTitle" --cpu-from "$kCpuFromMs" --cpu-to "$kCpuToMs" -- \
        "${readout[@]}" >"$out/cpu-readout.txt"
    wait "$empty" "$label"
    exit 0
fi

readout_install_missing "${readout_packages[@]}" libbenchmark-dev valgrind libxcb1-dev libxcb-damage0-dev
build="$READOUT_ROOT/build-bench"
cmake -S "$READOUT_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DREADOUT_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target readout_bench
bin="$build/bin"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
load=$(cut -d' ' -f1-3 /proc/loadavg)
# The readout saves its profile when it ends: into a folder of its own, never the user's.
export XDG_CONFIG_HOME="$out/config"
export XDG_RUNTIME_DIR="$out/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_HASH_SEED=0

echo "Timing one tick (Google Benchmark, offscreen)..."
QT_QPA_PLATFORM=offscreen "$bin/bench_refresh" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv >"$out/refresh.csv" 2>"$out/refresh.err" || { cat "$out/refresh.err" >&2; exit 1; }
# Column $col of the median row of benchmark $1.
bm() { awk -F, -v name="\"$1_median\"" -v col="$2" '$1 == name { print $col }' "$out/refresh.csv"; }

echo "Counting instructions per tick (callgrind, $kTicks ticks against none)..."
instructions() {
    QT_QPA_PLATFORM=offscreen valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.$1.$2" \
        "$bin/bench_ticks" "$1" "$2" >"$out/ticks.$1.$2" 2>"$out/callgrind.$1.$2.err" ||
        { cat "$out/callgrind.$1.$2.err" >&2; exit 1; }
    sed -n 's/^summary: *//p' "$out/callgrind.$1.$2"
}
base=$(instructions 0 moving)
per_tick() {
    local total
    total=$(instructions "$kTicks" "$1")
    echo $(((total - base) / kTicks))
}
ir_moving=$(per_tick moving)
ir_still=$(per_tick still)
paints() { awk -v n="$(field paints <"$out/ticks.$kTicks.$1")" -v t="$kTicks" 'BEGIN { printf "%g", n / t }'; }
paints_moving=$(paints moving)
paints_still=$(paints still)
reads_tick=$(awk -v n="$(field reads <"$out/ticks.$kTicks.moving")" -v t="$kTicks" 'BEGIN { printf "%g", n / t }')

echo "Starting the readout and the two other windows under Xvfb (about a minute and a half)..."
readout_xvfb bash "${BASH_SOURCE[0]}" --on-display "$bin" "$out"

frame_readout=$(field frame_ms <"$out/start-readout.txt" | median)
frame_empty=$(field frame_ms <"$out/start-empty.txt" | median)
frame_label=$(field frame_ms <"$out/start-label.txt" | median)
map_readout=$(field mapped_ms <"$out/start-readout.txt" | median)
map_empty=$(field mapped_ms <"$out/start-empty.txt" | median)
rss_readout=$(field rss_kb <"$out/start-readout.txt" | median)
rss_empty=$(field rss_kb <"$out/start-empty.txt" | median)
rss_label=$(field rss_kb <"$out/start-label.txt" | median)
first_paint() { sed -n 's/^summary: *//p' "$out/first.$1.1"; }
first_readout=$(first_paint readout)
first_label=$(first_paint label)
cpu_readout=$(field cpu_ms <"$out/cpu-readout.txt")
cpu_empty=$(field cpu_ms <"$out/cpu-empty.txt")
cpu_label=$(field cpu_ms <"$out/cpu-label.txt")
run_label=$(field run_ms <"$out/cpu-label.txt")
run_readout=$(field run_ms <"$out/cpu-readout.txt")
run_empty=$(field run_ms <"$out/cpu-empty.txt")
span=$(( kCpuToMs - kCpuFromMs ))

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
us() { awk -v v="$1" 'BEGIN { printf "%.1f us", v }'; }
of_period() { awk -v v="$1" 'BEGIN { printf "%.3f %%", 100 * v / 250000 }'; }
of_core() { awk -v ms="$1" -v span="$span" 'BEGIN { printf "%.2f %% of a core", 100 * ms / span }'; }
mib() { awk -v kb="$1" 'BEGIN { printf "%.1f MiB", kb / 1024 }'; }
# The target column: "<= LIMIT", and whether ratio $1 meets it.
target() { awk -v r="$1" -v t="$2" 'BEGIN { printf "<= %s: %s", t, (r != "n/a" && r + 0 <= t + 0) ? "met" : "NOT MET" }'; }
# utime + stime count 10 ms clock ticks: a baseline of none is less than one tick.
cpu_ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", a / b; else printf "> %.0f", a / 10 }'; }

tick_moving=$(bm BM_Tick/moving:1 4)
tick_still=$(bm BM_Tick/moving:0 4)
refresh_moving=$(bm BM_Refresh/moving:1 4)
refresh_still=$(bm BM_Refresh/moving:0 4)

echo
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)," \
    "Debian $(cat /etc/debian_version), Qt $(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null | cut -d+ -f1)," \
    "load average $load at the start"
echo
row() { printf '| %-62s | %-24s | %-30s | %-7s | %-22s |\n' "$@"; }
row "Figure" "Readout" "Against" "Ratio" "Target"
row "---" "---" "---" "---" "---"
row "One tick, values moving: refresh and repaint, CPU time" "$(us "$tick_moving")" "the 250 ms period" \
    "$(of_period "$tick_moving")" "-"
row "One tick, values still: refresh and repaint, CPU time" "$(us "$tick_still")" "the 250 ms period" \
    "$(of_period "$tick_still")" "-"
row "Refresh alone (registers read, texts set), values moving" "$(us "$refresh_moving")" \
    "values still: $(us "$refresh_still")" "$(ratio "$refresh_moving" "$refresh_still")" "-"
row "One tick, values moving: instructions (callgrind)" "$ir_moving" "values still: $ir_still" \
    "$(ratio "$ir_moving" "$ir_still")" "-"
row "Register reads per tick (12 axes, 4 boards)" "$reads_tick" "-" "-" "104"
row "Widgets repainted per tick, values moving" "$paints_moving" "values still: $paints_still" "-" "-"
row "Start-up to the first frame (median of $kRuns)" "$frame_readout ms" "empty window: $frame_empty ms" \
    "$(ratio "$frame_readout" "$frame_empty")" "-"
row "... against a menu, a label and a button" "$frame_readout ms" "label window: $frame_label ms" \
    "$(ratio "$frame_readout" "$frame_label")" "$(target "$(ratio "$frame_readout" "$frame_label")" 1.3)"
row "Start-up to the end of the first paint: instructions (callgrind)" "$first_readout" \
    "label window: $first_label" "$(ratio "$first_readout" "$first_label")" "-"
row "Start-up to the window mapped (median of $kRuns)" "$map_readout ms" "empty window: $map_empty ms" \
    "$(ratio "$map_readout" "$map_empty")" "-"
row "Resident memory 2 s after the start (median of $kRuns)" "$(mib "$rss_readout")" \
    "empty window: $(mib "$rss_empty")" "$(ratio "$rss_readout" "$rss_empty")" "-"
row "... against a menu, a label and a button" "$(mib "$rss_readout")" "label window: $(mib "$rss_label")" \
    "$(ratio "$rss_readout" "$rss_label")" "$(target "$(ratio "$rss_readout" "$rss_label")" 1.1)"
row "CPU time over 30 s of live refresh, utime+stime" "$cpu_readout ms" "empty window: $cpu_empty ms" \
    "$(cpu_ratio "$cpu_readout" "$cpu_empty")" "-"
row "... as a share of one core" "$(of_core "$cpu_readout")" "$(of_core "$cpu_empty")" "-" "-"
row "... against one label changed every 250 ms" "$(of_core "$cpu_readout")" "label: $(of_core "$cpu_label")" \
    "$(ratio "$cpu_readout" "$cpu_label")" "-"
row "On-CPU time of every thread over the same 30 s (schedstat)" "$run_readout ms" "empty window: $run_empty ms" \
    "$(ratio "$run_readout" "$run_empty")" "-"
row "... against one label changed every 250 ms" "$run_readout ms" "label: $run_label ms" \
    "$(ratio "$run_readout" "$run_label")" "$(target "$(ratio "$run_readout" "$run_label")" 3.0)"
