#!/usr/bin/env bash
# Runs a test program on an X server of its own (Xvfb on a free display number) with the openbox
# window manager, as a desktop would show its windows: framed, some time after they are mapped.
# Usage: run-under-x.sh <program> [arguments]
set -u

if [ "${1:-}" != "--inside" ]; then
    for tool in xvfb-run xauth openbox xprop; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "run-under-x.sh: $tool is missing (make setup installs it)" >&2
            exit 1
        fi
    done
    exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" "$0" --inside "$@"
fi
shift

# openbox keeps its settings and logs away from the user's home.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" \
    openbox --sm-disable >/dev/null 2>&1 &
wm=$!

# The window manager has taken the screen once it names itself on the root window.
ready=0
for _ in $(seq 200); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        ready=1
        break
    fi
    if ! kill -0 "$wm" 2>/dev/null; then
        break
    fi
    sleep 0.05
done
if [ "$ready" != 1 ]; then
    echo "run-under-x.sh: openbox did not start" >&2
    kill "$wm" 2>/dev/null
    exit 1
fi

QT_QPA_PLATFORM=xcb "$@"
rc=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit $rc
