#include "app/EditorCommandLine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "common/TestFiles.h"

Q_DECLARE_METATYPE(TEditorCommandLine::Action)

// The command line of saplogon-editor: what it opens, and what it answers without a window.
class TestEditorCommandLine : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    static std::unique_ptr<QProcess> start(const QStringList &args, const QByteArray &platform) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(SAPLOGON_EDITOR), args);
        return p;
    }

private Q_SLOTS:
    void parses_data() {
        using Action = TEditorCommandLine::Action;
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text"); // a part of the text
        const QString ini = WriteFile(FDir.filePath("saplogon.ini"), "[Description]\r\n");
        const QString missing = FDir.filePath("missing.ini");
        QTest::newRow("nothing") << QStringList{} << Action::Open << ""
                                 << "";
        QTest::newRow("a file") << QStringList{ini} << Action::Open << ini << "";
        QTest::newRow("further arguments ignored")
            << QStringList{ini, missing, "more"} << Action::Open << ini << "";
        QTest::newRow("missing file") << QStringList{missing} << Action::Open << missing
                                      << missing + ": no such file; the window opens without it";
        QTest::newRow("folder") << QStringList{FDir.path()} << Action::Open << FDir.path()
                                << "a folder, not a file";
        QTest::newRow("--version") << QStringList{"--version"} << Action::Version << ""
                                   << "saplogon-editor 1.0.0.1\n";
        QTest::newRow("-v after a file") << QStringList{ini, "-v"} << Action::Version << ""
                                         << "saplogon-editor 1.0.0.1\n";
        QTest::newRow("--help") << QStringList{"--help"} << Action::Help << ""
                                << "Usage: saplogon-editor [FILE]";
        QTest::newRow("-h wins over --version") << QStringList{"--version", "-h"} << Action::Help << ""
                                                << "--version";
        QTest::newRow("-- ends the options") << QStringList{"--", "--version"} << Action::Open << "--version"
                                             << "--version: no such file";
        QTest::newRow("unknown option") << QStringList{"--frob", ini} << Action::Error << ""
                                        << "Unknown option 'frob'";
        QTest::newRow("one-dash word is one option") << QStringList{"-verbose", ini} << Action::Error << ""
                                                     << "Unknown option 'verbose'";
    }
    void parses() {
        QFETCH(QStringList, args);
        QFETCH(TEditorCommandLine::Action, action);
        QFETCH(QString, file);
        QFETCH(QString, text);
        const TEditorCommandLine line = ParseEditorCommandLine(QStringList{"saplogon-editor"} + args);
        QCOMPARE(line.action, action);
        QCOMPARE(line.file, file);
        QVERIFY2(text.isEmpty() ? line.text.isEmpty() : line.text.contains(text), qPrintable(line.text));
    }

    // Without any display the application object could not even start: these answers come
    // before it, so they neither open a window nor send anything.
    void answersWithoutAWindow_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("platform");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out"); // a part of standard output
        QTest::addColumn<QByteArray>("err"); // a part of standard error
        QTest::newRow("--version") << QStringList{"--version"} << QByteArray("xcb") << 0
                                   << QByteArray("saplogon-editor 1.0.0.1\n") << QByteArray();
        QTest::newRow("-v") << QStringList{"-v"} << QByteArray("xcb") << 0
                            << QByteArray("saplogon-editor 1.0.0.1\n") << QByteArray();
        QTest::newRow("--help") << QStringList{"--help"} << QByteArray("xcb") << 0
                                << QByteArray("  -v, --version") << QByteArray();
        QTest::newRow("Qt's options are not ours")
            << QStringList{"-platform", "offscreen", "--version"} << QByteArray("xcb") << 0
            << QByteArray("saplogon-editor 1.0.0.1\n") << QByteArray();
        QTest::newRow("unknown option") << QStringList{"--frob"} << QByteArray("offscreen") << 2
                                        << QByteArray() << QByteArray("Unknown option 'frob'");
    }
    void answersWithoutAWindow() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, platform);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const std::unique_ptr<QProcess> p = start(args, platform);
        QVERIFY(p->waitForFinished(30000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), code);
        const QByteArray stdOut = p->readAllStandardOutput();
        const QByteArray stdErr = p->readAllStandardError();
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), stdOut.constData());
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), stdErr.constData());
        if (out.endsWith('\n'))
            QCOMPARE(stdOut, out);
    }

    // A file that is not there is said so on standard error, and the window opens all the same.
    void missingFileIsReported() {
        const QString missing = FDir.filePath("missing.ini");
        const QByteArray message = QFile::encodeName("saplogon-editor: " + missing + ": no such file");
        const std::unique_ptr<QProcess> p = start({missing}, "offscreen");
        p->setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (!err.contains(message) && p->waitForReadyRead(30000))
            err += p->readAllStandardError();
        QVERIFY2(err.contains(message), err.constData());
        QVERIFY(!p->waitForFinished(300)); // the window's event loop runs
        p->kill();
        p->waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestEditorCommandLine)
#include "test_editorcommandline.moc"
