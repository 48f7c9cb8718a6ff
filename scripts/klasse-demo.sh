#!/usr/bin/env bash
# Tries Ollo's class mode on one machine: makes a throwaway PostgreSQL in a
# temporary folder (Debian's postgresql package, reachable only through a Unix
# socket there), loads the school's schema, creates class 3b with 25 children,
# a class computer's login and a teacher's, and starts Ollo in class mode
# against it, with settings and records of its own in the same folder. When
# Ollo ends, the server stops and the folder goes.
#   scripts/klasse-demo.sh [path to ollo] [Ollo's arguments...]
# Without a path it takes build/ollo, building it first (scripts/run.sh's way).
# Beside it the teacher's "Klassenübersicht" (ollo --klasse) opens with the
# teacher's login and follows the answers as they arrive; the rows themselves
# are a psql away, and the script prints the command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

program=
if [ $# -gt 0 ] && [ -x "$1" ] && [ ! -d "$1" ]; then
    program=$1
    shift
else
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$root/build" --target ollo ollo_help -j"$(nproc)" >/dev/null
    program=$root/build/ollo
fi
for tool in psql; do
    command -v "$tool" >/dev/null ||
        { echo "klasse-demo: $tool fehlt (Debian: sudo apt-get install postgresql)" >&2; exit 1; }
done

# Under /tmp: as root, the server runs as the postgres account, which must reach it.
demo=$(mktemp -d /tmp/ollo-klasse-demo-XXXXXX)
# The server's account passes through to its own folder, and sees nothing else.
[ "$(id -u)" -ne 0 ] || chmod 711 "$demo"
server=$root/tests/klasse/pgserver.sh
view=
cleanup() {
    [ -z "$view" ] || kill "$view" 2>/dev/null || true
    "$server" stop "$demo/server" >/dev/null 2>&1 || true
    rm -rf "$demo"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

echo "Starte einen PostgreSQL-Server zum Ausprobieren in $demo ..."
declare -A pg=()
while IFS='=' read -r key value; do
    pg[$key]=$value
done < <("$server" start "$demo/server")
if [ -z "${pg[PGPID]:-}" ]; then
    echo "klasse-demo: Der Server ließ sich nicht starten." >&2
    exit 1
fi
owner=(psql -X -q -v ON_ERROR_STOP=1 -h "${pg[PGHOST]}" -p "${pg[PGPORT]}" -U "${pg[PGUSER]}")

"${owner[@]}" -d postgres -c "CREATE DATABASE ollo" >/dev/null
"${owner[@]}" -d ollo -f "$root/data/klasse/ollo-klasse.sql" >/dev/null

computer_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
teacher_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
children="Anna Ben Cem Dana Emil Fatma Greta Hannes Ida Jonas Karla Leon Mia Noah Olga Paul Quirin Rosa Sami Tilda Umut Vera Willi Yusuf Zoe"
values=
for child in $children; do
    values+="${values:+,}(ollo.class_named('3b'), '$child')"
done
"${owner[@]}" -d ollo >/dev/null <<EOF
SELECT ollo.create_class('3b');
SELECT ollo.create_class_computer('rechner_3b', '3b', '$computer_password');
SELECT ollo.create_teacher('lehrerin_3b', '3b', '$teacher_password');
INSERT INTO ollo.children (class_id, name) VALUES $values;
EOF

# libpq's own files, as school IT would deploy them, and Ollo's class file.
mkdir -p "$demo/config" "$demo/data"
cat >"$demo/pg_service.conf" <<EOF
[ollo-demo]
host=${pg[PGHOST]}
port=${pg[PGPORT]}
dbname=ollo
user=rechner_3b

[ollo-demo-lehrerin]
host=${pg[PGHOST]}
port=${pg[PGPORT]}
dbname=ollo
user=lehrerin_3b
EOF
umask 077
cat >"$demo/pgpass" <<EOF
${pg[PGHOST]}:${pg[PGPORT]}:ollo:rechner_3b:$computer_password
${pg[PGHOST]}:${pg[PGPORT]}:ollo:lehrerin_3b:$teacher_password
EOF
umask 022
cat >"$demo/config/ollo-Klasse.conf" <<EOF
[Klasse]
Dienst=ollo-demo
Klasse=3b
EOF

export PGSERVICEFILE=$demo/pg_service.conf PGPASSFILE=$demo/pgpass
export XDG_CONFIG_HOME=$demo/config XDG_DATA_HOME=$demo/data XDG_CONFIG_DIRS=$demo/none
unset PGHOST PGHOSTADDR PGPORT PGDATABASE PGUSER PGPASSWORD PGSERVICE PGSYSCONFDIR

cat <<EOF
Klasse 3b mit 25 Kindern ist angelegt. Ollo startet jetzt im Klassenbetrieb,
daneben die Klassenübersicht der Lehrerin (ollo --klasse).
Was auf dem Server ankommt, zeigt (als Lehrerin, in einem anderen Terminal):
  PGSERVICEFILE=$PGSERVICEFILE PGPASSFILE=$PGPASSFILE psql "service=ollo-demo-lehrerin" \\
    -c "SELECT c.name, count(*) FROM ollo.answers a JOIN ollo.children c ON c.id = a.child_id GROUP BY 1"
Wenn Ollo endet, wird alles wieder entfernt.
EOF
# The teacher's view, with the teacher's own ollo-Klasse.conf.
mkdir -p "$demo/lehrerin"
printf '[Klasse]\nDienst=ollo-demo-lehrerin\nKlasse=3b\n' >"$demo/lehrerin/ollo-Klasse.conf"
XDG_CONFIG_HOME=$demo/lehrerin "$program" --klasse &
view=$!
status=0
"$program" "$@" || status=$?
exit "$status"
