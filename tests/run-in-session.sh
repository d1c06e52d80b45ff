#!/usr/bin/env bash
# Runs a command inside a private desktop session: an Xvfb on a free display with the openbox
# window manager (focus and activation need one), a second Xvfb for offscreen rendering and a
# private D-Bus session bus. All of them are stopped afterwards, whatever the command's
# outcome.
set -euo pipefail

SESSION_DIR=$(mktemp -d /tmp/tolvane-session-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$SESSION_DIR"
}
trap cleanup EXIT INT TERM

# Starts an Xvfb on a free display (-displayfd lets the server pick the number and report
# it) and sets `started_display` to the display's name.
start_xvfb() {
    local name=$1
    shift
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp "$@" \
        3>"$SESSION_DIR/$name.display" >"$SESSION_DIR/$name.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$SESSION_DIR/$name.display" ] && break
        sleep 0.1
    done
    started_display=":$(head -n1 "$SESSION_DIR/$name.display")"
}

start_xvfb desktop +extension XTEST +extension XFIXES
export DISPLAY=$started_display
# Offscreen tests still draw with OpenGL through an X display, into hidden top-level windows
# that Qt resizes before each frame. Under a window manager such a resize is only a request,
# granted whenever the manager gets to it: on a busy machine the first frames are drawn into
# the window's old size and the renderer keeps that size. These tests therefore draw on a
# display of their own without a window manager (see IsolatedEnvironment).
start_xvfb render
export TOLVANE_RENDER_DISPLAY=$started_display

dbus-daemon --session --fork --print-address=4 --print-pid=5 \
    4>"$SESSION_DIR/dbus.addr" 5>"$SESSION_DIR/dbus.pid"
pids+=("$(cat "$SESSION_DIR/dbus.pid")")
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$SESSION_DIR/dbus.addr")
export DBUS_SESSION_BUS_ADDRESS

openbox --sm-disable >"$SESSION_DIR/openbox.log" 2>&1 &
pids+=($!)
# Tests that activate windows need the manager at work: wait until it announces itself on
# the root window, however long a busy machine takes to start it.
for _ in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

echo "session: DISPLAY=$DISPLAY, offscreen rendering on $TOLVANE_RENDER_DISPLAY"
set +e
"$@"
rc=$?
exit $rc
