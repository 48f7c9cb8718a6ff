#pragma once

#include <QString>

// What a reward picture shows, in a short German sentence, for a screen
// reader: the pictures that come with Ollo by their file name (any folder, any
// case); a picture of the family's own gets a sentence that fits any picture.
QString PictureWords(const QString& fileName);
