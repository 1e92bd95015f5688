#include "about/uAbout102.h"

#include "../LocalHttpServer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestAboutBox : public QObject {
    Q_OBJECT

    static constexpr TFileVersion Running{1, 4, 2024, 413};
    QList<QUrl> FOpened;

    static TUpdateSource source(const LocalHttpServer &server) {
        return {server.base() + QStringLiteral("/files/"), QStringLiteral("Kestrel.exe"), Running, 2000};
    }

    static void serveInfo(LocalHttpServer &server, const QByteArray &version, const QByteArray &runbefore) {
        server.serve(QStringLiteral("/files/Kestrel.INF"),
                     {200, "[file1]\r\nnewversion=" + version +
                               "\r\n[update]\r\ndescr=Faster\\nSafer\r\n[action]\r\n" +
                               "runbefore=" + runbefore + "\r\n"});
    }

    template <typename T> static T *child(const QObject &box, const char *name) {
        T *found = box.findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    // Answers the next modal message box with the button captioned `button`; returns its text.
    static QString answerMessage(const QString &button, const std::function<void()> &action) {
        QString text;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            text = box->text();
            for (QAbstractButton *b : box->buttons())
                if (b->text() == button)
                    b->click();
        });
        poll.start(10);
        action();
        return text;
    }

public Q_SLOTS:
    void openUrl(const QUrl &url) { FOpened.append(url); }

private Q_SLOTS:
    void initTestCase() {
        // Links are recorded here instead of reaching a browser.
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

    void showsTitleVersionAndSystem() {
        LocalHttpServer server;
        TfrmAbout102 box(nullptr, source(server));
        QCOMPARE(box.windowTitle(), QStringLiteral("About"));
        QCOMPARE(box.size(), QSize(450, 288));
        QCOMPARE(child<QLabel>(box, "lblApplicationTitle")->text(),
                 QStringLiteral("Editor for SAPLOGON.INI"));
        QCOMPARE(child<QLabel>(box, "lblVersion")->text(), QStringLiteral("Version 1.4.2024.413"));
        QCOMPARE(child<QLabel>(box, "lblVersionHistory")->text(), QStringLiteral("Version History"));
        auto *os = child<QLabel>(box, "lblWindowsVersion");
        // A description too long for the box is cut with an ellipsis; the hint holds it whole.
        QCOMPARE(os->toolTip(), OSDescription());
        QVERIFY(os->geometry().right() < 442);
        QVERIFY(os->text() == os->toolTip() || os->text().endsWith(QChar(0x2026)));
        QVERIFY(child<QLabel>(box, "lblToolVersion")->text().contains(QStringLiteral("Qt ")));
        QVERIFY(child<QLabel>(box, "imgBug")->isHidden());
        QCOMPARE(child<QPushButton>(box, "BitBtn1")->text(), QStringLiteral("&Close"));
        QCOMPARE(child<QPushButton>(box, "bbtEula")->text(), QStringLiteral("E.U.L.A."));
        // Both labels that end at the right margin do end there.
        QCOMPARE(child<QLabel>(box, "lblWebSite")->geometry().right() + 1, 442);
        QCOMPARE(child<QLabel>(box, "lblNewVersion")->geometry().right() + 1, 442);
        for (QWidget *w : box.findChildren<QWidget *>())
            if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"))
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }

    void noticeAndMenuFollowTheOffer_data() {
        QTest::addColumn<bool>("online");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("runbefore");
        QTest::addColumn<bool>("notice");
        QTest::addColumn<QString>("news");
        QTest::addColumn<bool>("setupEnabled");

        QTest::newRow("offline") << false << QByteArray() << QByteArray() << false << "" << false;
        QTest::newRow("newer with installer") << true << QByteArray("1.4.2024.414") << QByteArray("Setup.exe")
                                              << true << "Faster\nSafer" << true;
        QTest::newRow("same version") << true << QByteArray("1.4.2024.413") << QByteArray("Setup.exe")
                                      << false << "Faster\nSafer" << true;
        QTest::newRow("newer without installer")
            << true << QByteArray("2.0.0.0") << QByteArray() << true << "Faster\nSafer" << false;
    }
    void noticeAndMenuFollowTheOffer() {
        QFETCH(bool, online);
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, runbefore);
        QFETCH(bool, notice);
        QFETCH(QString, news);
        QFETCH(bool, setupEnabled);
        LocalHttpServer server;
        serveInfo(server, version, runbefore);
        if (!online)
            server.close();

        TfrmAbout102 box(nullptr, source(server));
        QCOMPARE(!child<QLabel>(box, "lblNewVersion")->isHidden(), notice);
        QCOMPARE(child<QPlainTextEdit>(box, "memNews")->toPlainText(), news);
        QCOMPARE(child<QAction>(box, "menSetup")->isEnabled(), setupEnabled);
        QVERIFY(child<QAction>(box, "menCAB")->isEnabled());
    }

    void noticeOpensTheMenuBelowIt() {
        LocalHttpServer server;
        serveInfo(server, "9.0.0.0", "Setup.exe");
        TfrmAbout102 box(nullptr, source(server));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto *notice = child<QLabel>(box, "lblNewVersion");
        auto *menu = child<QMenu>(box, "pmNewVersion");
        QTest::mouseClick(notice, Qt::LeftButton);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), notice->mapToGlobal(QPoint(0, notice->height())));
        menu->hide();
        QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(2, 2), notice->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(notice, &context);
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
    }

    void downloadsThePackages_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QByteArray>("runbefore");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("installation program from a full path")
            << "menSetup" << QByteArray("C:\\dist\\Setup.exe") << "Setup.exe";
        QTest::newRow("executable only") << "menCAB" << QByteArray("Setup.exe") << "Kestrel.CAB";
    }
    void downloadsThePackages() {
        QFETCH(QString, item);
        QFETCH(QByteArray, runbefore);
        QFETCH(QString, fileName);
        LocalHttpServer server;
        serveInfo(server, "9.0.0.0", runbefore);
        server.serve(QStringLiteral("/files/") + fileName, {200, "MZ package"});
        QTemporaryDir downloads;
        TfrmAbout102 box(nullptr, source(server), downloads.path());

        const QString asked = answerMessage(
            QStringLiteral("&Non"), [&] { child<QAction>(box, item.toLatin1().constData())->trigger(); });
        QCOMPARE(asked, QStringLiteral("File downloaded successfuly.\nOpen the download folder ?"));
        QFile package(downloads.filePath(fileName));
        QVERIFY(package.open(QIODevice::ReadOnly));
        QCOMPARE(package.readAll(), QByteArray("MZ package"));
        // Downloaded, never run: it is not even executable.
        QVERIFY(!(package.permissions() & (QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther)));
    }

    void unusableDownloadsAreReported_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QByteArray>("runbefore");
        QTest::newRow("installer name is a folder") << "menSetup" << QByteArray("C:\\dist\\");
        QTest::newRow("installer name is ..") << "menSetup" << QByteArray("dist/..");
        QTest::newRow("package missing on the server") << "menCAB" << QByteArray("Setup.exe");
        QTest::newRow("installer missing on the server") << "menSetup" << QByteArray("Setup.exe");
    }
    void unusableDownloadsAreReported() {
        QFETCH(QString, item);
        QFETCH(QByteArray, runbefore);
        LocalHttpServer server;
        serveInfo(server, "9.0.0.0", runbefore);
        QTemporaryDir downloads;
        TfrmAbout102 box(nullptr, source(server), downloads.path());
        const qsizetype checks = server.requests().size();

        const QString shown = answerMessage(
            QStringLiteral("OK"), [&] { child<QAction>(box, item.toLatin1().constData())->trigger(); });
        QCOMPARE(shown, QStringLiteral("Unable to download the new version"));
        QVERIFY(QDir(downloads.path()).isEmpty());
        // A name that is no file name is not even asked for.
        if (runbefore != "Setup.exe")
            QCOMPARE(server.requests().size(), checks);
    }

    void linksOpenTheirPages() {
        LocalHttpServer server;
        TfrmAbout102 box(nullptr, source(server));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        FOpened.clear();
        QTest::mouseClick(child<QLabel>(box, "lblWebSite"), Qt::LeftButton);
        QTest::mouseClick(child<QLabel>(box, "imgDonate"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(box, "bbtEula"), Qt::LeftButton);
        QCOMPARE(FOpened.size(), 3);
        QCOMPARE(FOpened[0].path(), QStringLiteral("/wiki/doku.php"));
        QVERIFY(!FOpened[0].hasQuery());
        QCOMPARE(FOpened[1].path(), QStringLiteral("/cgi-bin/webscr"));
        QVERIFY(FOpened[1].query().startsWith(QStringLiteral("cmd=_s-xclick&hosted_button_id=")));
        QCOMPARE(FOpened[2].path(), QStringLiteral("/wiki/doku.php"));
        QCOMPARE(FOpened[2].query(), QStringLiteral("id=start:utils:eula"));
        QCOMPARE(FOpened[0].host(), FOpened[2].host());
    }

    // Every link is a stop of the keyboard order, in reading order after Close.
    void keyboardOrderReachesTheLinks() {
        LocalHttpServer server;
        serveInfo(server, "9.0.0.0", "Setup.exe");
        TfrmAbout102 box(nullptr, source(server));
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(box, "BitBtn1"));
        QStringList order;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order,
                 (QStringList{"lblNewVersion", "memNews", "lblWebSite", "bbtEula", "imgDonate", "BitBtn1"}));
    }

    void keysActivateTheLinks_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("opened"); // the page's path, or "menu" for the download menu
        QTest::newRow("web site with Space") << "lblWebSite" << int(Qt::Key_Space) << "/wiki/doku.php";
        QTest::newRow("web site with Enter") << "lblWebSite" << int(Qt::Key_Return) << "/wiki/doku.php";
        QTest::newRow("donation with Space") << "imgDonate" << int(Qt::Key_Space) << "/cgi-bin/webscr";
        QTest::newRow("donation with Enter") << "imgDonate" << int(Qt::Key_Enter) << "/cgi-bin/webscr";
        QTest::newRow("notice with Space") << "lblNewVersion" << int(Qt::Key_Space) << "menu";
        QTest::newRow("notice with Enter") << "lblNewVersion" << int(Qt::Key_Return) << "menu";
    }
    void keysActivateTheLinks() {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(QString, opened);
        LocalHttpServer server;
        serveInfo(server, "9.0.0.0", "Setup.exe");
        TfrmAbout102 box(nullptr, source(server));
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        auto *target = child<QLabel>(box, qPrintable(control));
        target->setFocus(Qt::TabFocusReason);
        FOpened.clear();
        QTest::keyClick(target, Qt::Key(key));
        auto *menu = child<QMenu>(box, "pmNewVersion");
        if (opened == "menu") {
            QTRY_VERIFY(menu->isVisible());
            menu->hide();
            QVERIFY(FOpened.isEmpty());
        } else {
            QCOMPARE(FOpened.size(), 1);
            QCOMPARE(FOpened.first().path(), opened);
        }
        QVERIFY(box.isVisible()); // Enter went to the link, not to the default button
    }
};

QTEST_MAIN(TestAboutBox)
#include "test_aboutbox.moc"
