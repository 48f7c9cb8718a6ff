#include "klasse/classexport.h"

#include "klasse/classserver.h"
#include "progress/answersworkbook.h"
#include "record/answerrows.h"
#include "record/recordstore.h"

bool SaveClassWorkbook(ClassServer& server, const std::vector<RosterRow>& children, const QString& path,
                       QString* error) {
    std::vector<ChildAnswers> answers;
    for (const RosterRow& child : children) {
        const std::unique_ptr<RecordStore> store = server.childStore(child.id);
        ChildAnswers one{child.name, {}};
        if (!ReadAnswers(*store, &one.rows)) {
            if (error)
                *error = QStringLiteral("Die Antworten von %1 ließen sich nicht lesen. %2")
                             .arg(child.name, store->readError());
            return false;
        }
        answers.push_back(std::move(one));
    }
    return SaveAnswersWorkbook(answers, path, error);
}
