#include "platform/StrToInt.h"

bool TryStrToInt(QStringView text, qint32 &value) {
    auto digitOf = [](QChar c, int base) {
        const char16_t u = c.unicode();
        const int d = u >= '0' && u <= '9'   ? u - '0'
                      : u >= 'a' && u <= 'f' ? u - 'a' + 10
                      : u >= 'A' && u <= 'F' ? u - 'A' + 10
                                             : 99;
        return d < base ? d : -1;
    };
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    int base = 10;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return false;
    quint64 result = 0;
    for (; i < n; ++i) {
        const int digit = digitOf(text[i], base);
        if (digit < 0)
            return false;
        result = result * base + digit;
        if (result > (base == 16 ? 0xFFFFFFFFull : 2147483648ull))
            return false;
    }
    if (base == 16) {
        // Eight hexadecimal digits cover the whole 32 bits; the top half reads as negative.
        const auto bits = quint32(result);
        value = qint32(negative ? 0u - bits : bits);
        return true;
    }
    if (!negative && result > 2147483647ull)
        return false;
    value = negative ? qint32(-qint64(result)) : qint32(result);
    return true;
}
