// Timing of the text view's line store and editing model on large texts.
#include "editor/HeadlessCodeMemoView.h"
#include "platform/Codepage.h"

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
            out += "Item" + QByteArray::number(i) + "=h\xE8, " + QByteArray::number(i * 7) + "\r\n";
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
    // Reference on the same machine and moment: decoding plus a plain split into a string list
    // (replacing the previous one), the least any line-per-string store has to do. Interleaved
    // with the loads so that both see the same machine load.
    std::vector<double> plain, load, save, encode;
    QStringList previous;
    THeadlessCodeMemoView view;
    for (int run = 0; run < 9; ++run) {
        QElapsedTimer t;
        t.start();
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        const QString text = DecodeAnsi(f.readAll());
        QStringList lines;
        lines.reserve(text.size() / 8);
        for (const QStringView line : QStringView(text).split(u'\n'))
            lines.append(line.toString());
        previous = std::move(lines);
        plain.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        view.Lines().LoadFromFile(name);
        load.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        const QByteArray encoded = view.Lines().EncodedText();
        encode.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        view.Lines().SaveToFile(dir.filePath("out.ini"));
        save.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("reference, read + decode + plain split: median %.2f ms\n", MedianMs(plain));
    std::printf("LoadFromFile %d lines, %.1f MB: median %.2f ms\n", view.Lines().Count(), bytes.size() / 1e6,
                MedianMs(load));
    std::printf("SaveToFile: median %.2f ms (of which building the bytes: %.2f ms; the rest is writing and\n"
                "  flushing to disk before the rename)\n",
                MedianMs(save), MedianMs(encode));

    // The editing model on a 200,000-line text, caret in the middle.
    QByteArray text;
    for (int i = 0; i < 200000; ++i)
        text +=
            "    Item" + QByteArray::number(i) + "=Syst\xE8me, host" + QByteArray::number(i % 97) + "\r\n";
    view.Lines().LoadFromBytes(text);
    std::printf("editing model on %d lines (median of single operations):\n", view.Lines().Count());
    const auto time = [](auto &&op) {
        QElapsedTimer t;
        t.start();
        op();
        return t.nsecsElapsed() / 1e6;
    };
    std::vector<double> typing, enter, backspace, undo, selectAll;
    view.SetCurY(100000);
    view.SetCurX(10);
    for (int i = 0; i < 200; ++i)
        typing.push_back(time([&] { view.KeyPress(QLatin1Char('x')); }));
    for (int i = 0; i < 200; ++i)
        enter.push_back(time([&] { view.KeyPress(QChar(13)); }));
    for (int i = 0; i < 200; ++i)
        backspace.push_back(time([&] { view.KeyBackspace(); }));
    for (int run = 0; run < 20; ++run) {
        view.SetCurY(50000 + run * 1000);
        view.SetCurX(5);
        for (int i = 0; i < 100; ++i)
            view.KeyPress(QLatin1Char('a' + i % 26));
        undo.push_back(time([&] { view.Undo(); }));
    }
    qsizetype selected = 0;
    for (int run = 0; run < 5; ++run)
        selectAll.push_back(time([&] {
            view.SelectAll();
            selected = view.GetSelection().size();
        }));
    std::printf("  typing one character: %.4f ms\n", MedianMs(typing));
    std::printf("  Enter:                %.4f ms\n", MedianMs(enter));
    std::printf("  Backspace:            %.4f ms\n", MedianMs(backspace));
    std::printf("  undo of a 100-character typing run: %.4f ms\n", MedianMs(undo));
    std::printf("  SelectAll + GetSelection (%lld characters): %.2f ms\n", static_cast<long long>(selected),
                MedianMs(selectAll));
    return 0;
}
