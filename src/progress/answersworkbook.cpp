#include "progress/answersworkbook.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

#include <xlsxwriter.h>

namespace {

// Longer text does not fit a cell.
constexpr qsizetype kLongestText = 32767;

QByteArray utf8(const QString& text) {
    return text.left(kLongestText).toUtf8();
}

lxw_datetime dateTimeOf(qint64 seconds) {
    const QDateTime at = QDateTime::fromSecsSinceEpoch(seconds);
    return {at.date().year(), at.date().month(),  at.date().day(),
            at.time().hour(), at.time().minute(), double(at.time().second())};
}

// The workbook's cells; false as soon as one fails.
bool fill(lxw_workbook* book, const std::vector<ChildAnswers>& children) {
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Lernverlauf");
    lxw_format* heading = workbook_add_format(book);
    format_set_bold(heading);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    lxw_format* time = workbook_add_format(book);
    format_set_num_format(time, "hh:mm:ss");
    lxw_format* tenths = workbook_add_format(book);
    format_set_num_format(tenths, "0.0");
    if (sheet == nullptr || heading == nullptr || date == nullptr || time == nullptr || tenths == nullptr)
        return false;

    const char* const headings[] = {"Datum",   "Uhrzeit",          "Kind",    "Übung",   "Reihe",
                                    "Aufgabe", "Richtige Antwort", "Eingabe", "Versuch", "Bewertung",
                                    "Danach",  "Sekunden"};
    const double widths[] = {11, 9, 14, 7, 26, 11, 9, 10, 8, 10, 10, 9};
    lxw_col_t column = 0;
    for (const char* text : headings) {
        if (worksheet_write_string(sheet, 0, column, text, heading) != LXW_NO_ERROR)
            return false;
        worksheet_set_column(sheet, column, column, widths[column], nullptr);
        ++column;
    }
    worksheet_freeze_panes(sheet, 1, 0);

    lxw_row_t line = 0;
    for (const ChildAnswers& child : children) {
        const QByteArray name = utf8(child.name);
        for (const AnswerRow& row : child.rows) {
            ++line;
            const lxw_datetime at = dateTimeOf(row.at);
            const lxw_datetime day{at.year, at.month, at.day, 0, 0, 0};
            const lxw_datetime clock{0, 0, 0, at.hour, at.min, at.sec};
            const QByteArray series = utf8(row.series);
            const QByteArray task = utf8(row.task);
            const QByteArray expected = utf8(row.expected);
            const QByteArray typed = utf8(row.typed);
            const char* const after = row.choice == 1 ? "NOCHMALS" : row.choice == 2 ? "LOESEN" : "";
            bool expectedIsNumber = false;
            const qlonglong expectedNumber = row.expected.toLongLong(&expectedIsNumber);
            // "007" is not the number 7: only a plain number is written as one.
            expectedIsNumber = expectedIsNumber && QString::number(expectedNumber) == row.expected;
            const lxw_error results[] = {
                worksheet_write_datetime(sheet, line, 0, const_cast<lxw_datetime*>(&day), date),
                worksheet_write_datetime(sheet, line, 1, const_cast<lxw_datetime*>(&clock), time),
                name.isEmpty() ? LXW_NO_ERROR
                               : worksheet_write_string(sheet, line, 2, name.constData(), nullptr),
                worksheet_write_number(sheet, line, 3, double(row.drill), nullptr),
                worksheet_write_string(sheet, line, 4, series.constData(), nullptr),
                worksheet_write_string(sheet, line, 5, task.constData(), nullptr),
                expectedIsNumber ? worksheet_write_number(sheet, line, 6, double(expectedNumber), nullptr)
                                 : worksheet_write_string(sheet, line, 6, expected.constData(), nullptr),
                typed.isEmpty() ? LXW_NO_ERROR
                                : worksheet_write_string(sheet, line, 7, typed.constData(), nullptr),
                worksheet_write_number(sheet, line, 8, row.attempt, nullptr),
                worksheet_write_string(sheet, line, 9, row.right ? "richtig" : "falsch", nullptr),
                *after == 0 ? LXW_NO_ERROR : worksheet_write_string(sheet, line, 10, after, nullptr),
                worksheet_write_number(sheet, line, 11, double(row.thinkingMs) / 1000.0, tenths)};
            for (const lxw_error result : results)
                if (result != LXW_NO_ERROR)
                    return false;
        }
    }
    if (line > 0)
        worksheet_autofilter(sheet, 0, 0, line, column - 1);
    return true;
}

} // namespace

bool SaveAnswersWorkbook(const std::vector<AnswerRow>& rows, const QString& child, const QString& path,
                         QString* error) {
    return SaveAnswersWorkbook(std::vector<ChildAnswers>{{child, rows}}, path, error);
}

bool SaveAnswersWorkbook(const std::vector<ChildAnswers>& children, const QString& path, QString* error) {
    // Written beside the target under a name of its own, then put in its place.
    const QFileInfo target(path);
    QTemporaryFile scratch(target.absoluteDir().filePath(QStringLiteral(".ollo-XXXXXX.xlsx")));
    bool saved = scratch.open();
    if (saved) {
        scratch.close();
        const QByteArray scratchName = QFile::encodeName(scratch.fileName());
        QByteArray folder = QFile::encodeName(target.absolutePath());
        lxw_workbook_options options{};
        options.tmpdir = folder.data();
        lxw_workbook* book = workbook_new_opt(scratchName.constData(), &options);
        saved = book != nullptr && fill(book, children);
        if (book != nullptr)
            saved = workbook_close(book) == LXW_NO_ERROR && saved;
        saved = saved && std::rename(scratchName.constData(), QFile::encodeName(path).constData()) == 0;
    }
    if (!saved && error != nullptr)
        *error = QString::fromUtf8("Die Datei „%1“ konnte nicht gespeichert werden. Bitte wählen Sie einen "
                                   "anderen Ort.")
                     .arg(QDir::toNativeSeparators(path));
    return saved;
}
