#include "drill/praisepick.h"

#include "base/profile.h"
#include "base/randomsource.h"
#include "base/settingskeys.h"

QString PickPraise(int count, const CProfile& profile) {
    int number = DrawZeroTo(count);
    if (number == 0)
        number = 1;
    return profile.GetText(Section::Praise, QStringLiteral("Lob%1").arg(number));
}
