// The title naming the file and its unsaved changes, and files dropped on the window.
#include "MainWindowFixture.h"

#include "editor/CodeMemo.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QWindow>

namespace {

// The title as the desktop shows it, with the placeholder resolved.
QString Shown(TfrmMain &w) {
    return w.windowHandle() ? w.windowHandle()->title() : QString();
}

} // namespace

class TestWindowState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void titleFollowsTheFileAndItsChanges() {
        TWindowFixture f;
        const QString path = f.Copy("three.ini");
        auto w = f.Window();
        QCOMPARE(w->windowTitle(), QStringLiteral("Editor for SAPLOGON.INI"));
        QVERIFY(!w->isWindowModified());

        f.dialogs.openResult = path;
        QTest::mouseClick(w->bbtOpen, Qt::LeftButton);
        QCOMPARE(w->windowTitle(), QStringLiteral("three.ini[*] \u2014 Editor for SAPLOGON.INI"));
        QCOMPARE(Shown(*w), QStringLiteral("three.ini \u2014 Editor for SAPLOGON.INI"));
        QVERIFY(!w->isWindowModified());

        TypeInto(*w, "ledtServer", "edited");
        QVERIFY(w->isWindowModified());
        QCOMPARE(Shown(*w), QStringLiteral("three.ini* \u2014 Editor for SAPLOGON.INI"));
        QVERIFY(w->imgModified->isVisible()); // the picture stays

        f.dialogs.saveResult = f.dir.filePath("copy.ini");
        QTest::mouseClick(w->bbtSave, Qt::LeftButton);
        QCOMPARE(Shown(*w), QStringLiteral("copy.ini \u2014 Editor for SAPLOGON.INI"));
        QVERIFY(!w->isWindowModified());
    }

    // A name is shown as written, even with the marker's own characters in it.
    void titleShowsTheNameAsWritten() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini", "odd[*]name.ini"));
        QCOMPARE(Shown(*w), QStringLiteral("odd[*]name.ini \u2014 Editor for SAPLOGON.INI"));
    }

    // Without a file the title is the program's name alone, whatever was added.
    void titleWithoutAFile() {
        TWindowFixture f;
        auto w = f.Window();
        f.dialogs.answers = {true};
        QTest::mouseClick(w->bbtAdd, Qt::LeftButton);
        QCOMPARE(Shown(*w), QStringLiteral("Editor for SAPLOGON.INI"));
        QVERIFY(w->isWindowModified());
    }

    // Opening a file over unsaved changes used to leave the modified picture shown, although the
    // file just read had none.
    void openingAFileClearsTheModifiedMarks() {
        TWindowFixture f;
        const QString other = f.Copy("three.ini", "other.ini");
        auto w = f.Window(f.Copy("three.ini"));
        TypeInto(*w, "ledtServer", "edited");
        QVERIFY(w->imgModified->isVisible());
        f.dialogs.openResult = other;
        f.dialogs.answers = {true}; // discard the changes
        QTest::mouseClick(w->bbtOpen, Qt::LeftButton);
        QCOMPARE(w->FSapLogon, other);
        QVERIFY(!w->FModified);
        QVERIFY(!w->imgModified->isVisible());
        QVERIFY(!w->isWindowModified());
        QCOMPARE(Shown(*w), QStringLiteral("other.ini \u2014 Editor for SAPLOGON.INI"));
    }

    // A dropped file opens as Open opens it, wherever it lands; only files count, the first one.
    void droppedFileOpens_data() {
        QTest::addColumn<QStringList>("urls"); // "@name": a copy of the fixture in the test folder
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("opened"); // file name, or empty when the drop is refused
        QTest::newRow("one file") << QStringList{"@other.ini"} << "frmMain"
                                  << "other.ini";
        QTest::newRow("the first of two") << QStringList{"@other.ini", "@third.ini"} << "frmMain"
                                          << "other.ini";
        QTest::newRow("a folder does not count") << QStringList{"@", "@third.ini"} << "frmMain"
                                                 << "third.ini";
        QTest::newRow("a folder alone") << QStringList{"@"} << "frmMain"
                                        << "";
        QTest::newRow("a web address") << QStringList{"https://example.invalid/saplogon.ini"} << "frmMain"
                                       << "";
        QTest::newRow("a file that is gone") << QStringList{"@missing.ini"} << "frmMain"
                                             << "";
        QTest::newRow("onto a field, which keeps its text") << QStringList{"@other.ini"} << "ledtServer"
                                                            << "other.ini";
        QTest::newRow("onto the text view") << QStringList{"@other.ini"} << "CodeMemo"
                                            << "other.ini";
        QTest::newRow("onto the entry list") << QStringList{"@other.ini"} << "lbxEntries"
                                             << "other.ini";
    }
    void droppedFileOpens() {
        QFETCH(QStringList, urls);
        QFETCH(QString, target);
        QFETCH(QString, opened);
        TWindowFixture f;
        const QString first = f.Copy("three.ini");
        f.Copy("three.ini", "other.ini");
        f.Copy("three.ini", "third.ini");
        auto w = f.Window(first);
        QList<QUrl> list;
        for (const QString &url : urls)
            list << (url.startsWith(u'@') ? QUrl::fromLocalFile(f.dir.filePath(url.mid(1))) : QUrl(url));
        QMimeData data;
        data.setUrls(list);
        QWidget *on =
            target == "frmMain" ? static_cast<QWidget *>(w.get()) : Find<QWidget>(*w, qPrintable(target));
        if (auto *memo = qobject_cast<TCodeMemo *>(on))
            on = memo->viewport();
        // The desktop delivers the drag to the innermost widget under the pointer that takes drops.
        while (!on->acceptDrops())
            on = on->parentWidget();
        const QString before = Find<QLineEdit>(*w, "ledtServer")->text();
        const QPoint at(on->width() / 2, on->height() / 2);

        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &enter);
        QCOMPARE(enter.isAccepted(), !opened.isEmpty());
        if (opened.isEmpty())
            return;
        // Copied, never moved: the place it came from keeps the file.
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QTRY_COMPARE(QFileInfo(w->FSapLogon).fileName(), opened);
        QCOMPARE(w->edtSapLogon->text(), w->FSapLogon);
        QCOMPARE(w->FEntries.size(), 3);
        QVERIFY(w->bbtSave->isEnabled());
        QCOMPARE(Shown(*w), opened + QStringLiteral(" \u2014 Editor for SAPLOGON.INI"));
        QVERIFY(QFileInfo::exists(f.dir.filePath(opened)));
        QCOMPARE(Find<QLineEdit>(*w, "ledtServer")->text(), before);
    }

    // Dropping a file asks before unsaved changes go, as Open does; No keeps them.
    void droppedFileAsksBeforeDiscarding() {
        QFETCH(bool, answer);
        TWindowFixture f;
        const QString first = f.Copy("three.ini");
        const QString other = f.Copy("three.ini", "other.ini");
        auto w = f.Window(first);
        TypeInto(*w, "ledtServer", "edited");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(other)});
        f.dialogs.answers = {answer};
        const QPoint at(w->width() / 2, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &drop);
        QTRY_COMPARE(f.dialogs.questions.size(), 1);
        QVERIFY(f.dialogs.questions.first().startsWith("The original file has been modified."));
        QTRY_COMPARE(w->FSapLogon, answer ? other : first);
        QCOMPARE(w->FModified, !answer);
    }
    void droppedFileAsksBeforeDiscarding_data() {
        QTest::addColumn<bool>("answer");
        QTest::newRow("no keeps the changes") << false;
        QTest::newRow("yes opens the file") << true;
    }

    // The drop commits the field being edited first, as a click on Open would: a number that is
    // not one stops it.
    void dropWaitsForARejectedNumber() {
        TWindowFixture f;
        const QString first = f.Copy("three.ini");
        const QString other = f.Copy("three.ini", "other.ini");
        auto w = f.Window(first);
        w->PageControl->setCurrentWidget(w->tshGlobalSettings);
        auto *normX = qobject_cast<QLineEdit *>(w->FieldControl(fnNormX));
        normX->setFocus(Qt::TabFocusReason);
        normX->clear();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(other)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &drop);
        QTRY_COMPARE(f.dialogs.messages, QStringList{"'' n'est pas une valeur entière correcte."});
        QCOMPARE(w->FSapLogon, first);
        QCOMPARE(QApplication::focusWidget(), normX);
    }
};

QTEST_MAIN(TestWindowState)
#include "test_windowstate.moc"
