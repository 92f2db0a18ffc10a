#!/usr/bin/env bash
# The panels' journal under Windows: torva-cli.exe under Wine receives from its built-in emulated
# panel ("ECS simulée", --port sim), then sends it a changed configuration; the journal in the Wine
# account's %LOCALAPPDATA%\torva-pc\journal must then hold the two entries, in the emulated
# panel's folder, with their configurations beside them byte for byte (the one read, the one the
# panel held before the send, the one sent), the technician, company and site read from the
# registry. The Linux torva-cli does the same in a folder of its own (XDG_DATA_HOME,
# XDG_CONFIG_HOME), and each entry must say the same on both systems but for its id and time.
#
#   scripts/windows/journal-test.sh TORVA-CLI.EXE LINUX-TORVA-CLI
#
# Wine is set up by scripts/windows/wine-env.sh (sourced by scripts/windows.sh, or here). The
# journal, the built-in panel's state and the program's settings in the Wine prefix are cleared
# first: the prefix is the build's own.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 TORVA-CLI.EXE LINUX-TORVA-CLI" >&2; exit 2; }
windows_cli=$(realpath "$1")
linux_cli=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
if ! declare -F torva_wine >/dev/null; then
    source "$here/wine-env.sh" "$(dirname "$windows_cli")/.."
    torva_wine_init
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

technician="Élodie Marchand"
company="Sécurité Incendie Est"
site="Lycée Jean Moulin"

torva_wine_forget_programs
windows_journal=$(torva_wine_local_app_data)/torva-pc/journal
# The settings of both programs: HKEY_CURRENT_USER\Software\torva-pc\torva-pc on Windows.
for setting in "technicien:$technician" "entreprise:$company" "site:$site"; do
    torva_wine reg.exe add 'HKCU\Software\torva-pc\torva-pc\intervenant' /v "${setting%%:*}" /t REG_SZ \
        /d "${setting#*:}" /f >/dev/null 2>&1 || { echo "reg add ${setting%%:*} failed" >&2; exit 1; }
done

# The Linux program keeps its panel, journal and settings in the work folder; the account's name
# is the one a login gives.
linux_journal=$work/linux/data/torva-pc/journal
mkdir -p "$work/linux/config/torva-pc" "$work/windows"
printf '[intervenant]\ntechnicien=%s\nentreprise=%s\nsite=%s\n' "$technician" "$company" "$site" \
    >"$work/linux/config/torva-pc/torva-pc.conf"

# run SIDE NAME ARGS...: one command in the side's folder; keeps its status and its output.
run() {
    local side=$1 name=$2
    shift 2
    local status=0
    if [ "$side" = linux ]; then
        (cd "$work/linux" && XDG_DATA_HOME="$work/linux/data" XDG_CONFIG_HOME="$work/linux/config" \
            USER="${USER:-$(id -un)}" "$linux_cli" "$@") >"$work/$side/$name.out" 2>"$work/$side/$name.err" ||
            status=$?
    else
        (cd "$work/windows" && torva_wine "$windows_cli" "$@") >"$work/$side/$name.out" \
            2>"$work/$side/$name.err" || status=$?
    fi
    echo "$status" >"$work/$side/$name.status"
    [ "$status" = 0 ] || fail "$side $name: status $status: $(tr -d '\r' <"$work/$side/$name.err" | head -3)"
}

echo "== the journal of torva-cli.exe's receive and send with the built-in emulated panel"
for side in linux windows; do
    run "$side" receive receive --port sim -o panel.dat
    # Another configuration: the panel's with the UGA command of loop 1 and the alarm mode of
    # loop 2 changed.
    sed -e '2s/.*/ 0 \r/' -e '5s/.*/ 1 \r/' "$work/$side/panel.dat" >"$work/$side/other.dat"
    run "$side" send send other.dat --port sim
done

sum() { sha256sum "$1" | cut -d' ' -f1; }

# check_side SIDE JOURNAL: the two entries of one system, each with its files; prints the entries
# without what differs from one run to the next (the id, which holds the time and the machine's
# name, and the time) into WORK/SIDE.json.
check_side() {
    local side=$1 journal=$2
    local folders
    folders=$(find "$journal" -mindepth 1 -maxdepth 1 -type d -printf '%f\n' 2>/dev/null | sort)
    if [ "$(echo "$folders" | wc -w)" != 1 ] || [[ $folders != ECS-simulee-* ]]; then
        fail "$side: the journal's panel folders are '$folders', not one ECS-simulee-..."
        return
    fi
    local folder=$journal/$folders
    local entries
    mapfile -t entries < <(find "$folder" -name '*.json' | sort)
    if [ "${#entries[@]}" != 2 ]; then
        fail "$side: ${#entries[@]} entries in $folders, not 2"
        return
    fi
    # Ids start with the UTC time: the receive's sorts first.
    local receive=${entries[0]} send=${entries[1]}
    for entry in "$receive" "$send"; do
        local id
        id=$(basename "$entry" .json)
        [ "$(jq -r .id "$entry")" = "$id" ] || fail "$side: $id.json names another id"
        jq -r .time "$entry" | grep -Eq '^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]{12}(Z|[+-][0-9]{2}:[0-9]{2})$' ||
            fail "$side: $id: the time $(jq -r .time "$entry") is not ISO 8601 with its offset"
    done
    local receive_id send_id
    receive_id=$(basename "$receive" .json)
    send_id=$(basename "$send" .json)
    [ "$(jq -r .operation "$receive")/$(jq -r .operation "$send")" = receive/send ] ||
        fail "$side: the entries are not a receive then a send"
    # The files beside each entry: the receive's configuration is the file it wrote; the send's
    # "before" is what the panel held, that same configuration; "sent" is the file sent.
    local expected=("$receive_id-avant.dat:panel.dat" "$send_id-avant.dat:panel.dat"
                    "$send_id-envoyee.dat:other.dat")
    for pair in "${expected[@]}"; do
        local kept=$folder/${pair%%:*} original=$work/$side/${pair#*:}
        if [ ! -f "$kept" ]; then
            fail "$side: ${pair%%:*} is missing"
        elif ! cmp -s "$kept" "$original"; then
            fail "$side: ${pair%%:*} is not ${pair#*:} byte for byte"
        fi
    done
    [ "$(find "$folder" -type f | wc -l)" = 5 ] || fail "$side: not 5 files in $folders: $(ls "$folder")"
    [ "$(jq -r .files.before "$send")" = "$send_id-avant.dat" ] || fail "$side: the send names another file before"
    [ "$(jq -r .files.sent "$send")" = "$send_id-envoyee.dat" ] || fail "$side: the send names another file sent"
    [ "$(jq -r .files.before "$receive")" = "$receive_id-avant.dat" ] || fail "$side: the receive names another file"
    [ "$(jq -r .files.sent "$receive")" = null ] || fail "$side: the receive names a file sent"
    [ "$(jq -r .sha256.before "$send")" = "$(sum "$work/$side/panel.dat")" ] || fail "$side: the send's sha256.before"
    [ "$(jq -r .sha256.sent "$send")" = "$(sum "$work/$side/other.dat")" ] || fail "$side: the send's sha256.sent"
    jq -S 'del(.id, .time, .files)' "$receive" "$send" >"$work/$side.json"
    echo "  $side: $folders: $receive_id (receive), $send_id (send)"
}
check_side linux "$linux_journal"
check_side windows "$windows_journal"

# What the entries say, on Windows as on Linux; and what they must say.
if [ -s "$work/windows.json" ] && [ -s "$work/linux.json" ]; then
    if ! cmp -s "$work/linux.json" "$work/windows.json"; then
        fail "the entries differ between the two systems"
        diff "$work/linux.json" "$work/windows.json" | head -30 >&2 || true
    fi
    jq -s -r 'map([.operation, .outcome, .message, .program, .port, .technician, .company, .site,
                   (.panel.emulated | tostring), (.differences | length | tostring), .user] | join(" | "))[]' \
        "$work/windows.json" >"$work/windows.summary"
    sed 's/^/  windows: /' "$work/windows.summary"
    user=$(torva_wine cmd.exe /c echo %USERNAME% 2>/dev/null | tr -d '\r')
    tail="torva-cli | sim | $technician | $company | $site | true"
    printf '%s\n' "receive | done | terminé | $tail | 0 | $user" "send | done | terminé | $tail | 2 | $user" |
        cmp -s - "$work/windows.summary" || fail "the Windows entries do not say what was done"
fi

if [ "$failures" -gt 0 ]; then
    echo "== Journal under Wine: $failures failure(s)" >&2
    exit 1
fi
echo "== Journal under Wine: every check passed"
