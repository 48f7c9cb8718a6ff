#include "drill/drilllauncher.h"

#include "drill/drilldialog.h"
#include "rewards/showreward.h"

void StartDrill(int commandId, CProfile& profile, QWidget* owner) {
    { // the dialog is gone before anything that follows the drill
        CDrillDialog dialog(profile, commandId, owner);
        dialog.exec();
    }
    // However the drill ended: the dialog's Lobe flag decides.
    ShowReward(profile, owner);
}
