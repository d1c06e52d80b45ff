#!/usr/bin/env bash
# Runs a command inside a private desktop session: an Xvfb on a free display, the openbox
# window manager (focus and activation need one) and a private D-Bus session bus. All of
# them are stopped afterwards, whatever the command's outcome.
set -euo pipefail

SESSION_DIR=$(mktemp -d /tmp/tolvane-session-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$SESSION_DIR"
}
trap cleanup EXIT INT TERM

# -displayfd lets the server pick a free display number and report it.
exec 3>"$SESSION_DIR/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp +extension XTEST +extension XFIXES \
    >"$SESSION_DIR/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$SESSION_DIR/display" ] && break
    sleep 0.1
done
exec 3>&-
DISPLAY=":$(head -n1 "$SESSION_DIR/display")"
export DISPLAY

dbus-daemon --session --fork --print-address=4 --print-pid=5 \
    4>"$SESSION_DIR/dbus.addr" 5>"$SESSION_DIR/dbus.pid"
pids+=("$(cat "$SESSION_DIR/dbus.pid")")
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$SESSION_DIR/dbus.addr")
export DBUS_SESSION_BUS_ADDRESS

openbox --sm-disable >"$SESSION_DIR/openbox.log" 2>&1 &
pids+=($!)
sleep 0.5

echo "session: DISPLAY=$DISPLAY"
set +e
"$@"
rc=$?
exit $rc
