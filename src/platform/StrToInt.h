#pragma once

#include <QStringView>

// The runtime's integer conversion, shared by the profile reader and the form's number fields:
// leading spaces, an optional sign, then decimal digits or up to eight hexadecimal digits after
// "$", "x" or "0x" (wrapping to negative from 80000000), running to the end of the text.
// Decimal values must fit 32 bits. Returns false and leaves value alone otherwise.
bool TryStrToInt(QStringView text, qint32 &value);
