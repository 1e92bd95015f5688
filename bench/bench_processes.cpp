// Whole processes on large SAPLOGON.INI files: saplogon-ini entries --json, generate and normalize
// against a process that reads every value with QSettings, in one run; peak memory of those and of
// the main window with the file open.
//
//   bench_processes [ENTRIES...]     default 10000 100000
//   bench_processes --write-sample ENTRIES FILE   the sample file alone, for profilers
//
// Peak memory is the child's ru_maxrss in MiB, over the file's size in MiB, taken by a small
// process meter between this bench and the child.
// Times are the child's CPU time (user + system, best of several runs): the machine is shared, and
// other processes' load would otherwise stretch every figure. Wall times are printed beside them.
// The bench runs itself as the QSettings reader and as the window (--qsettings FILE, --window FILE,
// --document FILE).
#include "SampleFile.h"
#include "mainwindow/uMain.h"
#include "platform/LargeBuffers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <vector>

extern char **environ;

namespace {

struct Run {
    double cpuMs = 0, wallMs = 0, maxRssMb = 0;
    int status = -1;
};

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// One child with standard output to /dev/null, started by the process meter, which reports
// the child's own CPU time and peak memory.
Run spawn(const std::vector<std::string> &childArgs) {
    static const std::string report =
        QDir::temp()
            .filePath(QStringLiteral("process_meter-%1.txt").arg(QCoreApplication::applicationPid()))
            .toStdString();
    std::vector<std::string> args{PROCESS_METER, report};
    args.insert(args.end(), childArgs.begin(), childArgs.end());
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    Run r;
    const double start = nowMs();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    waitpid(pid, &r.status, 0);
    r.wallMs = nowMs() - start;
    long long cpuUs = 0, maxRssKb = 0;
    FILE *measured = std::fopen(report.c_str(), "r");
    if (measured == nullptr || std::fscanf(measured, "%lld %lld", &cpuUs, &maxRssKb) != 2) {
        std::fprintf(stderr, "no measurement of %s\n", childArgs[0].c_str());
        std::exit(1);
    }
    std::fclose(measured);
    std::remove(report.c_str());
    r.cpuMs = double(cpuUs) / 1e3;
    r.maxRssMb = double(maxRssKb) / 1024.0;
    return r;
}

// Best CPU and wall time of runs; the largest peak memory seen.
Run best(int runs, const std::vector<std::string> &args, const std::function<void()> &before = {}) {
    Run b;
    b.cpuMs = b.wallMs = 1e18;
    for (int i = 0; i < runs; ++i) {
        if (before)
            before();
        const Run r = spawn(args);
        if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
            std::fprintf(stderr, "%s %s failed (status %d)\n", args[0].c_str(), args[1].c_str(), r.status);
            std::exit(1);
        }
        b.cpuMs = std::min(b.cpuMs, r.cpuMs);
        b.wallMs = std::min(b.wallMs, r.wallMs);
        b.maxRssMb = std::max(b.maxRssMb, r.maxRssMb);
        b.status = r.status;
    }
    return b;
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write the sample file");
}

// Children -----------------------------------------------------------------------------------

int printQSettingsReading(const QString &path) {
    const qsizetype chars = bench::readWithQSettings(path);
    std::printf("%lld\n", static_cast<long long>(chars));
    return chars > 0 ? 0 : 1;
}

// The window as the user sees it after opening the file from the command line.
int openWindow(int argc, char **argv, const QString &path) {
    PrepareAllocatorForLargeFiles(); // as the editor does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TfrmMain w;
    if (!path.isEmpty())
        w.SetCommandLine({path});
    w.show();
    QApplication::processEvents();
    return path.isEmpty() || !w.FEntries.isEmpty() ? 0 : 1;
}

// What the window's document holds with the file open, without any widget.
int openDocument(const QString &path) {
    PrepareAllocatorForLargeFiles();
    THeadlessCodeMemoView view;
    SapLogonDocument doc(view.Lines());
    doc.FSapLogon = path;
    doc.LoadSapLogon(QString());
    doc.BuildFileContent();
    return view.Lines().Count() > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::string(argv[1]) == "--qsettings") {
        QCoreApplication app(argc, argv);
        return printQSettingsReading(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 4 && std::string(argv[1]) == "--write-sample") {
        QCoreApplication app(argc, argv);
        writeFile(QString::fromLocal8Bit(argv[3]), bench::sampleFile(std::atoi(argv[2])));
        return 0;
    }
    if (argc == 3 && std::string(argv[1]) == "--window")
        return openWindow(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::string(argv[1]) == "--document") {
        QCoreApplication app(argc, argv);
        return openDocument(QString::fromLocal8Bit(argv[2]));
    }

    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {10000, 100000};
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    // SAPLOGON_INI in the environment measures another build of the tool against this one.
    const std::string tool = qEnvironmentVariableIsSet("SAPLOGON_INI") ? qgetenv("SAPLOGON_INI").toStdString()
                                                                       : std::string(SAPLOGON_INI);
    QTemporaryDir dir;

    // The files are made by children, so that this process stays small.
    auto makeSample = [&](int entries, const QString &path) {
        best(1, {self, "--write-sample", std::to_string(entries), path.toStdString()});
        return QFileInfo(path).size();
    };
    // The fixed cost of each kind of process, on a file of one entry.
    const QString tiny = dir.filePath(QStringLiteral("tiny.ini"));
    makeSample(1, tiny);
    const double toolBase = best(3, {tool, "generate", tiny.toStdString()}).maxRssMb;
    const double windowBase = best(1, {self, "--window", tiny.toStdString()}).maxRssMb;
    const double documentBase = best(3, {self, "--document", tiny.toStdString()}).maxRssMb;
    std::printf("fixed peak memory of a process on a one-entry file: saplogon-ini %.1f MB, window %.1f MB, "
                "document alone %.1f MB\n",
                toolBase, windowBase, documentBase);

    bool allOk = true;
    for (const int entries : sizes) {
        const QString path = dir.filePath(QStringLiteral("saplogon-%1.ini").arg(entries));
        const double fileMb = double(makeSample(entries, path)) / (1024.0 * 1024.0);
        const std::string file = path.toStdString();
        const int runs = entries >= 100000 ? 3 : 5;

        const Run qs = best(runs, {self, "--qsettings", file});
        const Run json = best(runs, {tool, "entries", file, "--json"});
        const Run gen = best(runs, {tool, "generate", file});
        const QString copyDir = dir.filePath(QStringLiteral("normalize"));
        const QString copy = copyDir + QStringLiteral("/saplogon.ini");
        const Run norm = best(runs, {tool, "normalize", copy.toStdString()}, [&] {
            QDir(copyDir).removeRecursively();
            QDir().mkpath(copyDir);
            QFile::copy(path, copy);
        });
        const Run window = best(runs, {self, "--window", file});
        const Run document = best(runs, {self, "--document", file});

        std::printf("\n%d entries, %.1f MB\n", entries, fileMb);
        std::printf("%-26s %9s %9s %13s %9s %9s %11s\n", "process", "CPU ms", "wall ms", "QSettings/it",
                    "RSS MB", "RSS/file", "(RSS-fixed)");
        auto row = [&](const char *name, const Run &r, double base, bool timed, bool memoryGoal) {
            const double ratio = qs.cpuMs / r.cpuMs;
            const double rssRatio = r.maxRssMb / fileMb;
            char ratioText[32] = "";
            if (timed)
                std::snprintf(ratioText, sizeof ratioText, "%.1fx%s", ratio, ratio >= 3 ? "" : " MISSED");
            std::printf("%-26s %9.0f %9.0f %13s %9.1f %8.1fx %10.1fx%s\n", name, r.cpuMs, r.wallMs, ratioText,
                        r.maxRssMb, rssRatio, (r.maxRssMb - base) / fileMb,
                        memoryGoal && rssRatio > 5 ? "  MISSED" : "");
            allOk = allOk && (!timed || ratio >= 3) && (!memoryGoal || rssRatio <= 5);
        };
        row("QSettings, every value", qs, documentBase, false, false);
        row("entries --json", json, toolBase, true, false);
        row("generate", gen, toolBase, true, false);
        row("normalize", norm, toolBase, true, true);
        row("window, file open", window, windowBase, false, true);
        row("document alone", document, documentBase, false, false);
        std::printf("window's widgets beyond the document: %.1f MB\n",
                    (window.maxRssMb - windowBase) - (document.maxRssMb - documentBase));
    }
    std::printf("\ngoals (3x QSettings; peak memory <= 5x the file): %s\n", allOk ? "ok" : "MISSED");
    return 0;
}
