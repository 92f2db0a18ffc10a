#!/usr/bin/env bash
# The Windows serial port end to end: torva-cli.exe under Wine talks to torva-ecs-sim (Linux) on
# a pseudo-terminal that Wine's COM5 leads to, and must give what the Linux torva-cli gives over
# the same kind of line: the same exit statuses, the same output (Windows ends its lines with
# CR LF), byte-identical data files and the same journal entries. Then a silent panel (TIME OUT
# after the three attempts) and a line that disappears during a read (a message, no hang, an
# entry that says so).
#
#   scripts/windows/com-port-test.sh TORVA-CLI.EXE LINUX-TORVA-CLI LINUX-TORVA-ECS-SIM
#
# Wine is set up by scripts/windows/wine-env.sh (sourced by scripts/windows.sh, or here).
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 TORVA-CLI.EXE LINUX-TORVA-CLI LINUX-TORVA-ECS-SIM" >&2; exit 2; }
windows_cli=$(realpath "$1")
linux_cli=$(realpath "$2")
sim=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
if ! declare -F torva_wine >/dev/null; then
    source "$here/wine-env.sh" "$(dirname "$windows_cli")/.."
    torva_wine_init
fi

work=$(mktemp -d)
# The Linux torva-cli keeps its journal and settings in the work folder, never in the account's,
# and has the account's name as a login gives it; torva-cli.exe starts from a fresh account in the
# build's own prefix.
linux_home=(XDG_DATA_HOME="$work/linux-data" XDG_CONFIG_HOME="$work/linux-config"
            USER="${USER:-$(id -un)}")
linux_journal=$work/linux-data/torva-pc/journal
torva_wine_forget_programs
windows_journal=$(torva_wine_local_app_data)/torva-pc/journal
sim_pid=
stop_sim() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
        sim_pid=
    fi
}
trap 'stop_sim; rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# start_sim LINK [options...]: a new emulated panel, reached through the symbolic link LINK.
start_sim() {
    local link=$1
    shift
    stop_sim
    "$sim" --link "$link" "$@" >"$work/sim.out" 2>&1 &
    sim_pid=$!
    for _ in $(seq 50); do
        grep -q "listening on" "$work/sim.out" && [ -e "$link" ] && return 0
        sleep 0.1
    done
    echo "torva-ecs-sim did not start: $(cat "$work/sim.out")" >&2
    exit 1
}

com5=$WINEPREFIX/dosdevices/com5
linux_port=$work/linux-port

# run SIDE NAME ARGS...: runs one command on one side, in its own folder; keeps its status, its
# standard output and standard error (CR LF read as LF).
run() {
    local side=$1 name=$2
    shift 2
    mkdir -p "$work/$side"
    local status=0
    if [ "$side" = linux ]; then
        (cd "$work/linux" && env "${linux_home[@]}" "$linux_cli" "$@" --port "$linux_port") \
            >"$work/$side/$name.out" 2>"$work/$side/$name.err" || status=$?
    else
        (cd "$work/windows" && torva_wine "$windows_cli" "$@" --port COM5) >"$work/$side/$name.out" \
            2>"$work/$side/$name.err" || status=$?
    fi
    sed -i 's/\r$//' "$work/$side/$name.out" "$work/$side/$name.err"
    echo "$status" >"$work/$side/$name.status"
}

# The same session on both sides, each against a panel of its own in its delivery state: receive,
# compare with another configuration, send it (every item read back), compare again, receive.
echo "== torva-cli.exe over Wine's COM5 against torva-ecs-sim, beside the Linux torva-cli"
"$linux_cli" show --help >/dev/null
for side in linux windows; do
    link=$linux_port
    [ "$side" = windows ] && link=$com5
    start_sim "$link" --steady
    mkdir -p "$work/$side"
    run "$side" receive receive -o panel.dat
    # Another configuration: the panel's with the UGA command of loop 1 and the alarm mode of
    # loop 2 changed.
    sed -e '2s/.*/ 0 \r/' -e '5s/.*/ 1 \r/' "$work/$side/panel.dat" >"$work/$side/other.dat"
    run "$side" diff-before diff other.dat
    run "$side" send send other.dat
    run "$side" diff-after diff other.dat
    run "$side" receive-back receive -o back.dat
    stop_sim
done
for name in receive diff-before send diff-after receive-back; do
    for part in status out err; do
        if ! cmp -s "$work/linux/$name.$part" "$work/windows/$name.$part"; then
            fail "$name: the $part differs"
            diff "$work/linux/$name.$part" "$work/windows/$name.$part" | head -20 >&2 || true
        fi
    done
    echo "  $name: status $(cat "$work/windows/$name.status"), $(wc -l <"$work/windows/$name.out") lines out"
done
for file in panel.dat other.dat back.dat; do
    cmp -s "$work/linux/$file" "$work/windows/$file" || fail "$file differs between the two systems"
done
cmp -s "$work/windows/other.dat" "$work/windows/back.dat" || fail "the panel does not hold what was sent"
[ "$(cat "$work/windows/diff-before.status")" = 1 ] || fail "diff before the send: status is not 1"
[ "$(cat "$work/windows/diff-after.status")" = 0 ] || fail "diff after the send: status is not 0"

# entries JOURNAL: the journal's entries, oldest first, one "panel-folder file" a line.
entries() {
    (cd "$1" 2>/dev/null && find . -name '*.json' -printf '%h %f\n' | sed 's|^\./||' | sort -k2) || true
}

# The session's journal: a receive, a send and a receive, in the panel's folder (torva-ecs-sim is
# no emulated panel), the send with the configuration the panel held before and the one sent; the
# same entries on both systems but for their id, time and port.
echo "== the session's journal"
for side in linux windows; do
    journal=$linux_journal
    [ "$side" = windows ] && journal=$windows_journal
    mapfile -t listed < <(entries "$journal")
    : >"$work/$side-journal.json"
    for line in "${listed[@]}"; do
        jq -S 'del(.id, .time, .files, .port)' "$journal/${line% *}/${line#* }" >>"$work/$side-journal.json"
    done
    summary=$(jq -s -r 'map(.operation + " " + .outcome + " " + (.panel.emulated | tostring)) | join(", ")' \
        "$work/$side-journal.json")
    echo "  $side: ${listed[*]%% *}: $summary"
    [ "$summary" = "receive done false, send done false, receive done false" ] ||
        fail "$side journal: not the session's receive, send and receive"
    [ "${#listed[@]}" = 3 ] && [[ ${listed[0]} == ECS-[0-9]* ]] || continue
    send=$journal/${listed[1]% *}/${listed[1]#* }
    cmp -s "${send%.json}-avant.dat" "$work/$side/panel.dat" || fail "$side journal: the panel before is not panel.dat"
    cmp -s "${send%.json}-envoyee.dat" "$work/$side/other.dat" || fail "$side journal: the sent file is not other.dat"
    port=$linux_port
    [ "$side" = windows ] && port=COM5
    [ "$(jq -r .port "$send")" = "$port" ] || fail "$side journal: the port is not $port"
done
if ! cmp -s "$work/linux-journal.json" "$work/windows-journal.json"; then
    fail "the journal's entries differ between the two systems"
    diff "$work/linux-journal.json" "$work/windows-journal.json" | head -20 >&2 || true
fi

# The ports Windows knows (the registry's SERIALCOMM map), as "Autre :" lists them: Wine declares
# COM1 for the machine's first serial port.
echo "== the detected ports"
(cd "$work/windows" && torva_wine "$windows_cli" ports) >"$work/windows/ports.out" 2>/dev/null && status=0 || status=$?
tr -d '\r' <"$work/windows/ports.out" >"$work/windows/ports.txt"
echo "  status $status: $(tr '\n' ' ' <"$work/windows/ports.txt")"
[ "$status" = 0 ] || fail "ports: status is not 0"
grep -q "^COM1" "$work/windows/ports.txt" || fail "ports: COM1 is not listed"

# A port that does not exist: the same message as on Linux, with Windows's reason in its details.
echo "== a port that does not exist"
(cd "$work/windows" && torva_wine "$windows_cli" receive -o none.dat --port COM42) >/dev/null \
    2>"$work/windows/missing.err" && status=0 || status=$?
tr -d '\r' <"$work/windows/missing.err" >"$work/windows/missing.txt"
echo "  status $status: $(head -2 "$work/windows/missing.txt" | tr '\n' ' ')"
[ "$status" = 3 ] || fail "missing port: status is not 3"
grep -qx "ERREUR DE COM : Port série introuvable ou déjà ouvert !" "$work/windows/missing.txt" ||
    fail "missing port: not the opening failure's message"
grep -q "Le port COM42 n'existe pas" "$work/windows/missing.txt" || fail "missing port: no details"
grep -q "Raison donnée par le système : ." "$work/windows/missing.txt" || fail "missing port: no system reason"

# The CPU time the shell's children (the Wine processes of a run) have used, in milliseconds.
# `times` runs in this shell: in a subshell it would count that subshell's children only.
children_cpu_ms() {
    times >"$work/times"
    awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/); printf "%d", (u[1] * 60 + u[2] + s[1] * 60 + s[2]) * 1000 }' "$work/times"
}

# A silent panel: three attempts of a second, then TIME OUT and status 4; the wait costs next to
# no CPU (the program's start under Wine costs some).
echo "== a silent panel"
start_sim "$com5" --fault silence
begin=$(date +%s%N)
children_cpu_ms >"$work/cpu-before"
run windows silent receive -o silent.dat
children_cpu_ms >"$work/cpu-after"
cpu=$(($(cat "$work/cpu-after") - $(cat "$work/cpu-before")))
ms=$((($(date +%s%N) - begin) / 1000000))
echo "  status $(cat "$work/windows/silent.status") after $ms ms, $cpu ms of CPU: $(head -1 "$work/windows/silent.err")"
[ "$cpu" -lt $((ms / 2)) ] || fail "silent panel: $cpu ms of CPU in $ms ms: the wait spins"
[ "$(cat "$work/windows/silent.status")" = 4 ] || fail "silent panel: status is not 4"
grep -qx "TIME OUT : Pas de réponse de l'ECS !" "$work/windows/silent.err" || fail "silent panel: no TIME OUT message"
[ "$ms" -ge 3000 ] || fail "silent panel: ended after $ms ms, before the three attempts"
[ ! -e "$work/windows/silent.dat" ] || fail "silent panel: a file was written"

# The line disappears during a read: the panel stops answering and its pseudo-terminal closes.
echo "== the line lost during a read"
start_sim "$com5" --fault silence
(sleep 1.5 && kill "$sim_pid") &
begin=$(date +%s%N)
run windows lost receive -o lost.dat
ms=$((($(date +%s%N) - begin) / 1000000))
sim_pid=
echo "  status $(cat "$work/windows/lost.status") after $ms ms: $(head -1 "$work/windows/lost.err")"
[ "$(cat "$work/windows/lost.status")" = 4 ] || fail "line lost: status is not 4"
grep -qx "TIME OUT : Pas de réponse de l'ECS !" "$work/windows/lost.err" || fail "line lost: no message"
[ "$ms" -lt 15000 ] || fail "line lost: the command hung for $ms ms"
[ ! -e "$work/windows/lost.dat" ] || fail "line lost: a file was written"

# The silent panel and the lost line each left an entry that says so, without the panel's
# identity; the port that does not exist left none, since nothing reached a panel.
echo "== the journal of the failed receives"
mapfile -t listed < <(entries "$windows_journal")
summary=$(for line in "${listed[@]:3}"; do
    jq -r '[.operation, .outcome, .message, .port, (.panel.serialNumber | tostring)] | join(" | ")' \
        "$windows_journal/${line% *}/${line#* }"
done)
echo "$summary" | sed 's/^/  /'
expected="receive | noReply | Pas de réponse de l'ECS ! | COM5 | null"
[ "${#listed[@]}" = 5 ] && [ "$summary" = "$(printf '%s\n%s' "$expected" "$expected")" ] ||
    fail "failed receives: the journal holds ${listed[*]}"

if [ "$failures" -gt 0 ]; then
    echo "== Wine COM port: $failures failure(s)" >&2
    exit 1
fi
echo "== Wine COM port: every check passed"
