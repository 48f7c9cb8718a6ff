-- Ollo in school: the answers of whole classes in one PostgreSQL database.
--
-- Each class computer keeps every drill in its own record first and sends
-- the rows on to this database; the teacher's view reads them here. The rows
-- are the ones of a family's record (drill, task, answer), with two changes:
-- keys are UUIDs the class computer makes, so a row sent twice is stored
-- once (INSERT ... ON CONFLICT DO NOTHING), and every row carries its class
-- and child, which row-level security checks without a join and on which a
-- distributed PostgreSQL would shard (every key begins with the class).
-- Times are milliseconds since 1970-01-01 UTC.
--
-- Two kinds of login, as members of two group roles:
--   ollo_class_computer  belongs to one class: reads that class and its
--                        roster, adds drills, tasks and answers for its
--                        children and ends its drills; reads no answers.
--   ollo_teacher         belongs to one or more classes: reads all of their
--                        rows and keeps their rosters.
-- The database's owner makes classes and logins with the functions below:
--   SELECT ollo.create_class('3b');
--   SELECT ollo.create_class_computer('rechner_3b', '3b');
--   SELECT ollo.create_teacher('frau_berg', '3b');
--   SELECT ollo.add_teacher('frau_berg', '4a');
--   SELECT ollo.remove_login('rechner_3b');
-- and sets each login's password with psql's \password.
--
-- Run as the owner of the database (for instance the postgres account):
--   psql -v ON_ERROR_STOP=1 -d ollo -f /usr/share/ollo/klasse/ollo-klasse.sql
-- It runs again without harm, brings an older version of the schema up to
-- date, and leaves a newer one untouched. All of it happens in one
-- transaction: a run that fails changes nothing.

\set ON_ERROR_STOP on
BEGIN;
SET LOCAL client_min_messages = warning;

-- One run at a time; a newer schema is left as it is.
DO $$
DECLARE
    stored integer;
BEGIN
    PERFORM pg_advisory_xact_lock(hashtext('ollo-klasse'));
    IF to_regclass('ollo.schema_version') IS NOT NULL THEN
        SELECT max(version) INTO stored FROM ollo.schema_version;
        IF stored > 1 THEN
            RAISE EXCEPTION 'Das Schema „ollo“ dieser Datenbank hat Version %, dieses Skript kennt nur Version 1.',
                stored
                USING HINT = 'Nehmen Sie das Skript der Ollo-Version, die das Schema angelegt hat. '
                             'Die Datenbank bleibt unverändert.';
        END IF;
    END IF;
END
$$;

-- The two group roles. Roles belong to the whole server, not to one database.
DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = 'ollo_class_computer') THEN
        CREATE ROLE ollo_class_computer NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = 'ollo_teacher') THEN
        CREATE ROLE ollo_teacher NOLOGIN;
    END IF;
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO ollo_class_computer, ollo_teacher', current_database());
END
$$;

----------------------------------------------------------------------------
-- Version 1: the tables. A later version adds its changes below these, each
-- in a block that runs only over an older stored version.

CREATE SCHEMA IF NOT EXISTS ollo;

CREATE TABLE IF NOT EXISTS ollo.schema_version (
    single boolean PRIMARY KEY DEFAULT true CHECK (single),
    version integer NOT NULL
);

CREATE TABLE IF NOT EXISTS ollo.classes (
    id uuid PRIMARY KEY DEFAULT gen_random_uuid(),
    name text NOT NULL UNIQUE CHECK (char_length(name) BETWEEN 1 AND 40 AND name = btrim(name))
);

-- Which login belongs to which class, and as what. A class computer belongs
-- to one class only.
CREATE TABLE IF NOT EXISTS ollo.members (
    login regrole NOT NULL,
    class_id uuid NOT NULL REFERENCES ollo.classes ON DELETE CASCADE,
    kind text NOT NULL CHECK (kind IN ('class_computer', 'teacher')),
    PRIMARY KEY (login, class_id)
);
CREATE UNIQUE INDEX IF NOT EXISTS members_one_class_per_computer
    ON ollo.members (login) WHERE kind = 'class_computer';

-- The roster: the children of a class, as "Wer rechnet heute?" offers them.
CREATE TABLE IF NOT EXISTS ollo.children (
    class_id uuid NOT NULL REFERENCES ollo.classes ON DELETE CASCADE,
    id uuid NOT NULL DEFAULT gen_random_uuid(),
    name text NOT NULL CHECK (char_length(name) BETWEEN 1 AND 40 AND name = btrim(name)),
    PRIMARY KEY (class_id, id),
    UNIQUE (class_id, name)
);

-- The columns of a family's record; the numbers mean what they mean there.
-- Removing a child removes its drills, tasks and answers with it.
CREATE TABLE IF NOT EXISTS ollo.drills (
    class_id uuid NOT NULL,
    child_id uuid NOT NULL,
    id uuid NOT NULL,
    started bigint NOT NULL,
    ended bigint,                  -- NULL: running, or the program was ended
    command integer NOT NULL,      -- the menu command that started it
    caption text NOT NULL,         -- the drill window's caption
    operation smallint NOT NULL CHECK (operation IN (0, 1)), -- 0 times, 1 divided by
    series integer NOT NULL,       -- 0 until a "Beliebige Reihe" has its number
    task_count integer NOT NULL,   -- the tasks it was set to pose
    how_ended smallint,            -- 1 all done, 2 "Ende", 3 window closed, 4 limit refused
    PRIMARY KEY (class_id, child_id, id),
    FOREIGN KEY (class_id, child_id) REFERENCES ollo.children ON DELETE CASCADE
) WITH (fillfactor = 90);
-- A child's drills by time: the day last practised, the drills of a week.
-- No index but the key begins with class and child: on a new server, before
-- the first statistics, the planner would take any such index for the
-- key's and scan a child's every row to find one.
CREATE INDEX IF NOT EXISTS drills_started ON ollo.drills (child_id, started);

CREATE TABLE IF NOT EXISTS ollo.tasks (
    class_id uuid NOT NULL,
    child_id uuid NOT NULL,
    id uuid NOT NULL,
    drill_id uuid NOT NULL,
    number integer NOT NULL,       -- 1 for the drill's first task
    posed bigint NOT NULL,
    operation smallint NOT NULL CHECK (operation IN (0, 1)),
    factor integer NOT NULL,
    series integer NOT NULL,
    text text NOT NULL,            -- as shown, question marks included
    expected text NOT NULL,        -- the answer text compared with
    -- Kept by the server from the task's answers, never sent:
    outcome smallint NOT NULL DEFAULT 0, -- 0 unanswered, 1 right at the first try,
                                         -- 2 right after "NOCHMALS", 3 "LOESEN", 4 wrong
    first_ms bigint,               -- thinking time of the first answer
    attempts integer NOT NULL DEFAULT 0, -- the highest attempt seen
    PRIMARY KEY (class_id, child_id, id),
    FOREIGN KEY (class_id, child_id, drill_id) REFERENCES ollo.drills ON DELETE CASCADE
) WITH (fillfactor = 85); -- room on the page, so that the answer's update stays there
CREATE INDEX IF NOT EXISTS tasks_drill ON ollo.tasks (drill_id);
-- A child's tasks by time: the days of the chart, the tasks of a week.
CREATE INDEX IF NOT EXISTS tasks_posed ON ollo.tasks (child_id, posed);

CREATE TABLE IF NOT EXISTS ollo.answers (
    class_id uuid NOT NULL,
    child_id uuid NOT NULL,
    id uuid NOT NULL,
    task_id uuid NOT NULL,
    attempt integer NOT NULL CHECK (attempt >= 1), -- 1 for the task's first answer
    at bigint NOT NULL,
    typed text NOT NULL,
    correct boolean NOT NULL,
    choice smallint NOT NULL,      -- after a wrong answer: 1 "NOCHMALS", 2 "LOESEN"; else 0
    thinking_ms bigint NOT NULL,
    PRIMARY KEY (class_id, child_id, id),
    FOREIGN KEY (class_id, child_id, task_id) REFERENCES ollo.tasks ON DELETE CASCADE
);
CREATE INDEX IF NOT EXISTS answers_task ON ollo.answers (task_id);

-- Per child and fact, kept by trigger as answers arrive, so that the class's
-- grid and a child's standings need no scan of tasks or answers: the counts,
-- and the last answered tasks (at most three, newest first: by the time
-- posed, then by their number in the drill) with the judgement a family's
-- progress window makes of them.
CREATE TABLE IF NOT EXISTS ollo.fact_standing (
    class_id uuid NOT NULL,
    child_id uuid NOT NULL,
    operation smallint NOT NULL,
    series integer NOT NULL,
    factor integer NOT NULL,
    asked integer NOT NULL,        -- tasks answered
    right_first integer NOT NULL,  -- of them right at the first try
    last_posed bigint NOT NULL,
    recent_outcomes smallint[] NOT NULL,
    recent_ms bigint[] NOT NULL,   -- the first answers' thinking times of those tasks
    recent_tasks uuid[] NOT NULL,  -- the tasks themselves, and their place in time
    recent_posed bigint[] NOT NULL,
    recent_numbers integer[] NOT NULL,
    security smallint NOT NULL,    -- 1 secure, 2 right but slow, 3 shaky
    PRIMARY KEY (class_id, child_id, operation, series, factor),
    FOREIGN KEY (class_id, child_id) REFERENCES ollo.children ON DELETE CASCADE
) WITH (fillfactor = 60); -- every answer rewrites a row: room for it on its page

----------------------------------------------------------------------------
-- What follows is replaced on every run.

-- How secure a fact is from its last tasks, as the progress window judges
-- it: 0 never asked; 3 shaky when one of them was not right at the first
-- try; 2 slow when the median of their thinking times is over 8 s; else 1.
CREATE OR REPLACE FUNCTION ollo.judge(outcomes smallint[], thinking bigint[]) RETURNS smallint
LANGUAGE plpgsql IMMUTABLE PARALLEL SAFE SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    sorted bigint[] := thinking;
    n integer := coalesce(cardinality(thinking), 0);
    held bigint;
    j integer;
BEGIN
    IF coalesce(cardinality(outcomes), 0) = 0 THEN
        RETURN 0;
    ELSIF NOT (1 = ALL (outcomes)) THEN
        RETURN 3;
    ELSIF n = 0 THEN
        RETURN 1;
    END IF;
    -- A few values: sorted in place, without a query.
    FOR i IN 2 .. n LOOP
        held := sorted[i];
        j := i - 1;
        WHILE j >= 1 AND sorted[j] > held LOOP
            sorted[j + 1] := sorted[j];
            j := j - 1;
        END LOOP;
        sorted[j + 1] := held;
    END LOOP;
    IF n % 2 = 1 THEN
        held := sorted[n / 2 + 1];
    ELSE
        held := (sorted[n / 2] + sorted[n / 2 + 1]) / 2;
    END IF;
    RETURN CASE WHEN held > 8000 THEN 2 ELSE 1 END;
END
$$;

-- A fact's last tasks (newest first: by the time posed, then by the number
-- in the drill) with one task more or changed, the three newest kept, and
-- their judgement.
CREATE OR REPLACE FUNCTION ollo.place_task(
    tasks uuid[], posed bigint[], numbers integer[], outcomes smallint[], thinking bigint[],
    task uuid, task_posed bigint, task_number integer, task_outcome smallint, task_ms bigint,
    OUT new_tasks uuid[], OUT new_posed bigint[], OUT new_numbers integer[], OUT new_outcomes smallint[],
    OUT new_thinking bigint[], OUT security smallint)
LANGUAGE plpgsql IMMUTABLE PARALLEL SAFE SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    placed boolean := false;
BEGIN
    new_tasks := '{}';
    new_posed := '{}';
    new_numbers := '{}';
    new_outcomes := '{}';
    new_thinking := '{}';
    FOR i IN 1 .. coalesce(cardinality(tasks), 0) + 1 LOOP
        IF NOT placed AND (i > cardinality(tasks) OR (task_posed, task_number) > (posed[i], numbers[i])) THEN
            new_tasks := new_tasks || task;
            new_posed := new_posed || task_posed;
            new_numbers := new_numbers || task_number;
            new_outcomes := new_outcomes || task_outcome;
            new_thinking := new_thinking || task_ms;
            placed := true;
        END IF;
        CONTINUE WHEN i > cardinality(tasks) OR tasks[i] = task;
        new_tasks := new_tasks || tasks[i];
        new_posed := new_posed || posed[i];
        new_numbers := new_numbers || numbers[i];
        new_outcomes := new_outcomes || outcomes[i];
        new_thinking := new_thinking || thinking[i];
    END LOOP;
    new_tasks := new_tasks[1:3];
    new_posed := new_posed[1:3];
    new_numbers := new_numbers[1:3];
    new_outcomes := new_outcomes[1:3];
    new_thinking := new_thinking[1:3];
    security := ollo.judge(new_outcomes, new_thinking);
END
$$;

-- An answer arrives: its task's outcome follows the latest attempt, the
-- fact's standing for the child is brought up to date from the standing
-- itself, whatever order tasks and answers arrive in, and the answer is
-- announced. Runs as the owner, so the class computer needs no right to
-- change tasks or standings.
CREATE OR REPLACE FUNCTION ollo.take_answer() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    -- One statement: an answer costs the server as little as it can.
    WITH task AS (
        -- An earlier attempt arriving late changes only the first thinking time.
        UPDATE ollo.tasks t
           SET outcome = CASE
                   WHEN NEW.attempt < t.attempts THEN t.outcome
                   WHEN NEW.correct AND NEW.attempt = 1 THEN 1
                   WHEN NEW.correct THEN 2
                   WHEN NEW.choice = 2 THEN 3
                   ELSE 4
               END,
               first_ms = CASE WHEN NEW.attempt = 1 THEN NEW.thinking_ms ELSE t.first_ms END,
               attempts = greatest(t.attempts, NEW.attempt)
         WHERE t.class_id = NEW.class_id AND t.child_id = NEW.child_id AND t.id = NEW.task_id
        RETURNING t.id, t.operation, t.series, t.factor, t.posed, t.number, t.outcome,
                  coalesce(t.first_ms, 0) AS first_ms)
    INSERT INTO ollo.fact_standing AS s
        (class_id, child_id, operation, series, factor, asked, right_first, last_posed,
         recent_tasks, recent_posed, recent_numbers, recent_outcomes, recent_ms, security)
    SELECT NEW.class_id, NEW.child_id, task.operation, task.series, task.factor,
           -- A task is answered, and right at the first try, with its first attempt.
           (NEW.attempt = 1)::integer, (NEW.attempt = 1 AND NEW.correct)::integer,
           task.posed, ARRAY[task.id], ARRAY[task.posed], ARRAY[task.number], ARRAY[task.outcome],
           ARRAY[task.first_ms], ollo.judge(ARRAY[task.outcome], ARRAY[task.first_ms])
      FROM task
    -- The fact's standing so far: the task takes its place among its last tasks.
    ON CONFLICT (class_id, child_id, operation, series, factor) DO UPDATE
       SET asked = s.asked + EXCLUDED.asked,
           right_first = s.right_first + EXCLUDED.right_first,
           last_posed = greatest(s.last_posed, EXCLUDED.last_posed),
           (recent_tasks, recent_posed, recent_numbers, recent_outcomes, recent_ms, security) =
               (SELECT * FROM ollo.place_task(s.recent_tasks, s.recent_posed, s.recent_numbers,
                                              s.recent_outcomes, s.recent_ms, EXCLUDED.recent_tasks[1],
                                              EXCLUDED.recent_posed[1], EXCLUDED.recent_numbers[1],
                                              EXCLUDED.recent_outcomes[1], EXCLUDED.recent_ms[1]));
    -- Announced on the channel "ollo_answers" with the class's id, for a
    -- teacher's view that listens; the same notice is sent once per
    -- transaction. Anyone may listen: it says no more than that the class
    -- is practising.
    PERFORM pg_notify('ollo_answers', NEW.class_id::text);
    RETURN NULL;
END
$$;

CREATE OR REPLACE TRIGGER answers_take AFTER INSERT ON ollo.answers
    FOR EACH ROW EXECUTE FUNCTION ollo.take_answer();

-- The owner's functions. The German messages are for the school's IT.
CREATE OR REPLACE FUNCTION ollo.create_class(class_name text) RETURNS uuid
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    found uuid;
BEGIN
    INSERT INTO ollo.classes (name) VALUES (btrim(class_name)) ON CONFLICT (name) DO NOTHING;
    SELECT c.id INTO found FROM ollo.classes c WHERE c.name = btrim(class_name);
    RETURN found;
END
$$;

CREATE OR REPLACE FUNCTION ollo.class_named(class_name text) RETURNS uuid
LANGUAGE plpgsql STABLE SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    found uuid;
BEGIN
    SELECT c.id INTO found FROM ollo.classes c WHERE c.name = btrim(class_name);
    IF found IS NULL THEN
        RAISE EXCEPTION 'Die Klasse „%“ gibt es nicht.', class_name
            USING HINT = format('Legen Sie sie an: SELECT ollo.create_class(%L);', class_name);
    END IF;
    RETURN found;
END
$$;

-- Makes the login if it does not exist, gives it the group role and the
-- class; a password is set only when one is given.
CREATE OR REPLACE FUNCTION ollo.enrol(login_name text, class_name text, role_kind text, password text)
RETURNS void
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    class uuid := ollo.class_named(class_name);
    role_oid oid;
    held text;
BEGIN
    SELECT r.oid INTO role_oid FROM pg_catalog.pg_roles r WHERE r.rolname = login_name;
    IF role_oid IS NULL THEN
        EXECUTE format('CREATE ROLE %I LOGIN', login_name);
        SELECT r.oid INTO role_oid FROM pg_catalog.pg_roles r WHERE r.rolname = login_name;
    ELSIF EXISTS (SELECT FROM pg_catalog.pg_roles r
                   WHERE r.oid = role_oid AND (r.rolsuper OR NOT r.rolcanlogin)) THEN
        RAISE EXCEPTION '„%“ ist keine gewöhnliche Anmeldung, sondern ein Administrator oder eine Gruppe.',
            login_name;
    END IF;
    SELECT m.kind INTO held FROM ollo.members m WHERE m.login::oid = role_oid AND m.kind <> role_kind LIMIT 1;
    IF held IS NOT NULL THEN
        RAISE EXCEPTION '„%“ ist schon als % angemeldet; eine Anmeldung ist entweder Klassenrechner oder Lehrkraft.',
            login_name, CASE held WHEN 'teacher' THEN 'Lehrkraft' ELSE 'Klassenrechner' END;
    END IF;
    IF role_kind = 'class_computer'
       AND EXISTS (SELECT FROM ollo.members m WHERE m.login::oid = role_oid AND m.class_id <> class) THEN
        RAISE EXCEPTION '„%“ ist schon der Klassenrechner einer anderen Klasse; ein Klassenrechner gehört zu einer Klasse.',
            login_name;
    END IF;
    IF NOT pg_catalog.pg_has_role(role_oid, 'ollo_' || role_kind, 'MEMBER') THEN
        EXECUTE format('GRANT %I TO %I', 'ollo_' || role_kind, login_name);
    END IF;
    IF password IS NOT NULL THEN
        EXECUTE format('ALTER ROLE %I PASSWORD %L', login_name, password);
    END IF;
    INSERT INTO ollo.members (login, class_id, kind) VALUES (role_oid::regrole, class, role_kind)
    ON CONFLICT DO NOTHING;
END
$$;

CREATE OR REPLACE FUNCTION ollo.create_class_computer(login_name text, class_name text,
                                                      password text DEFAULT NULL) RETURNS void
LANGUAGE sql SET search_path = pg_catalog, pg_temp AS $$
    SELECT ollo.enrol(login_name, class_name, 'class_computer', password)
$$;

CREATE OR REPLACE FUNCTION ollo.create_teacher(login_name text, class_name text, password text DEFAULT NULL)
RETURNS void
LANGUAGE sql SET search_path = pg_catalog, pg_temp AS $$
    SELECT ollo.enrol(login_name, class_name, 'teacher', password)
$$;

-- A teacher takes on a further class.
CREATE OR REPLACE FUNCTION ollo.add_teacher(login_name text, class_name text) RETURNS void
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    IF NOT EXISTS (SELECT FROM ollo.members m JOIN pg_catalog.pg_roles r ON r.oid = m.login::oid
                    WHERE r.rolname = login_name AND m.kind = 'teacher') THEN
        RAISE EXCEPTION '„%“ ist noch keine Lehrkraft.', login_name
            USING HINT = format('Legen Sie sie an: SELECT ollo.create_teacher(%L, %L);', login_name, class_name);
    END IF;
    PERFORM ollo.enrol(login_name, class_name, 'teacher', NULL);
END
$$;

-- Takes the login from every class of this database and drops it.
CREATE OR REPLACE FUNCTION ollo.remove_login(login_name text) RETURNS void
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    DELETE FROM ollo.members m USING pg_catalog.pg_roles r
     WHERE r.oid = m.login::oid AND r.rolname = login_name;
    EXECUTE format('DROP ROLE IF EXISTS %I', login_name);
END
$$;

-- Row-level security: a login sees and writes the rows of its own classes only.
ALTER TABLE ollo.classes ENABLE ROW LEVEL SECURITY;
ALTER TABLE ollo.members ENABLE ROW LEVEL SECURITY;
ALTER TABLE ollo.children ENABLE ROW LEVEL SECURITY;
ALTER TABLE ollo.drills ENABLE ROW LEVEL SECURITY;
ALTER TABLE ollo.tasks ENABLE ROW LEVEL SECURITY;
ALTER TABLE ollo.answers ENABLE ROW LEVEL SECURITY;
ALTER TABLE ollo.fact_standing ENABLE ROW LEVEL SECURITY;

-- The classes of the current login, as one or the other: a subquery the
-- planner works out once per statement, not once per row.
\set class_computer_classes '((SELECT array_agg(m.class_id) FROM ollo.members m WHERE m.login::oid = to_regrole(quote_ident(current_user))::oid AND m.kind = ''class_computer'')::uuid[])'
\set teacher_classes '((SELECT array_agg(m.class_id) FROM ollo.members m WHERE m.login::oid = to_regrole(quote_ident(current_user))::oid AND m.kind = ''teacher'')::uuid[])'
\set own_classes '((SELECT array_agg(m.class_id) FROM ollo.members m WHERE m.login::oid = to_regrole(quote_ident(current_user))::oid)::uuid[])'
DROP POLICY IF EXISTS own_classes ON ollo.classes;
CREATE POLICY own_classes ON ollo.classes FOR SELECT TO ollo_class_computer, ollo_teacher
    USING (id = ANY (:own_classes));
DROP POLICY IF EXISTS own_memberships ON ollo.members;
CREATE POLICY own_memberships ON ollo.members FOR SELECT TO ollo_class_computer, ollo_teacher
    USING (login::oid = to_regrole(quote_ident(current_user))::oid);

DROP POLICY IF EXISTS class_computer_reads ON ollo.children;
CREATE POLICY class_computer_reads ON ollo.children FOR SELECT TO ollo_class_computer
    USING (class_id = ANY (:class_computer_classes));
DROP POLICY IF EXISTS teacher_keeps ON ollo.children;
CREATE POLICY teacher_keeps ON ollo.children FOR ALL TO ollo_teacher
    USING (class_id = ANY (:teacher_classes))
    WITH CHECK (class_id = ANY (:teacher_classes));

-- A class computer adds drills and ends them; what it may read of them is
-- only what ending one needs.
DROP POLICY IF EXISTS class_computer_adds ON ollo.drills;
CREATE POLICY class_computer_adds ON ollo.drills FOR INSERT TO ollo_class_computer
    WITH CHECK (class_id = ANY (:class_computer_classes));
DROP POLICY IF EXISTS class_computer_finds ON ollo.drills;
CREATE POLICY class_computer_finds ON ollo.drills FOR SELECT TO ollo_class_computer
    USING (class_id = ANY (:class_computer_classes));
DROP POLICY IF EXISTS class_computer_ends ON ollo.drills;
CREATE POLICY class_computer_ends ON ollo.drills FOR UPDATE TO ollo_class_computer
    USING (class_id = ANY (:class_computer_classes) AND ended IS NULL)
    WITH CHECK (class_id = ANY (:class_computer_classes));

DROP POLICY IF EXISTS class_computer_adds ON ollo.tasks;
CREATE POLICY class_computer_adds ON ollo.tasks FOR INSERT TO ollo_class_computer
    WITH CHECK (class_id = ANY (:class_computer_classes));
DROP POLICY IF EXISTS class_computer_adds ON ollo.answers;
CREATE POLICY class_computer_adds ON ollo.answers FOR INSERT TO ollo_class_computer
    WITH CHECK (class_id = ANY (:class_computer_classes));

DROP POLICY IF EXISTS teacher_reads ON ollo.drills;
CREATE POLICY teacher_reads ON ollo.drills FOR SELECT TO ollo_teacher
    USING (class_id = ANY (:teacher_classes));
DROP POLICY IF EXISTS teacher_reads ON ollo.tasks;
CREATE POLICY teacher_reads ON ollo.tasks FOR SELECT TO ollo_teacher
    USING (class_id = ANY (:teacher_classes));
DROP POLICY IF EXISTS teacher_reads ON ollo.answers;
CREATE POLICY teacher_reads ON ollo.answers FOR SELECT TO ollo_teacher
    USING (class_id = ANY (:teacher_classes));
DROP POLICY IF EXISTS teacher_reads ON ollo.fact_standing;
CREATE POLICY teacher_reads ON ollo.fact_standing FOR SELECT TO ollo_teacher
    USING (class_id = ANY (:teacher_classes));

-- The rights, exactly these: taken away first, so that a right an older
-- version gave and this one does not is gone.
REVOKE ALL ON ALL TABLES IN SCHEMA ollo FROM PUBLIC, ollo_class_computer, ollo_teacher;
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA ollo FROM PUBLIC, ollo_class_computer, ollo_teacher;
REVOKE ALL ON SCHEMA ollo FROM PUBLIC;
GRANT USAGE ON SCHEMA ollo TO ollo_class_computer, ollo_teacher;
GRANT SELECT ON ollo.schema_version, ollo.classes, ollo.members TO ollo_class_computer, ollo_teacher;

GRANT SELECT (class_id, id, name) ON ollo.children TO ollo_class_computer;
GRANT INSERT (class_id, child_id, id, started, ended, command, caption, operation, series, task_count,
              how_ended),
      SELECT (class_id, child_id, id, ended),
      UPDATE (ended, how_ended)
   ON ollo.drills TO ollo_class_computer;
GRANT INSERT (class_id, child_id, id, drill_id, number, posed, operation, factor, series, text, expected)
   ON ollo.tasks TO ollo_class_computer;
GRANT INSERT (class_id, child_id, id, task_id, attempt, at, typed, correct, choice, thinking_ms)
   ON ollo.answers TO ollo_class_computer;

GRANT SELECT, DELETE ON ollo.children TO ollo_teacher;
GRANT INSERT (class_id, id, name), UPDATE (name) ON ollo.children TO ollo_teacher;
GRANT SELECT ON ollo.drills, ollo.tasks, ollo.answers, ollo.fact_standing TO ollo_teacher;

INSERT INTO ollo.schema_version (version) VALUES (1)
ON CONFLICT (single) DO UPDATE SET version = EXCLUDED.version;

COMMIT;
