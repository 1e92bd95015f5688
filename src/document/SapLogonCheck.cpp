#include "document/SapLogonCheck.h"

#include "document/ProfileReader.h"
#include "document/SapLogonDocument.h"
#include "editor/CodeMemoStrings.h"
#include "platform/Codepage.h"
#include "platform/StrToInt.h"

#include <QHash>
#include <bit>
#include <vector>

namespace {
using Severity = TProblem::Severity;

constexpr int kListed = 3; // names or lines quoted in one message

QString Quoted(const QString &text) {
    constexpr qsizetype kLimit = 60;
    return u'"' + (text.size() <= kLimit ? text : text.left(kLimit) + QChar(0x2026)) + u'"';
}

// "a", "b", "c" and 4 more
QString Listed(const QStringList &items) {
    QStringList shown;
    for (qsizetype i = 0; i < items.size() && i < kListed; ++i)
        shown << Quoted(items[i]);
    QString text = shown.join(QStringLiteral(", "));
    if (items.size() > kListed)
        text += QStringLiteral(" and %1 more").arg(items.size() - kListed);
    return text;
}

bool StartsWithOrigin(const QString &origin, QLatin1StringView kind) {
    return origin.compare(kind, Qt::CaseInsensitive) == 0 ||
           origin.compare(kind + QLatin1StringView("_SNC"), Qt::CaseInsensitive) == 0;
}

bool IsAsciiAlnum(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool IsSystemId(const QString &sid) {
    return sid.size() == 3 && IsAsciiAlnum(sid[0]) && !sid[0].isDigit() && IsAsciiAlnum(sid[1]) &&
           IsAsciiAlnum(sid[2]);
}

// The first entry with each value of one field, in a flat table of entry numbers: a hash node
// for every entry would cost megabytes on the largest files, at the window's busiest moment.
class TFirstWithValue {
public:
    TFirstWithValue(const QList<tyEntry> &entries, QString tyEntry::*field)
        : FEntries(entries), FField(field), FSlots(std::bit_ceil(size_t(entries.size()) * 2 + 2), 0) {}
    // The number of the first entry before entry i with its value; 0 when there is none, and
    // entry i is that first one from now on.
    int FirstOrAdd(qsizetype i) {
        const QString &value = FEntries[i].*FField;
        const size_t mask = FSlots.size() - 1;
        for (size_t slot = qHash(value) & mask;; slot = (slot + 1) & mask) {
            const int n = FSlots[slot];
            if (n == 0) {
                FSlots[slot] = int(i + 1);
                return 0;
            }
            if (FEntries[n - 1].*FField == value)
                return n;
        }
    }

private:
    const QList<tyEntry> &FEntries;
    QString tyEntry::*FField;
    std::vector<int> FSlots; // entry numbers from 1; 0: free
};

struct Checker {
    QList<TProblem> problems;
    bool ansi;

    void add(int entry, const QString &where, Severity level, const QString &message,
             bool unwritable = false) {
        problems.append({entry, where, level, message, unwritable});
    }

    // A character Windows-1252 cannot hold is written as another letter or "?".
    void checkWritable(int entry, const QString &where, const QString &value) {
        if (!ansi)
            return;
        const qsizetype at = FirstUnwritableAnsi(value);
        if (at < 0)
            return;
        const char32_t code = value[at].isHighSurrogate() && at + 1 < value.size()
                                  ? QChar::surrogateToUcs4(value[at], value[at + 1])
                                  : value[at].unicode();
        const QString character = QString::fromUcs4(&code, 1);
        add(entry, where, Severity::Error,
            QStringLiteral("\"%1\" (U+%2) cannot be written in Windows-1252: saving turns it into \"%3\"")
                .arg(character, QString::number(code, 16).toUpper().rightJustified(4, u'0'),
                     QString::fromLatin1(EncodeAnsi(character))),
            true);
    }

    void checkEntry(int n, const tyEntry &e) {
        for (int f = 0; f < tyEntry::FieldCount; ++f)
            checkWritable(n, QString::fromLatin1(EntryFieldNames[f]), e.field(f));

        if (e.Description.isEmpty())
            add(n, QStringLiteral("Description"), Severity::Warning,
                QStringLiteral("The description is empty"));

        const bool groups = StartsWithOrigin(e.Origin, QLatin1StringView("MS_SEL_GROUPS"));
        const bool server = StartsWithOrigin(e.Origin, QLatin1StringView("MS_SEL_SERVER"));
        const bool manual = StartsWithOrigin(e.Origin, QLatin1StringView("USEREDIT"));
        if (!groups && !server && !manual)
            add(n, QStringLiteral("Origin"), Severity::Error,
                QStringLiteral("Origin %1 is none of MS_SEL_GROUPS, MS_SEL_SERVER and USEREDIT "
                               "(each with or without \"_SNC\")")
                    .arg(Quoted(e.Origin)));
        if ((manual || server) &&
            !(e.Database.size() == 2 && e.Database[0].isDigit() && e.Database[0] < u'\x80' &&
              e.Database[1].isDigit() && e.Database[1] < u'\x80'))
            add(n, QStringLiteral("Database"), Severity::Error,
                QStringLiteral("Database %1 is not a system number of two digits").arg(Quoted(e.Database)));
        if (!IsSystemId(e.MSSysName))
            add(n, QStringLiteral("MSSysName"), groups || server ? Severity::Error : Severity::Warning,
                QStringLiteral("MSSysName %1 is not a system ID of three letters or digits starting with a "
                               "letter")
                    .arg(Quoted(e.MSSysName)));

        static const QStringList sncChoices = {QStringLiteral("-1"), QStringLiteral("0"),
                                               QStringLiteral("1"),  QStringLiteral("2"),
                                               QStringLiteral("3"),  QStringLiteral("9")};
        // An empty choice is SAP Logon's default, as in files written by hand.
        if (!e.SncChoice.isEmpty() && !sncChoices.contains(e.SncChoice))
            add(n, QStringLiteral("SncChoice"), Severity::Error,
                QStringLiteral("SncChoice %1 is none of -1, 0, 1, 2, 3 and 9").arg(Quoted(e.SncChoice)));
        else if (e.SncChoice.toInt() >= 1 && e.SncName.isEmpty())
            add(n, QStringLiteral("SncName"), Severity::Error,
                QStringLiteral("SNC is on (SncChoice %1) but SncName is empty").arg(e.SncChoice));

        if (e.RouterChoice == u"1" && e.Router2.isEmpty())
            add(n, QStringLiteral("Router2"), Severity::Error,
                QStringLiteral("RouterChoice 1 asks for a router string of its own to the application "
                               "server, but Router2 is empty"));
        for (const auto &[name, value] : {std::pair{QStringLiteral("Router"), &e.Router},
                                          std::pair{QStringLiteral("Router2"), &e.Router2}})
            if (!value->isEmpty() && !IsRouterString(*value))
                add(n, name, Severity::Error,
                    QStringLiteral("%1 is not a router string: \"/H/host\" groups, each with an optional "
                                   "\"/S/service\" and \"/W/password\", and a closing \"/H/\" where one is "
                                   "needed")
                        .arg(Quoted(*value)));
    }

    void checkKeys(const QList<tyEntry> &entries, const tyGlobal &global) {
        TFirstWithValue firstWithKey(entries, &tyEntry::SessManKey);
        TFirstWithValue firstWithDescription(entries, &tyEntry::Description);
        qint64 largest = 0;
        bool anyNumber = false;
        for (int i = 0; i < entries.size(); ++i) {
            const tyEntry &e = entries[i];
            const int n = i + 1;
            if (!e.SessManKey.isEmpty() && e.SessManKey != u"-1") {
                if (const int first = firstWithKey.FirstOrAdd(i))
                    add(n, QStringLiteral("SessManKey"), Severity::Error,
                        QStringLiteral("SessManKey %1 is also the key of Item%2: the Session Manager needs "
                                       "a key of its own for each entry")
                            .arg(e.SessManKey)
                            .arg(first));
                qint32 key = 0;
                if (TryStrToInt(e.SessManKey, key)) {
                    largest = anyNumber ? std::max<qint64>(largest, key) : key;
                    anyNumber = true;
                }
            }
            if (!e.Description.isEmpty()) {
                if (const int first = firstWithDescription.FirstOrAdd(i))
                    add(n, QStringLiteral("Description"), Severity::Warning,
                        QStringLiteral("The description is the same as that of Item%1").arg(first));
            }
        }
        const qint32 next = global.Configuration.SessManNewKey;
        if (anyNumber && next <= largest)
            add(0, QStringLiteral("[Configuration] SessManNewKey"), Severity::Error,
                QStringLiteral("SessManNewKey %1 is not greater than the largest SessManKey %2: SAP Logon "
                               "would give a new entry a key that is already in use")
                    .arg(next)
                    .arg(largest));
    }

    void checkGlobalText(const tyGlobal &global, const tyOtherContent &other) {
        checkWritable(0, QStringLiteral("[Configuration] SapguiNTCmdOpts"),
                      global.Configuration.SapguiNTCmdOpts);
        checkWritable(0, QStringLiteral("[MSLast] MSLast"), global.MSLast.MSLast);
        auto keys = [&](const QString &section, const QList<tyKeptKey> &kept) {
            for (const tyKeptKey &k : kept) {
                checkWritable(0, u'[' + section + QStringLiteral("] ") + k.Name, k.Name);
                checkWritable(0, u'[' + section + QStringLiteral("] ") + k.Name, k.Value);
            }
        };
        keys(QStringLiteral("Configuration"), other.ConfigurationKeys);
        keys(QStringLiteral("MSLast"), other.MSLastKeys);
        keys(QStringLiteral("MSWinPos"), other.MSWinPosKeys);
        for (const tyKeptSection &s : other.Sections) {
            checkWritable(0, u'[' + s.Name + u']', s.Name);
            keys(s.Name, s.Keys);
        }
    }

    void checkOtherValues(const QList<tyEntry> &entries, const tyOtherContent &other) {
        if (!ansi)
            return;
        for (const QString &name : other.EntrySections)
            checkWritable(0, u'[' + name + u']', name);
        for (int i = 0; i < entries.size(); ++i)
            for (qsizetype s = 0; s < entries[i].Other.size() && s < other.EntrySections.size(); ++s)
                if (entries[i].Other[s])
                    checkWritable(i + 1, other.EntrySections[s], *entries[i].Other[s]);
    }
};

// One "/X/value" step of a router string: its letter (upper case) and where the next one starts.
bool NextRouterStep(QStringView text, qsizetype &at, QChar &letter, bool &hasValue) {
    if (at + 3 > text.size() || text[at] != u'/' || text[at + 2] != u'/')
        return false;
    letter = text[at + 1].toUpper();
    qsizetype end = at + 3;
    while (end < text.size() && text[end] != u'/')
        ++end;
    hasValue = end > at + 3;
    at = end;
    return true;
}
} // namespace

bool IsRouterString(QStringView text) {
    qsizetype at = 0;
    int hosts = 0;
    QChar previous;
    while (at < text.size()) {
        QChar letter;
        bool hasValue = false;
        if (!NextRouterStep(text, at, letter, hasValue))
            return false;
        if (letter == u'H') {
            if (!hasValue)
                return at == text.size() && hosts > 0; // the closing "/H/"
            ++hosts;
        } else if (letter == u'S') {
            if (!hasValue || previous != u'H')
                return false;
        } else if (letter == u'W' || letter == u'P') {
            if (!hasValue || (previous != u'H' && previous != u'S'))
                return false;
        } else {
            return false;
        }
        previous = letter;
    }
    return hosts > 0;
}

QList<TProblem> CheckModel(const QList<tyEntry> &entries, const tyGlobal &global, const tyOtherContent &other,
                           bool textEncodingIsAnsi) {
    Checker c;
    c.ansi = textEncodingIsAnsi;
    for (int i = 0; i < entries.size(); ++i)
        c.checkEntry(i + 1, entries[i]);
    c.checkKeys(entries, global);
    c.checkOtherValues(entries, other);
    c.checkGlobalText(global, other);
    // Entry by entry, global and file-wide problems (entry 0) last, each list in the order found.
    std::stable_sort(c.problems.begin(), c.problems.end(), [](const TProblem &a, const TProblem &b) {
        return (a.Entry == 0 ? INT_MAX : a.Entry) < (b.Entry == 0 ? INT_MAX : b.Entry);
    });
    return c.problems;
}

QList<TProblem> CheckFile(const ProfileReader &reader, qsizetype entryCount) {
    QList<TProblem> problems;
    for (const char *field : EntryFieldNames) {
        const QString section = QString::fromLatin1(field);
        QStringList unread;
        reader.ForEachRawKeyName(section, [&](QStringView key) {
            const qsizetype n = ProfileReader::ItemNumber(key);
            if (n < 1 || n > entryCount)
                unread << key.toString();
        });
        if (!unread.isEmpty())
            problems.append(
                {0, u'[' + section + u']', Severity::Warning,
                 QStringLiteral("%1 %2 SAP Logon never reads: %3 (the file has %4 entries, "
                                "\"Item1\" to \"Item%4\"); saving drops them")
                     .arg(unread.size())
                     .arg(unread.size() == 1 ? QStringLiteral("key") : QStringLiteral("keys"), Listed(unread))
                     .arg(entryCount)});
    }
    const ProfileReader::Unreachable u = reader.UnreachableLines();
    QHash<QString, int> copies;
    QStringList order;
    for (const QString &name : u.RepeatedSections) {
        const QString folded = ProfileReader::FoldedName(name);
        if (!copies.contains(folded))
            order << name;
        ++copies[folded];
    }
    for (const QString &name : order)
        problems.append({0, u'[' + name + u']', Severity::Error,
                         QStringLiteral("The section appears %1 times: SAP Logon reads only the first copy, "
                                        "and saving drops the others")
                             .arg(copies.value(ProfileReader::FoldedName(name)) + 1)});
    QHash<QString, QStringList> lines;
    QStringList lineSections;
    for (const auto &[section, line] : u.LinesWithoutEquals) {
        if (!lines.contains(section))
            lineSections << section;
        lines[section] << line;
    }
    for (const QString &section : lineSections) {
        const QStringList &l = lines.value(section);
        problems.append(
            {0, section.isEmpty() ? QStringLiteral("Before the first section") : u'[' + section + u']',
             Severity::Warning,
             QStringLiteral("%1 %2 without \"=\": %3; SAP Logon ignores them, and saving drops them")
                 .arg(l.size())
                 .arg(l.size() == 1 ? QStringLiteral("line") : QStringLiteral("lines"), Listed(l))});
    }
    return problems;
}

QList<TProblem> CheckDocument(const SapLogonDocument &doc) {
    QList<TProblem> problems = doc.FFileProblems;
    problems +=
        CheckModel(doc.FEntries, doc.FGlobal, doc.FOther, doc.Lines().Encoding() == TTextEncoding::Ansi);
    return problems;
}

QString ProblemLine(const TProblem &problem) {
    const QString where =
        problem.Entry > 0 ? QStringLiteral("Item%1 %2").arg(problem.Entry).arg(problem.Where) : problem.Where;
    return where + QStringLiteral(": ") +
           (problem.Level == Severity::Error ? QStringLiteral("error: ") : QStringLiteral("warning: ")) +
           problem.Message;
}

bool HasErrors(const QList<TProblem> &problems) {
    for (const TProblem &p : problems)
        if (p.Level == Severity::Error)
            return true;
    return false;
}
