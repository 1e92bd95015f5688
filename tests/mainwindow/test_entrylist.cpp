// Entry list, SID column, button states, the drop-down rule and the MSLast list.
#include "MainWindowFixture.h"

class TestEntryList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sidColumn_data() {
        QTest::addColumn<QStringList>("descriptions");
        QTest::addColumn<QStringList>("sids");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("bars line up after the longest description")
            << QStringList{"PRD", "Development"} << QStringList{"PRD", "DEV"}
            << QStringList{"PRD         | PRD", "Development | DEV"};
        QTest::newRow("all descriptions empty")
            << QStringList{"", ""} << QStringList{"A", "B"} << QStringList{" | A", " | B"};
        QTest::newRow("empty system name ends with the bar")
            << QStringList{"X", "YY"} << QStringList{"", "Q"} << QStringList{"X  | ", "YY | Q"};
    }
    void sidColumn() {
        QFETCH(QStringList, descriptions);
        QFETCH(QStringList, sids);
        QFETCH(QStringList, rows);
        TWindowFixture f;
        auto w = f.Window();
        for (qsizetype i = 0; i < descriptions.size(); ++i)
            w->FEntries.append(MakeEntry(descriptions[i], sids[i]));
        w->RefreshEntryList();
        QCOMPARE(Rows(w->lbxEntries), descriptions);
        QTest::mouseClick(w->chkSID, Qt::LeftButton, {}, QPoint(5, w->chkSID->height() / 2));
        QVERIFY(w->chkSID->isChecked());
        QCOMPARE(Rows(w->lbxEntries), rows);
        QCOMPARE(w->SelectedRow(), 0);
        // Toggling back shows plain descriptions and selects the first entry again.
        w->lbxEntries->setCurrentRow(1);
        QTest::mouseClick(w->chkSID, Qt::LeftButton, {}, QPoint(5, w->chkSID->height() / 2));
        QCOMPARE(Rows(w->lbxEntries), descriptions);
        QCOMPARE(w->SelectedRow(), 0);
    }

    void buttonStates_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("row");             // -1: no selection
        QTest::addColumn<QList<bool>>("enabled"); // up, down, remove, copy, import, save
        QTest::newRow("first of three") << 3 << 0 << QList<bool>{false, true, true, true, true, true};
        QTest::newRow("middle of three") << 3 << 1 << QList<bool>{true, true, true, true, true, true};
        QTest::newRow("last of three") << 3 << 2 << QList<bool>{true, false, true, true, true, true};
        QTest::newRow("only entry") << 1 << 0 << QList<bool>{false, false, true, true, true, true};
        QTest::newRow("entries, none selected")
            << 3 << -1 << QList<bool>{false, false, false, false, false, true};
    }
    void buttonStates() {
        QFETCH(int, count);
        QFETCH(int, row);
        QFETCH(QList<bool>, enabled);
        TWindowFixture f;
        auto w = f.Window();
        for (int i = 0; i < count; ++i)
            w->FEntries.append(MakeEntry(QString::number(i)));
        w->RefreshEntryList();
        if (row < 0)
            w->lbxEntries->clearSelection();
        else
            w->lbxEntries->setCurrentRow(row);
        w->UpdateButtons();
        const QList<QPushButton *> buttons{w->bbtUp,   w->bbtDown,   w->bbtRemove,
                                           w->bbtCopy, w->bbtImport, w->bbtSave};
        for (qsizetype i = 0; i < buttons.size(); ++i)
            QVERIFY2(buttons[i]->isEnabled() == enabled[i], qPrintable(buttons[i]->objectName()));
        QVERIFY(w->bbtAdd->isEnabled());
    }

    void initialState() {
        TWindowFixture f;
        auto w = f.Window();
        QCOMPARE(w->windowTitle(), QStringLiteral("Editor for SAPLOGON.INI"));
        QCOMPARE(w->PageControl->currentWidget(), w->tshSystems);
        for (auto *b : {w->bbtUp, w->bbtDown, w->bbtRemove, w->bbtCopy, w->bbtSave})
            QVERIFY(!b->isEnabled());
        QVERIFY(w->bbtAdd->isEnabled() && w->bbtImport->isEnabled() && w->chkSID->isEnabled());
        QVERIFY(!w->imgModified->isVisible());
        QVERIFY(!w->findChild<QWidget *>("ProgressBar")->isVisible());
        QCOMPARE(w->Lines().Count(), 0);
        QVERIFY(w->lbxEntries->font().fixedPitch() || QFontInfo(w->lbxEntries->font()).fixedPitch());
        QCOMPARE(w->size(), QSize(1035, 560));
    }

    void clickingARowShowsTheEntry() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        QCOMPARE(Rows(w->lbxEntries), (QStringList{"PRD Production", "Development", "QAS"}));
        w->PageControl->setCurrentWidget(w->tshGlobalSettings);
        const QRect rect = w->lbxEntries->RowRect(2);
        QTest::mouseClick(w->lbxEntries->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(Find<QLineEdit>(*w, "ledtDescription")->text(), QStringLiteral("QAS"));
        QCOMPARE(w->PageControl->currentWidget(), w->tshSystems);
        QVERIFY(!w->bbtDown->isEnabled());
        // Arrow keys move the selection and show the entry on key release.
        QTest::keyClick(w->lbxEntries, Qt::Key_Up);
        QCOMPARE(Find<QLineEdit>(*w, "ledtDescription")->text(), QStringLiteral("Development"));
        QVERIFY(w->bbtDown->isEnabled());
    }

    void dropDownRule_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("shown"); // empty: no selection
        QTest::newRow("exact item") << 0 << "cbxOrigin"
                                    << "MS_SEL_GROUPS";
        QTest::newRow("letter case ignored") << 1 << "cbxOrigin"
                                             << "MS_SEL_SERVER";
        QTest::newRow("no such item") << 2 << "cbxOrigin"
                                      << "";
        QTest::newRow("05 is not 5") << 1 << "cbxCodePageIndex"
                                     << "";
        QTest::newRow("index 12") << 2 << "cbxCodePageIndex"
                                  << "12";
        QTest::newRow("empty value") << 0 << "cbxRouterChoice"
                                     << "";
    }
    void dropDownRule() {
        QFETCH(int, row);
        QFETCH(QString, control);
        QFETCH(QString, shown);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        w->lbxEntries->setCurrentRow(row);
        w->lbxEntriesClick();
        auto *combo = Find<QComboBox>(*w, qPrintable(control));
        QCOMPARE(combo->currentIndex() >= 0 ? combo->currentText() : QString(), shown);
    }

    void globalSettingsShown() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        QCOMPARE(Find<QLineEdit>(*w, "ledtSessManNewKey")->text(), QStringLiteral("8"));
        QCOMPARE(Find<QLineEdit>(*w, "ledtMessageServerTimeout")->text(), QStringLiteral("10"));
        QVERIFY(Find<QCheckBox>(*w, "chkWithWizard")->isChecked());
        QVERIFY(!Find<QCheckBox>(*w, "chkConfirmDelete")->isChecked());
        QVERIFY(Find<QCheckBox>(*w, "chkSapguiTraceActivated")->isChecked());
        QCOMPARE(w->cbxSapguiTraceLevel->currentText(), QStringLiteral("2"));
        QCOMPARE(w->cbxMSLast->currentText(), QStringLiteral("DEV"));
        QCOMPARE(Find<QLineEdit>(*w, "ledtNormX")->text(), QStringLiteral("120"));
        QCOMPARE(Lines(*w).first(), QStringLiteral("[Configuration]"));
        QCOMPARE(w->Lines().Count(), 17 + 19 * (3 + 2));
    }

    void msLastFollowsTheSystemNames() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        QCOMPARE(w->cbxMSLast->count(), 3);
        w->RefreshEntryList();
        QCOMPARE(w->cbxMSLast->currentText(), QStringLiteral("DEV"));
        // Renaming the last DEV leaves no selection; the model keeps its MSLast.
        w->lbxEntries->setCurrentRow(1);
        w->lbxEntriesClick();
        TypeInto(*w, "ledtMSSysName", "DV2");
        QCOMPARE(w->cbxMSLast->currentIndex(), -1);
        QCOMPARE(w->cbxMSLast->itemText(1), QStringLiteral("DV2"));
        QCOMPARE(w->FGlobal.MSLast.MSLast, QStringLiteral("DEV"));
    }
};

QTEST_MAIN(TestEntryList)
#include "test_entrylist.moc"
