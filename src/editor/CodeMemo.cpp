#include "editor/CodeMemo.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

TCustomCodeMemo::TCustomCodeMemo(QWidget *parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("CodeMemo"));
    setAccessibleName(QStringLiteral("File content"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(13);
    if (!QFontInfo(f).fixedPitch())
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setFont(f);
    verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    horizontalScrollBar()->setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setObjectName(QStringLiteral("sbVert"));
    horizontalScrollBar()->setObjectName(QStringLiteral("sbHorz"));
    verticalScrollBar()->setAccessibleName(QStringLiteral("Vertical scroll bar"));
    horizontalScrollBar()->setAccessibleName(QStringLiteral("Horizontal scroll bar"));
    resize(350, 250);
    MeasureFont();
}

TCustomCodeMemo::~TCustomCodeMemo() = default;

// ---- geometry ----------------------------------------------------------------------------------

void TCustomCodeMemo::MeasureFont() {
    const QFontMetrics fm(font());
    FCellSize = QSize(fm.horizontalAdvance(QLatin1Char('W')), fm.height() + 1);
    UpdateScrollBars();
    viewport()->update();
}

QRect TCustomCodeMemo::GetTextRect() const {
    const QRect client = viewport()->rect();
    const int left = (GutterWidth > 2 ? GutterWidth + 2 : 2) + FMargin - 1;
    return QRect(QPoint(left, 1), QPoint(client.width() - 2, client.height() - 2));
}

QRect TCustomCodeMemo::GetCellRect(int colOffset, int rowOffset) const {
    const QRect t = GetTextRect();
    const int w = FCellSize.width(), h = FCellSize.height();
    return QRect(t.left() + colOffset * w, t.top() + rowOffset * h + 1, w, h);
}

QPoint TCustomCodeMemo::CharFromPos(const QPoint &p) const {
    const int w = FCellSize.width(), h = FCellSize.height();
    if (w <= 0 || h <= 0)
        return QPoint(1, 1);
    const QRect t = GetTextRect();
    return QPoint((p.x() - t.left()) / w + LeftCol(), (p.y() - t.top()) / h + TopLine());
}

int TCustomCodeMemo::VisiblePosCount() const {
    const int w = FCellSize.width();
    if (w <= 0)
        return 0;
    const QRect t = GetTextRect();
    return qMax(0, (t.right() + w / 2 - t.left()) / w);
}

int TCustomCodeMemo::VisibleLineCount() const {
    const int h = FCellSize.height();
    if (h <= 0)
        return 0;
    const QRect t = GetTextRect();
    return qMax(0, (t.bottom() - t.top()) / h);
}

// ---- view updates ------------------------------------------------------------------------------

void TCustomCodeMemo::Invalidate() {
    viewport()->update();
}

void TCustomCodeMemo::UpdateScrollBars() {
    if (!FLetRefresh)
        return;
    FSyncingBars = true;
    QScrollBar *v = verticalScrollBar();
    const int lines = Lines().Count(), visible = VisibleLineCount();
    if (visible <= 0 || visible >= lines) {
        v->setRange(0, 0);
    } else {
        v->setRange(0, lines - 1);
        v->setPageStep(visible);
        v->setValue(TopLine());
    }
    QScrollBar *h = horizontalScrollBar();
    const int cols = VisiblePosCount();
    const int longest = qMax(FMaxLength, CurX() + 1);
    if (cols > 0 && cols < longest) {
        h->setRange(0, longest - cols + 1);
        h->setPageStep(cols);
        h->setValue(LeftCol());
    } else {
        h->setRange(0, 0);
    }
    FSyncingBars = false;
}

void TCustomCodeMemo::CaretMoved() {
    FCaretVisible = hasFocus();
    viewport()->update();
}

void TCustomCodeMemo::scrollContentsBy(int, int) {
    if (FSyncingBars)
        return;
    const int top = verticalScrollBar()->value(), left = horizontalScrollBar()->value();
    const bool saved = FLetCursorUpdate;
    if (top != TopLine() && top < Lines().Count())
        SetTopLine(top);
    if (left != LeftCol())
        SetLeftCol(left);
    FLetCursorUpdate = saved;
    viewport()->update();
}

void TCustomCodeMemo::wheelEvent(QWheelEvent *event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    if (VisibleLineCount() >= Lines().Count()) {
        SetCurY(0);
        SetCurX(0);
    } else {
        SetTopLine(qBound(0, TopLine() - 4 * notches, Lines().Count() - 1));
    }
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

void TCustomCodeMemo::paintEvent(QPaintEvent *event) {
    if (Lines().FLockCount > 0)
        return; // the store is being refilled: the next paint after the bracket draws the new text
    QPainter p(viewport());
    p.setFont(font());
    PaintText(p, event->rect());
}

void TCustomCodeMemo::PaintGutter(QPainter &p) {
    const QRect t = GetTextRect();
    p.fillRect(QRect(0, 0, t.left(), viewport()->height()), Qt::white);
    p.setPen(QColor(0xA3, 0xA3, 0xA3));
    p.drawLine(GutterWidth, 0, GutterWidth, viewport()->height());
    p.setPen(QColor(59, 59, 59));
    const int rows = VisibleLineCount() + 1;
    for (int r = 0; r < rows && TopLine() + r < Lines().Count(); ++r) {
        const QRect cell = GetCellRect(0, r);
        p.drawText(QRect(0, cell.top(), GutterWidth - 4, cell.height()), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(TopLine() + r + 1));
    }
}

void TCustomCodeMemo::PaintText(QPainter &p, const QRect &) {
    const QRect t = GetTextRect();
    p.fillRect(viewport()->rect(), BkColor);
    PaintGutter(p);
    p.setClipRect(t);
    const int w = FCellSize.width();
    const int cols = VisiblePosCount() + 2;
    int sx, sy, ex, ey;
    NormalizedSelection(sx, sy, ex, ey);
    const bool sel = SelAvail();
    const int ascent = QFontMetrics(font()).ascent();
    for (int r = 0; r <= VisibleLineCount(); ++r) {
        const int y = TopLine() + r;
        if (y >= Lines().Count())
            break;
        const QRect row = GetCellRect(0, r);
        const QString &line = Lines().Get(y);
        if (sel && y >= sy && y <= ey) {
            // Selected cells: from the start column (0 on later lines) to the end column, or one
            // cell past the text on lines whose line break is selected.
            const int from = y == sy ? sx : 0;
            const int to = y == ey ? ex : qMax<int>(line.size(), from) + 1;
            if (to > from)
                p.fillRect(QRect(t.left() + (from - LeftCol()) * w, row.top(), (to - from) * w, row.height()),
                           SelBkColor);
        }
        const QString visible = line.mid(LeftCol(), cols);
        for (int k = 0; k < visible.size(); ++k) {
            const int x = LeftCol() + k;
            const bool selected = sel && (y > sy || (y == sy && x >= sx)) && (y < ey || (y == ey && x < ex));
            p.setPen(selected ? SelColor : Qt::black);
            p.drawText(QPoint(t.left() + k * w, row.top() + ascent), QString(visible.at(k)));
        }
    }
    p.setClipping(false);
    PaintCaret(p);
}

void TCustomCodeMemo::PaintCaret(QPainter &p) {
    if (!hasFocus() || !FCaretVisible)
        return;
    const QRect cell = GetCellRect(CurX() - LeftCol(), CurY() - TopLine());
    if (!GetTextRect().contains(cell.topLeft()))
        return;
    p.fillRect(QRect(cell.left(), cell.top() + 1, 2, cell.height() - 2), Qt::black);
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

// ---- keys --------------------------------------------------------------------------------------

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
        if (!shift) // Shift+Delete cuts: comes with the clipboard
            KeyDelete();
        break;
    case Qt::Key_Insert:
        if (!shift && !ctrl)
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
