#!/usr/bin/env bash
# Runs one test inside a private Wayland session: a headless sway, a private D-Bus session
# bus and the test itself, all as an unprivileged user (sway refuses to run as root), each
# with its own runtime folder. Everything is stopped afterwards, whatever the outcome.
#
#   run-in-sway.sh <test-executable> [NAME=<program> ...]
#
# Each NAME=<program> is copied, with the test, into the session's folder, where that user
# can run it whatever the permissions of the build folder, and reaches the test as the
# environment variable NAME. As root the user is TOLVANE_WL_USER (default tolvane-wl-test),
# created when missing; anyone else runs the session as themselves.
set -euo pipefail

test_bin=$1
shift

. "$(dirname "$0")/session-common.sh"

cat >"$SESSION_DIR/sway.conf" <<'CONF'
output HEADLESS-1 resolution 1280x800
xwayland disable
CONF

base_env=(PATH=/usr/local/bin:/usr/bin:/bin HOME="$SESSION_DIR/home"
    XDG_RUNTIME_DIR="$SESSION_DIR/run" TMPDIR="$SESSION_DIR/tmp" LANG=C.UTF-8)

"${as_user[@]}" /usr/bin/env -i "${base_env[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman sway -c "$SESSION_DIR/sway.conf" >"$SESSION_DIR/sway.log" 2>&1 &
pids+=($!)
socket=""
for _ in $(seq 200); do
    socket=$(find "$SESSION_DIR/run" -maxdepth 1 -type s -name 'wayland-*' | head -n1)
    ipc=$(find "$SESSION_DIR/run" -maxdepth 1 -type s -name 'sway-ipc.*' | head -n1)
    [ -n "$socket" ] && [ -n "$ipc" ] && break
    sleep 0.1
done
if [ -z "$socket" ] || [ -z "$ipc" ]; then
    echo "sway did not start:" >&2
    cat "$SESSION_DIR/sway.log" >&2
    exit 1
fi

# A headless seat has no keyboard, so no window would ever get the keyboard focus: a
# virtual one stands in for the desktop's (wtype holding its keyboard through a long pause;
# the session ends long before the pause does).
"${as_user[@]}" /usr/bin/env -i "${base_env[@]}" WAYLAND_DISPLAY="$socket" \
    wtype -s 86400000 -k Shift_L &
pids+=($!)

start_bus

echo "wayland session: $socket as $user"
show_logs=("sway log=$SESSION_DIR/sway.log")
run_test WAYLAND_DISPLAY="$socket" SWAYSOCK="$ipc" QT_QPA_PLATFORM=wayland
