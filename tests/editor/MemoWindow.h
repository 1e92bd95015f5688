#pragma once

#include "EditScript.h"
#include "editor/CodeMemo.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

// A shown text view with its pixel helpers, for the tests that drive it with synthetic input.
struct TMemoWindow {
    TCodeMemo *Memo;

    explicit TMemoWindow(QSize size = QSize(700, 400)) : Memo(new TCodeMemo) {
        Memo->resize(size);
        Memo->show();
        Memo->setFocus();
        QApplication::setActiveWindow(Memo);
    }
    ~TMemoWindow() { delete Memo; }
    TMemoWindow(const TMemoWindow &) = delete;
    TMemoWindow &operator=(const TMemoWindow &) = delete;

    QWidget *Port() const { return Memo->viewport(); }
    int W() const { return Memo->FCellSize.width(); }
    int H() const { return Memo->FCellSize.height(); }
    // Centre of the cell at a column and line as the view shows them now.
    QPoint Cell(int col, int line) const {
        return Memo->GetCellRect(col - Memo->LeftCol(), line - Memo->TopLine()).center();
    }
    // Left edge of a cell, where clicks round to that column.
    QPoint Edge(int col, int line) const {
        const QRect r = Memo->GetCellRect(col - Memo->LeftCol(), line - Memo->TopLine());
        return QPoint(r.left(), r.center().y());
    }

    void Send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent e(type, pos, Port()->mapToGlobal(pos), button, buttons, mods);
        QApplication::sendEvent(Port(), &e);
    }
    void Press(QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Send(QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, mods);
    }
    void Release(QPoint pos) { Send(QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton); }
    void Click(QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Press(pos, mods);
        Release(pos);
    }
    void Move(QPoint pos, Qt::MouseButtons buttons = Qt::NoButton) {
        Send(QEvent::MouseMove, pos, Qt::NoButton, buttons);
    }
    void DoubleClick(QPoint pos) {
        Click(pos);
        Press(pos);
        Send(QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
        Release(pos);
    }
    QImage Shot() const { return Port()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QString Caret() const { return QStringLiteral("%1,%2").arg(Memo->CurX()).arg(Memo->CurY()); }
    QString Selection() const {
        return QStringLiteral("%1,%2-%3,%4")
            .arg(Memo->FSelStartX)
            .arg(Memo->FSelStartY)
            .arg(Memo->FSelEndX)
            .arg(Memo->FSelEndY);
    }
};
