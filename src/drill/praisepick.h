#pragma once

#include <QString>

class CProfile;

// The praise phrase for a correct answer, from the phrases Lobe/Lob1 ..
// Lobe/Lob<count>. Draws d = 0..count from the shared random source (without
// reseeding it) and reads Lob<d>, taking Lob1 for a draw of 0; so Lob1 is
// twice as likely as each other phrase. count is the number the drill read
// when it opened; with no phrases (count 0) the praise line stays empty. A
// missing phrase reads as empty text.
QString PickPraise(int count, const CProfile& profile);
