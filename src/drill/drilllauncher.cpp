#include "drill/drilllauncher.h"

#include "drill/drilldialog.h"

void StartDrill(int commandId, CProfile& profile, QWidget* owner) {
    { // the dialog is gone before anything that follows the drill
        CDrillDialog dialog(profile, commandId, owner);
        dialog.exec();
    }
}
