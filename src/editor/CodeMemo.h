#pragma once

#include "editor/CodeMemoModel.h"
#include "highlight/MemoPainter.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QMenu>
#include <QPointer>
#include <functional>
#include <memory>

class QPainter;
class TCodeMemoAccessibility;

// The text view: the editing model in a scrolling window, with the key map and the character
// handler. The cell geometry and the painting come from the highlighter's painter.
class TCustomCodeMemo : public QAbstractScrollArea, public TCodeMemoModel {
    Q_OBJECT

public:
    explicit TCustomCodeMemo(QWidget *parent = nullptr);
    ~TCustomCodeMemo() override;

    // Geometry, in viewport pixels.
    QSize FCellSize;      // W, H of one character cell
    int FMargin = 2;      // gap between gutter and text
    int GutterWidth = 45; // the gutter itself is drawn by the painter
    void MeasureFont();
    QRect GetTextRect() const;
    QRect GetCellRect(int colOffset, int rowOffset) const; // offsets from LeftCol / TopLine
    QPoint CharFromPos(const QPoint &p) const;             // absolute (column, line)
    int VisibleLineCount() const override;
    int VisiblePosCount() const override;

    void Invalidate() override;
    void UpdateScrollBars() override;
    void CaretMoved() override;
    void LinesChanged() override;
    void InvalidateBackupTopLine() override;
    void UpdateBracketClosed() override;

    QColor BkColor = Qt::white;
    QColor SelColor = Qt::white;
    QColor SelBkColor = QColor(0, 0, 0x80);

    // Styling
    TMemoPainter FPainter;
    TCustomMemoStyler *SyntaxStyles() const { return FPainter.Tokenizer.SyntaxStyles(); }
    void SetSyntaxStyles(TCustomMemoStyler *styler) { FPainter.Tokenizer.SetSyntaxStyles(styler); }
    bool IsDelimiter(QChar c) const { return FPainter.Tokenizer.IsDelimiter(c); }
    static bool WordIsURL(QStringView word) { return TLineTokenizer::WordIsURL(word); }
    QString UrlWordAt(int x, int y) const; // the URL word at a text position, or empty

    // Clipboard
    void CopyToClipBoard();
    void CutToClipBoard();
    void PasteFromClipBoard();
    bool CanCopy() const { return SelLength() > 0; }
    bool CanCut() const { return SelLength() > 0 && !ReadOnly; }
    bool CanPaste() const { return true; }

    // Opens a clicked URL word; replaceable so that tests need no browser.
    std::function<bool(const QUrl &)> FOpenURL;
    // Called instead of opening a clicked URL word when set.
    std::function<void(const QString &url)> OnURLClick;

    // Drops the selected text at a cell: moved, or copied with Ctrl. False when nothing happened.
    bool DropSelection(const QPoint &cell, bool copy);

    QMenu *PopupMenu() const { return FPopupMenu; } // the last context menu
    enum TMemoCommand { mcCopy = 1, mcCut, mcPaste, mcSelectAll, mcUndo, mcRedo, mcDeleteSelection };

    bool FLeftButtonDown = false;
    bool FSelButtonDown = false;
    bool FSelClick = false;
    bool FSelDrag = false;
    bool FDragCaret = true;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    // Everything drawn inside the viewport.
    virtual void PaintText(QPainter &p, const QRect &dirty);

    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void RestartBlink();
    void ScrollBarAction(Qt::Orientation o, int action);
    QPoint CaretCellAt(const QPoint &p) const; // rounded to the nearest cell boundary, line clamped
    void PlaceCaretAt(const QPoint &p, bool shift);
    void DragSelectTo(const QPoint &p);
    void StartTextDrag();
    void MenuClick(int command);
    void OpenURLWord(const QString &word);
    void ClearStylesBetween(int oldTop, int newTop);
    TMemoPaintState PaintState();
    void NotifyAccessibility(); // reports changes once the current event is handled

    TLineStoreStyledLines<TCodeMemoStrings> FStyledLines;
    bool FCaretVisible = false;
    bool FSyncingBars = false;
    bool FMeasuring = false;
    bool FResettingTop = false;
    QBasicTimer FBlink;
    QBasicTimer FAutoScroll;
    QBasicTimer FAccessibilityReport;
    std::unique_ptr<TCodeMemoAccessibility> FAccessibility;
    QPoint FPressPos;
    QPoint FLastMousePos;
    QPoint FDropCell{-1, -1};
    QPointer<QMenu> FPopupMenu;
};

class TCodeMemo : public TCustomCodeMemo {
    Q_OBJECT

public:
    using TCustomCodeMemo::TCustomCodeMemo;
};
