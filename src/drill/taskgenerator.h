#pragma once

#include <QString>

#include "drill/seriescatalogue.h"

// One task at a time: a random factor from 1 to 10 with the series number,
// the text the child sees (ending in one question mark per answer digit), the
// exact answer text the child's typing is compared with, and the task and its
// solution in German words for reading aloud.
class CTaskGenerator {
public:
    // Reseeds the shared random source from the clock.
    CTaskGenerator();

    // "f X a = ??", answer f × a.
    void Multiplication(int a);
    // "a×f : a = ?", answer f.
    void Division(int a);
    // A task chosen by the caller: no draw.
    void Set(Record::Operation op, int factor, int a);

    const QString& taskText() const { return m_taskText; }
    const QString& answerText() const { return m_answerText; }
    // "acht mal sieben", "sechsunddreißig geteilt durch vier".
    const QString& spokenTask() const { return m_spokenTask; }
    // "acht mal sieben ist sechsundfünfzig".
    const QString& spokenSolution() const { return m_spokenSolution; }
    int factor() const { return m_factor; }

    // Task text for a given factor, for callers that already know it.
    static QString TaskText(Record::Operation op, int factor, int a);
    static QString AnswerText(Record::Operation op, int factor, int a);
    static QString SpokenTask(Record::Operation op, int factor, int a);
    static QString SpokenSolution(Record::Operation op, int factor, int a);

private:
    void make(Record::Operation op, int a);

    QString m_answerText;
    QString m_taskText;
    QString m_spokenTask;
    QString m_spokenSolution;
    int m_factor = 0;
};
