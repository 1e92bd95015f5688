#include "editor/CodeMemoAccessible.h"

#include "editor/CodeMemo.h"

#include <QAccessible>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <numeric>

namespace {

// The store keeps each line's length: no line is decoded to count it.
int LineLengthAt(const TCodeMemoStrings &lines, int y) {
    return lines.ListLengths().at(y);
}

// The line and column of an offset, clamped to the text.
void AccessiblePosition(const TCustomCodeMemo &memo, int offset, int &x, int &y) {
    const TCodeMemoStrings &lines = memo.Lines();
    const int count = lines.Count();
    x = y = 0;
    if (count == 0)
        return;
    offset = std::max(0, offset);
    while (y < count - 1 && offset > LineLengthAt(lines, y)) {
        offset -= LineLengthAt(lines, y) + 1;
        ++y;
    }
    x = std::min(offset, LineLengthAt(lines, y));
}

QString JoinLines(const TCodeMemoStrings &lines, int from, int to) {
    QString text;
    for (int y = from; y < to; ++y) {
        if (y > from)
            text += u'\n';
        text += lines.Get(y);
    }
    return text;
}

QAccessibleInterface *CodeMemoFactory(const QString &, QObject *object) {
    if (auto *memo = qobject_cast<TCustomCodeMemo *>(object))
        return new TCodeMemoAccessible(memo);
    return nullptr;
}

void Send(QAccessibleEvent &&event) {
    TCodeMemoAccessibility::Deliver(&event);
}

} // namespace

int AccessibleLineStart(const TCustomCodeMemo &memo, int line) {
    const QList<int> &lengths = memo.Lines().ListLengths();
    const int n = std::clamp(line, 0, int(lengths.size()));
    // Each line and its line break.
    return std::accumulate(lengths.cbegin(), lengths.cbegin() + n, 0) + n;
}

int AccessibleOffset(const TCustomCodeMemo &memo, int x, int y) {
    const TCodeMemoStrings &lines = memo.Lines();
    if (lines.Count() == 0)
        return 0;
    y = std::clamp(y, 0, lines.Count() - 1);
    // A caret in the virtual space beyond the end of its line stands at the end.
    return AccessibleLineStart(memo, y) + std::clamp(x, 0, LineLengthAt(lines, y));
}

void InstallCodeMemoAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(CodeMemoFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

// ---- the interface -----------------------------------------------------------------------------

TCodeMemoAccessible::TCodeMemoAccessible(TCustomCodeMemo *memo)
    : QAccessibleWidget(memo, QAccessible::EditableText) {}

TCustomCodeMemo *TCodeMemoAccessible::Memo() const {
    return static_cast<TCustomCodeMemo *>(widget());
}

void *TCodeMemoAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TCodeMemoAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.multiLine = true;
    s.selectableText = true;
    s.editable = !Memo()->ReadOnly;
    s.readOnly = Memo()->ReadOnly;
    return s;
}

void TCodeMemoAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !Memo()->SelAvail())
        return;
    int sx, sy, ex, ey;
    Memo()->NormalizedSelection(sx, sy, ex, ey);
    *startOffset = AccessibleOffset(*Memo(), sx, sy);
    *endOffset = AccessibleOffset(*Memo(), ex, ey);
}

int TCodeMemoAccessible::selectionCount() const {
    return Memo()->SelAvail() ? 1 : 0;
}

void TCodeMemoAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset); // the view has one selection
}

void TCodeMemoAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex != 0)
        return;
    Memo()->ClearSelection();
    Memo()->viewport()->update();
}

void TCodeMemoAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0)
        return;
    TCustomCodeMemo *memo = Memo();
    int sx, sy, ex, ey;
    AccessiblePosition(*memo, startOffset, sx, sy);
    AccessiblePosition(*memo, endOffset, ex, ey);
    // The caret goes to the moving end, as a selection made with Shift and the arrows leaves it.
    memo->SetCurY(ey);
    memo->SetCurX(ex);
    memo->Select(sx, sy, ex, ey);
    memo->FPrevSelX = ex;
    memo->FPrevSelY = ey;
    memo->viewport()->update();
}

int TCodeMemoAccessible::cursorPosition() const {
    return AccessibleOffset(*Memo(), Memo()->CurX(), Memo()->CurY());
}

void TCodeMemoAccessible::setCursorPosition(int position) {
    TCustomCodeMemo *memo = Memo();
    int x, y;
    AccessiblePosition(*memo, position, x, y);
    memo->SetCurY(y);
    memo->SetCurX(x);
    memo->ClearSelection();
    memo->viewport()->update();
}

QString TCodeMemoAccessible::text(int startOffset, int endOffset) const {
    const TCustomCodeMemo &memo = *Memo();
    if (endOffset < 0)
        endOffset = characterCount();
    if (memo.Lines().Count() == 0 || endOffset <= startOffset)
        return {};
    int sx, sy, ex, ey;
    AccessiblePosition(memo, startOffset, sx, sy);
    AccessiblePosition(memo, endOffset, ex, ey);
    const TCodeMemoStrings &lines = memo.Lines();
    if (sy == ey)
        return lines.Get(sy).mid(sx, ex - sx);
    QString result = lines.Get(sy).mid(sx);
    for (int y = sy + 1; y < ey; ++y) {
        result += u'\n';
        result += lines.Get(y);
    }
    result += u'\n';
    result += lines.Get(ey).left(ex);
    return result;
}

TCodeMemoAccessible::TSpan TCodeMemoAccessible::SpanAt(int offset, QAccessible::TextBoundaryType type) const {
    const TCustomCodeMemo &memo = *Memo();
    const TCodeMemoStrings &lines = memo.Lines();
    const int count = characterCount();
    if (type == QAccessible::NoBoundary)
        return {0, count};
    if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary)
        offset = std::min(offset, count - 1); // at the very end: still the last line
    if (offset < 0 || offset >= count)
        return {};
    if (type == QAccessible::CharBoundary)
        return {offset, offset + 1};
    int x, y;
    AccessiblePosition(memo, offset, x, y);
    const int lineStart = AccessibleLineStart(memo, y);
    // A line with its line break; words and sentences never run on into the next line.
    QString piece = lines.Get(y);
    if (y + 1 < lines.Count())
        piece += u'\n';
    if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary)
        return {lineStart, lineStart + int(piece.size())};
    QList<int> cuts{0};
    QTextBoundaryFinder finder(
        type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word : QTextBoundaryFinder::Sentence, piece);
    for (qsizetype cut = finder.toNextBoundary(); cut > 0 && cut < piece.size();
         cut = finder.toNextBoundary()) {
        // Words alternate with what lies between them, as Qt's own text widgets report them.
        if (type != QAccessible::WordBoundary ||
            (finder.boundaryReasons() & (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem)))
            cuts << int(cut);
    }
    cuts << int(piece.size());
    const int local = offset - lineStart;
    int i = 0;
    while (cuts[i + 1] <= local)
        ++i;
    return {lineStart + cuts[i], lineStart + cuts[i + 1]};
}

QString TCodeMemoAccessible::TextAround(int offset, QAccessible::TextBoundaryType boundaryType, TSide side,
                                        int *startOffset, int *endOffset) const {
    *startOffset = *endOffset = -1;
    const int count = characterCount();
    if (count == 0 || offset < 0)
        return {};
    const TSpan at = SpanAt(offset, boundaryType);
    TSpan span = at;
    if (side == TSide::Before) {
        const int start = at.Start >= 0 ? at.Start : count; // beyond the end, the last piece is before it
        span =
            boundaryType == QAccessible::NoBoundary || start == 0 ? TSpan{} : SpanAt(start - 1, boundaryType);
    } else if (side == TSide::After) {
        const bool last = boundaryType == QAccessible::NoBoundary || at.Start < 0 || at.End >= count;
        span = last ? TSpan{} : SpanAt(at.End, boundaryType);
    }
    if (span.Start < 0)
        return {};
    *startOffset = span.Start;
    *endOffset = span.End;
    return text(span.Start, span.End);
}

QString TCodeMemoAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                              int *startOffset, int *endOffset) const {
    return TextAround(offset, boundaryType, TSide::Before, startOffset, endOffset);
}

QString TCodeMemoAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const {
    return TextAround(offset, boundaryType, TSide::After, startOffset, endOffset);
}

QString TCodeMemoAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int *startOffset, int *endOffset) const {
    return TextAround(offset, boundaryType, TSide::At, startOffset, endOffset);
}

int TCodeMemoAccessible::characterCount() const {
    const TCodeMemoStrings &lines = Memo()->Lines();
    const int count = lines.Count();
    if (count == 0)
        return 0;
    const QList<int> &lengths = lines.ListLengths();
    return int(std::accumulate(lengths.cbegin(), lengths.cend(), qsizetype(count - 1)));
}

QRect TCodeMemoAccessible::characterRect(int offset) const {
    const TCustomCodeMemo &memo = *Memo();
    int x, y;
    AccessiblePosition(memo, offset, x, y);
    const QRect cell = memo.GetCellRect(x - memo.LeftCol(), y - memo.TopLine());
    return QRect(memo.viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

int TCodeMemoAccessible::offsetAtPoint(const QPoint &point) const {
    const TCustomCodeMemo &memo = *Memo();
    const QPoint local = memo.viewport()->mapFromGlobal(point);
    if (!memo.viewport()->rect().contains(local) || local.x() < memo.GetTextRect().left())
        return -1;
    const QPoint cell = memo.CharFromPos(local);
    if (cell.y() < 0 || cell.y() >= memo.Lines().Count())
        return -1;
    return AccessibleOffset(memo, cell.x(), cell.y());
}

void TCodeMemoAccessible::scrollToSubstring(int startIndex, int) {
    TCustomCodeMemo *memo = Memo();
    int x, y;
    AccessiblePosition(*memo, startIndex, x, y);
    if (y < memo->TopLine() || y >= memo->TopLine() + memo->VisibleLineCount())
        memo->SetTopLine(y);
}

QString TCodeMemoAccessible::attributes(int offset, int *startOffset, int *endOffset) const {
    // One run without attributes of its own: the styler's colours carry no meaning to report.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void TCodeMemoAccessible::deleteText(int startOffset, int endOffset) {
    replaceText(startOffset, endOffset, QString());
}

void TCodeMemoAccessible::insertText(int offset, const QString &text) {
    replaceText(offset, offset, text);
}

void TCodeMemoAccessible::replaceText(int startOffset, int endOffset, const QString &text) {
    TCustomCodeMemo *memo = Memo();
    if (memo->ReadOnly)
        return;
    setSelection(0, std::min(startOffset, endOffset), std::max(startOffset, endOffset));
    // The view's own editing operations, so that Undo takes the change back.
    if (text.isEmpty())
        memo->DeleteSelection();
    else
        memo->SetSelection(text);
    memo->viewport()->update();
}

// ---- change reports ----------------------------------------------------------------------------

void TCodeMemoAccessibility::Start() {
    FStarted = true;
    const TCodeMemoStrings &lines = FMemo->Lines();
    FLines.clear();
    FLines.reserve(lines.Count());
    FTokens.clear();
    FTokens.reserve(size_t(lines.Count()));
    for (int y = 0; y < lines.Count(); ++y) {
        FLines << lines.Get(y);
        FTokens.push_back(lines.LineToken(y));
    }
    FGeneration = lines.TextGeneration();
    FCaret = AccessibleOffset(*FMemo, FMemo->CurX(), FMemo->CurY());
    FSelStart = FSelEnd = FCaret;
}

void TCodeMemoAccessibility::Report() {
    if (!Listening()) {
        FStarted = false;
        FLines.clear();
        FTokens.clear();
        return;
    }
    if (!FStarted) {
        Start();
        return;
    }
    ReportText();
    const int caret = AccessibleOffset(*FMemo, FMemo->CurX(), FMemo->CurY());
    if (caret != FCaret) {
        FCaret = caret;
        Send(QAccessibleTextCursorEvent(FMemo, caret));
    }
    int start = caret, end = caret;
    if (FMemo->SelAvail()) {
        int sx, sy, ex, ey;
        FMemo->NormalizedSelection(sx, sy, ex, ey);
        start = AccessibleOffset(*FMemo, sx, sy);
        end = AccessibleOffset(*FMemo, ex, ey);
    }
    const bool hadSelection = FSelStart != FSelEnd, hasSelection = start != end;
    if ((hadSelection || hasSelection) && (start != FSelStart || end != FSelEnd))
        Send(QAccessibleTextSelectionEvent(FMemo, start, end));
    FSelStart = start;
    FSelEnd = end;
}

// Lines found equal in another text generation take this one's tokens, for the next comparison.
void TCodeMemoAccessibility::RetokenIfReplaced() {
    const TCodeMemoStrings &lines = FMemo->Lines();
    if (FGeneration == lines.TextGeneration())
        return;
    for (int y = 0; y < lines.Count(); ++y)
        FTokens[size_t(y)] = lines.LineToken(y);
    FGeneration = lines.TextGeneration();
}

bool TCodeMemoAccessibility::SameLine(int now, int before) const {
    const TCodeMemoStrings &lines = FMemo->Lines();
    const quint64 token = lines.LineToken(now);
    if (token != 0 && lines.TextGeneration() == FGeneration && token == FTokens[size_t(before)])
        return true;
    return lines.LineEquals(now, FLines[before]);
}

void TCodeMemoAccessibility::ReportText() {
    const TCodeMemoStrings &lines = FMemo->Lines();
    const int newCount = lines.Count(), oldCount = int(FLines.size());
    const int common = std::min(newCount, oldCount);
    int top = 0;
    while (top < common && SameLine(top, top))
        ++top;
    if (top == common && newCount == oldCount) {
        RetokenIfReplaced();
        return;
    }
    int bottom = 0;
    while (bottom < common - top && SameLine(newCount - 1 - bottom, oldCount - 1 - bottom))
        ++bottom;

    // One unchanged line more on either side takes in the line breaks that came or went.
    const int from = std::max(0, top - 1);
    const int oldTo = std::min(oldCount, oldCount - bottom + 1),
              newTo = std::min(newCount, newCount - bottom + 1);
    QString before;
    for (int y = from; y < oldTo; ++y) {
        if (y > from)
            before += u'\n';
        before += FLines[y];
    }
    const QString after = JoinLines(lines, from, newTo);
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shorter && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const int position = AccessibleLineStart(*FMemo, from) + int(head);
    const QString removed = before.mid(head, before.size() - head - tail);
    const QString inserted = after.mid(head, after.size() - head - tail);

    // The copy takes the changed lines over; the rest of it already equals the text.
    if (newCount == oldCount) {
        for (int y = top; y < newCount - bottom; ++y) {
            FLines[y] = lines.Get(y);
            FTokens[size_t(y)] = lines.LineToken(y);
        }
    } else {
        QStringList updated;
        updated.reserve(newCount);
        updated << FLines.mid(0, top);
        std::vector<quint64> tokens(FTokens.begin(), FTokens.begin() + top);
        tokens.reserve(size_t(newCount));
        for (int y = top; y < newCount - bottom; ++y) {
            updated << lines.Get(y);
            tokens.push_back(lines.LineToken(y));
        }
        updated << FLines.mid(oldCount - bottom);
        tokens.insert(tokens.end(), FTokens.end() - bottom, FTokens.end());
        FLines = std::move(updated);
        FTokens = std::move(tokens);
    }
    RetokenIfReplaced();

    if (removed.isEmpty() && inserted.isEmpty())
        return;
    if (removed.isEmpty())
        Send(QAccessibleTextInsertEvent(FMemo, position, inserted));
    else if (inserted.isEmpty())
        Send(QAccessibleTextRemoveEvent(FMemo, position, removed));
    else
        Send(QAccessibleTextUpdateEvent(FMemo, position, removed, inserted));
}
