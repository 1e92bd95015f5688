#include "editor/CodeMemo.h"

#include "editor/CodeMemoAccessible.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDrag>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QUrl>

namespace {

// Marks drags that carry this view's own selection; other drops are refused.
const QString kSelfDragFormat = QStringLiteral("application/x-saplogon-codememo-selection");

TColor ToTColor(const QColor &c) {
    return RGBToColor(c.red(), c.green(), c.blue());
}

// Menu pictures, drawn once: cut, copy, paste, undo, redo.
QIcon MenuPicture(int index) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 40, 40), blue(30, 80, 200);
    switch (index) {
    case 0: // scissors
        p.setPen(QPen(ink, 1.4));
        p.drawLine(QPointF(4, 1), QPointF(10, 10));
        p.drawLine(QPointF(12, 1), QPointF(6, 10));
        p.setPen(QPen(blue, 1.6));
        p.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
        break;
    case 1: // two pages
        p.setPen(ink);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
        break;
    case 2: // clipboard with a page
        p.setPen(ink);
        p.setBrush(QColor(190, 140, 70));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 6.5, 8, 8));
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(4.5, 1.5, 4, 2));
        break;
    default: { // curved arrow, mirrored for redo
        if (index == 4) {
            p.translate(16, 0);
            p.scale(-1, 1);
        }
        p.setPen(QPen(blue, 2));
        QPainterPath path(QPointF(4, 6));
        path.cubicTo(QPointF(9, 2), QPointF(15, 6), QPointF(12, 13));
        p.drawPath(path);
        p.setBrush(blue);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(7, 2), QPointF(7, 10)}));
        break;
    }
    }
    return QIcon(pm);
}

// Keys the key map gives a meaning to; a window shortcut on one of them must not take it from the
// view. Alt with a letter is left to mnemonics, function keys to the window.
bool IsViewKey(const QKeyEvent *event) {
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier, alt = mods & Qt::AltModifier;
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Insert:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        break;
    }
    if (ctrl && !alt)
        return key == Qt::Key_Z || key == Qt::Key_Y || key == Qt::Key_A || key == Qt::Key_C ||
               key == Qt::Key_V || key == Qt::Key_X;
    if (ctrl || alt)
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text[0].isPrint();
}

} // namespace

TCustomCodeMemo::TCustomCodeMemo(QWidget *parent)
    : QAbstractScrollArea(parent), FStyledLines(Lines()),
      FAccessibility(std::make_unique<TCodeMemoAccessibility>(this)) {
    InstallCodeMemoAccessibility();
    setObjectName(QStringLiteral("CodeMemo"));
    setAccessibleName(QStringLiteral("File content"));
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame); // the painter draws the border
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    // Inside an update bracket nothing is drawn and the previous picture stays.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    viewport()->setAcceptDrops(true);
    FOpenURL = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    FPainter.Tokenizer.OnRepaint = [this] { viewport()->update(); };
    setFont(TMemoPainter::DefaultFont());
    verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    horizontalScrollBar()->setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setObjectName(QStringLiteral("sbVert"));
    horizontalScrollBar()->setObjectName(QStringLiteral("sbHorz"));
    verticalScrollBar()->setAccessibleName(QStringLiteral("Vertical scroll bar"));
    horizontalScrollBar()->setAccessibleName(QStringLiteral("Horizontal scroll bar"));
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { ScrollBarAction(Qt::Vertical, action); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { ScrollBarAction(Qt::Horizontal, action); });
    resize(350, 250);
    MeasureFont();
}

TCustomCodeMemo::~TCustomCodeMemo() = default;

// ---- geometry ----------------------------------------------------------------------------------

void TCustomCodeMemo::MeasureFont() {
    if (FMeasuring)
        return;
    FMeasuring = true;
    FPainter.SetFont(font());
    if (FPainter.Font() != font())
        setFont(FPainter.Font()); // a proportional face was replaced by the fixed one
    FCellSize = FPainter.FCellSize;
    FMeasuring = false;
    UpdateScrollBars();
    viewport()->update();
}

QRect TCustomCodeMemo::GetTextRect() const {
    return FPainter.GetTextRect(viewport()->size(), false, false).ToQRect();
}

QRect TCustomCodeMemo::GetCellRect(int colOffset, int rowOffset) const {
    return FPainter.GetCellRect(FPainter.GetTextRect(viewport()->size(), false, false), colOffset, rowOffset)
        .ToQRect();
}

QPoint TCustomCodeMemo::CharFromPos(const QPoint &p) const {
    return FPainter.CharFromPos(FPainter.GetTextRect(viewport()->size(), false, false), p, LeftCol(),
                                TopLine());
}

int TCustomCodeMemo::VisiblePosCount() const {
    return qMax(0, FPainter.VisiblePosCount(FPainter.GetTextRect(viewport()->size(), false, false)));
}

int TCustomCodeMemo::VisibleLineCount() const {
    if (FResettingTop)
        return 0;
    return qMax(0, FPainter.VisibleLineCount(FPainter.GetTextRect(viewport()->size(), false, false)));
}

QPoint TCustomCodeMemo::CaretCellAt(const QPoint &p) const {
    const QPoint c = FPainter.CaretCellFromPos(FPainter.GetTextRect(viewport()->size(), false, false), p,
                                               LeftCol(), TopLine());
    return QPoint(qMax(0, c.x()), qBound(0, c.y(), qMax(0, Lines().Count() - 1)));
}

// ---- view updates ------------------------------------------------------------------------------

void TCustomCodeMemo::Invalidate() {
    viewport()->update();
    NotifyAccessibility(); // the selection may have changed
}

void TCustomCodeMemo::LinesChanged() {
    // An edit on the screen leaves the start state of the top line as it was, but not those below.
    FPainter.Tokenizer.InvalidateStylesFrom(TopLine() + 1);
    TCodeMemoModel::LinesChanged();
    NotifyAccessibility();
}

void TCustomCodeMemo::UpdateBracketClosed() {
    // Inside the bracket the store told nothing of what changed.
    FPainter.Tokenizer.InvalidateStylesFrom(0);
    TCodeMemoModel::UpdateBracketClosed();
    NotifyAccessibility();
}

void TCustomCodeMemo::NotifyAccessibility() {
    // Nothing is compared unless a client listens, and then once for all changes of one event.
    if (TCodeMemoAccessibility::Listening() && !FAccessibilityReport.isActive())
        FAccessibilityReport.start(0, this);
}

void TCustomCodeMemo::InvalidateBackupTopLine() {
    TCodeMemoModel::InvalidateBackupTopLine();
    FPainter.Tokenizer.InvalidateStylesFrom(0);
}

void TCustomCodeMemo::ClearStylesBetween(int oldTop, int newTop) {
    if (oldTop != newTop)
        FStyledLines.ClearCachedStyles(qMin(oldTop, newTop), qMax(oldTop, newTop));
}

void TCustomCodeMemo::UpdateScrollBars() {
    if (!FLetRefresh)
        return;
    FSyncingBars = true;
    QScrollBar *v = verticalScrollBar();
    const int lines = Lines().Count(), visible = VisibleLineCount();
    if (visible <= 0 || visible >= lines) {
        v->setRange(0, 0);
        if (TopLine() != 0) {
            // The setter would move the caret home instead when the text fits; here only the
            // view goes back to the first line.
            FResettingTop = true;
            SetTopLine(0);
            FResettingTop = false;
        }
    } else {
        // The last line may come up to the top.
        v->setRange(0, lines - 1);
        v->setPageStep(visible);
        v->setSingleStep(1);
        v->setValue(TopLine());
    }
    QScrollBar *h = horizontalScrollBar();
    const int cols = VisiblePosCount();
    if (cols > 0 && cols < FMaxLength) {
        h->setRange(0, FMaxLength - cols + 1);
        h->setPageStep(cols + 1);
        h->setSingleStep(1);
        h->setValue(LeftCol());
    } else {
        if (LeftCol() != 0)
            SetLeftCol(0);
        h->setRange(0, 0);
    }
    FSyncingBars = false;
}

void TCustomCodeMemo::ScrollBarAction(Qt::Orientation o, int action) {
    QScrollBar *bar = o == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
    const int large = o == Qt::Vertical ? 1 + VisibleLineCount() : 10;
    int proposed = bar->sliderPosition();
    switch (action) {
    case QAbstractSlider::SliderPageStepAdd:
        proposed = bar->value() + large;
        break;
    case QAbstractSlider::SliderPageStepSub:
        proposed = bar->value() - large;
        break;
    default:
        break;
    }
    if (!hasFocus())
        setFocus(Qt::OtherFocusReason);
    bar->setSliderPosition(qBound(bar->minimum(), proposed, bar->maximum()));
}

void TCustomCodeMemo::CaretMoved() {
    FCaretVisible = hasFocus();
    viewport()->update();
    NotifyAccessibility();
}

void TCustomCodeMemo::scrollContentsBy(int, int) {
    if (FSyncingBars)
        return;
    const int top = verticalScrollBar()->value(), left = horizontalScrollBar()->value();
    const int oldTop = TopLine();
    const bool saved = FLetCursorUpdate;
    if (top != TopLine() && top < Lines().Count())
        SetTopLine(top);
    if (left != LeftCol())
        SetLeftCol(left);
    ClearStylesBetween(oldTop, TopLine());
    FLetCursorUpdate = saved;
    FCaretVisible = hasFocus() && LeftCol() < CurX() + 1;
    viewport()->update();
}

void TCustomCodeMemo::wheelEvent(QWheelEvent *event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int old = TopLine(), count = Lines().Count();
    if (notches < 0) {
        if (TopLine() < count)
            SetTopLine(TopLine() + 4 * -notches);
    } else if (TopLine() > 4 * notches) {
        SetTopLine(TopLine() - 4 * notches);
    } else if (count >= VisibleLineCount()) {
        SetTopLine(0);
    }
    ClearStylesBetween(old, TopLine());
    FCaretVisible = hasFocus();
    viewport()->update();
    event->accept();
}

void TCustomCodeMemo::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TCustomCodeMemo::changeEvent(QEvent *event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        MeasureFont();
}

// ---- painting ----------------------------------------------------------------------------------

TMemoPaintState TCustomCodeMemo::PaintState() {
    TMemoPaintState s;
    s.Lines = &FStyledLines;
    s.UpdateLocked = Lines().FLockCount > 0;
    s.TopLine = TopLine();
    s.LeftCol = LeftCol();
    s.CurX = CurX();
    s.CurY = CurY();
    s.SelStartX = FSelStartX;
    s.SelStartY = FSelStartY;
    s.SelEndX = FSelEndX;
    s.SelEndY = FSelEndY;
    s.ClientSize = viewport()->size();
    s.Focused = hasFocus();
    s.CaretShown = FCaretVisible && hasFocus();
    return s;
}

void TCustomCodeMemo::paintEvent(QPaintEvent *event) {
    if (Lines().FLockCount > 0)
        return; // the store is being refilled: the next paint after the bracket draws the new text
    QPainter p(viewport());
    PaintText(p, event->rect());
}

void TCustomCodeMemo::PaintText(QPainter &p, const QRect &) {
    FPainter.SetBkColor(ToTColor(BkColor));
    FPainter.SelColor = ToTColor(SelColor);
    FPainter.SelBkColor = ToTColor(SelBkColor);
    FPainter.Gutter.GutterWidth = GutterWidth;
    FPainter.FMargin = FMargin;
    FPainter.Paint(p, PaintState());
    if (FSelDrag && FDragCaret && FDropCell.x() >= 0) {
        const QRect cell = GetCellRect(FDropCell.x() - LeftCol(), FDropCell.y() - TopLine());
        p.setPen(QPen(Qt::black, 2, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(cell.adjusted(1, 1, -1, -1));
    }
}

void TCustomCodeMemo::RestartBlink() {
    const int period = QApplication::cursorFlashTime() / 2;
    FCaretVisible = true;
    if (period > 0)
        FBlink.start(period, this);
    else
        FBlink.stop();
    viewport()->update();
}

void TCustomCodeMemo::timerEvent(QTimerEvent *event) {
    if (event->timerId() == FAccessibilityReport.timerId()) {
        FAccessibilityReport.stop();
        FAccessibility->Report();
        return;
    }
    if (event->timerId() == FAutoScroll.timerId()) {
        if (FLeftButtonDown && (QApplication::mouseButtons() & Qt::LeftButton))
            DragSelectTo(FLastMousePos);
        else
            FAutoScroll.stop();
        return;
    }
    if (event->timerId() != FBlink.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    FCaretVisible = !FCaretVisible;
    viewport()->update();
}

void TCustomCodeMemo::focusInEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusInEvent(event);
    RestartBlink();
}

void TCustomCodeMemo::focusOutEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusOutEvent(event);
    FBlink.stop();
    FCaretVisible = false;
    viewport()->update();
}

// ---- mouse -------------------------------------------------------------------------------------

QString TCustomCodeMemo::UrlWordAt(int x, int y) const {
    if (y < 0 || y >= Lines().Count())
        return {};
    const QString &line = Lines().Get(y);
    const QString &delims = FPainter.Tokenizer.URLDelimiters;
    auto inWord = [&](int i) { return i >= 0 && i < line.size() && !delims.contains(line[i]); };
    if (!inWord(x))
        --x; // just after the end of a word still counts as on it
    if (!inWord(x))
        return {};
    int a = x, b = x;
    while (inWord(a - 1))
        --a;
    while (inWord(b + 1))
        ++b;
    const QString word = line.mid(a, b - a + 1);
    return WordIsURL(word) ? word : QString();
}

void TCustomCodeMemo::OpenURLWord(const QString &word) {
    if (OnURLClick) {
        OnURLClick(word);
        return;
    }
    // A file URL in a text taken from elsewhere could start a local program: only the caret moves.
    if (word.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return;
    if (FOpenURL)
        FOpenURL(QUrl::fromUserInput(word));
}

void TCustomCodeMemo::PlaceCaretAt(const QPoint &p, bool shift) {
    const QPoint cell = CaretCellAt(p);
    FCaretVisible = false;
    SetCurY(cell.y());
    SetCurX(cell.x());
    FSelClick = true;
    ScrollCaretIntoView();
    if (shift)
        ExtendSelection();
    else
        ClearSelection();
}

void TCustomCodeMemo::mousePressEvent(QMouseEvent *event) {
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    FPressPos = FLastMousePos = pos;
    if (pos.x() < GetTextRect().left()) { // gutter: the caret goes to the line, keeping its column
        const int line = qBound(0, CharFromPos(pos).y(), qMax(0, Lines().Count() - 1));
        SetCurY(line);
        ClearSelection();
        event->accept();
        return;
    }
    const QPoint cell = CaretCellAt(pos);
    const int offset = TextFromPos(cell.x(), cell.y());
    if (SelAvail() && offset > SelStart() && offset < SelStart() + SelLength()) {
        FSelButtonDown = true; // a drag of the selection may follow
        event->accept();
        return;
    }
    PlaceCaretAt(pos, event->modifiers() & Qt::ShiftModifier);
    FLeftButtonDown = true;
    const QString url = UrlWordAt(CurX(), CurY());
    if (!url.isEmpty())
        OpenURLWord(url);
    viewport()->update();
    event->accept();
}

void TCustomCodeMemo::DragSelectTo(const QPoint &pos) {
    const QRect t = GetTextRect();
    int line = (pos.y() - t.top()) / qMax(1, FCellSize.height()) + TopLine();
    if (pos.y() < t.top())
        line = TopLine() - 1;
    line = qBound(0, line, qMax(0, Lines().Count() - 1));
    int col = 0;
    if (pos.x() >= t.left())
        col = qMin(CaretCellAt(pos).x(), int(Lines().Get(line).size()));
    else if (LeftCol() != 0)
        SetLeftCol(0);
    const QPoint before(CurX(), CurY());
    SetCurY(line);
    SetCurX(col);
    ScrollCaretIntoView();
    if (before != QPoint(CurX(), CurY())) {
        ExtendSelection();
        viewport()->update();
    }
}

void TCustomCodeMemo::mouseMoveEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    FLastMousePos = pos;
    if (FSelClick) { // the first move after a click, when it did not move at all
        FSelClick = false;
        if (pos == FPressPos)
            return;
    }
    const bool left = event->buttons() & Qt::LeftButton;
    if (FSelButtonDown && left && !ReadOnly && !FSelDrag && (pos - FPressPos).manhattanLength() >= 2) {
        StartTextDrag();
        return;
    }
    const QRect t = GetTextRect();
    if (pos.x() < t.left()) {
        viewport()->setCursor(Qt::ArrowCursor);
    } else {
        const QPoint c = CharFromPos(pos);
        const int offset = TextFromPos(c.x(), c.y());
        const bool overText = c.y() < Lines().Count() && c.x() < Lines().Get(c.y()).size();
        if (overText && !UrlWordAt(c.x(), c.y()).isEmpty() && c.x() < Lines().Get(c.y()).size())
            viewport()->setCursor(Qt::PointingHandCursor);
        else if (SelAvail() && offset >= SelStart() && offset < SelStart() + SelLength())
            viewport()->setCursor(Qt::ArrowCursor);
        else
            viewport()->setCursor(Qt::IBeamCursor);
    }
    if (left && FLeftButtonDown && !FSelButtonDown) {
        DragSelectTo(pos);
        // Keep scrolling while the pointer stays above or below the text.
        if (pos.y() < t.top() || pos.y() > t.bottom())
            FAutoScroll.start(50, this);
        else
            FAutoScroll.stop();
    }
}

void TCustomCodeMemo::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    FAutoScroll.stop();
    FCaretVisible = hasFocus();
    FLeftButtonDown = false;
    if (FSelButtonDown && !FSelDrag) { // a click inside the selection
        const QPoint cell = CaretCellAt(event->position().toPoint());
        ClearSelection();
        SetCurY(cell.y());
        SetCurX(cell.x());
        ClearSelection();
    }
    FSelButtonDown = false;
    viewport()->update();
}

void TCustomCodeMemo::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || event->position().x() < GetTextRect().left()) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    if (CurY() >= Lines().Count())
        return;
    const QString &line = Lines().Get(CurY());
    const int x = CurX();
    if (line.isEmpty() || x >= line.size() || IsDelimiter(line[x]))
        return;
    int a = x, b = x;
    while (a > 0 && !IsDelimiter(line[a - 1]))
        --a;
    while (b < line.size() && !IsDelimiter(line[b]))
        ++b;
    Select(a, CurY(), b, CurY());
    SetCurX(b);
    FPrevSelX = CurX();
    FPrevSelY = CurY();
    FSelClick = true;
    viewport()->update();
}

// ---- drag and drop of the selection ------------------------------------------------------------

void TCustomCodeMemo::StartTextDrag() {
    FSelDrag = true;
    auto *data = new QMimeData;
    data->setData(kSelfDragFormat, QByteArray());
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    FSelDrag = false;
    FSelButtonDown = false;
    FLeftButtonDown = false;
    FDropCell = QPoint(-1, -1);
    viewport()->update();
}

void TCustomCodeMemo::dragEnterEvent(QDragEnterEvent *event) {
    if (event->source() == this && event->mimeData()->hasFormat(kSelfDragFormat))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TCustomCodeMemo::dragMoveEvent(QDragMoveEvent *event) {
    if (event->source() != this || !event->mimeData()->hasFormat(kSelfDragFormat)) {
        event->ignore();
        return;
    }
    const bool copy = event->modifiers() & Qt::ControlModifier;
    event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    FDropCell = CaretCellAt(event->position().toPoint());
    viewport()->update();
}

void TCustomCodeMemo::dragLeaveEvent(QDragLeaveEvent *) {
    FDropCell = QPoint(-1, -1);
    viewport()->update();
}

void TCustomCodeMemo::dropEvent(QDropEvent *event) {
    FDropCell = QPoint(-1, -1);
    if (event->source() != this || !event->mimeData()->hasFormat(kSelfDragFormat)) {
        event->ignore();
        return;
    }
    const bool copy = event->modifiers() & Qt::ControlModifier;
    if (DropSelection(CaretCellAt(event->position().toPoint()), copy)) {
        event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
    viewport()->update();
}

bool TCustomCodeMemo::DropSelection(const QPoint &cell, bool copy) {
    if (ReadOnly || !SelAvail())
        return false;
    const QString text = GetSelection();
    const int drop = TextFromPos(cell.x(), cell.y());
    const int selStart = SelStart(), selLen = SelLength();
    if (!copy && drop > selStart && drop < selStart + selLen)
        return false; // dropped onto itself
    auto insertAt = [&](int offset) {
        int x, y;
        PosFromText(offset, x, y);
        ClearSelection();
        SetCurY(y);
        SetCurX(x);
        ClearSelection();
        SetSelection(text);
    };
    auto select = [&](int from, int length) {
        int sx, sy, ex, ey;
        PosFromText(from, sx, sy);
        PosFromText(from + length, ex, ey);
        SetCurY(ey);
        SetCurX(ex);
        Select(sx, sy, ex, ey);
        FPrevSelX = ex;
        FPrevSelY = ey;
    };
    if (copy) {
        insertAt(drop);
        select(drop, int(text.size()));
    } else if (drop <= selStart) {
        DeleteSelection();
        insertAt(drop);
        UndoList().Newest()->FLinkedUndo = true; // one Undo takes back the whole move
        select(drop, int(text.size()));
    } else {
        insertAt(drop);
        select(selStart, selLen);
        DeleteSelection();
        UndoList().Newest()->FLinkedUndo = true;
        select(drop - selLen, int(text.size()));
    }
    viewport()->update();
    return true;
}

// ---- clipboard and context menu ----------------------------------------------------------------

void TCustomCodeMemo::CopyToClipBoard() {
    const bool attached = FOnChangeAttached;
    FOnChangeAttached = false;
    QGuiApplication::clipboard()->setText(GetSelection());
    viewport()->update();
    FOnChangeAttached = attached;
}

void TCustomCodeMemo::CutToClipBoard() {
    if (ReadOnly)
        return;
    QGuiApplication::clipboard()->setText(GetSelection());
    DeleteSelection();
}

void TCustomCodeMemo::PasteFromClipBoard() {
    if (ReadOnly)
        return;
    if (AutoExpand && CurY() < Lines().Count())
        PadLineTo(CurY(), CurX());
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (!SelAvail() && FSelStartX == 0 && CurX() != 0) {
        FSelStartX = FSelEndX = CurX();
        FSelStartY = FSelEndY = CurY();
    }
    const int before = CurY();
    SetSelection(text);
    for (int y = qMin(before, CurY()); y <= qMax(before, CurY()); ++y)
        MarkModified(y);
    ClearSelection();
    UpdateScrollBars();
    viewport()->update();
}

void TCustomCodeMemo::MenuClick(int command) {
    switch (command) {
    case mcCopy:
        CopyToClipBoard();
        break;
    case mcCut:
        CutToClipBoard();
        break;
    case mcPaste:
        PasteFromClipBoard();
        break;
    case mcSelectAll:
        SelectAll();
        break;
    case mcUndo:
        Undo();
        break;
    case mcRedo:
        Redo();
        break;
    case mcDeleteSelection:
        DeleteSelection();
        break;
    default:
        break;
    }
    viewport()->update();
}

void TCustomCodeMemo::contextMenuEvent(QContextMenuEvent *event) {
    setFocus(Qt::PopupFocusReason);
    event->accept();
    // From the keyboard the request names no point in the text, and the gutter has no menu.
    if (event->reason() != QContextMenuEvent::Mouse || event->pos().x() <= GutterWidth)
        return;
    delete FPopupMenu;
    FPopupMenu = new QMenu(this);
    FPopupMenu->setObjectName(QStringLiteral("CodeMemoPopup"));
    FPopupMenu->setAccessibleName(QStringLiteral("File content menu"));
    const bool hasText =
        QGuiApplication::clipboard()->mimeData() && QGuiApplication::clipboard()->mimeData()->hasText();
    struct TItem {
        const char *name, *caption, *key;
        int picture, command;
        bool enabled;
    };
    const TItem items[] = {
        {"menUndo", "Undo", "Z", 3, mcUndo, CanUndo() && !ReadOnly},
        {"menRedo", "Redo", "Y", 4, mcRedo, CanRedo() && !ReadOnly},
        {nullptr, nullptr, nullptr, 0, 0, false},
        {"menCopy", "Copy", "C", 1, mcCopy, SelAvail()},
        {"menCut", "Cut", "X", 0, mcCut, SelAvail() && !ReadOnly},
        {"menPaste", "Paste", "V", 2, mcPaste, hasText && !ReadOnly},
        {nullptr, nullptr, nullptr, 0, 0, false},
        {"menSelectAll", "Select All", "A", -1, mcSelectAll, true},
    };
    for (const TItem &it : items) {
        if (!it.name) {
            FPopupMenu->addSeparator();
            continue;
        }
        QAction *a = FPopupMenu->addAction(QString::fromLatin1(it.caption) + QLatin1Char('\t') +
                                           QStringLiteral("Ctrl+") + QLatin1String(it.key));
        a->setObjectName(QString::fromLatin1(it.name));
        if (it.picture >= 0)
            a->setIcon(MenuPicture(it.picture));
        a->setEnabled(it.enabled);
        a->setData(it.command);
        connect(a, &QAction::triggered, this, [this, command = it.command] { MenuClick(command); });
    }
    FPopupMenu->popup(event->globalPos());
}

// ---- keys --------------------------------------------------------------------------------------

bool TCustomCodeMemo::event(QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride && IsViewKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

bool TCustomCodeMemo::focusNextPrevChild(bool next) {
    // Tab and Shift+Tab are editing keys here; Ctrl+Tab never reaches this point.
    Q_UNUSED(next);
    return false;
}

void TCustomCodeMemo::keyReleaseEvent(QKeyEvent *event) {
    if (event->key() != Qt::Key_Control)
        RestartBlink();
    QAbstractScrollArea::keyReleaseEvent(event);
}

void TCustomCodeMemo::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = mods & Qt::ShiftModifier, ctrl = mods & Qt::ControlModifier,
               alt = mods & Qt::AltModifier;
    if (key != Qt::Key_Control)
        RestartBlink();
    const bool navigation = (key >= Qt::Key_Left && key <= Qt::Key_Down) || key == Qt::Key_Shift ||
                            key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_PageUp ||
                            key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End ||
                            (key >= Qt::Key_F1 && key <= Qt::Key_F12);
    if (!navigation && !(key == Qt::Key_Tab && ctrl))
        ReapplyCaret();

    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        MoveCaret(key == Qt::Key_Left ? -1 : 1, 0, shift, ctrl);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (ctrl)
            ScrollLines(key == Qt::Key_Up ? -1 : 1);
        else
            MoveCaret(0, key == Qt::Key_Up ? -1 : 1, shift);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        MovePage(key == Qt::Key_PageUp ? -1 : 1, shift, ctrl);
        break;
    case Qt::Key_Home:
        CaretHome(shift, ctrl);
        break;
    case Qt::Key_End:
        CaretEnd(shift, ctrl);
        break;
    case Qt::Key_Backspace:
        if (alt && shift)
            Redo();
        else if (alt)
            Undo();
        else if (ctrl)
            DeleteWordBack();
        else
            KeyBackspace();
        break;
    case Qt::Key_Delete:
        if (shift)
            CutToClipBoard();
        else
            KeyDelete();
        break;
    case Qt::Key_Insert:
        if (shift)
            PasteFromClipBoard();
        else if (ctrl)
            CopyToClipBoard();
        else
            ToggleOverwrite();
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (ctrl) {
            event->ignore();
            return;
        }
        KeyTab(shift || key == Qt::Key_Backtab);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!ctrl)
            KeyPress(QChar(13));
        break;
    case Qt::Key_Escape:
        break;
    default:
        if (ctrl && !alt) {
            if (key == Qt::Key_Z)
                Undo();
            else if (key == Qt::Key_Y)
                Redo();
            else if (key == Qt::Key_A)
                KeyPress(QChar(1));
            else if (key == Qt::Key_C)
                CopyToClipBoard();
            else if (key == Qt::Key_V)
                PasteFromClipBoard();
            else if (key == Qt::Key_X) {
                CutToClipBoard();
                MarkModified(CurY());
            }
            break;
        }
        if (alt && !ctrl) {
            event->ignore(); // menu mnemonics
            return;
        }
        for (const QChar c : event->text())
            if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
                KeyPress(c);
        break;
    }
    event->accept();
    viewport()->update();
}
