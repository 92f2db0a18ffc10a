#!/usr/bin/env bash
# The full receive and send of torva-cli over a serial line to torva-ecs-sim (9600 baud paced, a
# 5 ms turnaround), on Linux over a pseudo-terminal and as torva-cli.exe under Wine over a COM
# port that leads to the same kind of pseudo-terminal. For each it prints the transfer's time
# (from the port's opening to the last reply, as the exchange log times it), the wire floor of
# the bytes that crossed (10 bits a byte at 9600 baud, a turnaround per request, the 200 ms
# wake-up), and their ratio: the medians of RUNS runs (default 5), taking turns.
#   bench/wine-transfer.sh [RUNS]     (after scripts/windows.sh, which builds both)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
linux_cli=$PWD/build/app/torva-cli
sim=$PWD/build/app/torva-ecs-sim
windows_cli=$PWD/build-windows/stage/torva-cli.exe
for program in "$linux_cli" "$sim" "$windows_cli"; do
    [ -f "$program" ] || { echo "missing $program: run scripts/windows.sh first" >&2; exit 1; }
done
source scripts/windows/wine-env.sh "$PWD/build-windows"
torva_wine_init

work=$(mktemp -d)
sim_pid=
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
com9=$WINEPREFIX/dosdevices/com9
"$sim" --steady --link "$com9" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do grep -q "listening on" "$work/sim.out" && break; sleep 0.1; done
pty=$(sed -n 's/.*listening on \([^ ]*\).*/\1/p' "$work/sim.out")

# One transfer; prints "duration_ms floor_ms" from its trace.
transfer() {
    local system=$1 command=$2 trace=$work/trace.txt
    rm -f "$trace"
    # Windows names the same files through Wine's drive Z:.
    local drive=
    [ "$system" = windows ] && drive=Z:
    local arguments=(-o "$drive$work/panel.dat")
    [ "$command" = send ] && arguments=("$drive$work/panel.dat")
    if [ "$system" = linux ]; then
        # Its journal goes to the work folder, not into the account's.
        XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
            "$linux_cli" "$command" "${arguments[@]}" --port "$pty" --trace "$trace" --quiet
    else
        torva_wine "$windows_cli" "$command" "${arguments[@]}" --port COM9 --trace "Z:$trace" --quiet
    fi
    # "14:02:12.484 +1234 ms | TX | essai 1 | step | bytes"; the port's opening line has no fields.
    tr -d '\r' <"$trace" | awk -F' [|] ' '
        NF < 5 { next }
        { split($1, t, "+"); at = t[2] + 0 }
        $2 == "TX" && $5 != "00" { requests++ }
        { bytes += split($5, b, " ") }
        END { printf "%d %.0f\n", at, bytes * 10000 / 9600 + requests * 5 + 200 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-9s %-28s %9s %9s %7s\n' transfer path "time ms" "floor ms" ratio
for command in receive send; do
    for system in linux windows; do : >"$work/$system-$command"; done
    for _ in $(seq "$runs"); do
        for system in linux windows; do
            transfer "$system" "$command" >>"$work/$system-$command"
        done
    done
    for system in linux windows; do
        path="Linux, pseudo-terminal"
        [ "$system" = windows ] && path="Windows (Wine), COM port"
        time=$(cut -d' ' -f1 "$work/$system-$command" | median)
        floor=$(cut -d' ' -f2 "$work/$system-$command" | median)
        printf '%-9s %-28s %9d %9d %7.2f\n' "$command" "$path" "$time" "$floor" \
            "$(awk -v t="$time" -v f="$floor" 'BEGIN { print t / f }')"
    done
done
