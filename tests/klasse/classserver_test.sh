#!/usr/bin/env bash
# The school's schema on a private PostgreSQL, checked with psql as each
# login, through a pg_service.conf and a .pgpass as the class computers and
# teachers will use them: what a class computer and a teacher may read and
# write, that a row sent twice is stored once, what the server keeps from the
# answers, that new answers are announced, and that the schema's SQL runs
# again over its own tables and leaves a newer schema alone.
#   tests/klasse/classserver_test.sh <ollo-klasse.sql>
# Exit code 77 (CTest's "skipped") when PostgreSQL is not installed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
schema=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")

if ! command -v psql >/dev/null 2>&1; then
    echo "SKIP: psql is not installed (Debian: apt-get install postgresql-client)"
    exit 77
fi

# The server's folder lies directly in the temporary folder: as root, the
# postgres account runs the server and must reach it.
server=$(mktemp -d)
work=$(mktemp -d)
cleanup() {
    [ -n "${LISTENER_PID:-}" ] && kill "$LISTENER_PID" 2>/dev/null
    "$here/pgserver.sh" stop "$server" >/dev/null
    rm -rf "$server" "$work"
}
trap cleanup EXIT

said=$("$here/pgserver.sh" start "$server")
status=$?
if [ $status -ne 0 ]; then
    echo "$said"
    exit $status
fi
host=$(sed -n 's/^PGHOST=//p' <<<"$said")
port=$(sed -n 's/^PGPORT=//p' <<<"$said")
superuser=$(sed -n 's/^PGUSER=//p' <<<"$said")

# Every login comes in through its service, as in a school; host, user and
# password come from libpq's files only.
unset PGHOST PGPORT PGUSER PGDATABASE PGPASSWORD PGSERVICE
export PGSERVICEFILE=$work/pg_service.conf PGPASSFILE=$work/pgpass PGCLIENTENCODING=UTF8
logins="rechner_3b rechner_4a lehrer_3b lehrer_beide"
{
    printf '[owner]\nhost=%s\nport=%s\ndbname=schule\nuser=%s\n\n' "$host" "$port" "$superuser"
    for login in $logins; do
        printf '[%s]\nhost=%s\nport=%s\ndbname=schule\nuser=%s\n\n' "$login" "$host" "$port" "$login"
    done
} >"$PGSERVICEFILE"
: >"$PGPASSFILE"
chmod 600 "$PGPASSFILE"
for login in $logins; do
    # .pgpass wants ':' and '\' in its fields escaped.
    printf '%s:%s:schule:%s:Kennwort-%s\n' "${host//:/\\:}" "$port" "$login" "$login" >>"$PGPASSFILE"
done

as() {
    local login=$1
    shift
    psql "service=$login" -X -q -A -t -F ' ' -v ON_ERROR_STOP=1 "$@"
}

psql "service=owner dbname=postgres" -X -q -c "CREATE DATABASE schule" >/dev/null || exit 1
# Twice over an empty database: the second run must change nothing and fail nothing.
for run in first second; do
    as owner -f "$schema" >"$work/schema-$run.log" 2>&1 ||
        { echo "the schema's $run run failed:"; cat "$work/schema-$run.log"; exit 1; }
done
as owner >"$work/setup.log" 2>&1 <<'EOF' || { cat "$work/setup.log"; exit 1; }
SELECT ollo.create_class('3b'), ollo.create_class('4a');
SELECT ollo.create_class_computer('rechner_3b', '3b', 'Kennwort-rechner_3b');
SELECT ollo.create_class_computer('rechner_4a', '4a', 'Kennwort-rechner_4a');
SELECT ollo.create_teacher('lehrer_3b', '3b', 'Kennwort-lehrer_3b');
SELECT ollo.create_teacher('lehrer_beide', '3b', 'Kennwort-lehrer_beide');
SELECT ollo.add_teacher('lehrer_beide', '4a');
INSERT INTO ollo.children (class_id, name)
VALUES (ollo.class_named('3b'), 'Anna'), (ollo.class_named('3b'), 'Cem'), (ollo.class_named('4a'), 'Ben');
EOF

declare -A ids
ids[k3b]=$(as owner -c "SELECT ollo.class_named('3b')")
ids[k4a]=$(as owner -c "SELECT ollo.class_named('4a')")
ids[anna]=$(as owner -c "SELECT id FROM ollo.children WHERE name = 'Anna'")
ids[cem]=$(as owner -c "SELECT id FROM ollo.children WHERE name = 'Cem'")
ids[ben]=$(as owner -c "SELECT id FROM ollo.children WHERE name = 'Ben'")
ids[schema]=$schema
variables=()
for name in "${!ids[@]}"; do
    variables+=(-v "$name=${ids[$name]}")
done

# The cases, run in this order, each in a session of its own:
#   tag | login | expected | statements
# expected is what psql prints, rows joined by ',' and columns by a blank
# ('-' for nothing); or "ERROR: <part of the message>"; or "NOTIFY <login>
# <payload>": that login, listening while the statements run, hears of new
# answers with this payload. In statements :name, in expected $name, stand
# for the ids above. Drills, tasks and answers are made as a class computer
# sends them; d…, c… and a… are their UUIDs (drill, task, answer).
cases=$(cat <<'EOF'
class computer reads its class       | rechner_3b   | 3b                                 | SELECT name FROM ollo.classes
class computer reads its roster      | rechner_3b   | Anna,Cem                           | SELECT name FROM ollo.children ORDER BY name
other class computer, other roster   | rechner_4a   | Ben                                | SELECT name FROM ollo.children
class computer sends a drill         | rechner_3b   | -                                  | INSERT INTO ollo.drills (class_id, child_id, id, started, command, caption, operation, series, task_count) VALUES (:'k3b', :'anna', 'd0000000-0000-4000-8000-000000000001', 1717430400000, 32775, '7-er Reihe', 0, 7, 10) ON CONFLICT DO NOTHING
the same drill again                 | rechner_3b   | -                                  | INSERT INTO ollo.drills (class_id, child_id, id, started, command, caption, operation, series, task_count) VALUES (:'k3b', :'anna', 'd0000000-0000-4000-8000-000000000001', 1717430400000, 32775, '7-er Reihe', 0, 7, 10) ON CONFLICT DO NOTHING
class computer sends a task          | rechner_3b   | -                                  | INSERT INTO ollo.tasks (class_id, child_id, id, drill_id, number, posed, operation, factor, series, text, expected) VALUES (:'k3b', :'anna', 'c0000000-0000-4000-8000-000000000001', 'd0000000-0000-4000-8000-000000000001', 1, 1717430403000, 0, 8, 7, '8 X 7 = ??', '56') ON CONFLICT DO NOTHING
a wrong answer, teacher listening    | rechner_3b   | NOTIFY lehrer_3b $k3b              | INSERT INTO ollo.answers (class_id, child_id, id, task_id, attempt, at, typed, correct, choice, thinking_ms) VALUES (:'k3b', :'anna', 'a0000000-0000-4000-8000-000000000001', 'c0000000-0000-4000-8000-000000000001', 1, 1717430409000, '54', false, 1, 6100) ON CONFLICT DO NOTHING
the wrong answer sent again          | rechner_3b   | -                                  | INSERT INTO ollo.answers (class_id, child_id, id, task_id, attempt, at, typed, correct, choice, thinking_ms) VALUES (:'k3b', :'anna', 'a0000000-0000-4000-8000-000000000001', 'c0000000-0000-4000-8000-000000000001', 1, 1717430409000, '54', false, 1, 6100) ON CONFLICT DO NOTHING
then the right one                   | rechner_3b   | -                                  | INSERT INTO ollo.answers (class_id, child_id, id, task_id, attempt, at, typed, correct, choice, thinking_ms) VALUES (:'k3b', :'anna', 'a0000000-0000-4000-8000-000000000002', 'c0000000-0000-4000-8000-000000000001', 2, 1717430415000, '56', true, 0, 2500) ON CONFLICT DO NOTHING
class computer ends its drill        | rechner_3b   | -                                  | UPDATE ollo.drills SET ended = 1717430460000, how_ended = 2 WHERE class_id = :'k3b' AND child_id = :'anna' AND id = 'd0000000-0000-4000-8000-000000000001' AND ended IS NULL
an end sent again changes nothing    | rechner_3b   | -                                  | UPDATE ollo.drills SET ended = 1717430999000, how_ended = 1 WHERE class_id = :'k3b' AND child_id = :'anna' AND id = 'd0000000-0000-4000-8000-000000000001'
class computer reads no answers      | rechner_3b   | ERROR: permission denied for table answers | SELECT count(*) FROM ollo.answers
class computer reads no tasks        | rechner_3b   | ERROR: permission denied for table tasks | SELECT count(*) FROM ollo.tasks
class computer reads no standings    | rechner_3b   | ERROR: permission denied for table fact_standing | SELECT count(*) FROM ollo.fact_standing
class computer reads no drill's data | rechner_3b   | ERROR: permission denied for table drills | SELECT caption FROM ollo.drills
class computer, no drill in 4a       | rechner_3b   | ERROR: new row violates row-level security policy for table "drills" | INSERT INTO ollo.drills (class_id, child_id, id, started, command, caption, operation, series, task_count) VALUES (:'k4a', :'ben', 'd0000000-0000-4000-8000-000000000002', 1717430400000, 32775, '7-er Reihe', 0, 7, 10)
class computer, no 4a child in 3b    | rechner_3b   | ERROR: violates foreign key constraint | INSERT INTO ollo.drills (class_id, child_id, id, started, command, caption, operation, series, task_count) VALUES (:'k3b', :'ben', 'd0000000-0000-4000-8000-000000000002', 1717430400000, 32775, '7-er Reihe', 0, 7, 10)
class computer, no task in 4a        | rechner_3b   | ERROR: new row violates row-level security policy for table "tasks" | INSERT INTO ollo.tasks (class_id, child_id, id, drill_id, number, posed, operation, factor, series, text, expected) VALUES (:'k4a', :'ben', 'c0000000-0000-4000-8000-000000000009', 'd0000000-0000-4000-8000-000000000001', 1, 1717430403000, 0, 8, 7, '8 X 7 = ??', '56')
class computer, no answer in 4a      | rechner_3b   | ERROR: new row violates row-level security policy for table "answers" | INSERT INTO ollo.answers (class_id, child_id, id, task_id, attempt, at, typed, correct, choice, thinking_ms) VALUES (:'k4a', :'ben', 'a0000000-0000-4000-8000-000000000009', 'c0000000-0000-4000-8000-000000000001', 1, 1717430409000, '56', true, 0, 100)
class computer, task under other kid | rechner_3b   | ERROR: violates foreign key constraint | INSERT INTO ollo.tasks (class_id, child_id, id, drill_id, number, posed, operation, factor, series, text, expected) VALUES (:'k3b', :'cem', 'c0000000-0000-4000-8000-000000000009', 'd0000000-0000-4000-8000-000000000001', 2, 1717430403000, 0, 8, 7, '8 X 7 = ??', '56')
class computer sets no outcome       | rechner_3b   | ERROR: permission denied for table tasks | INSERT INTO ollo.tasks (class_id, child_id, id, drill_id, number, posed, operation, factor, series, text, expected, outcome) VALUES (:'k3b', :'anna', 'c0000000-0000-4000-8000-000000000009', 'd0000000-0000-4000-8000-000000000001', 2, 1717430403000, 0, 8, 7, '8 X 7 = ??', '56', 1)
class computer keeps no roster       | rechner_3b   | ERROR: permission denied for table children | INSERT INTO ollo.children (class_id, name) VALUES (:'k3b', 'Dora')
class computer deletes nothing       | rechner_3b   | ERROR: permission denied for table answers | DELETE FROM ollo.answers
other class computer sends for 4a    | rechner_4a   | -                                  | INSERT INTO ollo.drills (class_id, child_id, id, started, command, caption, operation, series, task_count) VALUES (:'k4a', :'ben', 'd0000000-0000-4000-8000-000000000004', 1717430400000, 32770, '2-er Reihe', 0, 2, 10); INSERT INTO ollo.tasks (class_id, child_id, id, drill_id, number, posed, operation, factor, series, text, expected) VALUES (:'k4a', :'ben', 'c0000000-0000-4000-8000-000000000004', 'd0000000-0000-4000-8000-000000000004', 1, 1717430403000, 0, 3, 2, '3 X 2 = ?', '6'); INSERT INTO ollo.answers (class_id, child_id, id, task_id, attempt, at, typed, correct, choice, thinking_ms) VALUES (:'k4a', :'ben', 'a0000000-0000-4000-8000-000000000004', 'c0000000-0000-4000-8000-000000000004', 1, 1717430406000, '6', true, 0, 1500)
teacher reads the class              | lehrer_3b    | 3b                                 | SELECT name FROM ollo.classes
teacher reads the roster             | lehrer_3b    | Anna,Cem                           | SELECT name FROM ollo.children ORDER BY name
answer sent twice is stored once     | lehrer_3b    | 1 f 6100,2 t 2500                   | SELECT attempt, correct, thinking_ms FROM ollo.answers ORDER BY attempt
drill sent twice is stored once      | lehrer_3b    | 1717430460000 2                    | SELECT ended, how_ended FROM ollo.drills
task outcome kept from its answers   | lehrer_3b    | 2 6100 2                           | SELECT outcome, first_ms, attempts FROM ollo.tasks
fact standing kept from the answers  | lehrer_3b    | 8 7 1 0 {2} {6100} 3               | SELECT factor, series, asked, right_first, recent_outcomes, recent_ms, security FROM ollo.fact_standing
teacher of 3b sees no 4a drill       | lehrer_3b    | 0                                  | SELECT count(*) FROM ollo.drills WHERE class_id = :'k4a'
teacher of 3b sees no 4a answer      | lehrer_3b    | 0                                  | SELECT count(*) FROM ollo.answers WHERE child_id = :'ben'
teacher of 3b sees no 4a standing    | lehrer_3b    | 0                                  | SELECT count(*) FROM ollo.fact_standing WHERE class_id = :'k4a'
teacher of 3b sees no 4a child       | lehrer_3b    | 0                                  | SELECT count(*) FROM ollo.children WHERE class_id = :'k4a'
teacher of 3b adds no 4a child       | lehrer_3b    | ERROR: new row violates row-level security policy for table "children" | INSERT INTO ollo.children (class_id, name) VALUES (:'k4a', 'Dora')
teacher of 3b renames no 4a child    | lehrer_3b    | -                                  | UPDATE ollo.children SET name = 'Benno' WHERE id = :'ben'
teacher of 3b adds a child           | lehrer_3b    | -                                  | INSERT INTO ollo.children (class_id, name) VALUES (:'k3b', 'Dora')
teacher of 3b renames a child        | lehrer_3b    | Cem,Doro                           | UPDATE ollo.children SET name = 'Doro' WHERE name = 'Dora'; SELECT name FROM ollo.children WHERE name <> 'Anna' ORDER BY name
teacher moves no child to 4a         | lehrer_3b    | ERROR: permission denied for table children | UPDATE ollo.children SET class_id = :'k4a' WHERE name = 'Doro'
teacher removes a child              | lehrer_3b    | Anna,Cem                           | DELETE FROM ollo.children WHERE name = 'Doro'; SELECT name FROM ollo.children ORDER BY name
teacher writes no answers            | lehrer_3b    | ERROR: permission denied for table answers | INSERT INTO ollo.answers (class_id, child_id, id, task_id, attempt, at, typed, correct, choice, thinking_ms) VALUES (:'k3b', :'anna', 'a0000000-0000-4000-8000-000000000003', 'c0000000-0000-4000-8000-000000000001', 3, 1717430409000, '56', true, 0, 100)
teacher of both classes reads both   | lehrer_beide | 3b 2,4a 1                          | SELECT c.name, count(a.id) FROM ollo.classes c JOIN ollo.answers a ON a.class_id = c.id GROUP BY c.name ORDER BY c.name
Ben's name is unchanged              | lehrer_beide | Ben                                | SELECT name FROM ollo.children WHERE id = :'ben'
slow: median of the last three       | owner        | 3 3 {1,1,1} {1000,9000,8500} 2      | CALL probe.answer(:'k3b', :'cem', 0, 9, 9, 9100, 1, true, 0, 8500); CALL probe.answer(:'k3b', :'cem', 0, 9, 9, 9200, 1, true, 0, 9000); CALL probe.answer(:'k3b', :'cem', 0, 9, 9, 9300, 1, true, 0, 1000); SELECT asked, right_first, recent_outcomes, recent_ms, security FROM ollo.fact_standing WHERE child_id = :'cem'
secure once the slow one is older    | owner        | 4 4 {1,1,1} {1200,1000,9000} 1      | CALL probe.answer(:'k3b', :'cem', 0, 9, 9, 9400, 1, true, 0, 1200); SELECT asked, right_first, recent_outcomes, recent_ms, security FROM ollo.fact_standing WHERE child_id = :'cem'
"LOESEN" makes the fact shaky        | owner        | 5 4 {3,1,1} 3                      | CALL probe.answer(:'k3b', :'cem', 0, 9, 9, 9500, 1, false, 2, 3000); SELECT asked, right_first, recent_outcomes, security FROM ollo.fact_standing WHERE child_id = :'cem'
an older task stays out of the last  | owner        | 6 5 {3,1,1} 3                      | CALL probe.answer(:'k3b', :'cem', 0, 9, 9, 9000, 1, true, 0, 100); SELECT asked, right_first, recent_outcomes, security FROM ollo.fact_standing WHERE child_id = :'cem'
median of two, just over 8 s         | owner        | {1,1} {8002,8000} 2                | CALL probe.answer(:'k3b', :'cem', 1, 4, 6, 9000, 1, true, 0, 8000); CALL probe.answer(:'k3b', :'cem', 1, 4, 6, 9100, 1, true, 0, 8002); SELECT recent_outcomes, recent_ms, security FROM ollo.fact_standing WHERE child_id = :'cem' AND operation = 1
teacher removes a child and its rows | lehrer_3b    | Anna,0 0 0 0                       | DELETE FROM ollo.children WHERE id = :'cem'; SELECT name FROM ollo.children ORDER BY name; SELECT (SELECT count(*) FROM ollo.drills WHERE child_id = :'cem'), (SELECT count(*) FROM ollo.tasks WHERE child_id = :'cem'), (SELECT count(*) FROM ollo.answers WHERE child_id = :'cem'), (SELECT count(*) FROM ollo.fact_standing WHERE child_id = :'cem')
a class computer is no teacher       | owner        | ERROR: ist schon als Klassenrechner angemeldet | SELECT ollo.create_teacher('rechner_3b', '3b')
a class computer has one class       | owner        | ERROR: ist schon der Klassenrechner einer anderen Klasse | SELECT ollo.create_class_computer('rechner_3b', '4a')
an unknown class is named            | owner        | ERROR: Die Klasse „5c“ gibt es nicht | SELECT ollo.create_teacher('lehrer_3b', '5c')
a removed login is gone              | owner        | removed,4,0                        | SELECT 'removed' FROM ollo.remove_login('rechner_4a'); SELECT count(*) FROM ollo.members; SELECT count(*) FROM pg_roles WHERE rolname = 'rechner_4a'
the schema runs over its own rows    | owner        | -                                  | \i :schema
the rows are all still there         | lehrer_3b    | 2 1                                | SELECT (SELECT count(*) FROM ollo.answers), (SELECT count(*) FROM ollo.drills)
a newer schema is left alone         | owner        | ERROR: hat Version 2, dieses Skript kennt nur Version 1 | UPDATE ollo.schema_version SET version = 2; \i :schema
EOF
)

# The judging cases answer single tasks as the owner: one drill per answer.
as owner >"$work/probe.log" 2>&1 <<'EOF' || { cat "$work/probe.log"; exit 1; }
CREATE SCHEMA probe;
CREATE PROCEDURE probe.answer(class uuid, child uuid, operation integer, factor integer, series integer,
                              posed bigint, attempt integer, correct boolean, choice integer, ms bigint)
LANGUAGE sql AS $$
    WITH d AS (INSERT INTO ollo.drills (class_id, child_id, id, started, command, caption, operation, series,
                                        task_count)
               VALUES (class, child, gen_random_uuid(), posed, 0, 'Probe', operation, series, 1) RETURNING id),
         t AS (INSERT INTO ollo.tasks (class_id, child_id, id, drill_id, number, posed, operation, factor,
                                       series, text, expected)
               SELECT class, child, gen_random_uuid(), d.id, 1, posed, operation, factor, series, '', '' FROM d
               RETURNING id)
    INSERT INTO ollo.answers (class_id, child_id, id, task_id, attempt, at, typed, correct, choice, thinking_ms)
    SELECT class, child, gen_random_uuid(), t.id, attempt, posed + ms, '', correct, choice, ms FROM t
$$;
EOF

trim() {
    local text=$1
    text=${text#"${text%%[![:space:]]*}"}
    printf '%s' "${text%"${text##*[![:space:]]}"}"
}
normal() { tr '\n' ',' | sed -e 's/,$//' -e 's/  */ /g'; }

# Starts a session of the login that listens on the answers' channel.
listen() {
    coproc LISTENER { psql "service=$1" -X -q -A -t 2>&1; }
    echo "LISTEN ollo_answers; SELECT 'listening';" >&"${LISTENER[1]}"
    local line
    while IFS= read -r -t 20 line <&"${LISTENER[0]}"; do
        [ "$line" = listening ] && return 0
    done
    return 1
}

# Asks the listening session, at most 50 times a tenth of a second apart,
# whether the notification has come; psql prints it after the next query.
heard() {
    local wanted="Asynchronous notification \"ollo_answers\" with payload \"$1\"" line
    for ((poll = 0; poll < 50; ++poll)); do
        echo "SELECT 'polled';" >&"${LISTENER[1]}"
        while IFS= read -r -t 20 line <&"${LISTENER[0]}"; do
            [[ $line == "$wanted"* ]] && return 0
            [ "$line" = polled ] && break
        done
        sleep 0.1
    done
    return 1
}

failures=0
declare -A tags
while IFS='|' read -r tag login expected statements; do
    tag=$(trim "$tag")
    login=$(trim "$login")
    expected=$(trim "$expected")
    [ -z "$tag" ] && continue
    if [ -n "${tags[$tag]:-}" ]; then
        echo "FAIL $tag: the tag is used twice"
        failures=$((failures + 1))
    fi
    tags[$tag]=1
    for name in "${!ids[@]}"; do
        expected=${expected//\$$name/${ids[$name]}}
    done
    # Statements are separated by "; " so that a meta-command gets a line of its own.
    script=$(sed -e 's/^ *//' -e 's/; /;\n/g' <<<"$statements")
    got=
    case $expected in
    NOTIFY*)
        read -r _ listener payload <<<"$expected"
        if ! listen "$listener"; then
            got="the listening session did not start"
        else
            got=$(as "$login" "${variables[@]}" <<<"$script" 2>&1 | normal)
            [ -z "$got" ] && { heard "$payload" && got=$expected || got="no notification within 5 s"; }
            eval "exec ${LISTENER[1]}>&-"
            wait "$LISTENER_PID" 2>/dev/null
            LISTENER_PID=
        fi
        ;;
    *)
        got=$(as "$login" "${variables[@]}" <<<"$script" 2>&1 | normal)
        [ -z "$got" ] && got=-
        # An error is compared from "ERROR:" on, without psql's position.
        [[ $got == *ERROR:* ]] && got="ERROR:${got#*ERROR:}"
        ;;
    esac
    if [[ $expected == ERROR:* && $got == ERROR:* ]]; then
        [[ $got == *"${expected#ERROR: }"* ]] && got=$expected
    fi
    if [ "$got" = "$expected" ]; then
        echo "ok   $tag"
    else
        echo "FAIL $tag"
        echo "     expected: $expected"
        echo "     got:      $got"
        failures=$((failures + 1))
    fi
done <<<"$cases"

[ $failures -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
echo "all cases passed"
