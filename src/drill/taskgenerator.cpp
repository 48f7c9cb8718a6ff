#include "drill/taskgenerator.h"

#include <cstdint>

#include "base/randomsource.h"
#include "drill/numberwords.h"

namespace {

// Products wrap like the 32-bit arithmetic they have always been done in.
int wrappingProduct(int a, int b) {
    return static_cast<int>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

} // namespace

CTaskGenerator::CTaskGenerator() {
    RandomSeedFromClock();
}

void CTaskGenerator::Multiplication(int a) {
    make(Record::Operation::Multiplication, a);
}

void CTaskGenerator::Division(int a) {
    make(Record::Operation::Division, a);
}

void CTaskGenerator::make(Record::Operation op, int a) {
    Set(op, DrawOneTo(10), a);
}

void CTaskGenerator::Set(Record::Operation op, int factor, int a) {
    m_factor = factor;
    m_taskText = TaskText(op, m_factor, a);
    m_answerText = AnswerText(op, m_factor, a);
    m_spokenTask = SpokenTask(op, m_factor, a);
    m_spokenSolution = SpokenSolution(op, m_factor, a);
}

QString CTaskGenerator::AnswerText(Record::Operation op, int factor, int a) {
    return QString::number(op == Record::Operation::Multiplication ? wrappingProduct(factor, a) : factor);
}

QString CTaskGenerator::TaskText(Record::Operation op, int factor, int a) {
    QString text = op == Record::Operation::Multiplication
                       ? QString::asprintf("%d X %d = ", factor, a)
                       : QString::asprintf("%d : %d = ", wrappingProduct(a, factor), a);
    const qsizetype digits = AnswerText(op, factor, a).size();
    if (digits >= 1 && digits <= 6)
        text += QString(digits, u'?');
    return text;
}

QString CTaskGenerator::SpokenTask(Record::Operation op, int factor, int a) {
    if (op == Record::Operation::Multiplication)
        return GermanNumberWords(factor) + QStringLiteral(" mal ") + GermanNumberWords(a);
    return GermanNumberWords(wrappingProduct(a, factor)) + QStringLiteral(" geteilt durch ") +
           GermanNumberWords(a);
}

QString CTaskGenerator::SpokenSolution(Record::Operation op, int factor, int a) {
    const int answer = op == Record::Operation::Multiplication ? wrappingProduct(factor, a) : factor;
    return SpokenTask(op, factor, a) + QStringLiteral(" ist ") + GermanNumberWords(answer);
}
