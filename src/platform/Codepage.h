#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The system's active code page. Off Windows the files come from Windows machines, so it is
// Windows-1252, converted by a table of our own: lossless for all 256 byte values.
int GetACP();
QString DecodeAnsi(QByteArrayView bytes);
// Characters outside the code page become a best-fit letter where one exists, else '?'.
QByteArray EncodeAnsi(QStringView text);
// Position of the first character that EncodeAnsi cannot write as itself, or -1.
qsizetype FirstUnwritableAnsi(QStringView text);
