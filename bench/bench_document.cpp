// Timing of reading, regenerating and writing a large SAPLOGON.INI, against QSettings reading
// the same values; peak memory of the 10,000-entry document.
#include "SampleFile.h"
#include "document/ProfileReader.h"
#include "document/SapLogonCheck.h"
#include "document/SapLogonDocument.h"
#include "editor/HeadlessCodeMemoView.h"
#include "platform/Codepage.h"
#include "platform/LargeBuffers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <vector>

namespace {
using bench::sampleFile;
// CPU time of this thread, best of several runs: the build machine is shared, and other
// processes' load would otherwise stretch every figure.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double bestMs(int runs, const std::function<void()> &f) {
    std::vector<double> t;
    for (int r = 0; r < runs; ++r) {
        const double start = cpuMs();
        f();
        t.push_back(cpuMs() - start);
    }
    return *std::min_element(t.begin(), t.end());
}

// What the reload does with the reader alone: parse, count, 19 fields per entry, globals.
qsizetype readModel(const QString &path) {
    const ProfileReader reader(path);
    QStringList names;
    reader.ReadSection(QStringLiteral("Description"), names);
    QList<tyEntry> entries(names.size());
    QString sections[tyEntry::FieldCount];
    for (int f = 0; f < tyEntry::FieldCount; ++f)
        sections[f] = QString::fromLatin1(EntryFieldNames[f]);
    for (qsizetype n = 0; n < entries.size(); ++n) {
        const QString key = QStringLiteral("Item") + QString::number(n + 1);
        for (int f = 0; f < tyEntry::FieldCount; ++f)
            entries[n].field(f) = reader.ReadString(sections[f], key, QString());
    }
    return entries.size() + reader.ReadInteger(QStringLiteral("MSWinPos"), QStringLiteral("NormX"), 50);
}

// Wall-clock time of one whole save with backup (temporary file, fsyncs, backup, rename), the
// median of several: most of it is waiting for the disk, which CPU time does not see.
struct SaveTimes {
    double wallMs, cpuMs;
};

SaveTimes saveWithBackupTimes(SapLogonDocument &doc, int runs) {
    std::vector<double> wall, cpu;
    const QDateTime when(QDate(2024, 4, 13), QTime(14, 1, 5));
    const QFileInfo target(doc.FSapLogon);
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        const double start = cpuMs();
        doc.SaveWithBackup(when);
        cpu.push_back(cpuMs() - start);
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        // Each run saves over the same file; the backups it leaves are removed between runs.
        for (const QString &b :
             QDir(target.absolutePath())
                 .entryList({target.completeBaseName() + QStringLiteral(".2*")}, QDir::Files))
            QFile::remove(target.absolutePath() + u'/' + b);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

struct Figures {
    double loadFromFile, readerAndFill, loadSapLogon, build, saveToFile, qsettings;
    SaveTimes saveWithBackup;
    double peakMb; // high-water mark before QSettings runs
};

double peakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write the sample file");
}

// Reload and regeneration of a file, best of runs.
double reloadMs(const QString &path, int runs, qsizetype *lines = nullptr) {
    THeadlessCodeMemoView view;
    SapLogonDocument doc(view.Lines());
    doc.FSapLogon = path;
    const double ms = bestMs(runs, [&] {
        doc.LoadSapLogon(QString());
        doc.BuildFileContent();
    });
    if (lines)
        *lines = view.Lines().Count();
    return ms;
}

// Files SAP Logon never writes: their cost must grow with their size and no faster.
void badInputFigures(const QString &dir) {
    struct Case {
        const char *name;
        std::function<QByteArray(int)> make;
        int size;
    };
    const Case cases[] = {
        {"kept sections",
         [](int n) {
             QByteArray b;
             for (int s = 0; s < n; ++s)
                 b += "[Own" + QByteArray::number(s) + "]\r\nKey=" + QByteArray::number(s) + "\r\n";
             return b;
         },
         5000},
        {"keys in one kept section",
         [](int n) {
             QByteArray b = "[Wide]\r\n";
             for (int k = 0; k < n; ++k)
                 b += "Key" + QByteArray::number(k) + '=' + QByteArray::number(k) + "\r\n";
             return b;
         },
         100000},
        {"characters of one kept value",
         [](int n) -> QByteArray { return "[Big]\r\nValue=" + QByteArray(n, 'v') + "\r\n"; }, 1 << 20},
    };
    std::printf("\nbad input, reload + regeneration, best CPU ms\n");
    for (const Case &c : cases) {
        double t[2];
        for (int k = 0; k < 2; ++k) {
            const QString path = dir + QStringLiteral("/bad.ini");
            writeFile(path, "[Description]\r\nItem1=one\r\n" + c.make(c.size << k));
            t[k] = reloadMs(path, 3);
        }
        std::printf("%9d %-30s %8.2f   x2: %8.2f  (ratio %.1f)\n", c.size, c.name, t[0], t[1], t[1] / t[0]);
    }
}

Figures measure(int entries, const QString &dir, int runs) {
    const QString path = dir + QStringLiteral("/saplogon-%1.ini").arg(entries);
    const QByteArray bytes = sampleFile(entries);
    writeFile(path, bytes);

    THeadlessCodeMemoView view;
    SapLogonDocument doc(view.Lines());
    doc.FSapLogon = path;
    Figures r{};
    r.loadFromFile = bestMs(runs, [&] { view.Lines().LoadFromFile(path); });
    r.readerAndFill = bestMs(runs, [&] { readModel(path); });
    r.loadSapLogon = bestMs(runs, [&] { doc.LoadSapLogon(QString()); });
    r.build = bestMs(runs, [&] { doc.BuildFileContent(); });
    const QString out = dir + QStringLiteral("/written.ini");
    r.saveToFile = bestMs(runs, [&] { view.Lines().SaveToFile(out); });
    r.saveWithBackup = saveWithBackupTimes(doc, runs);
    r.peakMb = peakMb();
    r.qsettings = bestMs(std::max(1, runs / 3), [&] { bench::readWithQSettings(path); });

    std::printf("%6d entries, %7d lines, %5.2f MB (%s)\n", entries, view.Lines().Count(),
                double(bytes.size()) / 1e6, doc.FEntries.size() == entries ? "read back" : "READ WRONG");
    return r;
}
} // namespace

int main(int argc, char **argv) {
    PrepareAllocatorForLargeFiles(); // as the programs do
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const Figures small = measure(1000, dir.path(), 15);
    const Figures large = measure(10000, dir.path(), 7);

    std::printf("\n%-42s %10s %10s %7s\n", "best CPU ms", "1,000", "10,000", "ratio");
    auto row = [](const char *name, double a, double b) {
        std::printf("%-42s %10.2f %10.2f %7.1f\n", name, a, b, b / a);
    };
    row("LoadFromFile (line store)", small.loadFromFile, large.loadFromFile);
    row("reader parse + model fill", small.readerAndFill, large.readerAndFill);
    row("LoadSapLogon (reload, incl. parse)", small.loadSapLogon, large.loadSapLogon);
    row("BuildFileContent", small.build, large.build);
    row("SaveToFile", small.saveToFile, large.saveToFile);
    row("QSettings IniFormat, all values", small.qsettings, large.qsettings);
    std::printf("\n%-42s %10s %10s\n", "median ms of one SaveWithBackup", "1,000", "10,000");
    std::printf("%-42s %10.2f %10.2f\n", "wall clock (disk waits included)", small.saveWithBackup.wallMs,
                large.saveWithBackup.wallMs);
    std::printf("%-42s %10.2f %10.2f\n", "CPU", small.saveWithBackup.cpuMs, large.saveWithBackup.cpuMs);

    const double reload = large.loadSapLogon + large.build;
    const double speedup = large.qsettings / large.readerAndFill;
    const double peak = large.peakMb;
    std::printf("\nreader + fill vs QSettings: %.1fx faster (goal >= 5x)  %s\n", speedup,
                speedup >= 5 ? "ok" : "MISSED");
    std::printf("reload (LoadSapLogon + BuildFileContent), 10,000 entries: %.1f ms (goal < 100 ms)  %s\n",
                reload, reload < 100 ? "ok" : "MISSED");
    std::printf("peak memory of the document runs (ru_maxrss): %.1f MB (goal < 100 MB)  %s\n", peak,
                peak < 100 ? "ok" : "MISSED");
    std::printf("peak memory after QSettings too: %.1f MB\n", peakMb());

    const QString seven = dir.path() + QStringLiteral("/saplogon-7x.ini");
    writeFile(seven, sampleFile(10000, true));
    qsizetype lines = 0;
    const double withExtras = reloadMs(seven, 7, &lines);
    std::printf(
        "reload with 7 further entry sections, 10,000 entries (%lld lines): %.1f ms (goal < 100 ms)  %s\n",
        static_cast<long long>(lines), withExtras, withExtras < 100 ? "ok" : "MISSED");
    {
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = seven;
        doc.LoadSapLogon(QString());
        qsizetype found = 0;
        const double check = bestMs(7, [&] { found = CheckDocument(doc).size(); });
        std::printf("check of 10,000 entries with 7 further entry sections: %.2f ms (%lld problems)\n", check,
                    static_cast<long long>(found));
    }
    badInputFigures(dir.path());
    return 0;
}
