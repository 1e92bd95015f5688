// Entry commands under the list, Import, and leaving the window.
#include "MainWindowFixture.h"

class TestCommands : public QObject {
    Q_OBJECT

    static void Click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

private Q_SLOTS:
    void addAsksFirst_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void addAsksFirst() {
        QFETCH(bool, yes);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        w->lbxEntries->setCurrentRow(1);
        f.dialogs.answers = {yes};
        Click(w->bbtAdd);
        QCOMPARE(f.dialogs.questions, QStringList{"Add a new entry ?"});
        QCOMPARE(f.dialogs.questionTypes.first(), TMsgDlgType::mtConfirmation);
        if (!yes) {
            QCOMPARE(w->FEntries.size(), 3);
            QCOMPARE(w->SelectedRow(), 1);
            QVERIFY(!w->FModified);
            return;
        }
        QCOMPARE(w->FEntries.size(), 4);
        QCOMPARE(w->FEntries[3], MakeEntry("Please enter a description"));
        QCOMPARE(w->SelectedRow(), 3);
        auto *description = Find<QLineEdit>(*w, "ledtDescription");
        QCOMPARE(QApplication::focusWidget(), description);
        QCOMPARE(description->selectedText(), QStringLiteral("Please enter a description"));
        QCOMPARE(w->pnlField->text(), QStringLiteral("Description"));
        QVERIFY(w->FModified && w->imgModified->isVisible());
        QVERIFY(Lines(*w).contains(QStringLiteral("Item4=Please enter a description")));
    }

    void addToAnEmptyDocument() {
        TWindowFixture f;
        auto w = f.Window();
        f.dialogs.answers = {true};
        Click(w->bbtAdd);
        QCOMPARE(Rows(w->lbxEntries), QStringList{"Please enter a description"});
        QVERIFY(w->bbtSave->isEnabled());
        QVERIFY(w->FModified);
    }

    void copyDuplicatesTheEntry() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        w->lbxEntries->setCurrentRow(2);
        Click(w->bbtCopy);
        QVERIFY(f.dialogs.questions.isEmpty());
        QCOMPARE(w->FEntries.size(), 4);
        QCOMPARE(w->FEntries[3], w->FEntries[2]);
        QCOMPARE(w->FEntries[3].SessManKey, QStringLiteral("7"));
        QCOMPARE(w->SelectedRow(), 3);
        QCOMPARE(QApplication::focusWidget(), w->FieldControl(fnDescription));
        QVERIFY(w->FModified);
        // Renumbering afterwards counts 1..n in list order and sets the next key to n + 1.
        f.dialogs.answers = {true};
        Click(w->bbtSessManKeyAuto);
        QCOMPARE(f.dialogs.questions.last(), QStringLiteral("Replace current values with counter value ?"));
        for (int k = 0; k < 4; ++k)
            QCOMPARE(w->FEntries[k].SessManKey, QString::number(k + 1));
        QCOMPARE(w->FGlobal.Configuration.SessManNewKey, 5);
        QCOMPARE(w->ledtSessManNewKey->text(), QStringLiteral("5"));
        QCOMPARE(w->ledtSessManKey->text(), QStringLiteral("4"));
        QVERIFY(Lines(*w).contains(QStringLiteral("SessManNewKey=5")));
    }

    void renumberAnswers_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("newKey");
        QTest::newRow("no keeps the keys") << false << 3 << 8;
        QTest::newRow("no entries gives 1") << true << 0 << 1;
    }
    void renumberAnswers() {
        QFETCH(bool, yes);
        QFETCH(int, entries);
        QFETCH(int, newKey);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        if (entries == 0) {
            w->FEntries.clear();
            w->RefreshEntryList();
        }
        f.dialogs.answers = {yes};
        w->bbtSessManKeyAutoClick();
        QCOMPARE(w->FGlobal.Configuration.SessManNewKey, newKey);
        QCOMPARE(w->FModified, yes);
        if (entries)
            QCOMPARE(w->FEntries[2].SessManKey, QStringLiteral("7"));
    }

    void remove_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("selected");
        QTest::newRow("no") << 3 << 1 << false << QStringList{"0", "1", "2"} << 1;
        QTest::newRow("middle selects the next") << 3 << 1 << true << QStringList{"0", "2"} << 1;
        QTest::newRow("last selects the one before") << 3 << 2 << true << QStringList{"0", "1"} << 1;
        QTest::newRow("only entry") << 1 << 0 << true << QStringList{} << -1;
    }
    void remove() {
        QFETCH(int, count);
        QFETCH(int, row);
        QFETCH(bool, yes);
        QFETCH(QStringList, rows);
        QFETCH(int, selected);
        TWindowFixture f;
        auto w = f.Window();
        for (int i = 0; i < count; ++i)
            w->FEntries.append(MakeEntry(QString::number(i)));
        w->RefreshEntryList();
        w->lbxEntries->setCurrentRow(row);
        w->lbxEntriesClick();
        f.dialogs.answers = {yes};
        Click(w->bbtRemove);
        QCOMPARE(f.dialogs.questions, QStringList{"Remove the selected entry ?"});
        QCOMPARE(f.dialogs.questionTypes.first(), TMsgDlgType::mtWarning);
        QCOMPARE(Rows(w->lbxEntries), rows);
        QCOMPARE(w->FEntries.size(), rows.size());
        QCOMPARE(w->SelectedRow(), selected);
        QCOMPARE(w->FModified, yes);
        if (selected >= 0)
            QCOMPARE(Find<QLineEdit>(*w, "ledtDescription")->text(), rows[selected]);
        if (rows.isEmpty()) {
            for (auto *b : {w->bbtUp, w->bbtDown, w->bbtRemove, w->bbtCopy, w->bbtImport, w->bbtSave})
                QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
            // The form still shows the removed entry; editing it commits nothing.
            QCOMPARE(Find<QLineEdit>(*w, "ledtDescription")->text(), QStringLiteral("0"));
            TypeInto(*w, "ledtDescription", "zzz");
            QVERIFY(w->FEntries.isEmpty());
        }
    }

    void move_data() {
        QTest::addColumn<bool>("sid");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("up from second")
            << false << 1 << false << QStringList{"Development", "PRD Production", "QAS"};
        QTest::newRow("down from first, SID column")
            << true << 0 << true
            << QStringList{"Development    | DEV", "PRD Production | PRD", "QAS            | QAS"};
    }
    void move() {
        QFETCH(bool, sid);
        QFETCH(int, row);
        QFETCH(bool, down);
        QFETCH(QStringList, rows);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        if (sid)
            QTest::mouseClick(w->chkSID, Qt::LeftButton, {}, QPoint(5, w->chkSID->height() / 2));
        w->lbxEntries->setCurrentRow(row);
        w->lbxEntriesClick();
        const tyEntry moved = w->FEntries[row];
        Click(down ? w->bbtDown : w->bbtUp);
        const int target = row + (down ? 1 : -1);
        QCOMPARE(Rows(w->lbxEntries), rows);
        QCOMPARE(w->SelectedRow(), target);
        QCOMPARE(w->FEntries[target], moved);
        QCOMPARE(w->bbtUp->isEnabled(), target > 0);
        QVERIFY(Lines(*w).contains(QStringLiteral("Item%1=").arg(target + 1) + moved.Description));
        QCOMPARE(Find<QLineEdit>(*w, "ledtDescription")->text(), moved.Description);
        QVERIFY(w->FModified && w->imgModified->isVisible());
    }

    void importAppends() {
        TWindowFixture f;
        const QString path = f.Copy("three.ini");
        const QString other = f.Copy("three.ini", "other.ini");
        auto w = f.Window(path);
        f.dialogs.openResult = other;
        Click(w->bbtImport);
        QCOMPARE(f.dialogs.openFilters,
                 (QStringList{"saplogon.ini (saplogon.ini SAPLOGON.INI)", "All files (*)"}));
        QCOMPARE(w->FEntries.size(), 6);
        QCOMPARE(w->FEntries[3].Description, QStringLiteral("PRD Production"));
        QCOMPARE(w->FSapLogon, other);
        QCOMPARE(w->edtSapLogon->text(), path);
        QVERIFY(w->FModified && w->imgModified->isVisible());
        QVERIFY(Lines(*w).contains(QStringLiteral("Item6=QAS")));
    }

    // Cancelling the dialog used to reload the file over unsaved changes and mark it modified.
    void cancelledImportChangesNothing() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        TypeInto(*w, "ledtServer", "edited");
        w->FModified = false; // to see that a cancel does not set it either
        w->ShowModified();
        const QStringList lines = Lines(*w);
        f.dialogs.openResult = std::nullopt;
        Click(w->bbtImport);
        QCOMPARE(f.dialogs.openCount, 1);
        QCOMPARE(w->FEntries.size(), 3);
        QCOMPARE(w->FEntries[0].Server, QStringLiteral("edited"));
        QVERIFY(!w->FModified);
        QCOMPARE(Lines(*w), lines);
    }

    void aboutOpensThroughItsHook() {
        TWindowFixture f;
        auto w = f.Window();
        QWidget *parent = nullptr;
        w->showAbout = [&](QWidget *p) { parent = p; };
        Click(w->bbtAbout);
        QCOMPARE(parent, w.get());
    }

    // The Quit button asks when modified; closing by the close box or Alt+F4 used to drop unsaved
    // changes without a word and now asks the same question.
    void quit_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("closed");
        for (const bool closeBox : {false, true}) {
            const char *way = closeBox ? "close box" : "Quit button";
            QTest::addRow("%s, unmodified closes at once", way)
                << closeBox << false << QList<bool>{} << 0 << true;
            QTest::addRow("%s, modified, no keeps the window", way)
                << closeBox << true << QList<bool>{false} << 1 << false;
            QTest::addRow("%s, modified, yes closes", way)
                << closeBox << true << QList<bool>{true} << 1 << true;
        }
    }
    void quit() {
        QFETCH(bool, closeBox);
        QFETCH(bool, modified);
        QFETCH(QList<bool>, answers);
        QFETCH(int, questions);
        QFETCH(bool, closed);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        if (modified)
            TypeInto(*w, "ledtServer", "edited");
        f.dialogs.answers = answers;
        if (closeBox)
            QCOMPARE(w->close(), closed);
        else
            Click(w->bbtExit);
        QCOMPARE(f.dialogs.questions.size(), questions); // asked once, not again by the close
        if (questions) {
            QCOMPARE(f.dialogs.questions.first(),
                     QStringLiteral(
                         "The original file has been modified.\nAre you sure you want to exit the program?"));
            QCOMPARE(f.dialogs.questionTypes.first(), TMsgDlgType::mtWarning);
        }
        QCOMPARE(w->isVisible(), !closed);
        QCOMPARE(w->FModified, modified);
        QCOMPARE(w->FEntries[0].Server, modified ? QStringLiteral("edited") : QStringLiteral("PUBLIC"));
    }
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
