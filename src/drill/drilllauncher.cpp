#include "drill/drilllauncher.h"

#include "drill/drilldialog.h"

void StartDrill(int commandId, CProfile& profile, QWidget* owner, const AfterDrill& afterDrill,
                DrillObserver* observer) {
    { // the dialog is gone before anything that follows the drill
        CDrillDialog dialog(profile, commandId, owner);
        dialog.setObserver(observer);
        dialog.exec();
    }
    if (afterDrill)
        afterDrill(profile, owner);
}
