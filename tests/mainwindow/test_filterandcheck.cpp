// Finding an entry in a long list, and the marks, help and questions of the check.
#include "MainWindowFixture.h"
#include "common/TestFiles.h"
#include "document/ProfileReader.h"

class TestFilterAndCheck : public QObject {
    Q_OBJECT

    static void Click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    static QStringList VisibleRows(const TEntryListBox *list) {
        QStringList rows;
        for (int i = 0; i < list->count(); ++i)
            if (!list->isRowHidden(i))
                rows << list->Rows().Text(i);
        return rows;
    }

    static int ProblemMark(const TEntryListBox *list, int row) { return list->Rows().Problem(row); }

private Q_SLOTS:
    void filterKeepsRowsAndEntriesTogether_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("visible");
        QTest::newRow("description, any case") << "prod" << QStringList{"PRD Production"};
        QTest::newRow("SID") << "QAS" << QStringList{"QAS"};
        QTest::newRow("server") << "devapp" << QStringList{"Development"};
        QTest::newRow("none") << "nowhere" << QStringList{};
    }
    void filterKeepsRowsAndEntriesTogether() {
        QFETCH(QString, text);
        QFETCH(QStringList, visible);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        QCOMPARE(w->edtFilter->placeholderText(), QStringLiteral("Filter: description, SID, server"));
        QTest::keyClicks(w->edtFilter, text);
        QCOMPARE(VisibleRows(w->lbxEntries), visible);
        QVERIFY(!w->bbtUp->isEnabled() && !w->bbtDown->isEnabled());
        QVERIFY(w->bbtDown->toolTip().contains("filtered"));
        if (visible.isEmpty()) {
            QCOMPARE(w->SelectedEntry(), -1);
            QVERIFY(!w->bbtRemove->isEnabled() && !w->bbtCopy->isEnabled());
            return;
        }
        // The form and the commands work on the entry the selected row stands for.
        const int entry = w->SelectedEntry();
        QCOMPARE(w->FEntries[entry].Description, visible.first());
        QCOMPARE(Find<QLineEdit>(*w, "ledtDescription")->text(), visible.first());
        f.dialogs.answers = {true};
        Click(w->bbtRemove);
        QCOMPARE(w->FEntries.size(), 2);
        for (const tyEntry &e : w->FEntries)
            QVERIFY(e.Description != visible.first());

        QTest::keyClick(w->edtFilter, Qt::Key_Escape);
        QCOMPARE(w->edtFilter->text(), QString());
        QCOMPARE(VisibleRows(w->lbxEntries).size(), 2);
        QVERIFY(w->bbtDown->isEnabled() || w->bbtUp->isEnabled());
    }

    void addCopyAndImportClearTheFilter_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("add") << "add";
        QTest::newRow("copy") << "copy";
        QTest::newRow("import") << "import";
    }
    void addCopyAndImportClearTheFilter() {
        QFETCH(QString, command);
        TWindowFixture f;
        const QString path = f.Copy("three.ini");
        auto w = f.Window(path);
        QTest::keyClicks(w->edtFilter, "QAS");
        f.dialogs.answers = {true};
        f.dialogs.openResult = path;
        Click(command == "add" ? w->bbtAdd : command == "copy" ? w->bbtCopy : w->bbtImport);
        QVERIFY(w->edtFilter->text().isEmpty());
        QCOMPARE(VisibleRows(w->lbxEntries).size(), w->FEntries.size());
        if (command != "import") {
            QCOMPARE(w->SelectedEntry(), 3); // the new entry, selected and in sight
            QCOMPARE(w->FEntries[3].Description,
                     command == "add" ? QStringLiteral("Please enter a description") : QStringLiteral("QAS"));
        }
    }

    void findShortcutFocusesTheFilter() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        w->lbxEntries->setFocus();
        QTest::keyClick(w->lbxEntries, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), w->edtFilter);
    }

    void rowsShowTheirProblems() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        QCOMPARE(ProblemMark(w->lbxEntries, 0), 0);
        QVERIFY(w->lbxEntries->Rows().ToolTip(0).isEmpty());
        TypeInto(*w, "ledtDatabase", "123"); // entry 1 is a group entry: no system number needed
        QCOMPARE(ProblemMark(w->lbxEntries, 0), 0);
        w->lbxEntries->setCurrentRow(1);
        w->lbxEntriesClick();
        TypeInto(*w, "ledtDatabase", "123");
        QCOMPARE(ProblemMark(w->lbxEntries, 1), 2);
        QCOMPARE(w->lbxEntries->Rows().ToolTip(1),
                 QStringLiteral("Database: error: Database \"123\" is not a system number of two digits"));
        TypeInto(*w, "ledtDescription", "QAS"); // the same as the third: a warning on the later one
        QCOMPARE(ProblemMark(w->lbxEntries, 2), 1);

        // The help of a field of the entry lists the entry's problems below it.
        w->lbxEntries->setCurrentRow(1);
        w->lbxEntriesClick();
        Find<QLineEdit>(*w, "ledtServer")->setFocus(Qt::TabFocusReason);
        QVERIFY2(w->memHelp->toPlainText().contains("Problems of this entry:\n- Database: error"),
                 qPrintable(w->memHelp->toPlainText()));
        w->lbxEntries->setCurrentRow(0);
        w->lbxEntriesClick();
        QVERIFY(!w->memHelp->toPlainText().contains("Problems"));
    }

    void saveWithErrorsAsksOnce_data() {
        QTest::addColumn<bool>("answer");
        QTest::newRow("no writes nothing") << false;
        QTest::newRow("yes saves") << true;
    }
    void saveWithErrorsAsksOnce() {
        QFETCH(bool, answer);
        TWindowFixture f;
        const QString path = f.Copy("three.ini", "saplogon.ini");
        const QByteArray before = ReadFile(path);
        auto w = f.Window(path);
        TypeInto(*w, "ledtSessManKey", "2");    // the key of the second entry too
        TypeInto(*w, "ledtDescription", "QAS"); // and a warning, which is not listed
        f.dialogs.saveResult = path;
        f.dialogs.answers = {answer};
        Click(w->bbtSave);
        QCOMPARE(f.dialogs.questions.size(), 1);
        QCOMPARE(
            f.dialogs.questions.first(),
            QStringLiteral("The file has an error that SAP Logon will not report:\nItem2 SessManKey: error: "
                           "SessManKey 2 is also the key of Item1: the Session Manager needs a key of its "
                           "own for each entry\n\nSave anyway?"));
        QCOMPARE(f.dialogs.questionTypes.first(), TMsgDlgType::mtWarning);
        QCOMPARE(ReadFile(path) == before, !answer);
        QCOMPARE(w->FModified, !answer);
        QCOMPARE(QDir(f.dir.path()).entryList({"saplogon.2*"}).size(), answer ? 1 : 0);
    }

    void unwritableLettersOfferUtf16_data() {
        QTest::addColumn<TMsgDlgAnswer>("answer");
        QTest::addColumn<QByteArray>("start"); // of the written file; empty: nothing written
        QTest::newRow("yes: UTF-16 LE") << TMsgDlgAnswer::Yes << QByteArray("\xFF\xFE[\0", 4);
        QTest::newRow("no: Windows-1252") << TMsgDlgAnswer::No << QByteArray("[Configuration]");
        QTest::newRow("cancel") << TMsgDlgAnswer::Cancel << QByteArray();
    }
    void unwritableLettersOfferUtf16() {
        QFETCH(TMsgDlgAnswer, answer);
        QFETCH(QByteArray, start);
        TWindowFixture f;
        const QString path = f.Copy("three.ini", "saplogon.ini");
        auto w = f.Window(path);
        // Non-ASCII text cannot be typed with keyClicks on this Qt: set it, then commit by leaving.
        auto *server = Find<QLineEdit>(*w, "ledtServer");
        server->setFocus(Qt::TabFocusReason);
        server->setText(QString::fromUtf8("Łódź"));
        w->lbxEntries->setFocus(Qt::MouseFocusReason);
        QCOMPARE(w->FEntries[0].Server, QString::fromUtf8("Łódź"));
        f.dialogs.saveResult = path;
        f.dialogs.choices = {answer};
        Click(w->bbtSave);
        QCOMPARE(f.dialogs.questions.size(), 1);
        QVERIFY(f.dialogs.questions.first().contains("UTF-16 LE"));
        const QByteArray written = ReadFile(path);
        if (start.isEmpty()) {
            QVERIFY(written.startsWith("[Configuration]"));
            QVERIFY(w->FModified);
            return;
        }
        QVERIFY(written.startsWith(start));
        const QList<tyEntry> saved = w->FEntries;
        w->Document().LoadSapLogon(QString());
        QCOMPARE(w->FEntries[0].Server,
                 answer == TMsgDlgAnswer::Yes ? QString::fromUtf8("Łódź") : QString::fromUtf8("?ódz"));
        if (answer == TMsgDlgAnswer::Yes)
            QCOMPARE(w->FEntries, saved);
    }
};

QTEST_MAIN(TestFilterAndCheck)
#include "test_filterandcheck.moc"
