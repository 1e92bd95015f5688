// Field help beside the focused field, and its highlight.
#include "MainWindowFixture.h"

#include "mainwindow/HelpTopics.h"

class TestFieldHelp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyFieldHasItsTitle_data() {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("title");
        const QStringList titles{"Description",
                                 "Origin",
                                 "Server",
                                 "System",
                                 "Database",
                                 "Address",
                                 "MSSysName",
                                 "MSSrvName",
                                 "Router",
                                 "RouterChoice",
                                 "Router2",
                                 "Codepage",
                                 "CodepageIndex",
                                 "EncodingID",
                                 "SncName",
                                 "SncChoice",
                                 "LowSpeedConnection",
                                 "SessManKey",
                                 "MSSrvPort",
                                 "SessManNewKey",
                                 "MessageServerTimeout",
                                 "WithWizard",
                                 "ConfirmDelete",
                                 "NoEditFunctionality",
                                 "SapguiHexdumpActivated",
                                 "SapguiTraceActivated",
                                 "SapguiTraceLevel",
                                 "SapguiNTCmdOpts",
                                 "MSLast",
                                 "NormX",
                                 "NormY"};
        for (int tag = 1; tag <= 31; ++tag)
            QTest::newRow(qPrintable(titles[tag - 1])) << tag << titles[tag - 1];
    }
    void everyFieldHasItsTitle() {
        QFETCH(int, tag);
        QFETCH(QString, title);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        QWidget *control = w->FieldControl(tag);
        QCOMPARE(control->property("tag").toInt(), tag);
        QVERIFY(!control->accessibleName().isEmpty());
        if (tag >= 20)
            w->PageControl->setCurrentWidget(w->tshGlobalSettings);
        control->setFocus(Qt::TabFocusReason);
        QCOMPARE(w->pnlField->text(), title);
        const QString text = w->memHelp->toPlainText();
        QVERIFY(!text.isEmpty());
        // Lines are separated by one empty line; only the Description topic has none after its last.
        QCOMPARE(text.endsWith(u'\n'), tag != 1);
        QVERIFY(!text.contains(QLatin1String("\n\n\n")));
        const bool highlighted = qobject_cast<QCheckBox *>(control) == nullptr;
        QCOMPARE(control->palette().color(QPalette::Base) == QColor(255, 255, 200), highlighted);
        w->lbxEntries->setFocus(Qt::MouseFocusReason);
        QCOMPARE(control->palette().color(QPalette::Base) == QColor(255, 255, 200), false);
        QCOMPARE(w->pnlField->text(), title); // the list is no field: the help stays
    }

    void exactLegends() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        Find<QComboBox>(*w, "cbxSncChoice")->setFocus(Qt::TabFocusReason);
        QCOMPARE(w->memHelp->toPlainText(),
                 QStringLiteral("The required SNC level:\n\n-1 = SNC not possible\n\n"
                                " 0  = SNC possible but not activated\n\n"
                                " 1  = SNC authentication\n\n 2  = SNC integrity\n\n"
                                " 3  = SNC encryption\n\n 9  = SNC max. availability\n"));
        const THelpTopic *address = HelpTopic(6);
        QCOMPARE(address->Lines.size(), 7);
        QCOMPARE(address->Lines[4], QStringLiteral("after:    Item12="));
        QCOMPARE(address->Lines[5], QStringLiteral("before:   Item12=10.10.10.10"));
        QCOMPARE(HelpTopic(5)->Lines.size(), 5);
        QCOMPARE(HelpTopic(1)->Lines.size(), 3);
        QCOMPARE(HelpTopic(0), nullptr);
        QCOMPARE(HelpTopic(32), nullptr);
    }

    void renumberButtonEmptiesTheTextOnly() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        auto *key = Find<QLineEdit>(*w, "ledtSessManKey");
        key->setFocus(Qt::TabFocusReason);
        QTest::keyClick(key, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->bbtSessManKeyAuto);
        QCOMPARE(w->pnlField->text(), QStringLiteral("SessManKey"));
        QVERIFY(w->memHelp->toPlainText().isEmpty());
        QTest::keyClick(w->bbtSessManKeyAuto, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->FieldControl(19));
        QCOMPARE(w->pnlField->text(), QStringLiteral("MSSrvPort"));
    }

    void originHighlightEndsWithoutEntries() {
        TWindowFixture f;
        auto w = f.Window();
        auto *origin = Find<QComboBox>(*w, "cbxOrigin");
        origin->setFocus(Qt::TabFocusReason);
        QCOMPARE(origin->palette().color(QPalette::Base), QColor(255, 255, 200));
        w->lbxEntries->setFocus(Qt::MouseFocusReason);
        QCOMPARE(origin->palette().color(QPalette::Base), w->lbxEntries->palette().color(QPalette::Base));
    }

    void tabOrderFollowsTheFields() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        QWidget *current = w->FieldControl(1);
        current->setFocus(Qt::TabFocusReason);
        for (int tag = 2; tag <= 19; ++tag) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (tag == 19)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // past the renumber button
            QCOMPARE(QApplication::focusWidget(), w->FieldControl(tag));
        }
    }
};

QTEST_MAIN(TestFieldHelp)
#include "test_fieldhelp.moc"
