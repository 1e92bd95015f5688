#include "editor/CodeMemoModel.h"

#include <algorithm>

namespace {

QString Spaces(int n) {
    return QString(qMax(0, n), QLatin1Char(' '));
}

int LeadingSpaces(const QString &s) {
    int n = 0;
    while (n < s.size() && s.at(n) == QLatin1Char(' '))
        ++n;
    return n;
}

// Length without the trailing characters below '!' (spaces and control characters).
int TrimmedRightLength(const QString &s) {
    int n = int(s.size());
    while (n > 0 && s.at(n - 1).unicode() < 0x21)
        --n;
    return n;
}

// RAII switch of a boolean for the duration of an inner change.
struct TFlagScope {
    bool &Flag;
    bool Saved;
    TFlagScope(bool &flag, bool value) : Flag(flag), Saved(flag) { Flag = value; }
    ~TFlagScope() { Flag = Saved; }
};

} // namespace

TCodeMemoModel::TCodeMemoModel() : FLines(this), FUndoList(this) {
    FBookmarks.fill(-1);
    FLines.Add(QString());
    OnChange = [this] { Invalidate(); };
}

TCodeMemoModel::~TCodeMemoModel() {
    FLines.SetMemo(nullptr);
}

int TCodeMemoModel::LineLength(int y) const {
    return FLines.ListLengths().value(y);
}

void TCodeMemoModel::EnsureLine() {
    if (FLines.Count() == 0) {
        TFlagScope quiet(FDisableChange, true);
        FLines.Add(QString());
    }
}

void TCodeMemoModel::StoreLine(int y, const QString &s) {
    TFlagScope suspend(FLetRefresh, false);
    FLines.Put(y, s);
}

void TCodeMemoModel::PadLineTo(int y, int x) {
    const int len = LineLength(y);
    if (y < FLines.Count() && len < x)
        StoreLine(y, FLines.Get(y) + Spaces(x - len));
}

void TCodeMemoModel::MarkModified(int line) {
    if (TLineProp *p = FLines.EnsureLineProp(line))
        p->Modified = lmModified;
}

void TCodeMemoModel::DoChange() {
    if (!FDisableChange && FOnChangeAttached && OnChange)
        OnChange();
}

// ---- caret -------------------------------------------------------------------------------------

void TCodeMemoModel::SetCurX(int x) {
    if (x == FCurX && AutoExpand)
        return;
    if (x < 0) {
        if (FCurY > 0) {
            SetCurY(FCurY - 1);
            x = LineLength(FCurY);
        } else {
            x = 0;
        }
        if (x == FCurX && AutoExpand)
            return;
    }
    FCurX = x;
    if (x > FMaxLength) {
        FLeftCol = qMax(0, x - VisiblePosCount());
        FMaxLength = x;
    } else {
        RecalcMaxLength();
    }
    if (FCurY < FLines.Count() && LineLength(FCurY) < x) {
        if (AutoExpand) {
            const int len = LineLength(FCurY);
            PadLineTo(FCurY, x);
            AddUndo(new TPasteUndo(len, FCurY, x, FCurY, Spaces(x - len)));
        } else {
            FCurX = LineLength(FCurY);
        }
        Invalidate();
    }
    if (FLetCursorUpdate) {
        ScrollCaretIntoView();
        UpdateScrollBars();
        CaretMoved();
    }
}

void TCodeMemoModel::SetCurY(int y) {
    EnsureLine();
    y = qBound(0, y, FLines.Count() - 1);
    if (y == FCurY)
        return;
    FCurY = y;
    SetCurX(FCurX);
    if (FLetCursorUpdate) {
        ScrollCaretIntoView();
        UpdateScrollBars();
        CaretMoved();
    }
}

void TCodeMemoModel::ReapplyCaret() {
    SetCurY(FCurY);
    SetCurX(FCurX);
}

void TCodeMemoModel::RecalcMaxLength() {
    FMaxLength = FLines.MaxLength();
}

void TCodeMemoModel::ScrollCaretIntoView() {
    bool changed = false;
    if (FCurX < FLeftCol) {
        FLeftCol = qMax(0, FCurX - 2);
        changed = true;
    } else {
        const int lastCol = FLeftCol + VisiblePosCount() - 1;
        if (FCurX > lastCol + 1) {
            FLeftCol += FCurX - lastCol + 2;
            changed = true;
        }
    }
    if (FCurY < FTopLine) {
        FTopLine = FCurY;
        changed = true;
    } else {
        const int lastLine = FTopLine + qMax(1, VisibleLineCount()) - 1;
        if (FCurY > lastLine) {
            FTopLine += FCurY - lastLine;
            changed = true;
        }
    }
    if (changed)
        Invalidate();
}

void TCodeMemoModel::SetTopLine(int v) {
    if (v == FTopLine || v < 0)
        return;
    if (VisibleLineCount() > FLines.Count()) {
        SetCurY(0);
        SetCurX(0);
        return;
    }
    FTopLine = qMin(v, qMax(0, FLines.Count() - 1));
    UpdateScrollBars();
    Invalidate();
    CaretMoved();
}

void TCodeMemoModel::SetLeftCol(int v) {
    if (v == FLeftCol || v < 0)
        return;
    FLeftCol = v;
    UpdateScrollBars();
    Invalidate();
    CaretMoved();
}

void TCodeMemoModel::ScrollLines(int delta) {
    const int visible = VisibleLineCount();
    if (visible >= FLines.Count()) {
        SetCurY(0);
        SetCurX(0);
        return;
    }
    const int old = FTopLine;
    FTopLine = qBound(0, FTopLine + delta, qMax(0, FLines.Count() - visible));
    ClearCachedStyles(old, FTopLine);
    if (delta < 0 && FCurY >= FTopLine + visible)
        SetCurY(FCurY - 1);
    else if (delta > 0 && FCurY < FTopLine)
        SetCurY(FTopLine);
    UpdateScrollBars();
    Invalidate();
    CaretMoved();
}

void TCodeMemoModel::ClearCachedStyles(int from, int to) {
    for (int i = qMin(from, to); i <= qMax(from, to) && i < FLines.Count(); ++i)
        if (TLineProp *p = FLines.ExistingLineProp(i))
            p->CachedStyle = false;
}

void TCodeMemoModel::LinesChanged() {
    if (!FLetRefresh || !FLetCursorUpdate)
        return;
    DoChange();
    if (FLines.ListLengths().size() == FLines.Count())
        RecalcMaxLength();
    UpdateScrollBars();
    ScrollCaretIntoView();
    Invalidate();
}

void TCodeMemoModel::EndLoad() {
    FLetRefresh = true;
    RecalcMaxLength();
}

void TCodeMemoModel::UpdateBracketClosed() {
    if (!FLetRefresh)
        return;
    RecalcMaxLength();
    UpdateScrollBars();
    Invalidate();
}

void TCodeMemoModel::ShiftBookmarksAndMarkers(int fromLine, int count) {
    for (int &b : FBookmarks)
        if (b >= fromLine)
            b += count;
    for (int &m : FMarkers)
        if (m >= fromLine)
            m += count;
}

// ---- selection ---------------------------------------------------------------------------------

void TCodeMemoModel::ClearSelection() {
    const bool had = SelAvail();
    FSelStartX = FSelEndX = FPrevSelX = FCurX;
    FSelStartY = FSelEndY = FPrevSelY = FCurY;
    if (had)
        Invalidate();
}

void TCodeMemoModel::ResetSelectionCorners() {
    FSelStartX = FSelStartY = FSelEndX = FSelEndY = 0;
}

void TCodeMemoModel::ExtendSelection() {
    FSelEndX = FPrevSelX = FCurX;
    FSelEndY = FPrevSelY = FCurY;
    Invalidate();
}

void TCodeMemoModel::Select(int sx, int sy, int ex, int ey) {
    FSelStartX = sx;
    FSelStartY = sy;
    FSelEndX = ex;
    FSelEndY = ey;
    Invalidate();
}

void TCodeMemoModel::SelectAll() {
    const int last = qMax(0, FLines.Count() - 1);
    Select(0, 0, LineLength(last), last);
}

void TCodeMemoModel::NormalizedSelection(int &sx, int &sy, int &ex, int &ey) const {
    sx = FSelStartX, sy = FSelStartY, ex = FSelEndX, ey = FSelEndY;
    if (ey < sy || (ey == sy && ex < sx)) {
        std::swap(sx, ex);
        std::swap(sy, ey);
    }
}

QString TCodeMemoModel::GetSelection() const {
    if (!SelAvail())
        return QString();
    int sx, sy, ex, ey;
    NormalizedSelection(sx, sy, ex, ey);
    const int count = FLines.Count();
    if (sy >= count)
        return QString();
    ey = qMin(ey, count - 1);
    if (sy == ey)
        return FLines.Get(sy).mid(sx, qMax(0, ex - sx));
    qsizetype size = 0;
    for (int y = sy; y <= ey; ++y)
        size += LineLength(y) + 2;
    QString r;
    r.reserve(size);
    r += QStringView(FLines.Get(sy)).mid(qMin<qsizetype>(sx, LineLength(sy)));
    for (int y = sy + 1; y < ey; ++y) {
        r += QLatin1StringView("\r\n");
        r += FLines.Get(y);
    }
    r += QLatin1StringView("\r\n");
    r += QStringView(FLines.Get(ey)).left(ex);
    return r;
}

int TCodeMemoModel::TextFromPos(int x, int y) const {
    y = qBound(0, y, qMax(0, FLines.Count() - 1));
    int offset = 0;
    const QList<int> &l = FLines.ListLengths();
    for (int i = 0; i < y && i < l.size(); ++i)
        offset += l.at(i) + 2;
    return offset + qBound(0, x, int(l.value(y)));
}

void TCodeMemoModel::PosFromText(int offset, int &x, int &y) const {
    const QList<int> &l = FLines.ListLengths();
    y = 0;
    while (y + 1 < l.size() && offset > l.at(y) + 1) {
        offset -= l.at(y) + 2;
        ++y;
    }
    x = qBound(0, offset, int(l.value(y)));
}

int TCodeMemoModel::SelStart() const {
    if (!SelAvail())
        return TextFromPos(FCurX, FCurY);
    int sx, sy, ex, ey;
    NormalizedSelection(sx, sy, ex, ey);
    return TextFromPos(sx, sy);
}

int TCodeMemoModel::SelLength() const {
    return int(GetSelection().size());
}

void TCodeMemoModel::SetSelStart(int offset) {
    const int length = SelLength();
    int x, y, ex, ey;
    PosFromText(offset, x, y);
    PosFromText(offset + length, ex, ey);
    Select(x, y, ex, ey);
}

void TCodeMemoModel::SetSelLength(int length) {
    int x, y;
    PosFromText(SelStart() + length, x, y);
    int sx, sy, ex, ey;
    NormalizedSelection(sx, sy, ex, ey);
    Select(sx, sy, x, y);
}

// ---- navigation --------------------------------------------------------------------------------

void TCodeMemoModel::FinishMove(bool extend) {
    if (extend)
        ExtendSelection();
    else
        ClearSelection();
}

void TCodeMemoModel::MoveCaret(int dx, int dy, bool shift, bool ctrl) {
    const bool extend = CanExtendSelection(shift);
    EnsureLine();
    if (ctrl && dx > 0) {
        const int len = LineLength(FCurY);
        SetCurX(FCurX + 1);
        if (FCurX > len) {
            if (FCurY < FLines.Count() - 1) {
                SetCurY(FCurY + 1);
                SetCurX(0);
            }
        } else {
            const QString &line = FLines.Get(FCurY);
            while (FCurX < line.size() &&
                   !(line.at(FCurX - 1) == QLatin1Char(' ') && line.at(FCurX) != QLatin1Char(' ')))
                SetCurX(FCurX + 1);
        }
    } else if (ctrl && dx < 0) {
        SetCurX(FCurX - 1);
        const QString &line = FLines.Get(FCurY);
        while (FCurX > 0 && FCurX < line.size() &&
               !(line.at(FCurX - 1) == QLatin1Char(' ') && line.at(FCurX) != QLatin1Char(' ')))
            SetCurX(FCurX - 1);
    } else {
        SetCurY(FCurY + dy);
        SetCurX(FCurX + dx);
    }
    FinishMove(extend);
}

void TCodeMemoModel::MovePage(int direction, bool shift, bool ctrl) {
    const bool extend = CanExtendSelection(shift);
    EnsureLine();
    const int page = qMax(1, VisibleLineCount());
    const int old = FTopLine;
    if (FLines.Count() > page) {
        FTopLine = qBound(0, FTopLine + direction * page, FLines.Count() - page);
        SetCurY(FCurY + direction * page);
    } else {
        SetCurY(direction < 0 ? 0 : FLines.Count() - 1);
    }
    if (ctrl) {
        if (direction < 0) {
            SetCurY(0);
            SetCurX(0);
        } else {
            SetCurY(FLines.Count() - 1);
            SetCurX(LineLength(FCurY));
        }
    }
    ClearCachedStyles(old, FTopLine);
    UpdateScrollBars();
    Invalidate();
    FinishMove(extend);
}

void TCodeMemoModel::CaretHome(bool shift, bool ctrl) {
    const int ax = FSelStartX, ay = FSelStartY;
    if (ctrl) {
        SetCurY(0);
        SetCurX(0);
    }
    const bool extend = CanExtendSelection(shift);
    SetCurX(0);
    SetLeftCol(0);
    FinishMove(extend);
    if (ctrl && shift) {
        FSelStartX = ax;
        FSelStartY = ay;
    }
}

void TCodeMemoModel::CaretEnd(bool shift, bool ctrl) {
    const int ax = FSelStartX, ay = FSelStartY;
    if (FLines.Count() == 0) {
        SetCurX(0);
        return;
    }
    if (ctrl) {
        SetCurY(FLines.Count() - 1);
        SetCurX(LineLength(FCurY));
    }
    const bool extend = CanExtendSelection(shift);
    if (AutoExpand)
        SetCurX(TrimmedRightLength(FLines.Get(FCurY)));
    FinishMove(extend);
    if (ctrl && shift) {
        FSelStartX = ax;
        FSelStartY = ay;
    }
}

// ---- editing -----------------------------------------------------------------------------------

void TCodeMemoModel::InsertChar(QChar c) {
    EnsureLine();
    FCurY = qBound(0, FCurY, FLines.Count() - 1);
    const int x0 = FCurX, y = FCurY;
    QString line = FLines.Get(y);
    QString text;
    bool overwritten = false;
    int newX;
    if (c == QLatin1Char('\t') && FOverwrite) {
        newX = x0 + TabSize();
        if (newX > line.size()) {
            text = Spaces(newX - int(line.size()));
            line += text;
        }
        StoreLine(y, line);
        SetCurX(newX);
        ClearSelection();
        if (!text.isEmpty())
            AddUndo(new TInsertCharUndo(newX - int(text.size()), y, newX, y, text));
        return;
    }
    if (line.size() < x0)
        line += Spaces(x0 - int(line.size()));
    text = c == QLatin1Char('\t') ? Spaces(TabSize()) : QString(c);
    if (FOverwrite && c != QLatin1Char('\t') && x0 < line.size()) {
        AddUndo(new TOverwriteCharUndo(x0, y, x0 + 1, y, QString(line.at(x0))));
        line[x0] = c;
        overwritten = true;
    } else {
        line.insert(x0, text);
    }
    StoreLine(y, line);
    newX = x0 + int(text.size());
    SetCurX(newX);
    ClearSelection();
    if (!overwritten)
        AddUndo(new TInsertCharUndo(x0, y, newX, y, text));
}

void TCodeMemoModel::NewLine() {
    EnsureLine();
    FCurY = qBound(0, FCurY, FLines.Count() - 1);
    const int y = FCurY;
    const QString line = FLines.Get(y);
    int x0 = FCurX;
    if (AutoExpand && x0 > line.size())
        x0 = TrimmedRightLength(line);
    const int indent = AutoIndent ? LeadingSpaces(line) : 0;
    QString rest = line.mid(qMin<qsizetype>(FCurX, line.size()));
    rest.truncate(TrimmedRightLength(rest));
    if (AutoIndent)
        rest.remove(0, LeadingSpaces(rest));
    {
        TFlagScope suspend(FLetRefresh, false);
        FLines.Put(y, line.left(FCurX));
        FLines.InsertLines(y + 1, {Spaces(indent) + rest});
    }
    SetCurY(y + 1);
    SetCurX(indent);
    ClearSelection();
    AddUndo(new TInsertCharUndo(x0, y, indent, y + 1, QLatin1Char('\r') + Spaces(indent)));
    LinesChanged();
}

void TCodeMemoModel::DeleteChar(int x0, int y0, bool isBackspace) {
    ClearSelection();
    EnsureLine();
    const int y = FCurY;
    if (x0 < 0) {
        x0 = FCurX;
        y0 = FCurY;
    }
    QString line = FLines.Get(y);
    if (FCurX < line.size()) {
        const QString removed(line.at(FCurX));
        line.remove(FCurX, 1);
        StoreLine(y, line);
        AddUndo(new TDeleteCharUndo(x0, y0, FCurX, FCurY, removed, isBackspace));
    } else if (y + 1 < FLines.Count()) {
        if (line.size() < FCurX)
            line += Spaces(FCurX - int(line.size()));
        {
            TFlagScope suspend(FLetRefresh, false);
            FLines.Put(y, line + FLines.Get(y + 1));
            FLines.Put(y + 1, QString());
            FLines.RemoveLine(y + 1);
        }
        AddUndo(new TDeleteCharUndo(x0, y0, FCurX, FCurY, QStringLiteral("\r"), isBackspace));
    }
    ClearSelection();
    LinesChanged();
}

void TCodeMemoModel::BackspaceChar() {
    const int ox = FCurX, oy = FCurY;
    SetCurX(FCurX - 1);
    if (FCurX != ox || FCurY != oy)
        DeleteChar(ox, oy, true);
    if (FCurY >= FLines.Count()) {
        SetCurY(FLines.Count() - 1);
        SetCurX(LineLength(FCurY));
    }
    ClearSelection();
}

void TCodeMemoModel::DeleteWordBack() {
    EnsureLine();
    ClearSelection();
    const int y = FCurY;
    // Padded first, as for Backspace: in virtual space the first deletion would otherwise join
    // the next line onto this one.
    PadLineTo(y, FCurX);
    const QString original = FLines.Get(y);
    const auto spaceBefore = [&](int x) {
        return x <= 0 || x > original.size() || original.at(x - 1) == QLatin1Char(' ');
    };
    for (;;) {
        const int ox = FCurX, oy = FCurY;
        SetCurX(FCurX - 1);
        if (FCurX == ox && FCurY == oy)
            break;
        DeleteChar(ox, oy, true);
        if (FCurY != y || spaceBefore(FCurX))
            break;
    }
    MarkModified(FCurY);
}

void TCodeMemoModel::InsertTab(bool shift) {
    if (shift)
        SetCurX(qMax(0, FCurX - TabSize()));
    else
        InsertChar(QLatin1Char('\t'));
    MarkModified(FCurY);
}

void TCodeMemoModel::BlockIndent(int from, int to, int indent, bool allowUndo) {
    const int first = qMax(0, qMin(from, to)), last = qMin(qMax(from, to), FLines.Count() - 1);
    {
        TFlagScope suspend(FLetRefresh, false);
        for (int y = first; y <= last; ++y) {
            const QString &line = FLines.Get(y);
            if (indent > 0)
                FLines.Put(y, Spaces(indent) + line);
            else if (indent < 0)
                FLines.Put(y, line.mid(qMin(-indent, LeadingSpaces(line))));
        }
    }
    if (allowUndo)
        AddUndo(new TIndentUndo(FCurX, FCurY, from, to, indent));
    RecalcMaxLength();
    Invalidate();
    if (OnChange)
        OnChange();
}

void TCodeMemoModel::DeleteSelection() {
    if (!SelAvail() || ReadOnly)
        return;
    const int count = FLines.Count();
    if (FSelStartY >= count || FSelEndY >= count || FSelStartY < 0 || FSelEndY < 0) {
        ResetSelectionCorners();
        return;
    }
    int sx, sy, ex, ey;
    NormalizedSelection(sx, sy, ex, ey);
    const int x0 = FCurX, y0 = FCurY;
    const QString text = GetSelection();
    {
        TFlagScope suspend(FLetRefresh, false);
        const QString head = FLines.Get(sy).left(sx);
        FLines.Put(sy, head + Spaces(sx - int(head.size())) + QStringView(FLines.Get(ey)).mid(ex));
        FLines.RemoveLines(sy + 1, ey - sy);
    }
    SetCurY(sy);
    SetCurX(sx);
    ClearSelection();
    Invalidate();
    AddUndo(new TDeleteBufUndo(x0, y0, sx, sy, text, sx, sy, ex, ey));
    LinesChanged();
    ClearSelection();
}

void TCodeMemoModel::SetSelection(const QString &text) {
    const bool deleted = SelAvail() && !ReadOnly;
    DeleteSelection();
    EnsureLine();
    QStringList pieces;
    {
        qsizetype start = 0;
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = text.at(i);
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                pieces.append(text.mid(start, i - start));
                if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                    ++i;
                start = i + 1;
            }
        }
        pieces.append(text.mid(start));
    }
    for (QString &p : pieces)
        if (p.contains(QLatin1Char('\t')))
            p.replace(QLatin1Char('\t'), Spaces(TabSize()));
    const int x0 = FCurX, y0 = FCurY;
    int newX, newY;
    {
        TFlagScope suspend(FLetRefresh, false);
        QString line = FLines.Get(y0);
        if (line.size() < x0)
            line += Spaces(x0 - int(line.size()));
        if (pieces.size() == 1) {
            line.insert(x0, pieces.first());
            FLines.Put(y0, line);
            newX = x0 + int(pieces.first().size());
            newY = y0;
        } else {
            const QString tail = line.mid(x0);
            FLines.Put(y0, line.left(x0) + pieces.first());
            QStringList below = pieces.mid(1);
            newX = int(below.last().size());
            below.last() += tail;
            FLines.InsertLines(y0 + 1, below);
            newY = y0 + int(below.size());
        }
    }
    SetCurY(newY);
    SetCurX(newX);
    ScrollCaretIntoView();
    LinesChanged();
    auto *step = new TPasteUndo(x0, y0, newX, newY, text);
    step->FLinkedUndo = deleted;
    AddUndo(step);
    ClearSelection();
    Invalidate();
}

void TCodeMemoModel::DeleteLine() {
    EnsureLine();
    const int y = qBound(0, FCurY, FLines.Count() - 1);
    const QString line = FLines.Get(y);
    if (FLines.Count() == 1) {
        FLines.Put(0, QString());
    } else {
        FLines.RemoveLine(y);
        ShiftBookmarksAndMarkers(y + 1, -1);
    }
    if (!FLines.Deleting())
        AddUndo(new TDeleteLineUndo(0, y, 0, y, line));
    if (FCurY >= FLines.Count())
        FCurY = FLines.Count() - 1;
    Invalidate();
}

void TCodeMemoModel::ToggleOverwrite() {
    if (ReadOnly)
        return;
    // Two toggles in a row as the oldest steps would only flip the mode back: not worth recording.
    const int n = FUndoList.Count();
    const bool oldestAreToggles = n >= 2 &&
                                  dynamic_cast<const TInsertOverwriteUndo *>(FUndoList.Step(n - 1)) &&
                                  dynamic_cast<const TInsertOverwriteUndo *>(FUndoList.Step(n - 2));
    if (n > 0 && !oldestAreToggles)
        AddUndo(new TInsertOverwriteUndo(FOverwrite));
    FOverwrite = !FOverwrite;
}

// ---- keys --------------------------------------------------------------------------------------

void TCodeMemoModel::KeyPress(QChar c) {
    const char16_t u = c.unicode();
    if (u == 3)
        return; // copy: comes with the clipboard
    if (ReadOnly && u != 1)
        return;
    if (u == 13)
        EnsureLine();
    if (u >= 0x20 && u != 0x7F) {
        if (DelErase && SelAvail())
            DeleteSelection();
        InsertChar(c);
        MarkModified(FCurY);
        Invalidate();
        DoChange();
        return;
    }
    switch (u) {
    case 1:
        SelectAll();
        break;
    case 13:
        DeleteSelection();
        NewLine();
        MarkModified(FCurY);
        break;
    default:
        break;
    }
}

void TCodeMemoModel::KeyDelete() {
    if (ReadOnly || FLines.Count() == 0)
        return;
    if (DelErase && SelAvail()) {
        TFlagScope expand(AutoExpand, true);
        DeleteSelection();
    } else {
        PadLineTo(FCurY, FCurX);
        DeleteChar(-1, -1);
    }
    MarkModified(FCurY);
    FPrevSelX = FCurX;
    FPrevSelY = FCurY;
}

void TCodeMemoModel::KeyBackspace() {
    if (ReadOnly)
        return;
    EnsureLine();
    if (DelErase && SelAvail()) {
        DeleteSelection();
    } else {
        PadLineTo(FCurY, FCurX);
        if (FCurX > 0 || FCurY > 0) {
            if (FCurX > 0) {
                SetCurX(FCurX - 1);
            } else {
                SetCurY(FCurY - 1);
                SetCurX(LineLength(FCurY));
            }
            DeleteChar(FCurX, FCurY, true);
        }
    }
    MarkModified(FCurY);
}

void TCodeMemoModel::KeyTab(bool shift) {
    if (ReadOnly)
        return;
    if (FSelStartY != FSelEndY) {
        int to = FSelEndY;
        if (FSelEndX == 0 && FSelEndY > FSelStartY)
            --to;
        BlockIndent(FSelStartY, to, shift ? -TabSize() : TabSize(), true);
    } else {
        InsertTab(shift);
    }
    DoChange();
}

void TCodeMemoModel::Undo() {
    if (!ReadOnly)
        FUndoList.Undo();
}

void TCodeMemoModel::Redo() {
    if (!ReadOnly)
        FUndoList.Redo();
    Invalidate();
}
