#!/usr/bin/env bash
# Times Sluice's batch open against miniupnpc's client on the lab router, both
# including discovery, in one run:
#   1. one port:   sluice /open_hide 8100 TCP       vs  upnpc -a 10.77.0.2 8100 8100 TCP
#   2. ten ports:  sluice /open_hide 8100-8109 TCP  vs  upnpc -r 8100 TCP ... 8109 TCP
# For the range, upnpc -r redirects every listed port to this host after one
# discovery, the same work Sluice does (one discovery, ten AddPortMapping
# calls); ten separate upnpc -a calls would charge upnpc ten discoveries.
#
# Between runs every mapping is removed (untimed, straight to the router's
# description with upnpc -u, no discovery) and checked gone. The two tools take
# turns within each repetition so any drift hits both alike. One untimed warm-up
# run of each goes first.
#
#   sudo bench/open_bench.sh [path/to/sluice] [repetitions]
#
# Every run is measured by bench/child_usage (built with the project; another
# path in CHILD_USAGE): wall time from the fork to the child's end, the
# child's CPU time (user and system) and its peak resident memory, as the
# kernel counted them. The runs have no display (DISPLAY and WAYLAND_DISPLAY
# unset), as a script or cron job has. The load average is printed before and
# after, since a busy machine stretches every figure.
#
# BENCH_TRACE=1 adds one traced open of each case (/open_hide_debug, trace in
# $TMPDIR/Sluice_Debug.txt with millisecond stamps) and prints where its time
# went: the wall time, the traced span, and the main steps' stamps.
#
# Needs root (network namespaces). Builds nothing. Not a test: never registered
# with CTest. Holds the lab lock /tmp/sluice-lab.lock so it never overlaps a lab
# test, and brings the lab up and down itself.
set -euo pipefail

readonly HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly LAB_SCRIPT="$HERE/../tests/lab/lab-router.sh"
readonly LOCK_FILE=/tmp/sluice-lab.lock
readonly CLIENT_NS=sluice-c
readonly CLIENT_IP=10.77.0.2
readonly ROUTER_IP=10.77.0.1
readonly ROOT_DESC="http://$ROUTER_IP:2869/rootDesc.xml"
readonly FIRST_PORT=8100
readonly RANGE_PORTS=10

SLUICE_SOURCE=${1:-build/app/windows/sluice}
REPETITIONS=${2:-7}
CHILD_USAGE=${CHILD_USAGE:-build/bench/child_usage}

# The program's own fixed pauses in one batch open with discovery, from the
# code's constants. The lab client has one multicast-capable interface (lan0;
# lo is not IFF_MULTICAST), so each SSDP search pauses once.
#   where                                   constant                      ms  times
#   app/sluice_app.h  batch timer delay     kBatchTimerDelayMs           200  1
#   upnp/ssdp_searcher.cpp  before the send kPauseBeforeSendMs           200  2 (WANPPP + WANIP search, 1 interface)
#   upnp/igd_session.cpp  CheckRooter       kPauseAfterAcceptMs          100  1 (router accepted)
#   upnp/igd_session.cpp  UPnpInit          kPauseAfterAcceptMs          100  1 (after the accept)
#   upnp/port_mapping.cpp AddPortMapping    kPauseBeforeItemMs           100  1 per comma item ("8100" and
#                                                                               "8100-8109" are one item each)
# Not counted: UPnpInit's first 300 ms poll and its 300 ms poll steps end as
# soon as an answer is waiting; the repeat search (kRepeatSearchMs 1600) is not
# due within a normal run.
readonly -a PAUSE_NAMES=("batch timer" "SSDP send x2" "CheckRooter accept" "UPnpInit accept" "AddPortMapping item")
readonly -a PAUSE_MS=(200 400 100 100 100)

die() {
    echo "open_bench.sh: $*" >&2
    exit 2
}

[ "$(id -u)" -eq 0 ] || die "must run as root (network namespaces)"
[ -x "$SLUICE_SOURCE" ] || die "no sluice program at '$SLUICE_SOURCE' (give its path as first argument)"
command -v upnpc >/dev/null || die "upnpc is not installed (Debian package miniupnpc)"
[[ $REPETITIONS =~ ^[1-9][0-9]*$ ]] || die "repetitions must be a positive number"
[ -x "$CHILD_USAGE" ] || die "no measuring helper at '$CHILD_USAGE' (build the target child_usage, or set CHILD_USAGE)"
CHILD_USAGE=$(readlink -f "$CHILD_USAGE")

WORK=$(mktemp -d /tmp/sluice-bench.XXXXXX)
LAB_UP=0
cleanup() {
    if [ "$LAB_UP" = 1 ]; then
        bash "$LAB_SCRIPT" down >/dev/null 2>&1 || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

exec 9>"$LOCK_FILE"
flock -w 300 9 || die "the lab is still in use after 300 s ($LOCK_FILE)"

# The program, its window library and its bmp/ folder in a folder of their
# own, so the settings file lands there; its debug trace goes to $TMPDIR.
cp "$SLUICE_SOURCE" "$WORK/sluice"
for extra in bmp libsluice_gui.so; do
    if [ -e "$(dirname "$SLUICE_SOURCE")/$extra" ]; then
        cp -r "$(dirname "$SLUICE_SOURCE")/$extra" "$WORK/$extra"
    fi
done
mkdir -p "$WORK/tmp"

LAB_UP=1
bash "$LAB_SCRIPT" up v1 >/dev/null
# As the lab tests do: a default route through the router while we run (the lab
# leaves the client an unreachable default). BENCH_NO_ROUTE=1 skips it.
if [ "${BENCH_NO_ROUTE:-0}" != 1 ]; then
    ip netns exec "$CLIENT_NS" ip route replace default via "$ROUTER_IP" dev lan0
fi

# Runs a command in the client namespace without a display and prints
# "<wall ms> <cpu ms> <peak KiB> <exit code>"; the helper runs inside the
# namespace, so entering it is not counted.
timed() {
    ip netns exec "$CLIENT_NS" env -u DISPLAY -u WAYLAND_DISPLAY TMPDIR="$WORK/tmp" \
        "$CHILD_USAGE" "$@"
}

in_client() { ip netns exec "$CLIENT_NS" "$@"; }

mapping_count() {
    in_client upnpc -u "$ROOT_DESC" -l 2>/dev/null | grep -c -- "->$CLIENT_IP:" || true
}

# Removes every mapping of our ports, untimed, and checks none is left.
close_all() {
    local port
    for ((port = FIRST_PORT; port < FIRST_PORT + RANGE_PORTS; ++port)); do
        in_client upnpc -u "$ROOT_DESC" -d "$port" TCP >/dev/null 2>&1 || true
    done
    [ "$(mapping_count)" = 0 ] || die "mappings left on the router after closing"
}

range_args() {
    local port
    for ((port = FIRST_PORT; port < FIRST_PORT + RANGE_PORTS; ++port)); do
        printf '%s TCP ' "$port"
    done
}

# One timed run of case $1 with tool $2; leaves the wall ms, CPU ms and peak
# KiB in RUN_MS, RUN_CPU and RUN_KIB, checks the exit code and the mappings
# made.
run_once() {
    local kind=$1 tool=$2 out ms cpu kib rc want_rc want_maps
    case $kind:$tool in
        one:sluice) out=$(timed "$WORK/sluice" /open_hide "$FIRST_PORT" TCP); want_rc=1; want_maps=1 ;;
        one:upnpc) out=$(timed upnpc -a "$CLIENT_IP" "$FIRST_PORT" "$FIRST_PORT" TCP); want_rc=0; want_maps=1 ;;
        range:sluice) out=$(timed "$WORK/sluice" /open_hide "$FIRST_PORT-$((FIRST_PORT + RANGE_PORTS - 1))" TCP)
            want_rc=1; want_maps=$RANGE_PORTS ;;
        range:upnpc) # shellcheck disable=SC2046
            out=$(timed upnpc -r $(range_args)); want_rc=0; want_maps=$RANGE_PORTS ;;
    esac
    read -r ms cpu kib rc <<<"$out"
    [ "$rc" = "$want_rc" ] || die "$kind/$tool exited with $rc (expected $want_rc)"
    local maps
    maps=$(mapping_count)
    [ "$maps" = "$want_maps" ] || die "$kind/$tool left $maps mappings (expected $want_maps)"
    close_all
    RUN_MS=$ms
    RUN_CPU=$cpu
    RUN_KIB=$kib
}

median() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : int((v[NR/2]+v[NR/2+1])/2)}'; }

FIXED=0
for ms in "${PAUSE_MS[@]}"; do FIXED=$((FIXED + ms)); done

echo "Sluice batch open vs upnpc on the lab router (miniupnpd v1), $REPETITIONS repetitions, discovery included"
echo "sluice: $(readlink -f "$SLUICE_SOURCE")"
echo "range case: upnpc -r with ten 'port TCP' pairs, one discovery (fairest: Sluice also discovers once)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo
echo "Fixed pauses of one Sluice open (from the code's constants):"
for i in "${!PAUSE_NAMES[@]}"; do
    printf '  %-22s %4d ms\n' "${PAUSE_NAMES[$i]}" "${PAUSE_MS[$i]}"
done
printf '  %-22s %4d ms (same for one port and for 8100-8109)\n' "total" "$FIXED"
echo

close_all
for kind in one range; do
    run_once "$kind" sluice
    run_once "$kind" upnpc
done

# Goals of the one-port open without a display: at most this much above the
# fixed pauses, of CPU time and of peak memory.
readonly GOAL_ABOVE_MS=50
readonly GOAL_CPU_MS=30
readonly GOAL_PEAK_KIB=$((15 * 1024))

verdict() { [ "$1" -le "$2" ] && echo met || echo MISSED; }

goals_met=1
for kind in one range; do
    sluice_ms=() upnpc_ms=() sluice_cpu=() upnpc_cpu=() sluice_kib=() upnpc_kib=()
    for ((rep = 0; rep < REPETITIONS; ++rep)); do
        run_once "$kind" sluice
        sluice_ms+=("$RUN_MS") sluice_cpu+=("$RUN_CPU") sluice_kib+=("$RUN_KIB")
        run_once "$kind" upnpc
        upnpc_ms+=("$RUN_MS") upnpc_cpu+=("$RUN_CPU") upnpc_kib+=("$RUN_KIB")
    done
    s=$(median "${sluice_ms[@]}")
    u=$(median "${upnpc_ms[@]}")
    s_cpu=$(median "${sluice_cpu[@]}")
    u_cpu=$(median "${upnpc_cpu[@]}")
    s_kib=$(median "${sluice_kib[@]}")
    u_kib=$(median "${upnpc_kib[@]}")
    above=$((s - FIXED))
    ratio=$(awk -v s="$s" -v u="$u" 'BEGIN {printf "%.3f", s / u}')
    if [ "$kind" = one ]; then
        echo "== one port: sluice /open_hide $FIRST_PORT TCP  vs  upnpc -a $CLIENT_IP $FIRST_PORT $FIRST_PORT TCP"
    else
        echo "== ten ports: sluice /open_hide $FIRST_PORT-$((FIRST_PORT + RANGE_PORTS - 1)) TCP  vs  upnpc -r $(range_args)"
    fi
    echo "  sluice wall (ms): ${sluice_ms[*]}"
    echo "  upnpc  wall (ms): ${upnpc_ms[*]}"
    echo "  sluice CPU  (ms): ${sluice_cpu[*]}"
    echo "  upnpc  CPU  (ms): ${upnpc_cpu[*]}"
    echo "  sluice peak (KiB): ${sluice_kib[*]}"
    echo "  upnpc  peak (KiB): ${upnpc_kib[*]}"
    echo "  median sluice ${s} ms wall, ${s_cpu} ms CPU, ${s_kib} KiB peak"
    echo "  median upnpc  ${u} ms wall, ${u_cpu} ms CPU, ${u_kib} KiB peak"
    echo "  ratio of wall times sluice/upnpc ${ratio}"
    echo "  sluice time above fixed pauses: ${s} - ${FIXED} = ${above} ms"
    half=$([ $((2 * s)) -le "$u" ] && echo met || echo MISSED)
    small=$(verdict "$above" "$GOAL_ABOVE_MS")
    echo "  goal sluice <= half of upnpc: $half; goal above fixed pauses <= $GOAL_ABOVE_MS ms: $small"
    [ "$half" = met ] && [ "$small" = met ] || goals_met=0
    if [ "$kind" = one ]; then
        cpu_goal=$(verdict "$s_cpu" "$GOAL_CPU_MS")
        peak_goal=$(verdict "$s_kib" "$GOAL_PEAK_KIB")
        echo "  goal CPU <= $GOAL_CPU_MS ms: $cpu_goal; goal peak <= $GOAL_PEAK_KIB KiB (15 MiB): $peak_goal"
        [ "$cpu_goal" = met ] && [ "$peak_goal" = met ] || goals_met=0
    fi
    echo
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
[ "$goals_met" = 1 ] && echo "all goals met" || echo "some goals missed (reported, not enforced)"

# One traced open per case: what lies outside the trace is the process's start
# and exit; inside, the stamps show the pauses and each exchange with the router.
if [ "${BENCH_TRACE:-0}" = 1 ]; then
    for ports in "$FIRST_PORT" "$FIRST_PORT-$((FIRST_PORT + RANGE_PORTS - 1))"; do
        rm -f "$WORK/tmp/Sluice_Debug.txt"
        read -r ms _ _ rc <<<"$(timed "$WORK/sluice" /open_hide_debug "$ports" TCP)"
        last=$(grep -a -o '^[0-9]\{6\}' "$WORK/tmp/Sluice_Debug.txt" | tail -n 1)
        last=$((10#$last))
        echo "== traced: sluice /open_hide_debug $ports TCP (exit $rc)"
        echo "  wall ${ms} ms, traced span ${last} ms, outside the trace (start, exit) $((ms - last)) ms"
        grep -a -E '^[0-9]{6} (Get_glb_GateWy\(\) S|CSluiceDlg::OnButton1\(\) S1|AddPortMapping\(\) S|UPnpInit\(\) S|CheckRooter\(\) S|CheckRooter\(\) ControlURL\(\) C|GetControlURL\(\) responseText|GetWANIPAdrress\(\) [SE]|_AddPortMapping\(\) (Send\(\) C|E)|CSluiceDlg::OnButton1\(\) Nomal End)' \
            "$WORK/tmp/Sluice_Debug.txt" | LC_ALL=C sed 's/[^[:print:]]\{1,\}/ /g; s/^/  /' | cut -c1-80
        close_all
        echo
    done
fi
