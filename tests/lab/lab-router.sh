#!/usr/bin/env bash
# The lab router for the tests: a client, a router running miniupnpd and an
# "internet", each in a network namespace of its own. Nothing here touches the
# machine's real network: every address lives inside these namespaces.
#
#   lab-router.sh up [v1|v2] [two]   build the lab from scratch (any old one is removed first);
#                                    "two" adds a second router on the same LAN
#   lab-router.sh down               remove everything; safe after a crash
#   lab-router.sh restart v1|v2      restart the routers' daemons with no mappings
#   lab-router.sh status             show what runs; exit 1 when the lab is not complete
#
# Layout (LAN 10.77.0.0/24 on the bridge lan0 in the client namespace):
#   sluice-c   client     lan0 10.77.0.2; each router's WAN net via that router, nothing
#                         else: any other address (a name server too) fails at once
#   sluice-r   router 1   lan 10.77.0.1, wan 198.51.100.1 (reports 7.7.7.7)
#   sluice-r2  router 2   lan 10.77.0.3, wan 203.0.113.1  (reports 7.7.7.8), only with "two"
#   sluice-i   internet   198.51.100.2 towards router 1, 203.0.113.2 towards router 2
# miniupnpd listens on port 2869. v1 describes WANIPConnection:1, v2 WANIPConnection:2.
set -euo pipefail

readonly NS_CLIENT=sluice-c
readonly NS_INTERNET=sluice-i
readonly ROUTERS=(r r2)
readonly LAB_DIR=${SLUICE_LAB_DIR:-/tmp/sluice-lab}
readonly LAN_PREFIX=10.77.0
readonly UPNP_PORT=2869

die() {
    echo "lab-router.sh: $*" >&2
    exit 2
}

router_ns() { echo "sluice-$1"; }
router_lan_ip() { case $1 in r) echo "$LAN_PREFIX.1" ;; r2) echo "$LAN_PREFIX.3" ;; esac; }
router_wan_net() { case $1 in r) echo 198.51.100 ;; r2) echo 203.0.113 ;; esac; }
router_ext_ip() { case $1 in r) echo 7.7.7.7 ;; r2) echo 7.7.7.8 ;; esac; }
router_uuid() { case $1 in r) echo 3b5e7a10-1d2c-4e5f-8a9b-5c1ce0000100 ;; r2) echo 3b5e7a10-1d2c-4e5f-8a9b-5c1ce0000200 ;; esac; }

check_prerequisites() {
    [ "$(id -u)" -eq 0 ] || die "must run as root to create network namespaces (uid $(id -u))"
    local tool
    for tool in ip nft miniupnpd ss; do
        command -v "$tool" >/dev/null || die "'$tool' is not installed (packages iproute2, nftables, miniupnpd-nftables)"
    done
}

ns_exists() { [ -e "/var/run/netns/$1" ]; }

# True while process $1 runs (an exited daemon may linger as a zombie).
process_alive() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

active_routers() {
    if [ -f "$LAB_DIR/routers" ]; then cat "$LAB_DIR/routers"; else echo r; fi
}

make_namespace() {
    ip netns add "$1"
    ip -n "$1" link set lo up
    ip netns exec "$1" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
}

# Links router $1 to the LAN bridge and to the internet namespace.
wire_router() {
    local id=$1 ns wan
    ns=$(router_ns "$id")
    wan=$(router_wan_net "$id")
    make_namespace "$ns"
    ip -n "$NS_CLIENT" link add "c-$id" type veth peer name lan netns "$ns"
    ip -n "$NS_CLIENT" link set "c-$id" master lan0 up
    ip -n "$ns" addr add "$(router_lan_ip "$id")/24" dev lan
    ip -n "$ns" link set lan up
    ip -n "$ns" link add wan type veth peer name "i-$id" netns "$NS_INTERNET"
    ip -n "$ns" addr add "$wan.1/24" dev wan
    ip -n "$ns" link set wan up
    ip -n "$NS_INTERNET" addr add "$wan.2/24" dev "i-$id"
    ip -n "$NS_INTERNET" link set "i-$id" up
    ip -n "$ns" route add 239.0.0.0/8 dev lan
    ip netns exec "$ns" sysctl -qw net.ipv4.ip_forward=1
    ip -n "$NS_CLIENT" route add "$wan.0/24" via "$(router_lan_ip "$id")"
    ip netns exec "$ns" nft -f - <<'EOF'
table inet filter {
    chain forward {
        type filter hook forward priority 0; policy accept;
        jump miniupnpd
    }
    chain miniupnpd {
    }
    chain prerouting {
        type nat hook prerouting priority -100; policy accept;
        jump prerouting_miniupnpd
    }
    chain postrouting {
        type nat hook postrouting priority 100; policy accept;
        jump postrouting_miniupnpd
        oifname "wan" masquerade
    }
    chain prerouting_miniupnpd {
    }
    chain postrouting_miniupnpd {
    }
}
EOF
}

write_config() {
    local id=$1 variant=$2 force_v1=no
    [ "$variant" = v1 ] && force_v1=yes
    cat >"$LAB_DIR/$id.conf" <<EOF
ext_ifname=wan
ext_ip=$(router_ext_ip "$id")
listening_ip=lan
port=$UPNP_PORT
enable_upnp=yes
enable_natpmp=no
secure_mode=no
system_uptime=yes
force_igd_desc_v1=$force_v1
lease_file=$LAB_DIR/$id.leases
uuid=$(router_uuid "$id")
allow 1-65535 $LAN_PREFIX.0/24 1-65535
deny 0-65535 0.0.0.0/0 0-65535
EOF
}

# Kills every process that runs inside namespace $1 (only our daemons live there).
kill_namespace_processes() {
    local pids i
    ns_exists "$1" || return 0
    pids=$(ip netns pids "$1" || true)
    [ -n "$pids" ] || return 0
    kill $pids 2>/dev/null || true
    for i in $(seq 30); do
        pids=$(ip netns pids "$1" || true)
        [ -n "$pids" ] || return 0
        sleep 0.1
    done
    kill -9 $pids 2>/dev/null || true
}

start_daemon() {
    local id=$1 ns i
    ns=$(router_ns "$id")
    ip netns exec "$ns" miniupnpd -f "$LAB_DIR/$id.conf" -d -4 -P "$LAB_DIR/$id.pid" \
        </dev/null >"$LAB_DIR/$id.log" 2>&1 &
    echo $! >"$LAB_DIR/$id.daemon"
    for i in $(seq 100); do
        process_alive "$(cat "$LAB_DIR/$id.daemon")" ||
            die "miniupnpd in $ns exited; log $LAB_DIR/$id.log:$(echo; tail -n 20 "$LAB_DIR/$id.log")"
        if ip netns exec "$ns" ss -Hltn "sport = :$UPNP_PORT" | grep -q .; then
            return 0
        fi
        sleep 0.1
    done
    die "miniupnpd in $ns does not listen on port $UPNP_PORT after 10 s; log $LAB_DIR/$id.log"
}

# Stops router $1's daemon and empties its mapping rules and lease file.
stop_daemon() {
    local id=$1 ns chain
    ns=$(router_ns "$id")
    kill_namespace_processes "$ns"
    if ns_exists "$ns"; then
        for chain in miniupnpd prerouting_miniupnpd postrouting_miniupnpd; do
            ip netns exec "$ns" nft flush chain inet filter "$chain" 2>/dev/null || true
        done
    fi
    rm -f "$LAB_DIR/$id.leases" "$LAB_DIR/$id.daemon" "$LAB_DIR/$id.pid"
}

cmd_down() {
    local id
    for id in "${ROUTERS[@]}"; do
        kill_namespace_processes "$(router_ns "$id")"
    done
    for ns in "$NS_CLIENT" "$(router_ns r)" "$(router_ns r2)" "$NS_INTERNET"; do
        ns_exists "$ns" && ip netns del "$ns"
    done
    rm -rf "$LAB_DIR"
}

cmd_up() {
    local variant=${1:-v1} routers=r id
    case $variant in v1 | v2) ;; *) die "unknown variant '$variant' (v1 or v2)" ;; esac
    case ${2:-} in "") ;; two) routers="r r2" ;; *) die "unknown option '$2' (two)" ;; esac
    check_prerequisites
    cmd_down
    mkdir -p "$LAB_DIR"
    echo "$variant" >"$LAB_DIR/variant"
    echo "$routers" >"$LAB_DIR/routers"
    make_namespace "$NS_CLIENT"
    make_namespace "$NS_INTERNET"
    ip -n "$NS_CLIENT" link add lan0 type bridge
    ip -n "$NS_CLIENT" link set lan0 type bridge mcast_snooping 0
    ip -n "$NS_CLIENT" addr add "$LAN_PREFIX.2/24" dev lan0
    ip -n "$NS_CLIENT" link set lan0 up
    for id in $routers; do
        wire_router "$id"
    done
    ip -n "$NS_CLIENT" route add unreachable default
    ip -n "$NS_CLIENT" route add 239.0.0.0/8 dev lan0
    for id in $routers; do
        write_config "$id" "$variant"
        start_daemon "$id"
    done
}

cmd_restart() {
    local variant=${1:-} id
    case $variant in v1 | v2) ;; *) die "restart needs v1 or v2" ;; esac
    check_prerequisites
    ns_exists "$NS_CLIENT" || die "the lab is not up"
    echo "$variant" >"$LAB_DIR/variant"
    for id in $(active_routers); do
        stop_daemon "$id"
        write_config "$id" "$variant"
        start_daemon "$id"
    done
}

cmd_status() {
    local ok=0 id ns pid
    for ns in "$NS_CLIENT" "$NS_INTERNET"; do
        if ns_exists "$ns"; then echo "$ns: present"; else echo "$ns: missing"; ok=1; fi
    done
    for id in $(active_routers); do
        ns=$(router_ns "$id")
        pid=$(cat "$LAB_DIR/$id.daemon" 2>/dev/null || true)
        if ns_exists "$ns" && [ -n "$pid" ] && process_alive "$pid"; then
            echo "$ns: miniupnpd pid $pid, $(cat "$LAB_DIR/variant"), $(router_lan_ip "$id"):$UPNP_PORT"
        else
            echo "$ns: miniupnpd not running"
            ok=1
        fi
    done
    return $ok
}

case ${1:-} in
up) cmd_up "${2:-}" "${3:-}" ;;
down) cmd_down ;;
restart) cmd_restart "${2:-}" ;;
status) cmd_status ;;
*) die "usage: lab-router.sh up [v1|v2] [two] | down | restart v1|v2 | status" ;;
esac
