#include "rewards/praisepick.h"

#include "drill/randomsource.h"
#include "settings/profile.h"

QString PickPraise(int count, const CProfile& profile) {
    int number = DrawZeroTo(count);
    if (number == 0)
        number = 1;
    return profile.GetText(QStringLiteral("Lobe"), QStringLiteral("Lob%1").arg(number));
}
