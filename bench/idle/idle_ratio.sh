#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
# What an idle Kelvora window costs, as a ratio to a plain Qt window
# (plain_window) measured beside it in the same run.
#
#   bench/idle/idle_ratio.sh BUILD_DIR [SECONDS]
#
# BUILD_DIR is a build tree holding app/kelvora and bench/idle/plain_window
# (best a Release one: the plain window's widgets are the release Qt's own).
# SECONDS is the length of one round, 60 by default.
#
# Both programs run at the same time on one private X server (Xvfb), inside a
# network and mount namespace of their own: with no network there,
# Kelvora's checks of its preset host fail at once, without any traffic, so
# no check is ever in progress while it is measured. /etc/resolv.conf is
# replaced inside the namespace by one naming only 127.0.0.1, whose loopback
# is down there, so not even a lookup leaves the process.
#
# One X server gives the keyboard focus, and with it the blinking text
# cursor, to one window only. So there are two rounds: the focus is on
# Kelvora's window during the first and on the plain window during the
# second. Each round measures both processes with
# `perf stat -e task-clock` for SECONDS. Three ratios of Kelvora's CPU time
# over the plain window's follow: focused, each program in the round where
# it holds the focus (how a user leaves a window: the cursor blinking in a
# field; the goal is at most 1.5); unfocused, each in the other round; and
# both rounds summed.
#
# Needs: Xvfb, xdotool, perf and unshare; run it as root (or where user
# namespaces are allowed and perf may watch other processes). Ends only the
# processes it started, by their ids; the X server with SIGTERM so that it
# removes its lock and socket.
set -euo pipefail

usage()
{
    echo "usage: $0 BUILD_DIR [SECONDS]" >&2
    exit 2
}

[[ $# -ge 1 && $# -le 2 ]] || usage
build=$(cd "$1" && pwd) || usage
seconds=${2:-60}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || usage
kelvora=$build/app/kelvora
plain=$build/bench/idle/plain_window
for program in "$kelvora" "$plain"; do
    if [[ ! -x $program ]]; then
        echo "$0: $program is missing; build the targets kelvora and plain_window" >&2
        exit 1
    fi
done
for tool in Xvfb xdotool perf unshare; do
    if ! command -v "$tool" >/dev/null; then
        echo "$0: $tool is missing" >&2
        exit 1
    fi
done

# Outside: start again inside a network and mount namespace of our own.
if [[ -z ${KELVORA_IDLE_IN_NAMESPACE:-} ]]; then
    export KELVORA_IDLE_IN_NAMESPACE=1
    if [[ $(id -u) -eq 0 ]]; then
        exec unshare --net --mount -- "$0" "$@"
    fi
    exec unshare --map-root-user --net --mount -- "$0" "$@"
fi

# Inside: make sure nothing but a (down) loopback is there.
# (/proc/net follows the namespace; /sys/class/net would not.)
interfaces=$(awk -F: 'NR > 2 { gsub(/ /, "", $1); print $1 }' /proc/net/dev | tr '\n' ' ')
if [[ $interfaces != 'lo ' ]]; then
    echo "$0: the namespace is not empty: $interfaces" >&2
    exit 1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-idle.XXXXXX")
printf 'nameserver 127.0.0.1\noptions timeout:1 attempts:1\n' >"$work/resolv.conf"
mount --bind "$work/resolv.conf" /etc/resolv.conf

server=''
programs=()
cleanup()
{
    for pid in "${programs[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${programs[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    if [[ -n $server ]]; then
        kill -TERM "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    umount /etc/resolv.conf 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The server picks a free display and writes its number; -noreset keeps it
# from resetting (and refusing connections) whenever its last client leaves.
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
if [[ ! -s $work/display ]]; then
    echo "$0: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=:$(head -n1 "$work/display")
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS

"$kelvora" >"$work/kelvora.log" 2>&1 &
programs+=($!)
kelvora_pid=$!
"$plain" >"$work/plain.log" 2>&1 &
programs+=($!)
plain_pid=$!

window_of()
{
    timeout 30 xdotool search --all --sync --onlyvisible --pid "$1" --name "$2" | head -n1
}
kelvora_window=$(window_of "$kelvora_pid" '^Kelvora 1\.1$')
plain_window=$(window_of "$plain_pid" '^Plain window$')
if [[ -z $kelvora_window || -z $plain_window ]]; then
    echo "$0: a window did not come up" >&2
    cat "$work/kelvora.log" "$work/plain.log" >&2
    exit 1
fi

# CPU milliseconds of process $1 over the round, written to file $2.
measure()
{
    perf stat -e task-clock -x, -o "$2" -p "$1" -- sleep "$seconds" >/dev/null 2>&1 || true
}

milliseconds()
{
    awk -F, '$3 == "task-clock" { printf "%.1f", $1 }' "$1"
}

round()
{
    local name=$1 focus=$2
    xdotool windowfocus --sync "$focus"
    # Let the activation's repaints pass before measuring.
    sleep 3
    for pid in "${programs[@]}"; do
        kill -0 "$pid" 2>/dev/null || { echo "$0: a program has ended" >&2; exit 1; }
    done
    measure "$kelvora_pid" "$work/$name.kelvora" &
    local k=$!
    measure "$plain_pid" "$work/$name.plain" &
    local p=$!
    wait "$k" "$p"
    kelvora_ms=$(milliseconds "$work/$name.kelvora")
    plain_ms=$(milliseconds "$work/$name.plain")
    if [[ -z $kelvora_ms || -z $plain_ms ]]; then
        echo "$0: perf measured nothing:" >&2
        cat "$work/$name.kelvora" "$work/$name.plain" >&2
        exit 1
    fi
}

echo "Idle CPU time over ${seconds} s per round (perf stat -e task-clock), display $DISPLAY"
printf '%-26s %12s %12s %7s\n' round kelvora plain ratio
total_kelvora=0
total_plain=0
for name in focus-on-kelvora focus-on-plain; do
    if [[ $name == focus-on-kelvora ]]; then
        round "$name" "$kelvora_window"
    else
        round "$name" "$plain_window"
    fi
    printf '%-26s %9s ms %9s ms %7s\n' "$name" "$kelvora_ms" "$plain_ms" \
        "$(awk -v k="$kelvora_ms" -v p="$plain_ms" 'BEGIN { printf "%.2f", k / p }')"
    if [[ $name == focus-on-kelvora ]]; then
        kelvora_focused=$kelvora_ms
        plain_unfocused=$plain_ms
    else
        kelvora_unfocused=$kelvora_ms
        plain_focused=$plain_ms
    fi
    total_kelvora=$(awk -v a="$total_kelvora" -v b="$kelvora_ms" 'BEGIN { print a + b }')
    total_plain=$(awk -v a="$total_plain" -v b="$plain_ms" 'BEGIN { print a + b }')
done
awk -v kf="$kelvora_focused" -v pf="$plain_focused" -v ku="$kelvora_unfocused" -v pu="$plain_unfocused" \
    -v k="$total_kelvora" -v p="$total_plain" -v s="$seconds" 'BEGIN {
    printf "%-26s %9.1f ms %9.1f ms %7.2f\n", "focused, each its own", kf, pf, kf / pf
    printf "%-26s %9.1f ms %9.1f ms %7.2f\n", "unfocused, each", ku, pu, ku / pu
    printf "%-26s %9.1f ms %9.1f ms %7.2f\n", "both rounds", k, p, k / p
    printf "focused ratio %.2f (goal: at most 1.50); both rounds %.2f; per minute of both: kelvora %.1f ms, plain %.1f ms\n",
           kf / pf, k / p, k * 30 / s, p * 30 / s
}'
