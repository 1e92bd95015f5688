// Committing field edits when a field loses the focus.
#include "MainWindowFixture.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

class TestFieldCommit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textFields_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("field"); // 0-based record index
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("modified");
        QTest::newRow("new server") << "ledtServer"
                                    << "newhost" << 2 << "newhost" << true;
        QTest::newRow("trailing blank only") << "ledtServer"
                                             << "PUBLIC " << 2 << "PUBLIC" << false;
        QTest::newRow("blanks around a new key") << "ledtSessManKey"
                                                 << "  9 " << 17 << "9" << true;
        QTest::newRow("letter case is a change") << "ledtDescription"
                                                 << "prd production" << 0 << "prd production" << true;
        QTest::newRow("emptied router stays empty") << "ledtRouter"
                                                    << "" << 8 << "" << false;
    }
    void textFields() {
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(int, field);
        QFETCH(QString, stored);
        QFETCH(bool, modified);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        TypeInto(*w, qPrintable(control), typed);
        QCOMPARE(w->FEntries[0].field(field), stored);
        QCOMPARE(w->FModified, modified);
        QCOMPARE(w->imgModified->isVisible(), modified);
        QVERIFY(Lines(*w).contains(QStringLiteral("Item1=") + stored));
        QCOMPARE(w->Lines().Count(), 17 + 19 * 5);
        if (field == 0)
            QCOMPARE(w->lbxEntries->Rows().Text(0), stored);
    }

    void leavingWithoutTypingRegeneratesOnly() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        w->Lines().Put(0, QStringLiteral("typed by hand"));
        EnterAndLeave(*w, Find<QLineEdit>(*w, "ledtServer"));
        QCOMPARE(w->Lines().Get(0), QStringLiteral("[Configuration]"));
        QVERIFY(!w->FModified);
    }

    void descriptionKeepsTheSelectedRow() {
        TWindowFixture f;
        auto w = f.Window();
        for (const char *d : {"a", "b", "c", "d", "e"})
            w->FEntries.append(MakeEntry(QLatin1String(d)));
        w->RefreshEntryList();
        w->lbxEntries->setCurrentRow(2);
        w->lbxEntriesClick();
        TypeInto(*w, "ledtDescription", "CCC");
        QCOMPARE(w->SelectedRow(), 2);
        QCOMPARE(w->lbxEntries->Rows().Text(2), QStringLiteral("CCC"));
        QVERIFY(w->bbtUp->isEnabled() && w->bbtDown->isEnabled());
    }

    void systemNameRefreshesTheListOnlyInSidMode() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        TypeInto(*w, "ledtMSSysName", "PR1");
        QCOMPARE(w->lbxEntries->Rows().Text(0), QStringLiteral("PRD Production"));
        QCOMPARE(w->cbxMSLast->itemText(0), QStringLiteral("PR1"));
        QTest::mouseClick(w->chkSID, Qt::LeftButton, {}, QPoint(5, w->chkSID->height() / 2));
        w->lbxEntries->setCurrentRow(1);
        w->lbxEntriesClick();
        TypeInto(*w, "ledtMSSysName", "DE2");
        QCOMPARE(w->lbxEntries->Rows().Text(1), QStringLiteral("Development    | DE2"));
        QCOMPARE(w->SelectedRow(), 1);
    }

    void integerFields_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error"); // empty: accepted
        QTest::addColumn<int>("value");
        QTest::newRow("leading zeros") << "ledtSessManNewKey"
                                       << "0012"
                                       << "" << 12;
        QTest::newRow("hexadecimal") << "ledtSessManNewKey"
                                     << "$1A"
                                     << "" << 26;
        QTest::newRow("same value") << "ledtSessManNewKey"
                                    << "8"
                                    << "" << 8;
        QTest::newRow("negative") << "ledtMessageServerTimeout"
                                  << "-5"
                                  << "" << -5;
        QTest::newRow("empty NormX") << "ledtNormX"
                                     << ""
                                     << "'' n'est pas une valeur entière correcte." << 120;
        QTest::newRow("trailing letters") << "ledtNormY"
                                          << "12abc"
                                          << "'12abc' n'est pas une valeur entière correcte." << 80;
        QTest::newRow("beyond 32 bits") << "ledtMessageServerTimeout"
                                        << "2147483648"
                                        << "'2147483648' n'est pas une valeur entière correcte." << 10;
    }
    void integerFields() {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QString, error);
        QFETCH(int, value);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        w->PageControl->setCurrentWidget(w->tshGlobalSettings);
        auto *edit = Find<QLineEdit>(*w, qPrintable(control));
        w->Lines().Put(0, QStringLiteral("typed by hand"));
        edit->setFocus(Qt::TabFocusReason);
        edit->setText(text); // pasted text is not filtered like typed keys
        w->lbxEntries->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        const tyGlobal &g = w->FGlobal;
        const qint32 stored = control == "ledtSessManNewKey"          ? g.Configuration.SessManNewKey
                              : control == "ledtMessageServerTimeout" ? g.Configuration.MessageServerTimeout
                              : control == "ledtNormX"                ? g.MSWinPos.NormX
                                                                      : g.MSWinPos.NormY;
        QCOMPARE(stored, value);
        if (error.isEmpty()) {
            QVERIFY(f.dialogs.messages.isEmpty());
            QCOMPARE(w->Lines().Get(0), QStringLiteral("[Configuration]"));
        } else {
            QCOMPARE(f.dialogs.messages, QStringList{error});
            QCOMPARE(f.dialogs.captions, QStringList{QStringLiteral("Editor for SAPLOGON.INI")});
            QVERIFY(!w->FModified);
            QCOMPARE(edit->text(), text);
            QCOMPARE(w->Lines().Get(0), QStringLiteral("typed by hand")); // the commit ended at the error
            QTRY_COMPARE(QApplication::focusWidget(), edit);              // back to the value to correct
        }
    }

    void integerParse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("leading blanks") << "  12" << true << 12;
        QTest::newRow("plus sign") << "+7" << true << 7;
        QTest::newRow("0x with minus") << "-0x10" << true << -16;
        QTest::newRow("x prefix") << "x1f" << true << 31;
        QTest::newRow("top half of hex is negative") << "$FFFFFFFF" << true << -1;
        QTest::newRow("nine hex digits") << "$123456789" << false << 0;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("one too many") << "2147483648" << false << 0;
        QTest::newRow("trailing blank") << "12 " << false << 0;
        QTest::newRow("prefix alone") << "0x" << false << 0;
        QTest::newRow("sign alone") << "-" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
    }
    void integerParse() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        qint32 parsed = 0;
        QCOMPARE(TryStrToInt(text, parsed), ok);
        if (ok)
            QCOMPARE(parsed, value);
    }

    void checkBoxes() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        w->PageControl->setCurrentWidget(w->tshGlobalSettings);
        auto *check = Find<QCheckBox>(*w, "chkConfirmDelete");
        check->setFocus(Qt::TabFocusReason);
        QTest::keyClick(check, Qt::Key_Space);
        QTest::keyClick(check, Qt::Key_Space);
        w->lbxEntries->setFocus(Qt::MouseFocusReason);
        QVERIFY(!w->FModified);
        check->setFocus(Qt::TabFocusReason);
        QTest::keyClick(check, Qt::Key_Space);
        w->lbxEntries->setFocus(Qt::MouseFocusReason);
        QVERIFY(w->FModified);
        QVERIFY(w->FGlobal.Configuration.ConfirmDelete);
        QVERIFY(Lines(*w).contains(QStringLiteral("ConfirmDelete=1")));
    }

    void withoutEntriesNothingIsCommitted() {
        TWindowFixture f;
        auto w = f.Window();
        w->PageControl->setCurrentWidget(w->tshGlobalSettings);
        auto *check = Find<QCheckBox>(*w, "chkWithWizard");
        check->setFocus(Qt::TabFocusReason);
        QTest::keyClick(check, Qt::Key_Space);
        w->bbtAdd->setFocus(Qt::MouseFocusReason);
        QVERIFY(!w->FGlobal.Configuration.WithWizard);
        QVERIFY(!w->FModified);
        QCOMPARE(w->Lines().Count(), 0);
    }

    void unmatchedDropDownKeepsItsValue() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        w->lbxEntries->setCurrentRow(2);
        w->lbxEntriesClick();
        auto *origin = Find<QComboBox>(*w, "cbxOrigin");
        QCOMPARE(origin->currentIndex(), -1);
        EnterAndLeave(*w, origin);
        QCOMPARE(w->FEntries[2].Origin, QStringLiteral("MS_SEL_SERVER_SNC"));
        QVERIFY(!w->FModified);
        // Choosing an item does commit it.
        origin->setFocus(Qt::TabFocusReason);
        origin->setCurrentIndex(2);
        w->lbxEntries->setFocus(Qt::MouseFocusReason);
        QCOMPARE(w->FEntries[2].Origin, QStringLiteral("USEREDIT"));
        QVERIFY(w->FModified);
        // A case-only match shows the item and leaving it stores the item's spelling.
        w->lbxEntries->setCurrentRow(1);
        w->lbxEntriesClick();
        EnterAndLeave(*w, origin);
        QCOMPARE(w->FEntries[1].Origin, QStringLiteral("MS_SEL_SERVER"));
    }

    void wheelOverAnUnfocusedDropDownChangesNothing() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        auto *system = Find<QComboBox>(*w, "cbxSystem");
        const int index = system->currentIndex();
        const QPoint centre = system->rect().center();
        QWheelEvent wheel(centre, system->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(system, &wheel);
        QCOMPARE(system->currentIndex(), index);
        QVERIFY(w->scrDetails->verticalScrollBar()->value() > 0); // the page scrolled instead
    }

    void typingLimits_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const QString sixty(60, u'x');
        QTest::newRow("letters in a number") << "ledtNormX"
                                             << "1a2-3"
                                             << "123";
        QTest::newRow("digits in a number") << "ledtMessageServerTimeout"
                                            << "0042"
                                            << "0042";
        QTest::newRow("description stops at 50") << "ledtDescription" << sixty << sixty.left(50);
        QTest::newRow("command options stop at 50") << "ledtSapguiNTCmdOpts" << sixty << sixty.left(50);
        QTest::newRow("server has no limit") << "ledtServer" << sixty << sixty;
    }
    void typingLimits() {
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        auto *edit = Find<QLineEdit>(*w, qPrintable(control));
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), shown);
    }

    void longStoredTextSurvivesTheLimit() {
        TWindowFixture f;
        auto w = f.Window();
        const QString longText(70, u'd');
        w->FEntries.append(MakeEntry(longText));
        w->RefreshEntryList();
        auto *edit = Find<QLineEdit>(*w, "ledtDescription");
        QCOMPARE(edit->text(), longText);
        EnterAndLeave(*w, edit);
        QCOMPARE(w->FEntries[0].Description, longText);
        QVERIFY(!w->FModified);
    }
};

QTEST_MAIN(TestFieldCommit)
#include "test_fieldcommit.moc"
