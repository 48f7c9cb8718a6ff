// The learning record's tables: every schema version's steps and the keys to
// their codes.

#include "record/recordschema.h"

// Each entry brings a file from version i to version i + 1, one statement
// each. Times are seconds since 1970-01-01 UTC, thinking times milliseconds.
const std::vector<std::vector<const char*>>& RecordSchema::Migrations() {
    static const std::vector<std::vector<const char*>> steps = {
        {
            // version 1
            "CREATE TABLE drill ("
            " id INTEGER PRIMARY KEY,"
            " started INTEGER NOT NULL,"
            " ended INTEGER,"               // NULL: running, or the program was ended
            " command INTEGER NOT NULL,"    // the menu command that started it
            " caption TEXT NOT NULL,"       // the drill window's caption
            " operation INTEGER NOT NULL,"  // Record::Operation
            " series INTEGER NOT NULL,"     // 0 until a "Beliebige Reihe" has its number
            " task_count INTEGER NOT NULL," // the tasks it was set to pose
            " how_ended INTEGER)",          // Record::DrillEnd, NULL while running
            "CREATE TABLE task ("
            " id INTEGER PRIMARY KEY,"
            " drill INTEGER NOT NULL REFERENCES drill(id) ON DELETE CASCADE,"
            " number INTEGER NOT NULL," // 1 for the drill's first task
            " posed INTEGER NOT NULL,"
            " operation INTEGER NOT NULL,"
            " factor INTEGER NOT NULL,"
            " series INTEGER NOT NULL,"
            " text TEXT NOT NULL,"                 // as shown, question marks included
            " expected TEXT NOT NULL,"             // the answer text compared with
            " outcome INTEGER NOT NULL DEFAULT 0," // Record::TaskOutcome
            " first_ms INTEGER)",                  // thinking time of the first answer
                                                   // Covering the per-fact figures, newest first.
            "CREATE INDEX task_fact ON task (operation, series, factor, id DESC, outcome, posed, first_ms)",
            "CREATE INDEX task_drill ON task (drill)",
            "CREATE INDEX task_posed ON task (posed, outcome)",
            "CREATE TABLE answer ("
            " id INTEGER PRIMARY KEY,"
            " task INTEGER NOT NULL REFERENCES task(id) ON DELETE CASCADE,"
            " attempt INTEGER NOT NULL," // 1 for the task's first answer
            " at INTEGER NOT NULL,"
            " typed TEXT NOT NULL,"
            " correct INTEGER NOT NULL,"
            " choice INTEGER NOT NULL," // after a wrong answer: 1 "NOCHMALS", 2 "LOESEN"; else 0
            " thinking_ms INTEGER NOT NULL)",
            "CREATE INDEX answer_task ON answer (task)",
        },
    };
    return steps;
}

// The keys to the codes above, for whoever opens the file with an SQLite
// tool: word tables for each code and views that use them, with times as
// local dates. They hang on no version: made where missing at every open, in
// the same transaction, so that a file stays readable to older Ollos, which
// pass over them.
const std::vector<const char*>& RecordSchema::Keys() {
    static const std::vector<const char*> statements = {
        "CREATE TABLE IF NOT EXISTS operation_word (code INTEGER PRIMARY KEY, word TEXT NOT NULL)",
        "INSERT OR IGNORE INTO operation_word VALUES (0, 'mal'), (1, 'geteilt')",
        "CREATE TABLE IF NOT EXISTS outcome_word (code INTEGER PRIMARY KEY, word TEXT NOT NULL)",
        "INSERT OR IGNORE INTO outcome_word VALUES (0, 'nicht beantwortet'), (1, 'auf Anhieb richtig'),"
        " (2, 'richtig nach NOCHMALS'), (3, 'mit LOESEN gelöst'), (4, 'falsch, dann Übung beendet')",
        "CREATE TABLE IF NOT EXISTS drill_end_word (code INTEGER PRIMARY KEY, word TEXT NOT NULL)",
        "INSERT OR IGNORE INTO drill_end_word VALUES (1, 'fertig'), (2, 'mit ENDE beendet'),"
        " (3, 'Fenster geschlossen'), (4, 'keine Reihe gewählt')",
        "CREATE TABLE IF NOT EXISTS choice_word (code INTEGER PRIMARY KEY, word TEXT NOT NULL)",
        "INSERT OR IGNORE INTO choice_word VALUES (0, ''), (1, 'NOCHMALS'), (2, 'LOESEN')",
        // The menu commands that start a drill (kit/commandids.h).
        "CREATE TABLE IF NOT EXISTS command_word (code INTEGER PRIMARY KEY, word TEXT NOT NULL)",
        "INSERT OR IGNORE INTO command_word"
        " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10)"
        " SELECT 32770 + i, i || '-er Reihe (mal)' FROM n"
        " UNION ALL SELECT 32780 + i, (10 + i) || '-er Reihe (mal)' FROM n"
        " UNION ALL SELECT 32793 + i, i || '-er Reihe (geteilt)' FROM n",
        "INSERT OR IGNORE INTO command_word VALUES (32791, 'Beliebige Reihe (mal)'),"
        " (32792, '100-er Reihe (mal)'), (32793, '1000-er Reihe (mal)'), (32804, 'Beliebige Reihe "
        "(geteilt)'),"
        " (32807, '100-er Reihe (geteilt)'), (32810, '1000-er Reihe (geteilt)'),"
        " (32871, 'Schwierige Aufgaben')",
        "CREATE VIEW IF NOT EXISTS uebungen AS SELECT d.id AS uebung,"
        " datetime(d.started, 'unixepoch', 'localtime') AS beginn,"
        " datetime(d.ended, 'unixepoch', 'localtime') AS ende, coalesce(c.word, d.command) AS befehl,"
        " d.caption AS titel, o.word AS rechenart, d.series AS reihe, d.task_count AS aufgaben,"
        " coalesce(e.word, 'unterbrochen') AS wie_beendet"
        " FROM drill d LEFT JOIN command_word c ON c.code = d.command"
        " LEFT JOIN operation_word o ON o.code = d.operation LEFT JOIN drill_end_word e ON e.code = "
        "d.how_ended",
        "CREATE VIEW IF NOT EXISTS aufgaben AS SELECT t.id AS aufgabe, t.drill AS uebung, t.number AS nummer,"
        " datetime(t.posed, 'unixepoch', 'localtime') AS gestellt, o.word AS rechenart, t.factor AS faktor,"
        " t.series AS reihe, t.text AS text, t.expected AS richtige_antwort, r.word AS ergebnis,"
        " round(t.first_ms / 1000.0, 1) AS sekunden"
        " FROM task t LEFT JOIN operation_word o ON o.code = t.operation"
        " LEFT JOIN outcome_word r ON r.code = t.outcome",
        "CREATE VIEW IF NOT EXISTS antworten AS SELECT a.id AS antwort, t.drill AS uebung, a.task AS aufgabe,"
        " a.attempt AS versuch, datetime(a.at, 'unixepoch', 'localtime') AS zeit, t.text AS text,"
        " t.expected AS richtige_antwort, a.typed AS eingabe,"
        " CASE a.correct WHEN 1 THEN 'richtig' ELSE 'falsch' END AS bewertung, w.word AS danach,"
        " round(a.thinking_ms / 1000.0, 1) AS sekunden"
        " FROM answer a JOIN task t ON t.id = a.task LEFT JOIN choice_word w ON w.code = a.choice",
    };
    return statements;
}
