#pragma once

#include "editor/CodeMemoModel.h"

#include <QStringList>

// A tiny key script for the editing tests, so each case fits in one table row.
// Tokens, separated by blanks: t:text (typed; '~' stands for a blank), enter, bs, cbs (Ctrl+Backspace),
// del, tab, stab, ins, undo, redo, left, right, up, down, home, end, cleft, cright, chome, cend, pgup,
// pgdn; an 's' before a movement adds Shift (sleft, scend); sel:x1,y1,x2,y2 selects; at:x,y moves the
// caret; paste:text (SetSelection; '~' a blank, '/' a line break).
inline void RunScript(TCodeMemoModel &m, const QString &script) {
    const QStringList tokens = script.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString t : tokens) {
        if (t.startsWith(QLatin1String("t:"))) {
            const QString typed = t.mid(2).replace(QLatin1Char('~'), QLatin1Char(' '));
            for (QChar c : typed)
                m.KeyPress(c);
            continue;
        }
        if (t.startsWith(QLatin1String("paste:"))) {
            m.SetSelection(
                t.mid(6).replace(QLatin1Char('~'), QLatin1Char(' ')).replace(QLatin1Char('/'), "\r\n"));
            continue;
        }
        if (t.startsWith(QLatin1String("sel:")) || t.startsWith(QLatin1String("at:"))) {
            const QStringList n = t.mid(t.indexOf(QLatin1Char(':')) + 1).split(QLatin1Char(','));
            if (t.startsWith(QLatin1String("at:"))) {
                m.SetCurY(n[1].toInt());
                m.SetCurX(n[0].toInt());
                m.ClearSelection();
            } else {
                m.SetCurY(n[3].toInt());
                m.SetCurX(n[2].toInt());
                m.Select(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt());
                m.FPrevSelX = m.CurX();
                m.FPrevSelY = m.CurY();
            }
            continue;
        }
        const bool shift = t.size() > 2 && t.startsWith(QLatin1Char('s')) && t != QLatin1String("stab");
        if (shift)
            t = t.mid(1);
        if (t == QLatin1String("enter"))
            m.KeyPress(QChar(13));
        else if (t == QLatin1String("bs"))
            m.KeyBackspace();
        else if (t == QLatin1String("cbs"))
            m.DeleteWordBack();
        else if (t == QLatin1String("del"))
            m.KeyDelete();
        else if (t == QLatin1String("tab"))
            m.KeyTab(false);
        else if (t == QLatin1String("stab"))
            m.KeyTab(true);
        else if (t == QLatin1String("ins"))
            m.ToggleOverwrite();
        else if (t == QLatin1String("undo"))
            m.Undo();
        else if (t == QLatin1String("redo"))
            m.Redo();
        else if (t == QLatin1String("left"))
            m.MoveCaret(-1, 0, shift);
        else if (t == QLatin1String("right"))
            m.MoveCaret(1, 0, shift);
        else if (t == QLatin1String("up"))
            m.MoveCaret(0, -1, shift);
        else if (t == QLatin1String("down"))
            m.MoveCaret(0, 1, shift);
        else if (t == QLatin1String("cleft"))
            m.MoveCaret(-1, 0, shift, true);
        else if (t == QLatin1String("cright"))
            m.MoveCaret(1, 0, shift, true);
        else if (t == QLatin1String("home"))
            m.CaretHome(shift);
        else if (t == QLatin1String("end"))
            m.CaretEnd(shift);
        else if (t == QLatin1String("chome"))
            m.CaretHome(shift, true);
        else if (t == QLatin1String("cend"))
            m.CaretEnd(shift, true);
        else if (t == QLatin1String("pgup"))
            m.MovePage(-1, shift);
        else if (t == QLatin1String("pgdn"))
            m.MovePage(1, shift);
        else
            qFatal("unknown script token %s", qPrintable(t));
    }
}

// The lines joined by '/', so a whole text fits in a table cell.
inline QString Joined(const TCodeMemoModel &m) {
    QStringList l;
    for (int i = 0; i < m.Lines().Count(); ++i)
        l << m.Lines().Get(i);
    return l.join(QLatin1Char('/'));
}

inline void Fill(TCodeMemoModel &m, const QString &text) {
    TCodeMemoStrings &s = m.Lines();
    s.BeginUpdate();
    s.Clear();
    for (const QString &line : text.split(QLatin1Char('/')))
        s.Add(line);
    s.EndUpdate();
}
