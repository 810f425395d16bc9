#!/usr/bin/env bash
# A private Firebird 3 server for the tests, on a loopback port, with the application's
# SYSDBA password. Everything it uses lives in STATE (configuration, security database, lock
# folder, log, pid); Debian's own service, configuration and security database are neither
# used nor touched.
#
#   test-server.sh start STATE   starts the server (again, on the same port, when STATE has
#                                one already) and prints its address, e.g. 127.0.0.1/31542
#   test-server.sh stop STATE    stops the server of STATE by its process id
#
# The tests find the address in STATE/address.
set -euo pipefail

action="${1:-}"
state="${2:-}"
if [ -z "$action" ] || [ -z "$state" ]; then
    echo "Usage : $0 start|stop DOSSIER" >&2
    exit 2
fi
mkdir -p "$state"
state="$(cd "$state" && pwd)"
server=/usr/sbin/firebird
system_root=/usr/lib/x86_64-linux-gnu/firebird/3.0
[ -d "$system_root" ] || system_root="$(dirname "$(find /usr/lib -path '*/firebird/3.0/plugins' -print -quit 2>/dev/null)")"

running() {
    [ -f "$state/pid" ] && kill -0 "$(cat "$state/pid")" 2>/dev/null
}

stop() {
    if running; then
        local pid
        pid="$(cat "$state/pid")"
        kill -TERM "$pid" 2>/dev/null || true
        # After a services request the engine may not finish its shutdown on its own.
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null; then
            kill -KILL "$pid" 2>/dev/null || true
            for _ in $(seq 1 50); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
    fi
    rm -f "$state/pid"
}

port_free() {
    ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

listening() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# The engine's root folder: Debian's files, except our own configuration. The character-set
# module is copied, not linked: the engine does not load it through a link.
prepare_root() {
    local root="$state/root"
    mkdir -p "$root/intl"
    for f in firebird.msg plugins UDF lib plugins.conf; do
        [ -e "$system_root/$f" ] && ln -sfn "$system_root/$f" "$root/$f"
    done
    cp -f "$system_root/intl/libfbintl.so" "$root/intl/libfbintl.so"
    ln -sfn "$(readlink -f "$system_root/intl/fbintl.conf")" "$root/intl/fbintl.conf"
    cat > "$root/firebird.conf" <<EOF
RemoteBindAddress = 127.0.0.1
RemoteServicePort = $1
SecurityDatabase = $state/security3.fdb
UdfAccess = None
EOF
    cat > "$root/databases.conf" <<EOF
security.db = $state/security3.fdb
{
    RemoteAccess = false
}
EOF
    mkdir -p "$state/lock"
}

create_security_database() {
    [ -f "$state/security3.fdb" ] && return 0
    FIREBIRD="$state/root" FIREBIRD_LOCK="$state/lock" isql-fb -q -user SYSDBA > "$state/init.log" 2>&1 <<EOF
create database '$state/security3.fdb';
create user SYSDBA password 'quillhorn' using plugin Srp;
commit;
exit;
EOF
}

start() {
    stop
    local port
    if [ -f "$state/port" ]; then
        port="$(cat "$state/port")"
    else
        port=$((20000 + RANDOM % 12000))
    fi
    for _ in $(seq 1 20); do
        if port_free "$port"; then
            prepare_root "$port"
            create_security_database
            FIREBIRD="$state/root" FIREBIRD_LOCK="$state/lock" \
                "$server" < /dev/null >> "$state/server.log" 2>&1 &
            local pid=$!
            echo "$pid" > "$state/pid"
            for _ in $(seq 1 100); do
                kill -0 "$pid" 2>/dev/null || break
                if listening "$port"; then
                    echo "$port" > "$state/port"
                    echo "127.0.0.1/$port" > "$state/address"
                    cat "$state/address"
                    return 0
                fi
                sleep 0.1
            done
            stop
        fi
        # The port was taken meanwhile (or the server did not come up): try another one,
        # below the range the system gives to outgoing connections.
        port=$((20000 + RANDOM % 12000))
    done
    echo "Le serveur Firebird de test n'a pas démarré (voir $state/server.log)." >&2
    return 1
}

case "$action" in
    start) start ;;
    stop) stop ;;
    *)
        echo "Usage : $0 start|stop DOSSIER" >&2
        exit 2
        ;;
esac
