#include "drill/drilllauncher.h"

#include "drill/drilldialog.h"

void StartDrill(int commandId, CProfile& profile, QWidget* owner, const AfterDrill& afterDrill) {
    { // the dialog is gone before anything that follows the drill
        CDrillDialog dialog(profile, commandId, owner);
        dialog.exec();
    }
    if (afterDrill)
        afterDrill(profile, owner);
}
