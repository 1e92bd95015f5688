#include "editor/CodeMemoStrings.h"

#include "platform/AppError.h"
#include "platform/Codepage.h"
#include "platform/FileOps.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>

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
// through the code-page conversion. Encodes straight from the lines, without the joined text.
QByteArray EncodeAnsiLines(const QStringList &lines, const QList<int> &lengths) {
    qsizetype size = 0;
    for (const int l : lengths)
        size += l + 2;
    QByteArray out(size, Qt::Uninitialized);
    char *d = out.data();
    for (qsizetype line = 0; line < lines.size(); ++line) {
        if (line > 0) {
            *d++ = '\r';
            *d++ = '\n';
        }
        const QString &text = lines.at(line);
        const char16_t *p = reinterpret_cast<const char16_t *>(text.utf16());
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
                *d++ = ch; // never more bytes than characters
            i += len - 1;
        }
    }
    out.truncate(d - out.data());
    return out;
}

QByteArray EncodeUtf16(const QString &text, bool bigEndian) {
    QByteArray b(text.size() * 2, Qt::Uninitialized);
    if (bigEndian)
        qToBigEndian<char16_t>(text.utf16(), text.size(), b.data());
    else
        qToLittleEndian<char16_t>(text.utf16(), text.size(), b.data());
    return b;
}

} // namespace

TCodeMemoStrings::TCodeMemoStrings(ICodeMemoView *memo) : FMemo(memo) {}

TCodeMemoStrings::~TCodeMemoStrings() = default;

int TCodeMemoStrings::Count() const {
    return int(FLines.size());
}

void TCodeMemoStrings::ListIndexError(int i) const {
    QString msg = QStringLiteral("Index de liste hors limites (%1)").arg(i);
    if (FLines.isEmpty())
        msg += QStringLiteral(".  TCodeMemoStrings est vide");
    else
        msg += QStringLiteral(".  L'intervalle de TCodeMemoStrings est 0..%1").arg(FLines.size() - 1);
    throw EAppError(msg);
}

const QString &TCodeMemoStrings::Get(int i) const {
    if (i < 0 || i >= FLines.size())
        ListIndexError(i);
    return FLines.at(i);
}

void TCodeMemoStrings::Changed() {
    if (FUpdateCount == 0 && FNotifyAttached && FMemo)
        FMemo->LinesChanged();
}

TLineProp *TCodeMemoStrings::NewLineProp() {
    if (FPropsInLastBlock == kPropBlock) {
        FLinesProp.push_back(std::make_unique<TLineProp[]>(kPropBlock));
        FPropsInLastBlock = 0;
    }
    return &FLinesProp.back()[FPropsInLastBlock++];
}

int TCodeMemoStrings::MaxLength() const {
    if (FMaxLengthStale) {
        FMaxLength =
            FListLengths.isEmpty() ? 0 : *std::max_element(FListLengths.cbegin(), FListLengths.cend());
        FMaxLengthStale = false;
    }
    return FMaxLength;
}

void TCodeMemoStrings::AppendLine(QString &&s) {
    LengthAdded(int(s.size()));
    FListLengths.append(int(s.size()));
    FLines.append(std::move(s));
    FSlots.push_back(NewLineProp());
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

void TCodeMemoStrings::Clear() {
    if (FMemo) {
        FMemo->ResetSelectionCorners();
        FMemo->SetCurY(0);
        FMemo->SetCurX(0);
        FMemo->Invalidate();
    }
    FLinesProp.clear();
    FPropsInLastBlock = kPropBlock;
    FSlots.clear();
    FListLengths.clear();
    FMaxLength = 0;
    FMaxLengthStale = false;
    const bool hadLines = !FLines.isEmpty();
    FLines.clear();
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
        LengthAdded(int(line.size()));
        FListLengths.insert(at, int(line.size()));
        FLines.insert(at, std::move(line));
        FSlots.insert(FSlots.begin() + at, nullptr);
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
    if (i < 0 || i >= Count())
        return;
    if (AboveTopLine(i))
        FMemo->InvalidateBackupTopLine();
    LengthRemoved(FListLengths.at(i));
    FListLengths.removeAt(i);
    FLines.removeAt(i);
    FSlots.erase(FSlots.begin() + i);
    Changed();
}

void TCodeMemoStrings::RemoveLines(int i, int count) {
    i = qMax(0, i);
    count = qMin(count, Count() - i);
    if (count <= 0)
        return;
    if (AboveTopLine(i))
        FMemo->InvalidateBackupTopLine();
    for (int k = i; k < i + count; ++k)
        LengthRemoved(FListLengths.at(k));
    FListLengths.remove(i, count);
    FLines.remove(i, count);
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
    QList<int> lengths;
    lengths.reserve(lines.size());
    for (const QString &l : lines) {
        lengths.append(int(l.size()));
        LengthAdded(int(l.size()));
    }
    FListLengths.insert(i, lines.size(), 0);
    std::copy(lengths.cbegin(), lengths.cend(), FListLengths.begin() + i);
    FLines.insert(i, lines.size(), QString());
    std::copy(lines.cbegin(), lines.cend(), FLines.begin() + i);
    FSlots.insert(FSlots.begin() + i, size_t(lines.size()), nullptr);
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
    FLines[i] = std::move(line);
    Changed();
}

TLineProp *TCodeMemoStrings::LineProp(int i) const {
    if (i < 0 || i >= Count())
        return nullptr;
    return FSlots[size_t(i)];
}

TLineProp *TCodeMemoStrings::EnsureLineProp(int i) {
    if (i < 0 || i >= Count())
        return nullptr;
    TLineProp *&slot = FSlots[size_t(i)];
    if (!slot)
        slot = NewLineProp();
    return slot;
}

void *TCodeMemoStrings::Objects(int i) const {
    const TLineProp *p = LineProp(i);
    return p ? p->FObject : nullptr;
}

void TCodeMemoStrings::SetObjects(int i, void *object) {
    if (TLineProp *p = EnsureLineProp(i))
        p->FObject = object;
}

void TCodeMemoStrings::ResetLineStates() {
    for (TLineProp *p : FSlots)
        if (p)
            p->Modified = lmUnmodified;
}

void TCodeMemoStrings::MarkLinesSaved() {
    BeginUpdate();
    for (TLineProp *p : FSlots)
        if (p && p->Modified == lmModified)
            p->Modified = lmSaved;
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
    return FLines.join(kLineBreak);
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
    // Every line but the last ends in a break, so the breaks bound the number of lines.
    const qsizetype breaks = text.count(QLatin1Char('\n')) + text.count(QLatin1Char('\r')) + 1;
    FLines.reserve(FLines.size() + breaks);
    FListLengths.reserve(FListLengths.size() + breaks);
    FSlots.reserve(FSlots.size() + size_t(breaks));
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
        QString line(p + start, i - start);
        if (tab)
            line = ExpandTabs(line, tabSize);
        LengthAdded(int(line.size()));
        FListLengths.append(int(line.size()));
        FLines.append(std::move(line));
        FSlots.push_back(NewLineProp());
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
        return QString::fromUtf8(p, n); // malformed sequences become U+FFFD
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

void TCodeMemoStrings::LoadBytes(const QByteArray &bytes) {
    BeginUpdate();
    int mark = 0;
    const TTextEncoding e = DetectEncoding(bytes, &mark);
    FEncoding = e;
    FHasEncoding = true;
    const QString text = Decode(bytes, e, mark);
    Clear();
    LoadDecoded(text);
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

void TCodeMemoStrings::LoadFromFile(const QString &fileName) {
    PrepareLoad();
    FNotifyAttached = false;
    {
        TLoadGuard guard{this, &FNotifyAttached};
        // Only a regular file is read, and never by waiting: a FIFO or device is refused at once.
        const TFileRead file = ReadRegularFile(fileName);
        if (file.status != TFileRead::Status::Loaded)
            throw EAppError(CannotOpenMessage(FullName(fileName), file.error));
        LoadBytes(file.bytes);
    }
    // No ResetLineStates: every line now has a fresh record, so all are lmUnmodified already.
    if (FMemo)
        FMemo->Invalidate();
}

TTextEncoding TCodeMemoStrings::Encoding() const {
    return FHasEncoding ? FEncoding : TTextEncoding::Ansi;
}

QByteArray TCodeMemoStrings::EncodedText() const {
    if (Encoding() == TTextEncoding::Ansi)
        return EncodeAnsiLines(FLines, FListLengths);
    const QString text = Text();
    switch (Encoding()) {
    case TTextEncoding::Utf8:
        return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
    case TTextEncoding::Utf16LE:
        return QByteArrayLiteral("\xFF\xFE") + EncodeUtf16(text, false);
    case TTextEncoding::Utf16BE:
        return QByteArrayLiteral("\xFE\xFF") + EncodeUtf16(text, true);
    case TTextEncoding::Ansi:
        break;
    }
    return EncodeAnsi(text); // not reached: Ansi is handled above
}

void TCodeMemoStrings::SaveToFile(const QString &fileName) {
    // Through a flushed temporary file renamed into place (links followed), without a backup:
    // the document's save makes the backups.
    ReplaceFile(fileName, EncodedText(), nullptr);
    MarkLinesSaved();
}
