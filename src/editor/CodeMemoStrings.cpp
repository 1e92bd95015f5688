#include "editor/CodeMemoStrings.h"

#include "platform/AppError.h"
#include "platform/Codepage.h"
#include "platform/FileOps.h"
#include "platform/LargeBuffers.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cstring>

namespace {

const QLatin1StringView kLineBreak("\r\n");

QString ExpandTabs(const QString &s, int tabSize) {
    if (!s.contains(QLatin1Char('\t')))
        return s;
    QString r = s;
    r.replace(QLatin1Char('\t'), QString(tabSize, QLatin1Char(' ')));
    return r;
}

QString WithoutLineFeeds(QString s) {
    s.remove(QLatin1Char('\n'));
    return s;
}

QString FullName(const QString &fileName) {
    return QFileInfo(fileName).absoluteFilePath();
}

// Calls EndLoad whatever way the load leaves, so a failed load does not leave the view frozen.
struct TLoadGuard {
    TCodeMemoStrings *Lines;
    bool *Attached;
    ~TLoadGuard() {
        *Attached = true;
        if (ICodeMemoView *memo = Lines->Memo()) {
            memo->EndLoad();
            memo->LinesChanged();
        }
    }
};

QString DecodeUtf16(const char *p, qsizetype n, bool bigEndian) {
    const qsizetype units = n / 2;
    QString s(units + (n % 2), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(s.data());
    if (bigEndian)
        qFromBigEndian<char16_t>(p, units, out);
    else
        qFromLittleEndian<char16_t>(p, units, out);
    // A lone trailing byte cannot be a character; it is shown rather than dropped silently.
    if (n % 2)
        out[units] = QChar::ReplacementCharacter;
    return s;
}

// Most text is plain Latin-1, which is its own code-page byte: copied directly, only the rest goes
// through the code-page conversion.
void AppendAnsi(QByteArray &out, QStringView text) {
    const qsizetype old = out.size();
    out.resize(old + text.size()); // never more bytes than characters
    char *d = out.data() + old;
    const char16_t *p = reinterpret_cast<const char16_t *>(text.data());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            *d++ = char(c);
            continue;
        }
        const qsizetype len =
            QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1]) ? 2 : 1;
        for (const char ch : EncodeAnsi(QStringView(p + i, len)))
            *d++ = ch;
        i += len - 1;
    }
    out.truncate(d - out.constData());
}

QByteArray EncodeUtf16(const QString &text, bool bigEndian) {
    QByteArray b(text.size() * 2, Qt::Uninitialized);
    if (bigEndian)
        qToBigEndian<char16_t>(text.utf16(), text.size(), b.data());
    else
        qToLittleEndian<char16_t>(text.utf16(), text.size(), b.data());
    return b;
}

constexpr quint64 kOwnedBit = quint64(1) << 63;
constexpr int kSliceLengthBits = 23;
constexpr quint64 kSliceLengthMask = (quint64(1) << kSliceLengthBits) - 1;
constexpr quint64 kSliceStartLimit = quint64(1) << 40;
constexpr quint32 kNoProp = 0;
constexpr quint32 kOwedProp = 1;

QByteArrayView MarkOf(TTextEncoding e) {
    switch (e) {
    case TTextEncoding::Utf8:
        return QByteArrayView("\xEF\xBB\xBF", 3);
    case TTextEncoding::Utf16LE:
        return QByteArrayView("\xFF\xFE", 2);
    case TTextEncoding::Utf16BE:
        return QByteArrayView("\xFE\xFF", 2);
    case TTextEncoding::Ansi:
        break;
    }
    return QByteArrayView();
}

QByteArrayView LineBreakOf(TTextEncoding e) {
    switch (e) {
    case TTextEncoding::Utf16LE:
        return QByteArrayView("\r\0\n\0", 4);
    case TTextEncoding::Utf16BE:
        return QByteArrayView("\0\r\0\n", 4);
    case TTextEncoding::Ansi:
    case TTextEncoding::Utf8:
        break;
    }
    return QByteArrayView("\r\n", 2);
}

// Slices address 40 bits of buffer and 23 bits of line; a line beyond either owns its string.
bool FitsSlice(qsizetype start, qsizetype bytes) {
    return quint64(start) < kSliceStartLimit && quint64(bytes) <= kSliceLengthMask;
}

quint64 SliceSpan(qsizetype start, qsizetype bytes) {
    return (quint64(start) << kSliceLengthBits) | quint64(bytes);
}

// Writes part at d in codec E. False at a tab, a line break or a character E cannot carry as
// itself: those lines take the general path.
template <TTextEncoding E> bool EncodePart(char *&d, QStringView part) {
    const char16_t *p = reinterpret_cast<const char16_t *>(part.data());
    const qsizetype n = part.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c < 0x20 && (c == u'\t' || c == u'\r' || c == u'\n'))
            return false;
        if constexpr (E == TTextEncoding::Ansi) {
            const int byte = c < 0x80 ? int(c) : AnsiByteOf(c);
            if (byte < 0)
                return false;
            *d++ = char(byte);
        } else if constexpr (E == TTextEncoding::Utf16LE) {
            *d++ = char(c & 0xFF);
            *d++ = char(c >> 8);
        } else if constexpr (E == TTextEncoding::Utf16BE) {
            *d++ = char(c >> 8);
            *d++ = char(c & 0xFF);
        } else if (c < 0x80) {
            *d++ = char(c);
        } else if (c < 0x800) {
            *d++ = char(0xC0 | (c >> 6));
            *d++ = char(0x80 | (c & 0x3F));
        } else if (!QChar::isSurrogate(c)) {
            *d++ = char(0xE0 | (c >> 12));
            *d++ = char(0x80 | ((c >> 6) & 0x3F));
            *d++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t u = QChar::surrogateToUcs4(c, p[++i]);
            *d++ = char(0xF0 | (u >> 18));
            *d++ = char(0x80 | ((u >> 12) & 0x3F));
            *d++ = char(0x80 | ((u >> 6) & 0x3F));
            *d++ = char(0x80 | (u & 0x3F));
        } else {
            return false; // a lone surrogate has no UTF-8 form
        }
    }
    return true;
}

// The bytes of part in UTF-8: a surrogate pair counts 3 + 1. A lone surrogate, which UTF-8 cannot
// hold, makes EncodePart stop before it writes it.
qsizetype Utf8Size(QStringView part) {
    qsizetype bytes = 0;
    for (const QChar c : part)
        bytes += c.unicode() < 0x80                   ? 1
                 : c.unicode() < 0x800                ? 2
                 : QChar::isLowSurrogate(c.unicode()) ? 1
                                                      : 3;
    return bytes;
}

// Appends a + b to buf in codec; false, with buf as it was, where EncodePart refuses.
bool AppendEncoded(QByteArray &buf, TTextEncoding codec, QStringView a, QStringView b) {
    const qsizetype old = buf.size();
    // The most bytes a UTF-16 unit takes: one in the ANSI code page, two in UTF-16, three in UTF-8.
    // Where that would not fit, UTF-8 is measured first: room reserved for a text of its exact
    // size must not grow for its last lines.
    const int unitBytes = codec == TTextEncoding::Ansi ? 1 : codec == TTextEncoding::Utf8 ? 3 : 2;
    qsizetype most = (a.size() + b.size()) * unitBytes;
    if (buf.capacity() < old + most && codec == TTextEncoding::Utf8)
        most = Utf8Size(a) + Utf8Size(b);
    if (buf.capacity() < old + most) {
        buf.reserve(std::max(old + most, buf.capacity() + buf.capacity() / 2));
        AdviseLargeBuffer(buf);
    }
    buf.resize(old + most);
    char *d = buf.data() + old;
    bool ok = false;
    switch (codec) {
    case TTextEncoding::Ansi:
        ok = EncodePart<TTextEncoding::Ansi>(d, a) && EncodePart<TTextEncoding::Ansi>(d, b);
        break;
    case TTextEncoding::Utf8:
        ok = EncodePart<TTextEncoding::Utf8>(d, a) && EncodePart<TTextEncoding::Utf8>(d, b);
        break;
    case TTextEncoding::Utf16LE:
        ok = EncodePart<TTextEncoding::Utf16LE>(d, a) && EncodePart<TTextEncoding::Utf16LE>(d, b);
        break;
    case TTextEncoding::Utf16BE:
        ok = EncodePart<TTextEncoding::Utf16BE>(d, a) && EncodePart<TTextEncoding::Utf16BE>(d, b);
        break;
    }
    buf.truncate(ok ? d - buf.constData() : old);
    return ok;
}

// Length in UTF-16 units of valid UTF-8, or -1 where the text is not plainly valid: then the whole
// text goes through the general decoder, which alone knows how to replace what is broken.
// Noncharacters and a mark right after the mark are also left to it.
// UTF-8 after the file's mark: a U+FEFF there is text, which QString::fromUtf8 would drop as a mark.
QString DecodeUtf8Text(const char *p, qsizetype n) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(p, n));
}

qsizetype Utf16LengthOfValidUtf8(const unsigned char *s, qsizetype n) {
    qsizetype units = 0;
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            ++units;
            ++i;
            continue;
        }
        int more;
        char32_t cp;
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            cp = b & 0x07;
        } else {
            return -1;
        }
        if (i + more >= n)
            return -1;
        for (int k = 1; k <= more; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return -1;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ||
            (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE || cp == 0xFEFF)
            return -1;
        units += cp >= 0x10000 ? 2 : 1;
        i += more + 1;
    }
    return units;
}

} // namespace

TCodeMemoStrings::TCodeMemoStrings(ICodeMemoView *memo) : FMemo(memo) {}

TCodeMemoStrings::~TCodeMemoStrings() = default;

int TCodeMemoStrings::Count() const {
    return int(FSpans.size());
}

void TCodeMemoStrings::ListIndexError(int i) const {
    QString msg = QStringLiteral("Index de liste hors limites (%1)").arg(i);
    if (FSpans.empty())
        msg += QStringLiteral(".  TCodeMemoStrings est vide");
    else
        msg += QStringLiteral(".  L'intervalle de TCodeMemoStrings est 0..%1").arg(Count() - 1);
    throw EAppError(msg);
}

QString TCodeMemoStrings::TextOf(quint64 span) const {
    if (span & kOwnedBit)
        return FOwned[size_t(span & 0xFFFFFFFFu)];
    const char *p = FBuffer.constData() + (span >> kSliceLengthBits);
    const qsizetype n = qsizetype(span & kSliceLengthMask);
    switch (FBufferCodec) {
    case TTextEncoding::Utf8:
        return DecodeUtf8Text(p, n);
    case TTextEncoding::Ansi:
        return DecodeAnsi(QByteArrayView(p, n));
    case TTextEncoding::Utf16LE:
        return DecodeUtf16(p, n, false);
    case TTextEncoding::Utf16BE:
        return DecodeUtf16(p, n, true);
    }
    return QString();
}

QString TCodeMemoStrings::Get(int i) const {
    if (i < 0 || i >= Count())
        ListIndexError(i);
    return TextOf(FSpans[size_t(i)]);
}

quint64 TCodeMemoStrings::LineToken(int i) const {
    if (i < 0 || i >= Count())
        return 0;
    // The buffer only grows until the text is replaced, so a slice's place names its bytes.
    const quint64 span = FSpans[size_t(i)];
    return (span & kOwnedBit) ? 0 : span | kOwnedBit;
}

bool TCodeMemoStrings::LineEquals(int i, QStringView text) const {
    if (i < 0 || i >= Count() || FListLengths.at(i) != text.size())
        return false;
    const quint64 span = FSpans[size_t(i)];
    if ((span & kOwnedBit) || FBufferCodec == TTextEncoding::Utf8)
        return TextOf(span) == text;
    // A slice of single-byte or UTF-16 text compares without a string of its own.
    const auto *p = reinterpret_cast<const unsigned char *>(FBuffer.constData() + (span >> kSliceLengthBits));
    const char16_t *t = reinterpret_cast<const char16_t *>(text.data());
    const qsizetype n = text.size();
    if (FBufferCodec == TTextEncoding::Ansi) {
        // Most bytes stand for themselves; a screen reader's listener compares every line per key.
        for (qsizetype k = 0; k < n; ++k)
            if (p[k] != t[k] && (p[k] < 0x80 || DecodeAnsiByte(p[k]) != t[k]))
                return false;
        return true;
    }
    const bool big = FBufferCodec == TTextEncoding::Utf16BE;
    for (qsizetype k = 0; k < n; ++k)
        if ((big ? char16_t((p[2 * k] << 8) | p[2 * k + 1]) : char16_t(p[2 * k] | (p[2 * k + 1] << 8))) !=
            t[k])
            return false;
    return true;
}

void TCodeMemoStrings::Changed() {
    if (FUpdateCount == 0 && FNotifyAttached && FMemo)
        FMemo->LinesChanged();
}

TLineProp *TCodeMemoStrings::NewLineProp() const {
    if (FPropsInLastBlock == kPropBlock) {
        FLinesProp.push_back(std::make_unique<TLineProp[]>(kPropBlock));
        FPropsInLastBlock = 0;
    }
    return &FLinesProp.back()[FPropsInLastBlock++];
}

TLineProp *TCodeMemoStrings::PropAt(quint32 slot) const {
    const size_t n = slot - 2;
    return &FLinesProp[n / kPropBlock][n % kPropBlock];
}

void TCodeMemoStrings::MaterializeSlots() const {
    if (FSlots.empty())
        FSlots.assign(FSpans.size(), kOwedProp);
}

int TCodeMemoStrings::MaxLength() const {
    if (FMaxLengthStale) {
        FMaxLength =
            FListLengths.isEmpty() ? 0 : *std::max_element(FListLengths.cbegin(), FListLengths.cend());
        FMaxLengthStale = false;
    }
    return FMaxLength;
}

quint64 TCodeMemoStrings::OwnedSpan(QString &&s) {
    quint32 index;
    if (!FFreeOwned.empty()) {
        index = FFreeOwned.back();
        FFreeOwned.pop_back();
        FOwned[index] = std::move(s);
    } else {
        index = quint32(FOwned.size());
        FOwned.push_back(std::move(s));
    }
    return kOwnedBit | index;
}

void TCodeMemoStrings::ReleaseSpan(quint64 span) {
    if (!(span & kOwnedBit))
        return;
    const quint32 index = quint32(span & 0xFFFFFFFFu);
    FOwned[index] = QString();
    FFreeOwned.push_back(index);
}

// A line that gets a record when asked for, at the end.
void TCodeMemoStrings::PushLine(quint64 span, int length) {
    LengthAdded(length);
    FListLengths.append(length);
    FSpans.push_back(span);
    if (!FSlots.empty())
        FSlots.push_back(kOwedProp);
}

// A line without a record, at position at.
void TCodeMemoStrings::InsertUnrecorded(int at, quint64 span, int length) {
    MaterializeSlots();
    LengthAdded(length);
    FListLengths.insert(at, length);
    FSpans.insert(FSpans.begin() + at, span);
    FSlots.insert(FSlots.begin() + at, kNoProp);
}

// One line without breaks or tabs into the buffer, where its text can go as itself.
bool TCodeMemoStrings::AppendSlice(QStringView a, QStringView b) {
    if (!FBufferAppendable)
        return false;
    if (FBuffer.isEmpty()) { // appended to, so that the room Reserve made stays
        FBufferCodec = Encoding();
        FBuffer.append(MarkOf(FBufferCodec));
    }
    const qsizetype before = FBuffer.size();
    if (!FSpans.empty())
        FBuffer += LineBreakOf(FBufferCodec);
    const qsizetype start = FBuffer.size();
    if (!AppendEncoded(FBuffer, FBufferCodec, a, b)) {
        FBuffer.truncate(before);
        return false;
    }
    const qsizetype bytes = FBuffer.size() - start;
    if (!FitsSlice(start, bytes)) {
        FBuffer.truncate(before);
        return false;
    }
    PushLine(SliceSpan(start, bytes), int(a.size() + b.size()));
    return true;
}

void TCodeMemoStrings::AppendLine(QString &&s) {
    if (AppendSlice(s, QStringView())) {
        Changed();
        return;
    }
    const int length = int(s.size());
    PushLine(OwnedSpan(std::move(s)), length);
    Changed();
}

int TCodeMemoStrings::Add(const QString &s) {
    QString rest = WithoutLineFeeds(ExpandTabs(s, TabSize()));
    qsizetype start = 0;
    for (qsizetype cr = rest.indexOf(QLatin1Char('\r')); cr >= 0;
         cr = rest.indexOf(QLatin1Char('\r'), start)) {
        AppendLine(rest.mid(start, cr - start));
        start = cr + 1;
    }
    AppendLine(start == 0 ? std::move(rest) : rest.mid(start));
    return Count() - 1;
}

int TCodeMemoStrings::Add(QStringView head, QStringView tail) {
    if (AppendSlice(head, tail)) {
        Changed();
        return Count() - 1;
    }
    return Add(head.toString() + tail);
}

void TCodeMemoStrings::Reserve(int lines, qsizetype bytes) {
    FSpans.reserve(size_t(lines));
    FListLengths.reserve(lines);
    AdviseLargeBuffer(FSpans);
    AdviseLargeBuffer(FListLengths);
    if (FBufferAppendable && FBuffer.isEmpty() && FBuffer.capacity() < bytes) {
        FBuffer.reserve(bytes);
        AdviseLargeBuffer(FBuffer);
    }
}

void TCodeMemoStrings::ResetText() {
    FLinesProp.clear();
    FPropsInLastBlock = kPropBlock;
    FSlots.clear();
    FSlots.shrink_to_fit();
    FSpans.clear();
    FSpans.shrink_to_fit();
    FOwned.clear();
    FOwned.shrink_to_fit();
    FFreeOwned.clear();
    FBuffer = QByteArray();
    ++FTextGeneration;
    FBufferCodec = TTextEncoding::Utf8;
    FBufferAppendable = true;
    FListLengths = QList<int>();
    FMaxLength = 0;
    FMaxLengthStale = false;
}

void TCodeMemoStrings::Clear() {
    if (FMemo) {
        FMemo->ResetSelectionCorners();
        FMemo->SetCurY(0);
        FMemo->SetCurX(0);
        FMemo->Invalidate();
    }
    const bool hadLines = !FSpans.empty();
    ResetText();
    if (hadLines)
        Changed();
}

void TCodeMemoStrings::Insert(int i, const QString &s) {
    if (i < 0 || i > Count())
        ListIndexError(i);
    if (FMemo)
        FMemo->ClearSelection();
    const QStringList pieces = s.split(kLineBreak);
    int at = i;
    for (const QString &piece : pieces) {
        // A lone LF would break the line in two on screen but not in the store: keep it out.
        QString line = WithoutLineFeeds(ExpandTabs(piece, TabSize()));
        if (AboveTopLine(at))
            FMemo->InvalidateBackupTopLine();
        const int length = int(line.size());
        InsertUnrecorded(at, OwnedSpan(std::move(line)), length);
        Changed();
        ++at;
    }
    if (FMemo) {
        FMemo->SetCurX(FMemo->CurX());
        FMemo->SetCurY(FMemo->CurY());
        FMemo->ShiftBookmarksAndMarkers(i, int(pieces.size()));
        FMemo->Invalidate();
    }
}

void TCodeMemoStrings::RemoveLine(int i) {
    RemoveLines(i, 1);
}

void TCodeMemoStrings::RemoveLines(int i, int count) {
    i = qMax(0, i);
    count = qMin(count, Count() - i);
    if (count <= 0)
        return;
    if (AboveTopLine(i))
        FMemo->InvalidateBackupTopLine();
    for (int k = i; k < i + count; ++k) {
        LengthRemoved(FListLengths.at(k));
        ReleaseSpan(FSpans[size_t(k)]);
    }
    FListLengths.remove(i, count);
    FSpans.erase(FSpans.begin() + i, FSpans.begin() + i + count);
    if (!FSlots.empty())
        FSlots.erase(FSlots.begin() + i, FSlots.begin() + i + count);
    Changed();
}

void TCodeMemoStrings::InsertLines(int i, const QStringList &lines) {
    if (i < 0 || i > Count())
        ListIndexError(i);
    if (lines.isEmpty())
        return;
    if (AboveTopLine(i))
        FMemo->InvalidateBackupTopLine();
    MaterializeSlots();
    QList<int> lengths;
    lengths.reserve(lines.size());
    std::vector<quint64> spans;
    spans.reserve(size_t(lines.size()));
    for (const QString &l : lines) {
        lengths.append(int(l.size()));
        LengthAdded(int(l.size()));
        spans.push_back(OwnedSpan(QString(l)));
    }
    FListLengths.insert(i, lines.size(), 0);
    std::copy(lengths.cbegin(), lengths.cend(), FListLengths.begin() + i);
    FSpans.insert(FSpans.begin() + i, spans.cbegin(), spans.cend());
    FSlots.insert(FSlots.begin() + i, size_t(lines.size()), kNoProp);
    Changed();
}

void TCodeMemoStrings::Delete(int i) {
    if (i < 0 || i >= Count())
        return;
    if (FDeleting || !FMemo) {
        RemoveLine(i);
        return;
    }
    if (AboveTopLine(i))
        FMemo->InvalidateBackupTopLine();
    FDeleting = true;
    const int x = FMemo->CurX(), y = FMemo->CurY(), count = Count();
    try {
        FMemo->SetCurY(i);
        FMemo->DeleteLine();
    } catch (...) {
        FDeleting = false;
        throw;
    }
    FMemo->SetCurX(count == 1 ? 0 : x);
    FMemo->SetCurY(i < y ? y - 1 : y);
    FDeleting = false;
}

void TCodeMemoStrings::Put(int i, const QString &s) {
    // Checked first: a failed Put must not leave the length list out of step with the lines.
    if (i < 0 || i >= Count())
        ListIndexError(i);
    QString line = WithoutLineFeeds(ExpandTabs(s, TabSize()));
    if (line.size() < FMaxLength)
        LengthRemoved(FListLengths.at(i));
    LengthAdded(int(line.size()));
    FListLengths[i] = int(line.size());
    if (AboveTopLine(i))
        FMemo->InvalidateBackupTopLine();
    quint64 &span = FSpans[size_t(i)];
    if (span & kOwnedBit)
        FOwned[size_t(span & 0xFFFFFFFFu)] = std::move(line);
    else
        span = OwnedSpan(std::move(line));
    Changed();
}

TLineProp *TCodeMemoStrings::LineProp(int i) const {
    if (i < 0 || i >= Count())
        return nullptr;
    if (FSlots.empty()) {
        MaterializeSlots();
    }
    quint32 &slot = FSlots[size_t(i)];
    if (slot == kNoProp)
        return nullptr;
    if (slot == kOwedProp) {
        NewLineProp();
        slot = quint32((FLinesProp.size() - 1) * kPropBlock + FPropsInLastBlock - 1 + 2);
    }
    return PropAt(slot);
}

TLineProp *TCodeMemoStrings::EnsureLineProp(int i) {
    if (i < 0 || i >= Count())
        return nullptr;
    MaterializeSlots();
    quint32 &slot = FSlots[size_t(i)];
    if (slot == kNoProp)
        slot = kOwedProp;
    return LineProp(i);
}

TLineProp *TCodeMemoStrings::ExistingLineProp(int i) const {
    if (i < 0 || i >= Count() || FSlots.empty())
        return nullptr;
    const quint32 slot = FSlots[size_t(i)];
    return slot >= 2 ? PropAt(slot) : nullptr;
}

void *TCodeMemoStrings::Objects(int i) const {
    const TLineProp *p = ExistingLineProp(i);
    return p ? p->FObject : nullptr;
}

void TCodeMemoStrings::SetObjects(int i, void *object) {
    if (TLineProp *p = EnsureLineProp(i))
        p->FObject = object;
}

// Every record made (a removed line's too, which nothing reads any more): a line without one is
// unmodified already.
void TCodeMemoStrings::ResetLineStates() {
    for (size_t b = 0; b < FLinesProp.size(); ++b) {
        const int n = b + 1 == FLinesProp.size() ? FPropsInLastBlock : kPropBlock;
        for (int k = 0; k < n; ++k)
            FLinesProp[b][k].Modified = lmUnmodified;
    }
}

void TCodeMemoStrings::MarkLinesSaved() {
    BeginUpdate();
    for (size_t b = 0; b < FLinesProp.size(); ++b) {
        const int n = b + 1 == FLinesProp.size() ? FPropsInLastBlock : kPropBlock;
        for (int k = 0; k < n; ++k)
            if (FLinesProp[b][k].Modified == lmModified)
                FLinesProp[b][k].Modified = lmSaved;
    }
    EndUpdate();
    if (FMemo)
        FMemo->Invalidate();
}

void TCodeMemoStrings::BeginUpdate() {
    if (FUpdateCount++ == 0)
        ++FLockCount;
}

void TCodeMemoStrings::EndUpdate() {
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount == 0) {
        if (FLockCount > 0)
            --FLockCount;
        if (FMemo && FNotifyAttached)
            FMemo->UpdateBracketClosed();
    }
}

QString TCodeMemoStrings::Text() const {
    qsizetype size = 0;
    for (const int l : FListLengths)
        size += l + 2;
    QString text;
    text.reserve(size);
    for (int i = 0; i < Count(); ++i) {
        if (i > 0)
            text += kLineBreak;
        text += TextOf(FSpans[size_t(i)]);
    }
    return text;
}

void TCodeMemoStrings::SetText(const QString &text) {
    BeginUpdate();
    try {
        Clear();
        LoadDecoded(text);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    Changed();
}

// Splits on CR LF, lone CR and lone LF alike; a break at the very end adds no empty line.
void TCodeMemoStrings::LoadDecoded(const QString &text) {
    const QChar *p = text.constData();
    const qsizetype n = text.size();
    const int tabSize = TabSize();
    // Room for the lines: CR LF is one break, so the larger count is exact for CR LF files.
    const qsizetype breaks = std::max(text.count(QLatin1Char('\n')), text.count(QLatin1Char('\r'))) + 1;
    FSpans.reserve(FSpans.size() + size_t(breaks));
    FListLengths.reserve(FListLengths.size() + breaks);
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        bool tab = false;
        for (; i < n; ++i) {
            const char16_t c = p[i].unicode();
            if (c == u'\r' || c == u'\n')
                break;
            tab |= c == u'\t';
        }
        const QStringView piece(p + start, i - start);
        if (tab || !AppendSlice(piece, QStringView())) {
            QString line = piece.toString();
            if (tab)
                line = ExpandTabs(line, tabSize);
            const int length = int(line.size());
            PushLine(OwnedSpan(std::move(line)), length);
        }
        if (i < n && p[i] == u'\r')
            ++i;
        if (i < n && p[i] == u'\n')
            ++i;
    }
}

TTextEncoding TCodeMemoStrings::DetectEncoding(const QByteArray &bytes, int *markLength) {
    const auto starts = [&](const char *mark, int n) {
        return bytes.size() >= n && memcmp(bytes.constData(), mark, size_t(n)) == 0;
    };
    TTextEncoding e = TTextEncoding::Ansi;
    int skip = 0;
    if (starts("\xEF\xBB\xBF", 3)) {
        e = TTextEncoding::Utf8;
        skip = 3;
    } else if (starts("\xFF\xFE", 2)) {
        e = TTextEncoding::Utf16LE;
        skip = 2;
    } else if (starts("\xFE\xFF", 2)) {
        e = TTextEncoding::Utf16BE;
        skip = 2;
    }
    if (markLength)
        *markLength = skip;
    return e;
}

QString TCodeMemoStrings::Decode(const QByteArray &bytes, TTextEncoding encoding, int markLength) {
    const char *p = bytes.constData() + markLength;
    const qsizetype n = bytes.size() - markLength;
    switch (encoding) {
    case TTextEncoding::Utf8:
        return DecodeUtf8Text(p, n); // malformed sequences become U+FFFD
    case TTextEncoding::Utf16LE:
        return DecodeUtf16(p, n, false);
    case TTextEncoding::Utf16BE:
        return DecodeUtf16(p, n, true);
    case TTextEncoding::Ansi:
        break;
    }
    return DecodeAnsi(QByteArrayView(p, n));
}

void TCodeMemoStrings::PrepareLoad() {
    if (!FMemo)
        return;
    FMemo->ClearSelection();
    FMemo->ClearUndoRedo();
    FMemo->SetCurX(0);
    FMemo->SetCurY(0);
    FMemo->BeginLoad();
}

void TCodeMemoStrings::FinishLoad() {
    if (!FMemo)
        return;
    FMemo->InvalidateBackupTopLine();
    FMemo->SetCurX(0);
    FMemo->SetCurY(0); // appends the one empty line of an empty file
}

// The lines as slices of the file's own bytes, without decoding the text. False when the bytes need
// the general decoder (broken UTF-8, an odd UTF-16 byte): then nothing is kept.
bool TCodeMemoStrings::AdoptBytes(const QByteArray &bytes, TTextEncoding encoding, int mark) {
    const bool wide = encoding == TTextEncoding::Utf16LE || encoding == TTextEncoding::Utf16BE;
    const qsizetype n = bytes.size();
    if (wide && (n - mark) % 2 != 0)
        return false;
    if (encoding == TTextEncoding::Utf8 && n - mark >= 3 &&
        memcmp(bytes.constData() + mark, "\xEF\xBB\xBF", 3) == 0)
        return false;
    FBuffer = bytes;
    ++FTextGeneration;
    FBufferAppendable = false;
    FBufferCodec = encoding;
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    const int tabSize = TabSize();
    // One line of size bytes at start; false when the text is not plain UTF-8 after all.
    auto addLine = [&](qsizetype start, qsizetype size, bool tab) {
        qsizetype length = wide ? size / 2 : size;
        if (encoding == TTextEncoding::Utf8) {
            length = Utf16LengthOfValidUtf8(s + start, size);
            if (length < 0)
                return false;
        }
        if (tab || !FitsSlice(start, size) || length > INT_MAX) {
            QString line;
            const char *p = bytes.constData() + start;
            if (encoding == TTextEncoding::Utf8)
                line = DecodeUtf8Text(p, size);
            else if (encoding == TTextEncoding::Ansi)
                line = DecodeAnsi(QByteArrayView(p, size));
            else
                line = DecodeUtf16(p, size, encoding == TTextEncoding::Utf16BE);
            if (tab)
                line = ExpandTabs(line, tabSize);
            const int expanded = int(line.size());
            PushLine(OwnedSpan(std::move(line)), expanded);
        } else {
            PushLine(SliceSpan(start, size), int(length));
        }
        return true;
    };
    if (!wide) {
        // Room for the lines: one a LF, exact for CR LF files.
        qsizetype lfs = 0;
        for (const char *q = bytes.constData() + mark, *end = bytes.constData() + n;
             (q = static_cast<const char *>(memchr(q, '\n', size_t(end - q)))) != nullptr; ++q)
            ++lfs;
        FSpans.reserve(size_t(lfs + 1));
        FListLengths.reserve(lfs + 1);
        qsizetype i = mark;
        while (i < n) {
            const qsizetype start = i;
            bool tab = false;
            for (; i < n; ++i) {
                const unsigned char c = s[i];
                if (c > '\r')
                    continue;
                if (c == '\r' || c == '\n')
                    break;
                tab |= c == '\t';
            }
            if (!addLine(start, i - start, tab)) {
                ResetText();
                return false;
            }
            if (i < n && s[i] == '\r')
                ++i;
            if (i < n && s[i] == '\n')
                ++i;
        }
        return true;
    }
    const bool little = encoding == TTextEncoding::Utf16LE;
    auto unit = [&](qsizetype i) -> char16_t {
        return little ? char16_t(s[i] | (s[i + 1] << 8)) : char16_t((s[i] << 8) | s[i + 1]);
    };
    qsizetype lfs = 0;
    for (qsizetype i = mark; i < n; i += 2)
        lfs += unit(i) == u'\n';
    FSpans.reserve(size_t(lfs + 1));
    FListLengths.reserve(lfs + 1);
    qsizetype i = mark;
    while (i < n) {
        const qsizetype start = i;
        bool tab = false;
        for (; i < n; i += 2) {
            const char16_t c = unit(i);
            if (c == u'\r' || c == u'\n')
                break;
            tab |= c == u'\t';
        }
        addLine(start, i - start, tab);
        if (i < n && unit(i) == u'\r')
            i += 2;
        if (i < n && unit(i) == u'\n')
            i += 2;
    }
    return true;
}

void TCodeMemoStrings::LoadBytes(const QByteArray &bytes) {
    BeginUpdate();
    int mark = 0;
    const TTextEncoding e = DetectEncoding(bytes, &mark);
    FEncoding = e;
    FHasEncoding = true;
    Clear();
    if (!AdoptBytes(bytes, e, mark))
        LoadDecoded(Decode(bytes, e, mark));
    EndUpdate();
    FinishLoad();
}

void TCodeMemoStrings::LoadFromBytes(const QByteArray &bytes) {
    PrepareLoad();
    FNotifyAttached = false;
    {
        TLoadGuard guard{this, &FNotifyAttached};
        LoadBytes(bytes);
    }
    // No ResetLineStates: every line now has a fresh record, so all are lmUnmodified already.
    if (FMemo)
        FMemo->Invalidate();
}

void TCodeMemoStrings::LoadFromFileBytes(const QString &fileName, const QByteArray &bytes,
                                         const QString &readError) {
    PrepareLoad();
    FNotifyAttached = false;
    {
        TLoadGuard guard{this, &FNotifyAttached};
        if (!readError.isEmpty())
            throw EAppError(CannotOpenMessage(FullName(fileName), readError));
        LoadBytes(bytes);
    }
    // No ResetLineStates: every line now has a fresh record, so all are lmUnmodified already.
    if (FMemo)
        FMemo->Invalidate();
}

void TCodeMemoStrings::LoadFromFile(const QString &fileName) {
    // Only a regular file is read, and never by waiting: a FIFO or device is refused at once.
    const TFileRead file = ReadRegularFile(fileName);
    LoadFromFileBytes(fileName, file.bytes,
                      file.status == TFileRead::Status::Loaded ? QString() : file.error);
}

TTextEncoding TCodeMemoStrings::Encoding() const {
    return FHasEncoding ? FEncoding : TTextEncoding::Ansi;
}

// The buffer is the encoded text itself while every line is a slice in file order with CR LF between
// them, as after a generation or the load of such a file: then saving copies nothing.
bool TCodeMemoStrings::BufferIsEncodedText() const {
    const TTextEncoding target = Encoding();
    const QByteArrayView mark = MarkOf(target), lineBreak = LineBreakOf(target);
    if (FSpans.empty() || FBufferCodec != target || !FBuffer.startsWith(mark))
        return false;
    qsizetype expect = mark.size();
    for (size_t line = 0; line < FSpans.size(); ++line) {
        const quint64 span = FSpans[line];
        if (span & kOwnedBit)
            return false;
        const qsizetype start = qsizetype(span >> kSliceLengthBits);
        if (line > 0) {
            if (start != expect + lineBreak.size() ||
                memcmp(FBuffer.constData() + expect, lineBreak.data(), size_t(lineBreak.size())) != 0)
                return false;
        } else if (start != expect) {
            return false;
        }
        expect = start + qsizetype(span & kSliceLengthMask);
    }
    return expect == FBuffer.size();
}

QByteArray TCodeMemoStrings::EncodedText() const {
    if (BufferIsEncodedText())
        return FBuffer;
    const TTextEncoding target = Encoding();
    const bool wide = target == TTextEncoding::Utf16LE || target == TTextEncoding::Utf16BE;
    qsizetype chars = 0;
    for (const int l : FListLengths)
        chars += l + 2;
    QByteArray out = MarkOf(target).toByteArray();
    out.reserve(wide ? 2 * chars + 2 : chars + chars / 8 + 3);
    AdviseLargeBuffer(out);
    const QByteArrayView lineBreak = LineBreakOf(target);
    for (size_t line = 0; line < FSpans.size(); ++line) {
        if (line > 0)
            out += lineBreak;
        const quint64 span = FSpans[line];
        if (!(span & kOwnedBit)) {
            const char *p = FBuffer.constData() + (span >> kSliceLengthBits);
            const qsizetype n = qsizetype(span & kSliceLengthMask);
            // Slices already in the target encoding are copied; plain ASCII is the same in the
            // code page as in UTF-8.
            const bool ascii = FBufferCodec == TTextEncoding::Utf8 && target == TTextEncoding::Ansi &&
                               std::all_of(p, p + n, [](char c) { return uchar(c) < 0x80; });
            if (FBufferCodec == target || ascii) {
                out.append(p, n);
                continue;
            }
        }
        const QString text = TextOf(span);
        switch (target) {
        case TTextEncoding::Ansi:
            AppendAnsi(out, text);
            break;
        case TTextEncoding::Utf8:
            out += text.toUtf8();
            break;
        case TTextEncoding::Utf16LE:
        case TTextEncoding::Utf16BE:
            out += EncodeUtf16(text, target == TTextEncoding::Utf16BE);
            break;
        }
    }
    return out;
}

void TCodeMemoStrings::SaveToFile(const QString &fileName) {
    // Through a flushed temporary file renamed into place (links followed), without a backup:
    // the document's save makes the backups.
    ReplaceFile(fileName, EncodedText(), nullptr);
    MarkLinesSaved();
}
