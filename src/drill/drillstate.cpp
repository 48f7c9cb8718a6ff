#include "drill/drillstate.h"

#include <utility>

#include "base/randomsource.h"
#include "base/textnumber.h"
#include "drill/seriescatalogue.h"

CDrillState::CDrillState(LimitPrompt prompt)
    : m_prompt(std::move(prompt)) {
}

bool CDrillState::Begin(int commandId, int taskCount) {
    m_commandId = commandId;
    m_taskCount = taskCount;
    m_tasksPosed = 0;
    m_correctCount = 0;
    m_askedNumber = 0;
    m_seriesNumber = 0;
    m_answered = false;
    m_ended = false;
    m_unposed = m_plan;
    return NextTask();
}

void CDrillState::SetPlan(std::vector<PlannedTask> plan) {
    m_plan = std::move(plan);
}

bool CDrillState::NextTask() {
    const SeriesInfo* series = FindSeries(m_commandId);
    if (!m_plan.empty()) {
        if (m_unposed.empty()) {
            m_ended = true;
            return false;
        }
        const auto drawn = m_unposed.begin() + (DrawOneTo(int(m_unposed.size())) - 1);
        const PlannedTask task = *drawn;
        m_unposed.erase(drawn);
        m_seriesNumber = task.series;
        m_operation = task.operation;
        m_generator.Set(task.operation, task.factor, task.series);
    } else if (series && !series->isAsked()) {
        generate(series->operation, series->number);
    } else if (series) {
        if (m_askedNumber == 0) {
            const std::optional<QString> confirmed =
                m_prompt ? m_prompt(QStringLiteral("20")) : std::optional<QString>();
            if (!confirmed) {
                m_ended = true;
                return false;
            }
            m_askedNumber = LeadingInt(*confirmed, SignRule::PlusOrMinus);
        }
        if (m_askedNumber < 2) {
            m_ended = true;
            return false;
        }
        generate(series->operation, m_askedNumber);
    }
    ++m_tasksPosed;
    return true;
}

void CDrillState::generate(Record::Operation op, int number) {
    m_seriesNumber = number;
    m_operation = op;
    if (op == Record::Operation::Multiplication)
        m_generator.Multiplication(number);
    else
        m_generator.Division(number);
}

CDrillState::Verdict CDrillState::Submit(const QString& text) {
    // Before the first task there is no answer, and nothing matches it.
    if (m_ended || m_generator.answerText().isEmpty() || text != m_generator.answerText())
        return Verdict::Wrong;
    ++m_correctCount;
    m_answered = true;
    return Verdict::Correct;
}

void CDrillState::Solve() {
    m_answered = true;
}

CDrillState::Step CDrillState::Advance() {
    if (m_taskCount > m_tasksPosed) {
        m_answered = false;
        if (NextTask())
            return Step::Continue;
    }
    m_ended = true;
    return Step::End;
}

int CDrillState::CompletionFlag() const {
    return m_correctCount == m_taskCount && m_correctCount != 0 ? 1 : 0;
}
