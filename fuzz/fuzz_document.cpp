// Any bytes as a SAPLOGON.INI: load, regenerate, save with backup, load again. The second load
// must give the same model as the first (each text as the save is documented to write it), the
// backup must hold the bytes the file had, and the file must keep its encoding.
#include "document/SapLogonDocument.h"
#include "editor/HeadlessCodeMemoView.h"
#include "platform/AppError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
QString describe(const QString &s) {
    return QStringLiteral("\"%1\" (%2 chars)").arg(s.left(80)).arg(s.size());
}

// A text of the first load as the second load must read it: the File content page holds each Tab
// as TabSize spaces and the file is written with them; the reader cuts a value at 2047 characters.
QString asSaved(const QString &text, int tabSize) {
    if (!text.contains(u'\t'))
        return text;
    QString s = text;
    s.replace(u'\t', QString(tabSize, u' '));
    return s.left(2047);
}

// Kept values are written as they were read, only Tabs become spaces on the way, and a value
// with blank ends (where a NUL cut its line) is quoted so that the reader keeps them.
QString asSavedRaw(const QString &text, int tabSize) {
    const qsizetype stored = text.size() + (tabSize - 1) * text.count(u'\t');
    QString s = text.contains(u'\t') ? QString(text).replace(u'\t', QString(tabSize, u' ')) : text;
    auto blank = [](QChar c) { return (c >= u'\t' && c <= u'\r') || c == u'\x1A' || c == u' '; };
    if (!s.isEmpty() && (blank(s.front()) || blank(s.back())))
        s = u'"' + s + (stored >= 2047 ? QStringLiteral("\"\"") : QStringLiteral("\""));
    return s;
}

// The kept sections and keys, and each entry's values of the further entry sections.
QString OtherDifference(const SapLogonDocument &a, const SapLogonDocument &b, int tabSize) {
    const tyOtherContent &x = a.FOther, &y = b.FOther;
    QStringList names;
    for (const QString &n : x.EntrySections)
        names << asSavedRaw(n, tabSize);
    if (names != y.EntrySections)
        return QStringLiteral("entry sections %1 then %2")
            .arg(x.EntrySections.join(u','), y.EntrySections.join(u','));
    for (qsizetype j = 0; j < a.FEntries.size(); ++j)
        for (qsizetype s = 0; s < x.EntrySections.size(); ++s) {
            std::optional<QString> v = a.FEntries[j].Other.value(s);
            if (v)
                v = asSavedRaw(*v, tabSize);
            if (v != b.FEntries[j].Other.value(s))
                return QStringLiteral("Item%1 of [%2]: %3 then %4")
                    .arg(j + 1)
                    .arg(x.EntrySections[s], describe(v.value_or("<none>")),
                         describe(b.FEntries[j].Other.value(s).value_or("<none>")));
        }
    auto keys = [tabSize](const QList<tyKeptKey> &k) {
        QStringList out;
        for (const tyKeptKey &key : k)
            out << asSavedRaw(key.Name, tabSize) + u'=' + asSavedRaw(key.Value, tabSize);
        return out;
    };
    auto sections = [&](const tyOtherContent &o, bool saved) {
        QStringList out = {keys(o.ConfigurationKeys).join(u'\n'), keys(o.MSLastKeys).join(u'\n'),
                           keys(o.MSWinPosKeys).join(u'\n')};
        for (const tyKeptSection &k : o.Sections)
            out << u'[' + (saved ? asSavedRaw(k.Name, tabSize) : k.Name) + u']' + keys(k.Keys).join(u'\n');
        return out;
    };
    const QStringList first = sections(x, true), second = sections(y, false);
    for (qsizetype i = 0; i < std::max(first.size(), second.size()); ++i)
        if (first.value(i) != second.value(i))
            return QStringLiteral("kept content %1 then %2")
                .arg(describe(first.value(i)), describe(second.value(i)));
    return QString();
}

// The first difference between the model of the first load (a) and that of the load of the saved
// file (b), or an empty text when they agree. Everything a load puts into the model is compared
// here, so that whatever the model comes to carry (kept sections and keys, say) is added in this
// one place; texts of a are taken as saved (asSaved).
QString ModelDifference(const SapLogonDocument &a, const SapLogonDocument &b, int tabSize) {
    if (a.FEntries.size() != b.FEntries.size())
        return QStringLiteral("entry count %1 then %2").arg(a.FEntries.size()).arg(b.FEntries.size());
    for (qsizetype j = 0; j < a.FEntries.size(); ++j)
        for (int f = 0; f < tyEntry::FieldCount; ++f)
            if (asSaved(a.FEntries[j].field(f), tabSize) != b.FEntries[j].field(f))
                return QStringLiteral("Item%1 of [%2]: %3 then %4")
                    .arg(j + 1)
                    .arg(QLatin1String(EntryFieldNames[f]), describe(a.FEntries[j].field(f)),
                         describe(b.FEntries[j].field(f)));
    const tyConfiguration &c = a.FGlobal.Configuration, &d = b.FGlobal.Configuration;
    auto number = [](const char *name, qint32 x, qint32 y) {
        return x == y ? QString() : QStringLiteral("%1: %2 then %3").arg(QLatin1String(name)).arg(x).arg(y);
    };
    auto text = [tabSize](const char *name, const QString &x, const QString &y) {
        return asSaved(x, tabSize) == y
                   ? QString()
                   : QStringLiteral("%1: %2 then %3").arg(QLatin1String(name), describe(x), describe(y));
    };
    for (const QString &diff :
         {number("SessManNewKey", c.SessManNewKey, d.SessManNewKey),
          number("MessageServerTimeout", c.MessageServerTimeout, d.MessageServerTimeout),
          number("WithWizard", c.WithWizard, d.WithWizard),
          number("ConfirmDelete", c.ConfirmDelete, d.ConfirmDelete),
          number("NoEditFunctionality", c.NoEditFunctionality, d.NoEditFunctionality),
          number("SapguiHexdumpActivated", c.SapguiHexdumpActivated, d.SapguiHexdumpActivated),
          number("SapguiTraceActivated", c.SapguiTraceActivated, d.SapguiTraceActivated),
          number("SapguiTraceLevel", c.SapguiTraceLevel, d.SapguiTraceLevel),
          text("SapguiNTCmdOpts", c.SapguiNTCmdOpts, d.SapguiNTCmdOpts),
          text("MSLast", a.FGlobal.MSLast.MSLast, b.FGlobal.MSLast.MSLast),
          number("NormX", a.FGlobal.MSWinPos.NormX, b.FGlobal.MSWinPos.NormX),
          number("NormY", a.FGlobal.MSWinPos.NormY, b.FGlobal.MSWinPos.NormY)})
        if (!diff.isEmpty())
            return diff;
    return OtherDifference(a, b, tabSize);
}

[[noreturn]] void fail(const QString &what) {
    std::fprintf(stderr, "fuzz_document: %s\n", qPrintable(what));
    std::abort();
}

// A folder of this process's own, in memory when the system has one: the save flushes. Folders
// of runs that crashed (their process is gone) are removed first.
const QString &folder() {
    static const QString dir = [] {
        const QString base =
            QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        for (const QString &old : QDir(base).entryList({QStringLiteral("fuzz_document.*")}, QDir::Dirs)) {
            bool ok = false;
            const pid_t pid = pid_t(old.mid(14).toLong(&ok));
            if (ok && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
                QDir(base + u'/' + old).removeRecursively();
        }
        const QString d = base + QStringLiteral("/fuzz_document.") + QString::number(::getpid());
        QDir().mkpath(d);
        std::atexit([] { QDir(folder()).removeRecursively(); });
        return d;
    }();
    return dir;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = folder() + QStringLiteral("/saplogon.ini");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            fail(QStringLiteral("cannot write the input"));
    }
    THeadlessCodeMemoView firstView;
    SapLogonDocument first(firstView.Lines());
    first.FSapLogon = path;
    first.LoadSapLogon(QString());
    const TTextEncoding encoding = firstView.Lines().Encoding();
    first.BuildFileContent();
    QString backup;
    try {
        backup = first.SaveWithBackup(QDateTime(QDate(2024, 4, 13), QTime(14, 1, 5)));
    } catch (const EAppError &e) {
        fail(QStringLiteral("save failed: %1").arg(e.message()));
    }
    if (backup.isEmpty() || readAll(backup) != bytes)
        fail(QStringLiteral("the backup %1 does not hold the previous file").arg(backup));
    QFile::remove(backup);

    THeadlessCodeMemoView secondView;
    SapLogonDocument second(secondView.Lines());
    second.FSapLogon = path;
    second.LoadSapLogon(QString());
    if (const QString diff = ModelDifference(first, second, firstView.TabSize()); !diff.isEmpty())
        fail(QStringLiteral("the saved file reads back differently: %1").arg(diff));
    if (secondView.Lines().Encoding() != encoding)
        fail(QStringLiteral("the saved file changed its encoding"));
    return 0;
}
