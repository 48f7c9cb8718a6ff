#!/usr/bin/env bash
# A private PostgreSQL for one test, as a school's server would be, but
# reachable only through a Unix socket in a folder of its own: no TCP port,
# nothing of the machine's own clusters touched.
#   tests/klasse/pgserver.sh start <folder> [name=value...]
#       makes the cluster in <folder> on first use, starts it, waits until it
#       accepts connections and prints, one a line, PGHOST=, PGPORT=, PGUSER=,
#       PGDATABASE= (the superuser's connection) and, last, PGPID= (the
#       postmaster). name=value pairs are server settings for a new cluster.
#   tests/klasse/pgserver.sh stop <folder>
#   tests/klasse/pgserver.sh serve <folder> [name=value...]
#       start, then stop as soon as its input closes, so the server ends with
#       the test that holds the pipe, however that test ends.
# The superuser "postgres" comes in without a password (only the owner of the
# folder, and root, can reach the socket); every other login needs its
# password (scram-sha-256), as on a school's server. initdb and postgres
# refuse to run as root: as root, the cluster belongs to Debian's "postgres"
# account, and <folder> is handed to it.
# Exit code 77 (CTest's "skipped") when the PostgreSQL server is not installed.
set -u

usage() {
    echo "usage: $0 start|stop|serve <folder> [name=value...]" >&2
    exit 2
}
[ $# -ge 2 ] || usage
command=$1
folder=$2
shift 2
case $command in start | stop | serve) ;; *) usage ;; esac

# The server's programs: where pg_config says, else Debian's newest.
bindir=
candidates=()
command -v pg_config >/dev/null 2>&1 && candidates+=("$(pg_config --bindir 2>/dev/null)")
while IFS= read -r dir; do
    candidates+=("$dir")
done < <(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -rV)
for dir in "${candidates[@]}"; do
    if [ -x "$dir/initdb" ] && [ -x "$dir/postgres" ] && [ -x "$dir/pg_ctl" ]; then
        bindir=$dir
        break
    fi
done
if [ -z "$bindir" ]; then
    echo "SKIP: the PostgreSQL server is not installed (Debian: apt-get install postgresql)"
    exit 77
fi

fail() {
    echo "pgserver: $*" >&2
    exit 1
}

# As root, the server's programs run as the postgres account.
as_server=()
if [ "$(id -u)" -eq 0 ]; then
    id -u postgres >/dev/null 2>&1 ||
        fail "running as root, the server needs Debian's postgres account, which is missing"
    as_server=(runuser -u postgres --)
fi
server() { (cd "$folder/data" 2>/dev/null || cd /; "${as_server[@]}" "$@"); }

mkdir -p "$folder" || fail "cannot make $folder"
folder=$(cd "$folder" && pwd)
data=$folder/data
socket=$folder/run
log=$folder/postgres.log

postmaster_pid() {
    [ -r "$data/postmaster.pid" ] && head -n 1 "$data/postmaster.pid"
}

stop_server() {
    local pid
    pid=$(postmaster_pid) || return 0
    [ -n "$pid" ] || return 0
    # A test may have frozen the server (SIGSTOP) to play a hung one.
    kill -CONT "$pid" 2>/dev/null
    for child in $(ps -o pid= --ppid "$pid" 2>/dev/null); do
        kill -CONT "$child" 2>/dev/null
    done
    server "$bindir/pg_ctl" -D "$data" -m fast -w -t 30 stop >/dev/null 2>&1 ||
        server "$bindir/pg_ctl" -D "$data" -m immediate -w -t 30 stop >/dev/null 2>&1
}

start_server() {
    if [ -n "${as_server[*]}" ]; then
        chown postgres "$folder" && chmod 700 "$folder" || fail "cannot hand $folder to the postgres account"
        runuser -u postgres -- test -w "$folder" ||
            fail "the postgres account cannot reach $folder; use a folder under /tmp"
    fi
    if [ ! -e "$data/PG_VERSION" ]; then
        server "$bindir/initdb" -D "$data" -U postgres --no-locale -E UTF8 --no-sync \
            --auth-local=trust --auth-host=reject >"$folder/initdb.log" 2>&1 ||
            { cat "$folder/initdb.log" >&2; fail "initdb failed"; }
        server mkdir -p "$socket"
        server sh -c 'cat >"$1"' sh "$data/pg_hba.conf" <<EOF
# The superuser through the private socket only; everyone else by password.
local all postgres trust
local all all scram-sha-256
EOF
        {
            echo "listen_addresses = ''"
            echo "unix_socket_directories = '$socket'"
            echo "unix_socket_permissions = 0700"
            # A throwaway cluster: nothing needs to survive a crash of the machine.
            echo "fsync = off"
            echo "full_page_writes = off"
            echo "logging_collector = off"
            for setting in "$@"; do
                echo "${setting%%=*} = ${setting#*=}"
            done
        } | server sh -c 'cat >>"$1"' sh "$data/postgresql.conf"
    fi
    if ! server "$bindir/pg_ctl" -D "$data" status >/dev/null 2>&1; then
        # pg_ctl waits, at most 60 s, until the server accepts connections.
        server "$bindir/pg_ctl" -D "$data" -l "$log" -w -t 60 start >/dev/null 2>&1 ||
            { tail -n 30 "$log" >&2; fail "the server did not start within 60 s"; }
    fi
    local pid
    pid=$(postmaster_pid) || fail "the server started but left no postmaster.pid"
    echo "PGHOST=$socket"
    echo "PGPORT=5432"
    echo "PGUSER=postgres"
    echo "PGDATABASE=postgres"
    echo "PGPID=$pid"
}

case $command in
start)
    start_server "$@"
    ;;
stop)
    stop_server
    ;;
serve)
    trap 'stop_server; exit 1' HUP INT TERM
    start_server "$@" || { stop_server; exit 1; }
    cat >/dev/null
    stop_server
    ;;
esac
