#include "drill/praisepick.h"

#include "base/profile.h"
#include "base/randomsource.h"
#include "base/settingskeys.h"

QString PickPraise(int count, const CProfile& profile) {
    // Drawn also for an empty list: the random source moves on as it always
    // did, so the tasks that follow do not change.
    int number = DrawZeroTo(count);
    if (count == 0)
        return {};
    if (number == 0)
        number = 1;
    return profile.GetText(Section::Praise, QStringLiteral("Lob%1").arg(number));
}
