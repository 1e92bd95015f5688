// Paint and scroll timings of the text view's painter on long SAPLOGON texts.
// Each figure is the processor time of the painting thread, with the wall-clock time beside it:
// on a machine shared with other jobs the wall clock also counts the waits for a core.
#include "editor/CodeMemo.h"
#include "editor/CodeMemoAccessible.h"
#include "highlight/MemoPainter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

QStringList MakeText(int lines) {
    static const char *sections[] = {"Description", "Origin",    "Server",    "Database",
                                     "System",      "MSSysName", "MSSrvName", "MSSrvPort"};
    QStringList out;
    out.reserve(lines);
    int s = 0;
    while (out.size() < lines) {
        out << QStringLiteral("[%1]").arg(QLatin1String(sections[s++ % 8]));
        for (int i = 1; i <= 500 && out.size() < lines; ++i) {
            switch (i % 5) {
            case 0:
                out << QStringLiteral("Item%1=PRD Production system %1 3200").arg(i);
                break;
            case 1:
                out << QStringLiteral("Item%1=10.20.30.%2").arg(i).arg(i % 255);
                break;
            case 2:
                out << QStringLiteral("Item%1=http://sap.example.com/systems/%1").arg(i);
                break;
            case 3: // a comment opened and closed on the line
                out << QStringLiteral("Item%1='sapmsPRD' $1F #0x%1 #0").arg(i);
                break;
            default:
                out << QStringLiteral("Item%1=").arg(i);
            }
        }
        out << QString();
    }
    out.resize(lines);
    return out;
}

double CpuMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct TTime {
    double cpu = 0, wall = 0;
};

TTime Measure(const std::function<void()> &f) {
    QElapsedTimer t;
    const double c0 = CpuMs();
    t.start();
    f();
    return {CpuMs() - c0, double(t.nsecsElapsed()) / 1e6};
}

TTime Median(int runs, const std::function<void()> &f) {
    std::vector<TTime> v;
    for (int i = 0; i < runs; ++i)
        v.push_back(Measure(f));
    std::sort(v.begin(), v.end(), [](const TTime &a, const TTime &b) { return a.cpu < b.cpu; });
    return v[v.size() / 2];
}

int failures = 0;

void Report(const char *what, TTime t, double limit) {
    const bool ok = limit <= 0 || t.cpu < limit;
    if (!ok)
        ++failures;
    std::printf("%-56s %8.3f ms cpu %8.3f ms wall", what, t.cpu, t.wall);
    if (limit > 0)
        std::printf("  (limit %.0f ms) %s", limit, ok ? "ok" : "TOO SLOW");
    std::printf("\n");
}

struct TView {
    std::unique_ptr<TIniMemoStyler> styler = CreateIniMemoStyler();
    TMemoPainter painter;
    TStringStyledLines lines;
    TMemoPaintState state;
    QImage image{1000, 700, QImage::Format_ARGB32_Premultiplied};

    explicit TView(int count) : lines(MakeText(count)) {
        painter.Tokenizer.SetSyntaxStyles(styler.get());
        state.Lines = &lines;
        state.ClientSize = image.size();
        state.VertBarVisible = state.HorzBarVisible = true;
        state.Focused = true;
    }
    int Visible() const { return painter.VisibleLineCount(painter.GetTextRect(state)); }
    void Paint() {
        QPainter p(&image);
        painter.Paint(p, state);
    }
};

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int big = 200000;
    {
        TView v(big);
        v.Paint(); // fonts and glyph caches
        Report("repaint at the top, 200000 lines, 1000x700", Median(50, [&] { v.Paint(); }), 4);

        std::vector<TTime> cold;
        for (int i = 0; i < 5; ++i) {
            TView fresh(big);
            fresh.Paint();
            fresh.state.TopLine = big - fresh.Visible();
            fresh.state.CurY = big - 1;
            cold.push_back(Measure([&] { fresh.Paint(); }));
            if (i == 4) {
                Report("repaint at the end again", Median(50, [&] { fresh.Paint(); }), 4);
                if (qEnvironmentVariableIsSet("BENCH_SHOT"))
                    fresh.image.save(qEnvironmentVariable("BENCH_SHOT"));
            }
        }
        std::sort(cold.begin(), cold.end(), [](const TTime &a, const TTime &b) { return a.cpu < b.cpu; });
        Report("jump from the top to the last line (cold), median", cold[2], 40);

        // A typed character: the line changes, the following start states are dropped, repaint.
        const int line = v.state.TopLine + 5;
        Report("typed character in view: invalidation and repaint",
               Median(50,
                      [&] {
                          v.lines.SetLine(line, v.lines.LineText(line) + QLatin1Char('x'));
                          v.painter.Tokenizer.InvalidateStylesFrom(line);
                          v.Paint();
                      }),
               5);
    }
    {
        // The whole view: keys through the editing model and the repaint they ask for.
        auto styler = CreateIniMemoStyler();
        TCodeMemo memo;
        memo.SetSyntaxStyles(styler.get());
        TCodeMemoStrings &lines = memo.Lines();
        lines.BeginUpdate();
        for (const QString &l : MakeText(big))
            lines.Add(l);
        lines.EndUpdate();
        memo.resize(1000, 700);
        memo.show();
        memo.setFocus();
        QImage frame(memo.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        auto repaint = [&] { memo.viewport()->render(&frame); };
        repaint();
        Report("view: Ctrl+End (cold) and its repaint", Measure([&] {
                   QTest::keyClick(&memo, Qt::Key_End, Qt::ControlModifier);
                   repaint();
               }),
               40);
        Report("view: repaint at the end", Median(50, repaint), 4);
        Report("view: one typed character and its repaint",
               Median(50,
                      [&] {
                          QTest::keyClick(&memo, Qt::Key_X);
                          repaint();
                      }),
               5);
        // A screen reader listening: the view also finds what changed and reports it.
        TCodeMemoAccessibility::Listening = [] { return true; };
        TCodeMemoAccessibility::Deliver = [](QAccessibleEvent *) {};
        QTest::keyClick(&memo, Qt::Key_X);
        QApplication::processEvents(); // the first report only keeps the text
        Report("view: the same with a screen reader listening",
               Median(50,
                      [&] {
                          QTest::keyClick(&memo, Qt::Key_X);
                          QApplication::processEvents();
                          repaint();
                      }),
               5);
    }
    std::printf("paint cost by text length (repaint in the middle, warm):\n");
    for (int n : {2000, 20000, 200000}) {
        TView v(n);
        v.state.TopLine = n / 2;
        v.Paint();
        char label[80];
        std::snprintf(label, sizeof label, "  %6d lines", n);
        Report(label, Median(50, [&] { v.Paint(); }), 4);
    }
    return failures ? 1 : 0;
}
