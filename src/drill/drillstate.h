#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "drill/taskgenerator.h"

// One task of a drill that is given its tasks instead of drawing them from a series.
struct PlannedTask {
    Record::Operation operation = Record::Operation::Multiplication;
    int factor = 0;
    int series = 0;
};

// The counters and the current task of one drill.
// Asking --Submit/Correct or Solve--> Answered --Advance/Continue--> Asking;
// Advance/End, a refused limit prompt or a series below 2 end the drill.
class CDrillState {
public:
    enum class Verdict { Correct, Wrong };
    enum class Step { Continue, End };

    // Asked once per "Beliebige Reihe" drill with the text to preset ("20");
    // returns the confirmed text, or nothing when the child refused.
    using LimitPrompt = std::function<std::optional<QString>(const QString& preset)>;

    // Constructing the state constructs its generator, which reseeds the
    // shared random source from the clock.
    explicit CDrillState(LimitPrompt prompt = {});

    // Counters to 0 and the first task. False when the drill ended at once.
    bool Begin(int commandId, int taskCount);
    // Set before Begin: the drill poses these tasks, each once, in an order
    // drawn from the random source, whatever the command's series. An empty
    // plan: the command's series as usual.
    void SetPlan(std::vector<PlannedTask> plan);
    // Poses the next task; false when the drill must end at once.
    bool NextTask();
    // Byte-exact comparison with the answer text: no trimming, no numbers.
    Verdict Submit(const QString& text);
    void Solve();
    // Only while answered.
    Step Advance();
    // 1 when every task was answered correctly (and there was at least one).
    int CompletionFlag() const;

    int commandId() const { return m_commandId; }
    int taskCount() const { return m_taskCount; }
    int tasksPosed() const { return m_tasksPosed; }
    int correctCount() const { return m_correctCount; }
    int askedNumber() const { return m_askedNumber; }
    // The current task's random factor and series number; 0 before the first task.
    int factor() const { return m_generator.factor(); }
    int seriesNumber() const { return m_seriesNumber; }
    Record::Operation operation() const { return m_operation; }
    bool isAnswered() const { return m_answered; }
    bool hasEnded() const { return m_ended; }
    const QString& taskText() const { return m_generator.taskText(); }
    const QString& answerText() const { return m_generator.answerText(); }
    const QString& spokenTask() const { return m_generator.spokenTask(); }
    const QString& spokenSolution() const { return m_generator.spokenSolution(); }

private:
    void generate(Record::Operation op, int number);

    LimitPrompt m_prompt;
    CTaskGenerator m_generator;
    std::vector<PlannedTask> m_plan;
    // The plan's tasks not yet posed in this drill.
    std::vector<PlannedTask> m_unposed;
    Record::Operation m_operation = Record::Operation::Multiplication;
    int m_commandId = 0;
    int m_taskCount = 0;
    int m_tasksPosed = 0;
    int m_correctCount = 0;
    int m_askedNumber = 0;
    int m_seriesNumber = 0;
    bool m_answered = false;
    bool m_ended = false;
};
