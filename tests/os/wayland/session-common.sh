# Sourced by the run-in-*.sh scripts: the unprivileged user, the session's folder with the
# staged programs, the clean-up, and the private D-Bus session bus.
#
# Expects test_bin and the NAME=<program> arguments in "$@"; leaves user, as_user,
# SESSION_DIR, staged, base_env, pids and (after start_bus) bus.

if [ "$(id -u)" -eq 0 ]; then
    user=${TOLVANE_WL_USER:-tolvane-wl-test}
    # Tests may start side by side: one creates the user, the others wait for it.
    (
        flock 9
        id -u "$user" >/dev/null 2>&1 ||
            useradd --system --no-create-home --home-dir /nonexistent \
                --shell /usr/sbin/nologin "$user"
    ) 9>/tmp/tolvane-wl-user.lock
    # setpriv execs the program itself, so the pids below are the programs' own.
    as_user=(setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups --)
else
    user=$(id -un)
    as_user=()
fi

SESSION_DIR=$(mktemp -d "${SESSION_PARENT:-/tmp}/tolvane-wl-XXXXXX")
chmod 755 "$SESSION_DIR"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$SESSION_DIR"
}
trap cleanup EXIT INT TERM

mkdir -p "$SESSION_DIR/bin" "$SESSION_DIR/run" "$SESSION_DIR/home" "$SESSION_DIR/tmp"
install -m 755 "$test_bin" "$SESSION_DIR/bin/"
staged=()
for arg in "$@"; do
    name=${arg%%=*}
    install -m 755 "${arg#*=}" "$SESSION_DIR/bin/"
    staged+=("$name=$SESSION_DIR/bin/$(basename "${arg#*=}")")
done
chown "$user" "$SESSION_DIR/run" "$SESSION_DIR/home" "$SESSION_DIR/tmp"
chmod 700 "$SESSION_DIR/run"

base_env=(PATH=/usr/local/bin:/usr/bin:/bin HOME="$SESSION_DIR/home"
    XDG_RUNTIME_DIR="$SESSION_DIR/run" TMPDIR="$SESSION_DIR/tmp" LANG=C.UTF-8)

# The bus daemon's output holds what the services it starts (the portals) write.
start_bus() {
    "${as_user[@]}" /usr/bin/env -i "${base_env[@]}" "$@" dbus-daemon --session --nofork \
        --nopidfile --print-address=3 3>"$SESSION_DIR/dbus.addr" >"$SESSION_DIR/bus.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$SESSION_DIR/dbus.addr" ] && break
        sleep 0.1
    done
    bus=$(head -n1 "$SESSION_DIR/dbus.addr")
}

# Runs the test as the user, with the session's environment and the VAR=value arguments;
# where it fails, shows the end of each log of show_logs ("label=file"). Ends the script
# with the test's status.
run_test() {
    set +e
    "${as_user[@]}" /usr/bin/env -i "${base_env[@]}" DBUS_SESSION_BUS_ADDRESS="$bus" \
        QT_LOGGING_RULES="${QT_LOGGING_RULES:-tolvane.*.debug=false}" "$@" "${staged[@]}" \
        "$SESSION_DIR/bin/$(basename "$test_bin")"
    local rc=$?
    if [ $rc -ne 0 ]; then
        for log in "${show_logs[@]}"; do
            echo "--- ${log%%=*} ---"
            tail -n 30 "${log#*=}"
        done
    fi
    exit $rc
}
