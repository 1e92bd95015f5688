#pragma once

#include "editor/CodeMemoModel.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>

class QPainter;

// The text view: the editing model in a scrolling window, with the key map and the character
// handler. The cell geometry lives here in one place; painting is one replaceable method.
class TCustomCodeMemo : public QAbstractScrollArea, public TCodeMemoModel {
    Q_OBJECT

public:
    explicit TCustomCodeMemo(QWidget *parent = nullptr);
    ~TCustomCodeMemo() override;

    // Geometry, in viewport pixels.
    QSize FCellSize;      // W, H of one character cell
    int FMargin = 2;      // gap between gutter and text
    int GutterWidth = 45; // the gutter itself is drawn by PaintGutter
    void MeasureFont();
    QRect GetTextRect() const;
    QRect GetCellRect(int colOffset, int rowOffset) const; // offsets from LeftCol / TopLine
    QPoint CharFromPos(const QPoint &p) const;             // absolute (column, line)
    int VisibleLineCount() const override;
    int VisiblePosCount() const override;

    void Invalidate() override;
    void UpdateScrollBars() override;
    void CaretMoved() override;

    QColor BkColor = Qt::white;
    QColor SelColor = Qt::white;
    QColor SelBkColor = QColor(0, 0, 0x80);

protected:
    void paintEvent(QPaintEvent *event) override;
    // Everything drawn inside the viewport; the painter of the highlighter replaces it.
    virtual void PaintText(QPainter &p, const QRect &dirty);
    virtual void PaintGutter(QPainter &p);
    void PaintCaret(QPainter &p);

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

private:
    void RestartBlink();
    bool FCaretVisible = false;
    bool FSyncingBars = false;
    QBasicTimer FBlink;
};

class TCodeMemo : public TCustomCodeMemo {
    Q_OBJECT

public:
    using TCustomCodeMemo::TCustomCodeMemo;
};
