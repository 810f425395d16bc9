#!/usr/bin/env bash
# A private Firebird 3 server for the tests, on a loopback port. Everything it uses lives in
# STATE (configuration, security database, lock folder, log, pid); Debian's own service,
# configuration and security database are neither used nor touched.
#
# Its SYSDBA gets a new random password at each start, which no test uses and nothing
# prints (STATE/sysdba-password, for whoever must look inside). The tests log in as a user of
# their own, allowed to create databases, who therefore owns the test databases: the name is
# in STATE/test-user, its random password (made with the security database) in
# STATE/test-password. The program's built-in SYSDBA password is refused by this server.
#
#   test-server.sh start STATE   starts the server (again, on the same port, when STATE has
#                                one already) and prints its address, e.g. 127.0.0.1/31542
#   test-server.sh stop STATE    stops the server of STATE by its process id
#
# The tests find the address in STATE/address. Every file of STATE is the account's only.
set -euo pipefail
umask 077
test_user=ARDOZ_TEST

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
WireCrypt = Required
EOF
    cat > "$root/databases.conf" <<EOF
security.db = $state/security3.fdb
{
    RemoteAccess = false
}
EOF
    mkdir -p "$state/lock"
}

# A password of letters and digits, from the system's random source.
random_password() {
    local password
    password="$(head -c 64 /dev/urandom | base64 -w 0 | tr -dc 'A-Za-z0-9' | head -c 24)" || true
    printf '%s' "$password"
}

# Runs the SQL of standard input on the security database through the embedded engine (the
# server is stopped), which checks no password. The passwords travel on standard input, never
# on a command line.
security_sql() {
    FIREBIRD="$state/root" FIREBIRD_LOCK="$state/lock" isql-fb -q -user SYSDBA "$@" \
        >> "$state/init.log" 2>&1
}

create_security_database() {
    [ -f "$state/security3.fdb" ] && [ -s "$state/test-password" ] && return 0
    rm -f "$state/security3.fdb"
    local password
    password="$(random_password)"
    security_sql <<EOF
create database '$state/security3.fdb';
create user SYSDBA password '$(random_password)' using plugin Srp;
create user $test_user password '$password' using plugin Srp;
grant create database to user $test_user;
commit;
exit;
EOF
    printf '%s\n' "$test_user" > "$state/test-user"
    printf '%s\n' "$password" > "$state/test-password"
}

# A new SYSDBA password at each start: nobody knows it in advance.
renew_sysdba_password() {
    local password
    password="$(random_password)"
    security_sql "$state/security3.fdb" <<EOF
alter user SYSDBA password '$password' using plugin Srp;
commit;
exit;
EOF
    printf '%s\n' "$password" > "$state/sysdba-password"
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
            renew_sysdba_password
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
