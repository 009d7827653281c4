#!/usr/bin/env bash
# End to end: the stand-in daemon on its fixed port with its own configuration, the built
# application under Xvfb. The application is live when the daemon has seen, in this order, its
# status check, the host figures, the configuration, the live channel, and then polling.
# Exit 77 (skipped) when port 19400 is taken, Xvfb is missing or the configuration belongs to
# a real installation.
set -uo pipefail
devd="$1"
app="$2"

command -v xvfb-run >/dev/null || { echo "skip: xvfb-run is not installed"; exit 77; }
if (exec 3<>/dev/tcp/127.0.0.1/19400) 2>/dev/null; then
    echo "skip: something already answers on 127.0.0.1:19400"
    exit 77
fi

work=$(mktemp -d)
cleanup() {
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null
    [ -n "${devd_pid:-}" ] && kill "$devd_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

"$devd" >"$work/devd.out" 2>"$work/devd.log" &
devd_pid=$!
for _ in $(seq 100); do
    grep -q . "$work/devd.out" 2>/dev/null && break
    kill -0 "$devd_pid" 2>/dev/null || break
    sleep 0.1
done
if ! kill -0 "$devd_pid" 2>/dev/null; then
    echo "skip: the stand-in did not start:"
    cat "$work/devd.out" "$work/devd.log"
    exit 77
fi

# The window must exist on the X server too: xwininfo looks for it by its title.
cat >"$work/inside.sh" <<INSIDE
"$app" &
pid=\$!
for _ in \$(seq 150); do
    if xwininfo -root -tree 2>/dev/null | grep -q '"Kelvask Brevant"'; then
        echo window-mapped
        break
    fi
    sleep 0.1
done
sleep 3
kill \$pid
wait \$pid 2>/dev/null
INSIDE
xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/inside.sh" >"$work/inside.out" 2>&1 &
app_pid=$!
wait "$app_pid"
app_pid=""

fail=0
grep -q window-mapped "$work/inside.out" || { echo "FAIL: no window titled Kelvask Brevant"; fail=1; }
# Request lines carry the method, the path and the status.
order=$(grep -oE '(GET|POST) /(api/status|api/system/info|api/config|ws)[^ ]* (200|101)' "$work/devd.log" \
    | awk '{print $2}' | awk '!seen[$0]++' | tr '\n' ' ')
expected="/api/status /api/system/info /api/config /ws "
[ "$order" = "$expected" ] || { echo "FAIL: first requests in order: '$order', expected '$expected'"; fail=1; }
polls=$(grep -cE 'GET /api/status 200' "$work/devd.log")
[ "$polls" -ge 4 ] || { echo "FAIL: only $polls status requests: the window is not polling"; fail=1; }
if [ $fail -ne 0 ]; then
    echo "--- devd log"; tail -30 "$work/devd.log"; echo "--- xvfb"; cat "$work/inside.out"
    exit 1
fi
echo "live: $polls status requests, window mapped"
