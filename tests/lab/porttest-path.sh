#!/usr/bin/env bash
# Shows that the lab carries the port-open test's connect-back: sluice-testserver
# runs in the "internet" namespace, a request from the client reaches it
# masqueraded as the router's WAN address, and the probe back to that address
# reaches the client only through miniupnpd's forwarding rule. The client's
# end is a second sluice-testserver, which only has to accept the connection.
#
#   porttest-path.sh [BUILD_DIR]     (default build; needs root)
set -euo pipefail
cd "$(dirname "$0")/../.."
readonly SERVER=${1:-build}/testserver/sluice-testserver
readonly LAB=tests/lab/lab-router.sh
readonly PORT=28800
[ -x "$SERVER" ] || { echo "porttest-path.sh: build sluice-testserver first ($SERVER)" >&2; exit 2; }

exec 9>/tmp/sluice-lab.lock
flock -w 300 9 || { echo "porttest-path.sh: the lab is busy" >&2; exit 2; }
pids=()
cleanup() {
    [ ${#pids[@]} -eq 0 ] || kill "${pids[@]}" 2>/dev/null || true
    bash "$LAB" down
}
trap cleanup EXIT

# One probe from the client; prints the test server's page.
probe() {
    ip netns exec sluice-c timeout 10 bash -c '
        exec 3<>/dev/tcp/198.51.100.2/8080
        printf "GET /cgi-bin/port_scan.php?port=%s HTTP/1.0\r\n\r\n" "$1" >&3
        cat <&3' probe "$PORT"
}

bash "$LAB" up v1
ip netns exec sluice-i "$SERVER" --listen 198.51.100.2:8080 --per-minute 100 &
pids+=($!)
ip netns exec sluice-c "$SERVER" --listen "10.77.0.2:$PORT" >/dev/null &
pids+=($!)
sleep 1

echo "== without a mapping (expect: not reached)"
probe | tail -n 1
echo
ip netns exec sluice-c upnpc -u http://10.77.0.1:2869/rootDesc.xml -a 10.77.0.2 "$PORT" "$PORT" TCP >/dev/null
echo "== with miniupnpd's mapping (expect: reached)"
answer=$(probe)
echo "$answer" | tail -n 1
echo
grep -q ": reached<" <<<"$answer" && echo "path OK" || { echo "path FAILED"; exit 1; }
