// The window from the keyboard: shortcuts, mnemonics and the Tab order.
#include "MainWindowFixture.h"

#include "editor/CodeMemo.h"
#include "mainwindow/WindowTheme.h"

#include <QDialog>
#include <QDir>
#include <QScrollArea>
#include <QTimer>

namespace {

// What a command visibly did: the dialogs it opened and how the window changed.
class TWatch {
public:
    TWatch(TWindowFixture &f, TfrmMain &w)
        : F(f), W(w), Entries(w.FEntries.size()), Row(w.SelectedRow()), Page(w.PageControl->currentIndex()) {
        w.showAbout = [this](QWidget *) { About = true; };
    }
    QString Effects() const {
        QStringList seen;
        for (const QString &question : F.dialogs.questions)
            seen << QStringLiteral("asks ") + question.section(u'\n', 0, 0);
        for (const QString &message : F.dialogs.messages)
            seen << QStringLiteral("says ") + message;
        if (F.dialogs.openCount)
            seen << QStringLiteral("open dialog");
        if (F.dialogs.saveCount)
            seen << QStringLiteral("save dialog");
        if (About)
            seen << QStringLiteral("about");
        if (W.FEntries.size() != Entries)
            seen << QStringLiteral("%1 entries").arg(W.FEntries.size());
        if (W.SelectedRow() != Row)
            seen << QStringLiteral("row %1").arg(W.SelectedRow());
        if (W.PageControl->currentIndex() != Page)
            seen << QStringLiteral("page ") + W.PageControl->currentWidget()->objectName();
        if (!W.isVisible())
            seen << QStringLiteral("closed");
        return seen.join(QStringLiteral("; "));
    }

private:
    TWindowFixture &F;
    TfrmMain &W;
    qsizetype Entries;
    int Row, Page;
    bool About = false;
};

// As a keyboard does it: the release goes to where the press put the focus.
void Press(const QString &keys) {
    const QKeyCombination key = QKeySequence(keys)[0];
    QTest::keyPress(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    QApplication::processEvents();
    if (QWidget *focus = QApplication::focusWidget())
        QTest::keyRelease(focus, key.key(), key.keyboardModifiers());
    QApplication::processEvents();
}

// The second entry selected, so that both Move buttons work, and the focus on a control.
std::unique_ptr<TfrmMain> Prepared(TWindowFixture &f, const QString &focus) {
    auto w = f.Window(f.Copy("three.ini"));
    w->lbxEntries->setCurrentRow(1);
    w->lbxEntriesClick();
    Find<QWidget>(*w, qPrintable(focus))->setFocus(Qt::TabFocusReason);
    return w;
}

bool Highlighted(QWidget *field) {
    return field->palette().color(QPalette::Base) == FieldHighlightColour(field->parentWidget()->palette());
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        // Find looks in an empty Windows folder and finds nothing.
        qputenv("WINDIR", QDir::tempPath().toLocal8Bit() + "/no-windows-folder");
        qunsetenv("SAPLOGON_INI_FILE");
    }
    void cleanup() { qunsetenv("WINDIR"); }

    // Each shortcut does what a click on its button does, dialogs included; its tooltip shows it.
    void shortcutsDoWhatTheirButtonsDo_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("effects");
        QTest::newRow("Open") << "Ctrl+O"
                              << "lbxEntries"
                              << "bbtOpen" << false << "open dialog";
        QTest::newRow("Find") << "Ctrl+Shift+O"
                              << "lbxEntries"
                              << "bbtFind" << false << "says File SAPLOGON.INI not found";
        QTest::newRow("About from a field") << "F1"
                                            << "ledtServer"
                                            << "bbtAbout" << false << "about";
        QTest::newRow("Save") << "Ctrl+S"
                              << "lbxEntries"
                              << "bbtSave" << false << "save dialog";
        QTest::newRow("Quit") << "Ctrl+Q"
                              << "lbxEntries"
                              << "bbtExit" << false << "closed";
        QTest::newRow("Quit asks over changes")
            << "Ctrl+Q"
            << "lbxEntries"
            << "bbtExit" << true << "asks The original file has been modified.";
        QTest::newRow("Add") << "Ctrl+N"
                             << "lbxEntries"
                             << "bbtAdd" << false << "asks Add a new entry ?";
        QTest::newRow("Add with Insert in the list") << "Ins"
                                                     << "lbxEntries"
                                                     << "bbtAdd" << false << "asks Add a new entry ?";
        QTest::newRow("Remove with Delete in the list")
            << "Del"
            << "lbxEntries"
            << "bbtRemove" << false << "asks Remove the selected entry ?";
        QTest::newRow("Copy from a field") << "Ctrl+D"
                                           << "ledtServer"
                                           << "bbtCopy" << false << "4 entries; row 3";
        QTest::newRow("Import") << "Ctrl+I"
                                << "lbxEntries"
                                << "bbtImport" << false << "open dialog";
        QTest::newRow("Move up") << "Alt+Up"
                                 << "lbxEntries"
                                 << "bbtUp" << false << "row 0";
        QTest::newRow("Move down from a field") << "Alt+Down"
                                                << "ledtServer"
                                                << "bbtDown" << false << "row 2";
    }
    void shortcutsDoWhatTheirButtonsDo() {
        QFETCH(QString, keys);
        QFETCH(QString, focus);
        QFETCH(QString, button);
        QFETCH(bool, modified);
        QFETCH(QString, effects);
        QString done[2];
        for (const bool byKey : {true, false}) {
            TWindowFixture f;
            auto w = Prepared(f, focus);
            w->FModified = modified;
            TWatch watch(f, *w);
            auto *target = Find<QPushButton>(*w, qPrintable(button));
            if (byKey)
                Press(keys);
            else
                QTest::mouseClick(target, Qt::LeftButton);
            done[byKey] = watch.Effects();
            QVERIFY2(target->toolTip().contains(keys), qPrintable(target->toolTip()));
        }
        QCOMPARE(done[true], effects);
        QCOMPARE(done[false], effects);
    }

    void pagesByNumber_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("focus");
        QTest::newRow("Global settings") << "Ctrl+2"
                                         << "tshGlobalSettings"
                                         << "ledtSessManNewKey";
        QTest::newRow("File content") << "Ctrl+3"
                                      << "tshFileContent"
                                      << "CodeMemo";
        QTest::newRow("Systems, from a field elsewhere") << "Ctrl+1"
                                                         << "tshSystems"
                                                         << "ledtDescription";
        QTest::newRow("the next page, from a drop-down") << "Ctrl+PgDown"
                                                         << "tshGlobalSettings"
                                                         << "ledtSessManNewKey";
        QTest::newRow("the page before, from the list, round") << "Ctrl+PgUp"
                                                               << "tshFileContent"
                                                               << "CodeMemo";
    }
    void pagesByNumber() {
        QFETCH(QString, keys);
        QFETCH(QString, page);
        QFETCH(QString, focus);
        TWindowFixture f;
        auto w = Prepared(f, keys == "Ctrl+PgDown" ? "cbxOrigin" : "lbxEntries");
        if (keys == "Ctrl+1") {
            w->PageControl->setCurrentWidget(w->tshGlobalSettings);
            w->FieldControl(fnNormX)->setFocus(Qt::TabFocusReason);
        }
        Press(keys);
        QCOMPARE(w->PageControl->currentWidget()->objectName(), page);
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    }

    // A shortcut does not move the focus, so it commits the field being edited itself.
    void shortcutsCommitTheFieldFirst() {
        TWindowFixture f;
        const QString path = f.Copy("three.ini");
        auto w = f.Window(path);
        auto *server = Find<QLineEdit>(*w, "ledtServer");
        server->setFocus(Qt::TabFocusReason);
        server->selectAll();
        QTest::keyClicks(server, "edited");
        f.dialogs.saveResult = path;
        Press("Ctrl+S");
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains("\r\n[Server]\r\nItem1=edited\r\n"));
        // The field keeps the focus, its highlight and its help.
        QCOMPARE(QApplication::focusWidget(), server);
        QVERIFY(Highlighted(server));
        QCOMPARE(w->pnlField->text(), QStringLiteral("Server"));

        auto *description = Find<QLineEdit>(*w, "ledtDescription");
        description->setFocus(Qt::TabFocusReason);
        description->selectAll();
        QTest::keyClicks(description, "Zed");
        Press("Alt+Down");
        QCOMPARE(w->SelectedRow(), 1);
        QCOMPARE(w->FEntries[1].Description, QStringLiteral("Zed"));
        QCOMPARE(Rows(w->lbxEntries).at(1), QStringLiteral("Zed"));
    }

    void rejectedNumberStopsTheShortcut_data() {
        QTest::addColumn<QString>("keys");
        QTest::newRow("Save") << "Ctrl+S";
        QTest::newRow("Move down") << "Alt+Down";
        QTest::newRow("Systems page") << "Ctrl+1";
        QTest::newRow("Quit") << "Ctrl+Q";
        QTest::newRow("About") << "F1";
    }
    void rejectedNumberStopsTheShortcut() {
        QFETCH(QString, keys);
        TWindowFixture f;
        auto w = Prepared(f, "lbxEntries");
        w->FModified = true; // Quit would ask
        w->PageControl->setCurrentWidget(w->tshGlobalSettings);
        auto *normX = qobject_cast<QLineEdit *>(w->FieldControl(fnNormX));
        normX->setFocus(Qt::TabFocusReason);
        normX->clear();
        TWatch watch(f, *w);
        Press(keys);
        QCOMPARE(watch.Effects(), QStringLiteral("says '' n'est pas une valeur entière correcte."));
        QCOMPARE(QApplication::focusWidget(), normX);
        QVERIFY(Highlighted(normX));
        QCOMPARE(w->FGlobal.MSWinPos.NormX, 120);
    }

    void nothingWhileADialogIsOpen() {
        TWindowFixture f;
        auto w = Prepared(f, "lbxEntries");
        TWatch watch(f, *w);
        QDialog dialog(w.get());
        QTimer::singleShot(0, &dialog, [&] {
            for (const char *keys : {"Ctrl+S", "Ctrl+O", "Ctrl+N", "Alt+Down", "Ctrl+2", "F1", "Ctrl+Q"})
                QTest::keySequence(w.get(), QKeySequence(QLatin1String(keys)));
            dialog.reject();
        });
        dialog.exec();
        QCOMPARE(watch.Effects(), QString());
    }

    // On the File content page the text view keeps its editing keys; the others still reach the window.
    void theTextViewKeepsItsKeys_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("view"); // caret, then "overwrite" when it is on, then the caret line
        QTest::addColumn<QString>("effects");
        QTest::newRow("Ctrl+PgUp goes to the text's start") << "Ctrl+PgUp"
                                                            << "0,0 [Configuration]"
                                                            << "";
        QTest::newRow("Alt+Up moves the caret") << "Alt+Up"
                                                << "3,11 [MSLast]"
                                                << "";
        QTest::newRow("Delete deletes a character") << "Del"
                                                    << "3,12 MSLst=DEV"
                                                    << "";
        QTest::newRow("Insert switches to overwrite") << "Ins"
                                                      << "3,12 overwrite MSLast=DEV"
                                                      << "";
        QTest::newRow("Ctrl+S saves") << "Ctrl+S"
                                      << "3,12 MSLast=DEV"
                                      << "save dialog";
        QTest::newRow("F1 shows About") << "F1"
                                        << "3,12 MSLast=DEV"
                                        << "about";
    }
    void theTextViewKeepsItsKeys() {
        QFETCH(QString, keys);
        QFETCH(QString, view);
        QFETCH(QString, effects);
        TWindowFixture f;
        auto w = Prepared(f, "lbxEntries");
        Press("Ctrl+3");
        auto *memo = Find<TCodeMemo>(*w, "CodeMemo");
        QCOMPARE(QApplication::focusWidget(), memo);
        memo->SetCurY(12); // "MSLast=DEV"
        memo->SetCurX(3);
        memo->ClearSelection();
        TWatch watch(f, *w);
        Press(keys);
        const QString state = QStringLiteral("%1,%2 ").arg(memo->CurX()).arg(memo->CurY()) +
                              (memo->FOverwrite ? QStringLiteral("overwrite ") : QString()) +
                              memo->Lines().Get(memo->CurY());
        QCOMPARE(state, view);
        QCOMPARE(watch.Effects(), effects);
    }

    // Alt+Up and Alt+Down open a focused drop-down's list instead of moving the entry, and choose
    // nothing.
    void dropDownsKeepTheirAltArrows_data() {
        QTest::addColumn<QString>("keys");
        QTest::newRow("Alt+Down") << "Alt+Down";
        QTest::newRow("Alt+Up") << "Alt+Up";
    }
    void dropDownsKeepTheirAltArrows() {
        QFETCH(QString, keys);
        TWindowFixture f;
        auto w = Prepared(f, "cbxOrigin");
        TWatch watch(f, *w);
        auto *origin = Find<QComboBox>(*w, "cbxOrigin");
        const QString shown = origin->currentText();
        Press(keys);
        QTRY_VERIFY(origin->view()->isVisible());
        origin->hidePopup();
        QCOMPARE(origin->currentText(), shown);
        QCOMPARE(watch.Effects(), QString());
    }

    // Each page: every field has its Alt+letter, no letter serves twice among what is shown, and
    // each letter takes the focus to its field.
    void mnemonicsReachEveryField_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("firstTag");
        QTest::addColumn<int>("lastTag");
        QTest::newRow("Systems") << 0 << 1 << 19;
        QTest::newRow("Global settings") << 1 << 20 << 31;
    }
    void mnemonicsReachEveryField() {
        QFETCH(int, page);
        QFETCH(int, firstTag);
        QFETCH(int, lastTag);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        w->PageControl->setCurrentIndex(page);
        QMap<QString, QWidget *> reaches;
        auto take = [&](const QString &caption, QWidget *target) {
            const QString key = QKeySequence::mnemonic(caption).toString();
            if (key.isEmpty())
                return;
            QVERIFY2(!reaches.contains(key), qPrintable(key + QStringLiteral(" twice: ") + caption));
            reaches[key] = target;
        };
        for (QLabel *label : w->findChildren<QLabel *>())
            if (label->isVisible() && label->buddy())
                take(label->text(), label->buddy());
        for (QAbstractButton *button : w->findChildren<QAbstractButton *>())
            if (button->isVisible())
                take(button->text(), button);
        for (int tag = firstTag; tag <= lastTag; ++tag)
            QVERIFY2(reaches.values().contains(w->FieldControl(tag)), qPrintable(QString::number(tag)));
        for (auto it = reaches.cbegin(); it != reaches.cend(); ++it) {
            w->lbxEntries->setFocus(Qt::TabFocusReason);
            Press(it.key());
            QCOMPARE(QApplication::focusWidget(), it.value());
        }
    }

    // From the path through the top bar, the list and its buttons, the pages' tabs, the fields in
    // reading order and the help text, without a stop that shows nothing.
    void tabOrder_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("order");
        const QStringList head{"bbtOpen",   "bbtFind",    "bbtAbout",  "bbtSave", "bbtExit",
                               "edtFilter", "lbxEntries", "bbtUp",     "bbtDown", "bbtAdd",
                               "bbtRemove", "bbtCopy",    "bbtImport", "chkSID",  "qt_tabwidget_tabbar"};
        QTest::newRow("Systems") << 0
                                 << head + QStringList{"ledtDescription",
                                                       "cbxOrigin",
                                                       "ledtServer",
                                                       "cbxSystem",
                                                       "ledtDatabase",
                                                       "ledtAddress",
                                                       "ledtMSSysName",
                                                       "ledtMSSrvName",
                                                       "ledtRouter",
                                                       "cbxRouterChoice",
                                                       "ledtRouter2",
                                                       "ledtCodePage",
                                                       "cbxCodePageIndex",
                                                       "ledtEncodingID",
                                                       "ledtSncName",
                                                       "cbxSncChoice",
                                                       "cbxLowSpeedConnection",
                                                       "ledtSessManKey",
                                                       "bbtSessManKeyAuto",
                                                       "ledtMSSrvPort",
                                                       "memHelp",
                                                       "edtSapLogon"};
        QTest::newRow("Global settings") << 1
                                         << head + QStringList{"ledtSessManNewKey",
                                                               "ledtMessageServerTimeout",
                                                               "chkWithWizard",
                                                               "chkConfirmDelete",
                                                               "chkNoEditFunctionality",
                                                               "chkSapguiHexdumpActivated",
                                                               "chkSapguiTraceActivated",
                                                               "cbxSapguiTraceLevel",
                                                               "ledtSapguiNTCmdOpts",
                                                               "cbxMSLast",
                                                               "ledtNormX",
                                                               "ledtNormY",
                                                               "memHelp",
                                                               "edtSapLogon"};
        // Tab is an editing key in the text view: the order ends there.
        QTest::newRow("File content") << 2 << head + QStringList{"CodeMemo"};
    }
    void tabOrder() {
        QFETCH(int, page);
        QFETCH(QStringList, order);
        TWindowFixture f;
        auto w = Prepared(f, "edtSapLogon");
        w->PageControl->setCurrentIndex(page);
        w->edtSapLogon->setFocus(Qt::TabFocusReason);
        QStringList visited;
        while (visited.size() < order.size()) {
            Press("Tab");
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, order);
        w->edtSapLogon->setFocus(Qt::TabFocusReason);
        Press("Shift+Tab");
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("memHelp"));
    }

    void everyPictureButtonSaysWhatItDoes() {
        TWindowFixture f;
        auto w = f.Window();
        for (QPushButton *button : w->findChildren<QPushButton *>())
            if (button->text().isEmpty())
                QVERIFY2(!button->toolTip().isEmpty(), qPrintable(button->objectName()));
        QCOMPARE(w->bbtSessManKeyAuto->toolTip(), QStringLiteral("Renumber the SessManKey of all entries"));
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
