#include "platform/Codepage.h"

#include <array>

namespace {
// Windows-1252 bytes 0x80..0x9F; the five undefined bytes map to the C1 control of the same value
// so that every byte survives a round trip. All other bytes are Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int byteFor(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}

// Best fit: a character whose (compatibility) decomposition starts with a code-page character,
// such as an accented Latin letter outside Latin-1 or a full-width form, becomes that character.
int bestFit(char16_t c) {
    const QString decomposed = QChar(c).decomposition();
    if (decomposed.isEmpty())
        return -1;
    const int b = byteFor(decomposed.at(0).unicode());
    return b > 0 ? b : -1;
}
} // namespace

int GetACP() {
    return 1252;
}

int AnsiByteOf(char16_t c) {
    return byteFor(c);
}

char16_t DecodeAnsiByte(unsigned char b) {
    return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b);
}

QString DecodeAnsi(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = DecodeAnsiByte(static_cast<unsigned char>(bytes[i]));
    return out;
}

QByteArray EncodeAnsi(QStringView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int b = byteFor(c);
        if (b < 0) {
            // A surrogate pair is one character: one replacement, not two.
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else
                b = bestFit(c);
        }
        out.append(char(b < 0 ? '?' : b));
    }
    return out;
}

qsizetype FirstUnwritableAnsi(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (byteFor(text[i].unicode()) < 0)
            return i;
    return -1;
}
