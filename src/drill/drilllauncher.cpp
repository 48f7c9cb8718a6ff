#include "drill/drilllauncher.h"

#include "drill/drilldialog.h"

#include <utility>

void StartDrill(int commandId, CProfile& profile, QWidget* owner, const AfterDrill& afterDrill,
                DrillObserver* observer) {
    int earned = 0;
    { // the dialog is gone before anything that follows the drill
        CDrillDialog dialog(profile, commandId, owner);
        dialog.setObserver(observer);
        dialog.exec();
        earned = dialog.completionFlag();
    }
    if (afterDrill)
        afterDrill(profile, owner, earned);
}

void StartDrill(int commandId, const QString& caption, std::vector<PlannedTask> plan, CProfile& profile,
                QWidget* owner, const AfterDrill& afterDrill, DrillObserver* observer) {
    int earned = 0;
    {
        CDrillDialog dialog(profile, commandId, owner);
        dialog.setPlan(caption, std::move(plan));
        dialog.setObserver(observer);
        dialog.exec();
        earned = dialog.completionFlag();
    }
    if (afterDrill)
        afterDrill(profile, owner, earned);
}
