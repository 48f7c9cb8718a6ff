#pragma once

#include <QByteArray>
#include <QString>

// Text in the settings file and in joke files is 8-bit Windows-1252. These are
// the only places where it turns into Qt strings and back.

QString FromCp1252(QByteArrayView bytes);

// Characters Windows-1252 cannot hold become '?'; *lossless tells whether
// that happened.
QByteArray ToCp1252(const QString& text, bool* lossless = nullptr);

bool CanEncodeCp1252(QChar c);
bool CanEncodeCp1252(const QString& text);
