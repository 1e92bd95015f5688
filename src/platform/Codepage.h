#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The system's active code page. Off Windows the files come from Windows machines, so it is
// Windows-1252, converted by a table of our own: lossless for all 256 byte values.
int GetACP();
QString DecodeAnsi(QByteArrayView bytes);
// The character of one code-page byte: DecodeAnsi of that byte alone.
char16_t DecodeAnsiByte(unsigned char b);
// The byte that stands for c itself (DecodeAnsiByte gives c back), or -1.
int AnsiByteOf(char16_t c);
// Characters outside the code page become a best-fit letter where one exists, else '?'.
QByteArray EncodeAnsi(QStringView text);
// Position of the first character that EncodeAnsi cannot write as itself, or -1.
qsizetype FirstUnwritableAnsi(QStringView text);
