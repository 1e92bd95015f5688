// Start-up, Open, Find and Save with backup.
#include "MainWindowFixture.h"
#include "common/TestFiles.h"

#include "common/NonRegularFiles.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <sys/fsuid.h>
#include <unistd.h>

namespace {
QByteArray ReadAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestOpenFindSave : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        qunsetenv("WINDIR");
        qunsetenv("SAPLOGON_INI_FILE");
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments"); // "@" stands for the fixture copy
        QTest::addColumn<bool>("loaded");
        QTest::newRow("none") << QStringList{} << false;
        QTest::newRow("existing file") << QStringList{"@"} << true;
        QTest::newRow("second argument ignored") << QStringList{"@", "/no/such/file"} << true;
        QTest::newRow("missing file dropped silently") << QStringList{"/no/such/saplogon.ini"} << false;
        QTest::newRow("folder dropped silently") << QStringList{"/tmp"} << false;
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, loaded);
        TWindowFixture f;
        const QString path = f.Copy("three.ini");
        arguments.replaceInStrings(QStringLiteral("@"), path);
        TfrmMain w;
        QStringList calls;
        w.sendUsageHit = [&] { calls << (w.FEntries.isEmpty() ? "hit before load" : "hit after load"); };
        w.SetCommandLine(arguments);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(calls, QStringList{"hit before load"});
        QCOMPARE(w.FSapLogon, loaded ? path : QString());
        QCOMPARE(w.edtSapLogon->text(), loaded ? path : QString());
        QCOMPARE(w.FEntries.size(), loaded ? 3 : 0);
        QCOMPARE(w.lbxEntries->count(), loaded ? 3 : 0);
        QCOMPARE(w.windowTitle(), loaded ? QStringLiteral("three.ini[*] \u2014 Editor for SAPLOGON.INI")
                                         : QStringLiteral("Editor for SAPLOGON.INI"));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void openConfirmed() {
        TWindowFixture f;
        const QString path = f.Copy("three.ini");
        auto w = f.Window();
        f.dialogs.openResult = path;
        QTest::mouseClick(w->bbtOpen, Qt::LeftButton);
        QCOMPARE(f.dialogs.openFilters.first(), QStringLiteral("saplogon.ini (saplogon.ini SAPLOGON.INI)"));
        QCOMPARE(w->FSapLogon, path);
        QCOMPARE(w->edtSapLogon->text(), path);
        QCOMPARE(w->FEntries.size(), 3);
        QVERIFY(w->bbtSave->isEnabled() && w->bbtDown->isEnabled());
        QVERIFY(!w->FModified);
    }

    // Cancelling used to re-read the current file and silently drop unsaved changes.
    void openCancelledChangesNothing() {
        TWindowFixture f;
        const QString path = f.Copy("three.ini");
        auto w = f.Window(path);
        TypeInto(*w, "ledtServer", "edited");
        f.dialogs.openResult = std::nullopt;
        f.dialogs.answers = {true}; // discard: yes, then the dialog is cancelled
        QTest::mouseClick(w->bbtOpen, Qt::LeftButton);
        QCOMPARE(f.dialogs.openCount, 1);
        QCOMPARE(w->FEntries[0].Server, QStringLiteral("edited"));
        QVERIFY(w->FModified && w->imgModified->isVisible());
        QCOMPARE(w->FSapLogon, path);
    }

    void openMissingFileKeepsTheDocument() {
        TWindowFixture f;
        const QString path = f.Copy("three.ini");
        auto w = f.Window(path);
        f.dialogs.openResult = f.dir.filePath("typed-name.ini");
        QTest::mouseClick(w->bbtOpen, Qt::LeftButton);
        QCOMPARE(w->FSapLogon, QString());
        QCOMPARE(w->edtSapLogon->text(), path);
        QCOMPARE(w->FEntries.size(), 3);
    }

    void find_data() {
        QTest::addColumn<bool>("inWindowsDir");
        QTest::addColumn<QString>("variable"); // "@": the other fixture copy; "dir": a folder
        QTest::addColumn<QString>("found");    // "win", "var" or "" for the message
        QTest::newRow("Windows folder first") << true << "@"
                                              << "win";
        QTest::newRow("then the variable") << false << "@"
                                           << "var";
        QTest::newRow("variable naming a folder") << false << "dir"
                                                  << "";
        QTest::newRow("overlong variable counts as unset") << false << "long"
                                                           << "";
        QTest::newRow("nothing") << false << ""
                                 << "";
    }
    void find() {
        QFETCH(bool, inWindowsDir);
        QFETCH(QString, variable);
        QFETCH(QString, found);
        TWindowFixture f;
        QDir(f.dir.path()).mkpath("windows");
        const QString win = inWindowsDir ? f.Copy("three.ini", "windows/saplogon.ini") : QString();
        const QString other = f.Copy("three.ini", "other.ini");
        qputenv("WINDIR", f.dir.filePath("windows").toLocal8Bit());
        if (variable == "@")
            qputenv("SAPLOGON_INI_FILE", other.toLocal8Bit());
        else if (variable == "dir")
            qputenv("SAPLOGON_INI_FILE", f.dir.path().toLocal8Bit());
        else if (variable == "long")
            qputenv("SAPLOGON_INI_FILE", (f.dir.path() + "/" + QString(300, u'x')).toLocal8Bit());
        auto w = f.Window();
        QTest::mouseClick(w->bbtFind, Qt::LeftButton);
        if (found.isEmpty()) {
            QCOMPARE(f.dialogs.messages, QStringList{"File SAPLOGON.INI not found"});
            QCOMPARE(f.dialogs.captions, QStringList{"Erreur"});
            QCOMPARE(w->FSapLogon, QString());
            QCOMPARE(w->FEntries.size(), 0);
            return;
        }
        const QString expected = found == "win" ? win : other;
        QCOMPARE(QFileInfo(w->FSapLogon).canonicalFilePath(), QFileInfo(expected).canonicalFilePath());
        QCOMPARE(w->edtSapLogon->text(), w->FSapLogon);
        QCOMPARE(w->FEntries.size(), 3);
        QVERIFY(w->bbtSave->isEnabled());
    }

    // Unsaved changes are dropped only after a question; without changes nothing is asked.
    void discardQuestion_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("answer");
        QTest::newRow("open, no") << "open" << true << false;
        QTest::newRow("open, yes") << "open" << true << true;
        QTest::newRow("find, no") << "find" << true << false;
        QTest::newRow("find, yes") << "find" << true << true;
        QTest::newRow("open, unmodified") << "open" << false << false;
    }
    void discardQuestion() {
        QFETCH(QString, command);
        QFETCH(bool, modified);
        QFETCH(bool, answer);
        TWindowFixture f;
        const QString path = f.Copy("three.ini");
        QDir(f.dir.path()).mkpath("windows");
        const QString other = f.Copy("three.ini", "windows/saplogon.ini");
        qputenv("WINDIR", f.dir.filePath("windows").toLocal8Bit());
        auto w = f.Window(path);
        if (modified)
            TypeInto(*w, "ledtServer", "edited");
        f.dialogs.openResult = other;
        f.dialogs.answers = {answer};
        QTest::mouseClick(command == "open" ? w->bbtOpen : w->bbtFind, Qt::LeftButton);
        if (!modified) {
            QVERIFY(f.dialogs.questions.isEmpty());
            QCOMPARE(w->FSapLogon, other);
            return;
        }
        QCOMPARE(f.dialogs.questions, QStringList{"The original file has been modified.\nDiscard the changes "
                                                  "and open another file?"});
        QCOMPARE(f.dialogs.questionTypes, QList<TMsgDlgType>{TMsgDlgType::mtWarning});
        if (answer) {
            QCOMPARE(QFileInfo(w->FSapLogon).canonicalFilePath(), QFileInfo(other).canonicalFilePath());
            QVERIFY(!w->FModified);
            return;
        }
        QCOMPARE(f.dialogs.openCount, 0); // No opens no dialog either
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(w->FSapLogon, path);
        QCOMPARE(w->FEntries[0].Server, QStringLiteral("edited"));
        QVERIFY(w->FModified && w->imgModified->isVisible());
    }

    // SAP Logon may rewrite the file while it is open here; replacing it then needs a yes.
    void changedOnDiskQuestion_data() {
        QTest::addColumn<bool>("changedElsewhere");
        QTest::addColumn<bool>("answer");
        QTest::newRow("changed, no") << true << false;
        QTest::newRow("changed, yes") << true << true;
        QTest::newRow("saved here before") << false << false;
    }
    void changedOnDiskQuestion() {
        QFETCH(bool, changedElsewhere);
        QFETCH(bool, answer);
        TWindowFixture f;
        const QString path = f.Copy("three.ini", "saplogon.ini");
        auto w = f.Window(path);
        f.dialogs.saveResult = path;
        TypeInto(*w, "ledtServer", "edited");
        if (!changedElsewhere) {
            QTest::mouseClick(w->bbtSave, Qt::LeftButton); // our own write is no change by another
            TypeInto(*w, "ledtServer", "edited again");
        }
        const QByteArray theirs = ReadAll(path) + "\r\n[SapLogonOwn]\r\nWrittenMeanwhile=1";
        if (changedElsewhere)
            WriteFile(path, theirs);
        const QStringList filesBefore = QDir(f.dir.path()).entryList(QDir::Files);
        f.dialogs.answers = {answer};
        QTest::mouseClick(w->bbtSave, Qt::LeftButton);
        if (!changedElsewhere) {
            QVERIFY(f.dialogs.questions.isEmpty());
            QVERIFY(ReadAll(path).contains("Item1=edited again\r\n"));
            return;
        }
        QCOMPARE(f.dialogs.questions,
                 QStringList{"The file has been changed by another program since it was "
                             "opened.\nReplace it? The current file is kept as a backup."});
        QCOMPARE(f.dialogs.questionTypes, QList<TMsgDlgType>{TMsgDlgType::mtWarning});
        if (!answer) {
            QCOMPARE(ReadAll(path), theirs);
            QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), filesBefore); // no backup either
            QVERIFY(w->FModified);
            return;
        }
        QVERIFY(ReadAll(path).contains("Item1=edited\r\n"));
        QVERIFY(!w->FModified);
        const QStringList backups = QDir(f.dir.path()).entryList({"saplogon.2*"}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QCOMPARE(ReadAll(f.dir.filePath(backups.first())), theirs);
    }

    void saveKeepsABackup() {
        TWindowFixture f;
        const QString path = f.Copy("three.ini", "saplogon.ini");
        const QByteArray original = ReadAll(path);
        auto w = f.Window(path);
        TypeInto(*w, "ledtServer", "edited");
        f.dialogs.saveResult = path;
        const QDateTime before = QDateTime::currentDateTime();
        QTest::mouseClick(w->bbtSave, Qt::LeftButton);
        QCOMPARE(f.dialogs.saveInitial, path);
        QVERIFY(!w->FModified && !w->imgModified->isVisible());
        const QStringList backups = QDir(f.dir.path()).entryList({"saplogon.2*"}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QCOMPARE(backups.first().size(), QStringLiteral("saplogon.").size() + 14);
        QVERIFY(backups.first().mid(9) >= before.toString("yyyyMMddhhmmss"));
        QCOMPARE(ReadAll(f.dir.filePath(backups.first())), original);
        const QByteArray written = ReadAll(path);
        QVERIFY(written.contains("Item1=edited\r\n"));
        QCOMPARE(Lines(*w), QString::fromLatin1(written).split(QStringLiteral("\r\n")));
    }

    // The page is the real text view: what is typed there is saved as it stands, and the next
    // regeneration replaces it.
    void handEditedTextIsSavedThenRegenerated() {
        TWindowFixture f;
        const QString path = f.Copy("three.ini", "saplogon.ini");
        auto w = f.Window(path);
        auto *memo = Find<TCodeMemo>(*w, "CodeMemo");
        QCOMPARE(&memo->Lines(), &w->Lines());
        w->PageControl->setCurrentWidget(w->tshFileContent);
        memo->setFocus();
        QTest::keyClicks(memo, "; by hand");
        QTest::keyClick(memo, Qt::Key_Return);
        QVERIFY(!w->FModified); // typing on the page is not a change of the model
        f.dialogs.saveResult = path;
        QTest::mouseClick(w->bbtSave, Qt::LeftButton);
        QVERIFY(ReadAll(path).startsWith("; by hand\r\n[Configuration]\r\n"));
        QCOMPARE(memo->Lines().Get(0), QStringLiteral("; by hand"));
        EnterAndLeave(*w, Find<QLineEdit>(*w, "ledtServer"));
        QCOMPARE(memo->Lines().Get(0), QStringLiteral("[Configuration]"));
        QCOMPARE(memo->CurY(), 0);
        QCOMPARE(memo->CurX(), 0);
    }

    void saveElsewhereAndCancel() {
        TWindowFixture f;
        const QString path = f.Copy("three.ini");
        auto w = f.Window(path);
        TypeInto(*w, "ledtServer", "edited");
        f.dialogs.saveResult = std::nullopt;
        QTest::mouseClick(w->bbtSave, Qt::LeftButton);
        QCOMPARE(w->FSapLogon, path);
        QVERIFY(w->FModified);
        const QString target = f.dir.filePath("new.ini");
        f.dialogs.saveResult = target;
        QTest::mouseClick(w->bbtSave, Qt::LeftButton);
        QCOMPARE(w->FSapLogon, target);
        QCOMPARE(w->edtSapLogon->text(), target);
        QVERIFY(QFileInfo::exists(target));
        QCOMPARE(QDir(f.dir.path()).entryList({"new.*"}, QDir::Files), QStringList{"new.ini"});
        QCOMPARE(QDir(f.dir.path()).entryList({"three.*"}, QDir::Files), QStringList{"three.ini"});
    }

    void saveFailureKeepsTheChanges() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        TypeInto(*w, "ledtServer", "edited");
        const QString target = f.dir.filePath("no-such-folder/saplogon.ini");
        f.dialogs.saveResult = target;
        QTest::mouseClick(w->bbtSave, Qt::LeftButton);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages.first().contains(target), qPrintable(f.dialogs.messages.first()));
        QCOMPARE(f.dialogs.captions.first(), QStringLiteral("Editor for SAPLOGON.INI"));
        QVERIFY(w->FModified && w->imgModified->isVisible());
        QCOMPARE(w->FEntries[0].Server, QStringLiteral("edited"));
    }

    // A file that exists but cannot be read: the error box, and the window still agrees with the model.
    void unreadableFile() {
        TWindowFixture f;
        const QString good = f.Copy("three.ini");
        const QString locked = f.Copy("three.ini", "locked.ini");
        QFile::setPermissions(f.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                QFile::ExeOther);
        QFile::setPermissions(locked, QFileDevice::Permissions());
        auto w = f.Window(good);
        TypeInto(*w, "ledtServer", "edited");
        f.dialogs.openResult = locked;
        f.dialogs.answers = {true};
        // Root reads anything; a file-system identity without privileges makes the file unreadable.
        const bool root = geteuid() == 0;
        if (root)
            setfsuid(65534);
        QTest::mouseClick(w->bbtOpen, Qt::LeftButton);
        if (root)
            setfsuid(0);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages.first().contains(locked), qPrintable(f.dialogs.messages.first()));
        QVERIFY(f.dialogs.messages.first().endsWith(u'.'));
        QCOMPARE(f.dialogs.captions.first(), QStringLiteral("Editor for SAPLOGON.INI"));
        QCOMPARE(w->FSapLogon, good);
        QCOMPARE(w->edtSapLogon->text(), good);
        QCOMPARE(w->FEntries.size(), 3);
        QCOMPARE(w->lbxEntries->count(), 3);
        QCOMPARE(w->FEntries[0].Server, QStringLiteral("edited"));
        QVERIFY(w->FModified);
        QVERIFY(Lines(*w).contains(QStringLiteral("Item1=edited")));
    }

    // The editor started on a FIFO never showed its window. It opens on an empty document with
    // the error box, as for a file it cannot read.
    void startedOnAFifo() {
        TWindowFixture f;
        const QString fifo = MakeFifo(f.dir.filePath("x.ini"));
        TFifoWatchdog watchdog(fifo);
        TfrmMain w;
        w.SetCommandLine({fifo});
        QElapsedTimer timer;
        timer.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY2(timer.elapsed() < 1000, "the window waited on the FIFO");
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages.first(),
                 QStringLiteral(
                     "Impossible d'ouvrir le fichier \"%1\". Is a named pipe (FIFO), not a regular file.")
                     .arg(fifo));
        QCOMPARE(f.dialogs.captions.first(), QStringLiteral("Editor for SAPLOGON.INI"));
        QVERIFY(w.FEntries.isEmpty());
        QCOMPARE(w.lbxEntries->count(), 0);
        QCOMPARE(w.FSapLogon, QString());
        QCOMPARE(w.edtSapLogon->text(), QString());
    }

    void openingAFifoKeepsTheDocument() {
        TWindowFixture f;
        const QString good = f.Copy("three.ini");
        const QString fifo = MakeFifo(f.dir.filePath("x.ini"));
        auto w = f.Window(good);
        TypeInto(*w, "ledtServer", "edited");
        f.dialogs.openResult = fifo;
        f.dialogs.answers = {true}; // discard the changes: the open fails, and they are still there
        TFifoWatchdog watchdog(fifo);
        QTest::mouseClick(w->bbtOpen, Qt::LeftButton);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages.first().contains("not a regular file"),
                 qPrintable(f.dialogs.messages.first()));
        QCOMPARE(w->FSapLogon, good);
        QCOMPARE(w->FEntries[0].Server, QStringLiteral("edited"));
        QVERIFY(w->FModified);
    }

    void savingOverAFifoIsRefused() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        TypeInto(*w, "ledtServer", "edited");
        const QString fifo = MakeFifo(f.dir.filePath("x.ini"));
        f.dialogs.saveResult = fifo;
        TFifoWatchdog watchdog(fifo);
        QTest::mouseClick(w->bbtSave, Qt::LeftButton);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages.first(),
                 QStringLiteral(
                     "Impossible de créer le fichier \"%1\". Is a named pipe (FIFO), not a regular file.")
                     .arg(fifo));
        QVERIFY(w->FModified);
        QVERIFY(!QFileInfo(fifo).isFile());
    }

    void fileFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("open dialog") << TfrmMain::OpenDialogFilter()
                                     << QStringList{"saplogon.ini (saplogon.ini SAPLOGON.INI)",
                                                    "All files (*)"};
        QTest::newRow("several patterns")
            << "Text|*.txt;*.ini" << QStringList{"Text (*.txt *.TXT *.ini *.INI)"};
        QTest::newRow("none") << "" << QStringList{};
    }
    void fileFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, qt);
        QCOMPARE(QtFileFilters(filter), qt);
    }
};

QTEST_MAIN(TestOpenFindSave)
#include "test_openfindsave.moc"
