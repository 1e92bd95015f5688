// What the file holds beyond the form: shown read-only, carried through the commands, saved.
#include "MainWindowFixture.h"
#include "common/TestFiles.h"
#include "document/ProfileReader.h"
#include "mainwindow/OtherContentGroup.h"

#include <QTreeWidget>

class TestOtherContent : public QObject {
    Q_OBJECT

    static void Click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    static QString Fixture(TWindowFixture &f) {
        return WriteFile(f.dir.filePath("saplogon.ini"),
                         ReadFile(SAPLOGON_SOURCE_DIR "/tests/document/data/saplogon-7x.ini"));
    }

    static QStringList RowsOf(const QTreeWidget *list) {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(0) + u'=' + list->topLevelItem(i)->text(1);
        return rows;
    }

private Q_SLOTS:
    void showsTheSelectedEntrysValuesAndTheKeptContent() {
        TWindowFixture f;
        auto w = f.Window(Fixture(f));
        auto *values = Find<QTreeWidget>(*w, "lvwOtherFields");
        QVERIFY(w->grpOtherFields->isVisibleTo(w.get()));
        QCOMPARE(values->accessibleName(), QStringLiteral("Other fields in this file"));
        w->lbxEntries->setCurrentRow(1);
        w->lbxEntriesClick();
        QCOMPARE(RowsOf(values),
                 (QStringList{"EntryKey=3F2504E0-4F89-11D3-9A0C-0305E82C3302", "SncNoSSO=(no key)",
                              "Utf8Off=", "ShortcutType=1", "ShortcutString=\"-command=SU01\"",
                              "ShortcutTo=QAS", "ShortcutBy='jdoe'"}));

        auto *kept = Find<QTreeWidget>(*w, "lvwKeptContent");
        QCOMPARE(RowsOf(kept), (QStringList{"[Configuration]=1 key", "[MSLast]=1 key", "[MSWinPos]=1 key",
                                            "[Options]=3 keys", "[Groups]=2 keys"}));
        kept->expandItem(kept->topLevelItem(3));
        QCOMPARE(kept->topLevelItem(3)->child(1)->text(1), QStringLiteral("\"a=b\" = 'c'"));

        values->setFocus(Qt::TabFocusReason);
        QCOMPARE(w->pnlField->text(), QStringLiteral("Other fields in this file"));
        QVERIFY(w->memHelp->toPlainText().contains("written back unchanged"));
        w->lbxEntries->setFocus(Qt::TabFocusReason);
        QVERIFY(!w->FModified); // looking is no change
    }

    void hiddenWhenTheFileHasNothingMore() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        QVERIFY(!w->grpOtherFields->isVisibleTo(w.get()));
        QVERIFY(!w->grpKeptContent->isVisibleTo(w.get()));
    }

    void commandsCarryTheValuesIntoTheSavedFile() {
        TWindowFixture f;
        const QString path = Fixture(f);
        const QString other = WriteFile(f.dir.filePath("other.ini"), "[Description]\r\nItem1=IMP\r\n"
                                                                     "[EntryKey]\r\nItem1=imp-key\r\n");
        auto w = f.Window(path);
        w->lbxEntries->setCurrentRow(0);
        Click(w->bbtDown); // QAS, PRD, DEV
        Click(w->bbtCopy); // the copy of PRD is fourth
        w->lbxEntries->setCurrentRow(2);
        f.dialogs.answers = {true};
        Click(w->bbtRemove); // QAS, PRD, PRD
        f.dialogs.openResult = other;
        Click(w->bbtImport);
        f.dialogs.saveResult = path;
        f.dialogs.answers = {true}; // the file repeats [Description]: save anyway
        Click(w->bbtSave);
        QCOMPARE(f.dialogs.questions.size(), 2);
        for (const TProblem &p : w->Problems()) // the second [Description] was not written again
            QVERIFY2(p.Where != "[Description]", qPrintable(ProblemLine(p)));

        const ProfileReader reader(path);
        auto at = [&](const char *section, int item) {
            return reader.ReadString(section, QStringLiteral("Item%1").arg(item), "<missing>");
        };
        const QStringList descriptions{at("Description", 1), at("Description", 2), at("Description", 3),
                                       at("Description", 4)};
        QCOMPARE(descriptions, (QStringList{"QAS Quality", "PRD Production", "PRD Production", "IMP"}));
        QCOMPARE(at("EntryKey", 1), QString("3F2504E0-4F89-11D3-9A0C-0305E82C3302"));
        QCOMPARE(at("EntryKey", 2), QString("3F2504E0-4F89-11D3-9A0C-0305E82C3301"));
        QCOMPARE(at("EntryKey", 3), QString("3F2504E0-4F89-11D3-9A0C-0305E82C3301"));
        QCOMPARE(at("EntryKey", 4), QString("imp-key"));
        QCOMPARE(at("SncNoSSO", 1), QString("<missing>"));
        QCOMPARE(at("SncNoSSO", 2), QString("0"));
        QCOMPARE(at("ShortcutTo", 1), QString("QAS"));
        QCOMPARE(at("ShortcutTo", 4), QString("<missing>"));
        QCOMPARE(reader.ReadString("Options", "Banner", "<missing>"), QString("\"a=b\" = 'c'"));
    }
};

QTEST_MAIN(TestOtherContent)
#include "test_othercontent.moc"
