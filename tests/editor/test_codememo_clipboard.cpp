#include "MemoWindow.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>

class TestCodeMemoClipboard : public QObject {
    Q_OBJECT

    std::unique_ptr<TMemoWindow> F;

    static QClipboard *Clip() { return QGuiApplication::clipboard(); }
    void Key(int key, Qt::KeyboardModifiers mods) { QTest::keyClick(F->Memo, Qt::Key(key), mods); }
    QMenu *RightClick(QPoint pos) {
        QContextMenuEvent e(QContextMenuEvent::Mouse, pos, F->Port()->mapToGlobal(pos));
        QApplication::sendEvent(F->Port(), &e);
        return F->Memo->PopupMenu();
    }

private Q_SLOTS:
    void init() {
        F = std::make_unique<TMemoWindow>();
        Clip()->setText(QStringLiteral("stale"));
    }
    void cleanup() {
        if (QMenu *m = F->Memo->PopupMenu())
            m->close();
        F.reset();
    }

    void copyWithoutSelectionEmptiesClipboard() {
        Fill(*F->Memo, QStringLiteral("abc"));
        Key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(Clip()->text(), QString());
        QCOMPARE(Joined(*F->Memo), QStringLiteral("abc"));
    }

    void copyAcrossLines_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier);
        QTest::newRow("Ctrl+Insert") << int(Qt::Key_Insert) << int(Qt::ControlModifier);
    }
    void copyAcrossLines() {
        QFETCH(int, key);
        QFETCH(int, mods);
        Fill(*F->Memo, QStringLiteral("abcdef/ghijkl"));
        F->Memo->Select(2, 0, 3, 1);
        Key(key, Qt::KeyboardModifiers(mods));
        QCOMPARE(Clip()->text(), QStringLiteral("cdef\r\nghi"));
        QCOMPARE(Joined(*F->Memo), QStringLiteral("abcdef/ghijkl"));
    }

    void cut_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier);
        QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << int(Qt::ShiftModifier);
    }
    void cut() {
        QFETCH(int, key);
        QFETCH(int, mods);
        Fill(*F->Memo, QStringLiteral("abcdef/ghijkl"));
        F->Memo->Select(2, 0, 3, 1);
        Key(key, Qt::KeyboardModifiers(mods));
        QCOMPARE(Clip()->text(), QStringLiteral("cdef\r\nghi"));
        QCOMPARE(Joined(*F->Memo), QStringLiteral("abjkl"));
        F->Memo->Undo();
        QCOMPARE(Joined(*F->Memo), QStringLiteral("abcdef/ghijkl"));
    }

    void cutReadOnlyKeepsText() {
        Fill(*F->Memo, QStringLiteral("abc"));
        F->Memo->ReadOnly = true;
        F->Memo->Select(0, 0, 2, 0);
        F->Memo->CutToClipBoard();
        QCOMPARE(Clip()->text(), QStringLiteral("stale"));
        QCOMPARE(Joined(*F->Memo), QStringLiteral("abc"));
    }

    void paste_data() {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("caret");
        QTest::newRow("Ctrl+V, LF breaks")
            << "x\ny\nz" << int(Qt::Key_V) << int(Qt::ControlModifier) << "abx/y/zcd"
            << "1,2";
        QTest::newRow("Shift+Insert, CR LF")
            << "x\r\ny" << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << "abx/ycd"
            << "1,1";
        QTest::newRow("Unicode") << QString::fromUtf8("é€ 𝄞") << int(Qt::Key_V) << int(Qt::ControlModifier)
                                 << QString::fromUtf8("abé€ 𝄞cd") << "7,0";
    }
    void paste() {
        QFETCH(QString, clip);
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(QString, after);
        QFETCH(QString, caret);
        Fill(*F->Memo, QStringLiteral("abcd"));
        F->Memo->SetCurX(2);
        Clip()->setText(clip);
        Key(key, Qt::KeyboardModifiers(mods));
        QCOMPARE(Joined(*F->Memo), after);
        QCOMPARE(F->Caret(), caret);
        QVERIFY(!F->Memo->SelAvail());
        QCOMPARE(F->Memo->Lines().LineProp(0)->Modified, lmModified);
    }

    void pasteReplacesSelectionInOneUndo() {
        Fill(*F->Memo, QStringLiteral("abcd"));
        F->Memo->Select(1, 0, 3, 0);
        F->Memo->SetCurX(3);
        Clip()->setText(QStringLiteral("XY"));
        F->Memo->PasteFromClipBoard();
        QCOMPARE(Joined(*F->Memo), QStringLiteral("aXYd"));
        F->Memo->Undo();
        QCOMPARE(Joined(*F->Memo), QStringLiteral("abcd"));
    }

    void pasteBeyondLineEndPads() {
        Fill(*F->Memo, QStringLiteral("ab"));
        F->Memo->MoveCaret(0, 0, false);
        F->Memo->FSelStartX = F->Memo->FSelEndX = 5;
        F->Click(F->Edge(5, 0));
        Clip()->setText(QStringLiteral("x"));
        F->Memo->PasteFromClipBoard();
        QCOMPARE(Joined(*F->Memo), QStringLiteral("ab   x"));
    }

    void pasteWithoutText() {
        Fill(*F->Memo, QStringLiteral("ab"));
        Clip()->clear();
        F->Memo->PasteFromClipBoard();
        QCOMPARE(Joined(*F->Memo), QStringLiteral("ab"));
    }

    void contextMenu_data() {
        QTest::addColumn<bool>("selection");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("clipText");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("enabled"); // Undo Redo Copy Cut Paste SelectAll
        QTest::newRow("after loading") << false << false << true << false << "000011";
        QTest::newRow("selection, edited") << true << true << false << false << "101101";
        QTest::newRow("read-only") << true << true << true << true << "001001";
    }
    void contextMenu() {
        QFETCH(bool, selection);
        QFETCH(bool, edited);
        QFETCH(bool, clipText);
        QFETCH(bool, readOnly);
        QFETCH(QString, enabled);
        Fill(*F->Memo, QStringLiteral("abcd"));
        if (edited)
            F->Memo->KeyPress(u'x');
        if (selection)
            F->Memo->Select(0, 0, 2, 0);
        if (!clipText)
            Clip()->clear();
        F->Memo->ReadOnly = readOnly;
        QMenu *menu = RightClick(F->Cell(2, 0));
        QVERIFY(menu);
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), 8);
        const QStringList captions{"Undo\tCtrl+Z", "Redo\tCtrl+Y",  "", "Copy\tCtrl+C",
                                   "Cut\tCtrl+X",  "Paste\tCtrl+V", "", "Select All\tCtrl+A"};
        QString got;
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(actions[i]->isSeparator(), captions[i].isEmpty());
            if (actions[i]->isSeparator())
                continue;
            QCOMPARE(actions[i]->text(), captions[i]);
            QCOMPARE(actions[i]->icon().isNull(), i == 7);
            got += actions[i]->isEnabled() ? u'1' : u'0';
        }
        QCOMPARE(got, enabled);
    }

    void menuCommands() {
        Fill(*F->Memo, QStringLiteral("abcd/ef"));
        QMenu *menu = RightClick(F->Cell(2, 0));
        menu->findChild<QAction *>(QStringLiteral("menSelectAll"))->trigger();
        QCOMPARE(F->Memo->GetSelection(), QStringLiteral("abcd\r\nef"));
        menu = RightClick(F->Cell(2, 0));
        menu->findChild<QAction *>(QStringLiteral("menCut"))->trigger();
        QCOMPARE(Joined(*F->Memo), QString());
        menu = RightClick(F->Cell(2, 0));
        menu->findChild<QAction *>(QStringLiteral("menUndo"))->trigger();
        QCOMPARE(Joined(*F->Memo), QStringLiteral("abcd/ef"));
        F->Memo->CaretEnd(false, true);
        menu = RightClick(F->Cell(2, 0));
        menu->findChild<QAction *>(QStringLiteral("menPaste"))->trigger();
        QCOMPARE(Joined(*F->Memo), QStringLiteral("abcd/efabcd/ef"));
    }

    void noMenuOnGutterOrFromKeyboard() {
        Fill(*F->Memo, QStringLiteral("abcd"));
        QCOMPARE(RightClick(QPoint(20, F->Cell(0, 0).y())), nullptr);
        QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(-1, -1), QPoint(-1, -1));
        QApplication::sendEvent(F->Port(), &e);
        QCOMPARE(F->Memo->PopupMenu(), nullptr);
    }

    void menuIsRebuiltEachTime() {
        Fill(*F->Memo, QStringLiteral("abcd"));
        QPointer<QMenu> first = RightClick(F->Cell(2, 0));
        QMenu *second = RightClick(F->Cell(2, 0));
        QVERIFY(first.isNull());
        QVERIFY(second);
    }
};

QTEST_MAIN(TestCodeMemoClipboard)
#include "test_codememo_clipboard.moc"
