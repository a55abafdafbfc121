#!/usr/bin/env bash
# Builds Sluice and shows its main job against a throwaway router: a real IGD
# daemon (miniupnpd) in network namespaces, so no home router is needed. It
# opens port 8000 for this "computer", lists the router's mappings, closes all
# of this computer's mappings again, and removes the namespaces at the end.
# Needs root (network namespaces). Nothing here touches the machine's network.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

bash scripts/build.sh

lab="$repo/tests/lab/lab-router.sh"
work=$(mktemp -d)
cleanup() {
    bash "$lab" down >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# The program keeps its settings file beside itself: run a copy from a
# scratch folder so the build tree stays clean.
cp build/app/windows/sluice "$work/"
cp -r build/app/windows/bmp "$work/" 2>/dev/null || true

exec 9>/tmp/sluice-lab.lock
flock -w 300 9 || { echo "demo: the lab is busy (tests running?)" >&2; exit 1; }

echo "== Bringing up the lab router (miniupnpd, external address 7.7.7.7)"
bash "$lab" up v1
# The client's only way out is the router, as on a home LAN.
ip netns exec sluice-c ip route replace default via 10.77.0.1

in_client() { ip netns exec sluice-c env -u DISPLAY -u WAYLAND_DISPLAY "$@"; }
mappings() { in_client upnpc -l 2>/dev/null | sed -n '/i protocol exPort/,$p' | grep -v 'returned 713'; }

echo
echo "== The router's mappings before (as miniupnpc's upnpc sees them)"
mappings
echo
echo "== sluice /open_hide 8000 TCP"
set +e
in_client "$work/sluice" /open_hide 8000 TCP
echo "exit code: $? (1 = done, 2 = failed)"
echo
echo "== The router's mappings now"
mappings
echo
echo "== sluice /closeall_hide"
in_client "$work/sluice" /closeall_hide
echo "exit code: $? (1 = done, 2 = failed)"
set -e
echo
echo "== The router's mappings after"
mappings
