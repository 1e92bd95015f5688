// Timing of the text view's line store and editing model on large texts.
#include "editor/HeadlessCodeMemoView.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// About 190,000 lines and 2.9 MB in the shape of a SAPLOGON.INI.
QByteArray SampleFile(int entries) {
    const char *sections[] = {
        "Description", "Origin",    "Server",   "Database",           "System",    "Router",    "Router2",
        "SncName",     "SncChoice", "Codepage", "LowSpeedConnection", "MSSysName", "MSSrvName", "MSSrvPort",
        "SessManKey",  "SncNoSSO",  "Utf8Off",  "EncLevel",           "Language"};
    QByteArray out;
    out.reserve(entries * 300);
    for (const char *section : sections) {
        out += "[";
        out += section;
        out += "]\r\n";
        for (int i = 1; i <= entries; ++i)
            out += "Item" + QByteArray::number(i) + "=Sys\xE8, " + QByteArray::number(i * 7) + "\r\n";
        out += "\r\n";
    }
    return out;
}

double MedianMs(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString name = dir.filePath("big.ini");
    const QByteArray bytes = SampleFile(10000);
    {
        QFile f(name);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
    }
    THeadlessCodeMemoView view;
    std::vector<double> load, save;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer t;
        t.start();
        view.Lines().LoadFromFile(name);
        load.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        view.Lines().SaveToFile(dir.filePath("out.ini"));
        save.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("LoadFromFile %d lines, %.1f MB: median %.2f ms\n", view.Lines().Count(), bytes.size() / 1e6,
                MedianMs(load));
    std::printf("SaveToFile: median %.2f ms\n", MedianMs(save));
    return 0;
}
