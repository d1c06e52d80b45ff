#!/usr/bin/env bash
# Runs one test inside a headless compositor of a full desktop as Debian ships it: KWin
# (Plasma) with the real xdg-desktop-portal-kde, or mutter (GNOME) with or without
# XWayland. As run-in-sway.sh does, it runs them, a private D-Bus session bus and the test
# as an unprivileged user and stops everything afterwards. Where the compositor cannot start
# here the test is skipped (exit 77) with the reason.
#
#   run-in-desktop.sh <kwin|mutter|mutter-xwayland> <test-executable> [NAME=<program> ...]
#
# The test learns the desktop from TOLVANE_DESKTOP, the portals' output from PORTAL_LOG and,
# with XWayland, the X display from DISPLAY.
set -euo pipefail

desktop=$1
test_bin=$2
shift 2

skip() {
    echo "SKIP: $*"
    exit 77
}

case $desktop in
kwin) command -v kwin_wayland >/dev/null || skip "kwin_wayland is not installed" ;;
mutter | mutter-xwayland) command -v mutter >/dev/null || skip "mutter is not installed" ;;
*)
    echo "unknown desktop $desktop" >&2
    exit 2
    ;;
esac

# mutter picks the X display numbers of XWayland from :0 up; with a /tmp of its own it
# cannot take the number of another test's X server.
if [ "$desktop" = mutter-xwayland ] && [ -z "${TOLVANE_PRIVATE_TMP:-}" ]; then
    unshare --mount --propagation private true 2>/dev/null ||
        skip "no mount namespace here for a private /tmp (XWayland's display numbers)"
    # Everything else in /tmp (a checkout or build tree may live there) is bound back in.
    exec unshare --mount --propagation private env TOLVANE_PRIVATE_TMP=1 bash -c '
        old=$(mktemp -d /run/tolvane-old-tmp-XXXXXX) && mount --bind /tmp "$old" &&
        mount -t tmpfs -o mode=1777 tmpfs /tmp && install -d -m 1777 /tmp/.X11-unix || exit 1
        for entry in "$old"/* "$old"/.[!.]*; do
            name=${entry##*/}
            case $name in .X11-unix | .X*-lock | "*" | ".[!.]*") continue ;; esac
            [ -d "$entry" ] || continue
            mkdir -p "/tmp/$name" && mount --bind "$entry" "/tmp/$name" || exit 1
        done
        umount "$old" && rmdir "$old"
        exec "$0" "$@"' "$0" "$desktop" "$test_bin" "$@"
fi

. "$(dirname "$0")/session-common.sh"

socket="$SESSION_DIR/run/tolvane-$desktop"
desktop_env=()
case $desktop in
kwin)
    desktop_env=(XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland)
    # Test programs that send input through org_kde_kwin_fake_input must be named in a
    # desktop entry that grants it (KWin looks their executable up there).
    mkdir -p "$SESSION_DIR/home/.local/share/applications"
    for entry in "${staged[@]}"; do
        cat >"$SESSION_DIR/home/.local/share/applications/tolvane-test-${entry%%=*}.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=${entry%%=*}
Exec=${entry#*=}
NoDisplay=true
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input
ENTRY
    done
    chown -R "$user" "$SESSION_DIR/home"
    start_bus
    # The packaged binary carries the cap_sys_resource file capability, which a container
    # may not grant (EPERM even as root): a copy runs without it.
    install -m 755 "$(command -v kwin_wayland)" "$SESSION_DIR/bin/kwin_wayland"
    "${as_user[@]}" /usr/bin/env -i "${base_env[@]}" DBUS_SESSION_BUS_ADDRESS="$bus" \
        "${desktop_env[@]}" "$SESSION_DIR/bin/kwin_wayland" --virtual --socket "$(basename "$socket")" \
        --width 1280 --height 800 --no-lockscreen >"$SESSION_DIR/compositor.log" 2>&1 &
    pids+=($!)
    ;;
mutter | mutter-xwayland)
    # Plasma's portal, installed for the KWin tests, would serve any desktop: GNOME's
    # session gets the portals of its own, none here.
    mkdir -p "$SESSION_DIR/portals"
    desktop_env=(XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland
        XDG_DESKTOP_PORTAL_DIR="$SESSION_DIR/portals")
    x11=(--no-x11)
    [ "$desktop" = mutter-xwayland ] && x11=()
    start_bus
    "${as_user[@]}" /usr/bin/env -i "${base_env[@]}" DBUS_SESSION_BUS_ADDRESS="$bus" \
        "${desktop_env[@]}" mutter --headless --wayland "${x11[@]}" \
        --wayland-display="$(basename "$socket")" --virtual-monitor 1280x800 \
        >"$SESSION_DIR/compositor.log" 2>&1 &
    pids+=($!)
    ;;
esac

for _ in $(seq 200); do
    [ -S "$socket" ] && break
    sleep 0.1
done
if [ ! -S "$socket" ]; then
    tail -n 20 "$SESSION_DIR/compositor.log"
    skip "$desktop did not start here (its log is above)"
fi

display_env=()
if [ "$desktop" = mutter-xwayland ]; then
    # mutter runs two X displays, the public one for programs and one for its own services.
    x_display=""
    for _ in $(seq 100); do
        x_display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' \
            "$SESSION_DIR/compositor.log" | head -n1)
        [ -n "$x_display" ] && [ -S "/tmp/.X11-unix/X${x_display#:}" ] && break
        sleep 0.1
    done
    [ -n "$x_display" ] || skip "mutter started no XWayland here"
    # Its X server admits the holders of the cookie it wrote into the runtime folder.
    xauth_file=$(find "$SESSION_DIR/run" -maxdepth 1 -name '.mutter-Xwaylandauth*' | head -n1)
    display_env=(DISPLAY="$x_display" XAUTHORITY="$xauth_file")
fi

# The portals the bus starts see the desktop; portal-kde reports its calls.
"${as_user[@]}" /usr/bin/env -i "${base_env[@]}" DBUS_SESSION_BUS_ADDRESS="$bus" \
    dbus-update-activation-environment WAYLAND_DISPLAY="$socket" "${desktop_env[@]}" \
    "${display_env[@]}" QT_QPA_PLATFORM=wayland QT_LOGGING_RULES='xdp-kde*.debug=true'

echo "$desktop session: $socket ${display_env[*]} as $user"
show_logs=("$desktop log=$SESSION_DIR/compositor.log" "portal log=$SESSION_DIR/bus.log")
run_test WAYLAND_DISPLAY="$socket" "${desktop_env[@]}" "${display_env[@]}" \
    TOLVANE_DESKTOP="$desktop" PORTAL_LOG="$SESSION_DIR/bus.log"
