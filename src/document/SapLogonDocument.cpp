#include "document/SapLogonDocument.h"

#include "document/ProfileReader.h"
#include "editor/CodeMemoStrings.h"
#include "platform/AppError.h"
#include "platform/FileOps.h"
#include "platform/LargeBuffers.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <array>
#include <climits>

namespace {
const std::array<QString, tyEntry::FieldCount> &fieldSections() {
    static const std::array<QString, tyEntry::FieldCount> names = [] {
        std::array<QString, tyEntry::FieldCount> n;
        for (int f = 0; f < tyEntry::FieldCount; ++f)
            n[f] = QString::fromLatin1(EntryFieldNames[f]);
        return n;
    }();
    return names;
}

QString flag(bool b) {
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

// Keys of a global section other than the ones the model reads.
QList<tyKeptKey> keptKeysOf(const ProfileReader &reader, const QString &section,
                            std::initializer_list<const char *> known) {
    QList<tyKeptKey> kept;
    reader.ForEachRawKey(section, [&](QStringView name, QStringView value) {
        for (const char *k : known)
            if (ProfileReader::SameName(name, QString::fromLatin1(k)))
                return;
        kept.append({name.toString(), value.toString()});
    });
    return kept;
}

// The file's sections beyond the 22: those whose keys are all "Item1".."Item<count>" give each
// entry a value; the others are kept whole. entries are the count entries just read.
void readOtherSections(const ProfileReader &reader, QList<tyEntry> &entries, tyOtherContent &other) {
    const qsizetype count = entries.size();
    QStringList entrySections;
    for (const QString &name : reader.SectionNames()) {
        if (IsModelSection(name))
            continue;
        bool perEntry = count > 0;
        reader.ForEachRawKeyName(name, [&](QStringView key) {
            const qsizetype n = ProfileReader::ItemNumber(key);
            perEntry = perEntry && n >= 1 && n <= count;
        });
        if (perEntry) {
            entrySections.append(name);
            continue;
        }
        tyKeptSection &kept = other.Sections.emplace_back();
        kept.Name = name;
        reader.ForEachRawKey(name, [&](QStringView key, QStringView value) {
            kept.Keys.append({key.toString(), value.toString()});
        });
    }
    for (tyEntry &e : entries)
        e.Other.resize(entrySections.size());
    for (qsizetype s = 0; s < entrySections.size(); ++s)
        reader.ForEachRawKey(entrySections[s], [&](QStringView key, QStringView value) {
            entries[ProfileReader::ItemNumber(key) - 1].Other[s] = reader.SharedString(value);
        });
    other.EntrySections = std::move(entrySections);
}

// Imported entries carry values of their own file's entry sections; they move to the document's
// section of the same name, which is added when the document has none. A document section
// that the imported file lacks stays empty for them, and the other way round.
void mergeEntrySections(tyOtherContent &doc, const QStringList &imported, QList<tyEntry> &entries) {
    QHash<QString, qsizetype> position;
    for (qsizetype s = 0; s < doc.EntrySections.size(); ++s)
        position.insert(ProfileReader::FoldedName(doc.EntrySections[s]), s);
    QSet<QString> keptNames;
    for (const tyKeptSection &k : doc.Sections)
        keptNames.insert(ProfileReader::FoldedName(k.Name));
    QList<qsizetype> target;
    target.reserve(imported.size());
    for (const QString &name : imported) {
        const QString folded = ProfileReader::FoldedName(name);
        if (position.contains(folded)) {
            target.append(position.value(folded));
        } else if (keptNames.contains(folded)) {
            target.append(-1); // the document keeps a section of that name whole: it stays as it is
        } else {
            position.insert(folded, doc.EntrySections.size());
            target.append(doc.EntrySections.size());
            doc.EntrySections.append(name);
        }
    }
    for (tyEntry &e : entries) {
        QList<std::optional<QString>> other(doc.EntrySections.size());
        for (qsizetype s = 0; s < e.Other.size(); ++s)
            if (target[s] >= 0)
                other[target[s]] = std::move(e.Other[s]);
        e.Other = std::move(other);
    }
}

// The profile reader's blanks: Tab, LF, VT, FF, CR, Ctrl-Z and space.
bool isProfileBlank(QChar c) {
    return (c >= u'\t' && c <= u'\r') || c == u'\x1A' || c == u' ';
}

// Adds the line "<prefix><value>" such that the profile reader reads value back: the value itself,
// unless the reader would trim blanks off its ends or (for a model value) take a pair of enclosing
// quotes away; such a value is quoted once more. A kept value is the text after "=" as the file
// held it, quotes included, so only blank ends (left where a NUL cut the line) need quotes. The
// reader drops the value's last character instead of the closing quote when the text after the
// opening quote fills its 2048-character buffer; a second closing quote then takes that place.
// tabSize: the line store writes each Tab as that many spaces.
void addValue(TCodeMemoStrings &lines, QStringView prefix, const QString &value, int tabSize,
              bool raw = false) {
    const qsizetype n = value.size();
    const bool blankEnd = n > 0 && (isProfileBlank(value.front()) || isProfileBlank(value.back()));
    const bool enclosed =
        !raw && n >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
    if (!blankEnd && !enclosed) {
        lines.Add(prefix, value);
        return;
    }
    const qsizetype stored = n + (tabSize - 1) * value.count(u'\t');
    lines.Add(prefix,
              QString(u'"' + value + (stored >= 2047 ? QLatin1StringView("\"\"") : QLatin1StringView("\""))));
}

void addKeptKeys(TCodeMemoStrings &lines, const QList<tyKeptKey> &keys, int tabSize) {
    for (const tyKeptKey &k : keys)
        addValue(lines, QString(k.Name + u'='), k.Value, tabSize, true);
}

// "ItemN=", made where it is written: a string a key for every entry would be another
// 100,000 allocations on the largest files.
struct TItemKey {
    char16_t text[32] = {u'I', u't', u'e', u'm'};
    QStringView operator()(qsizetype n) {
        char16_t digits[24];
        int len = 0;
        do {
            digits[len++] = char16_t(u'0' + n % 10);
            n /= 10;
        } while (n > 0);
        qsizetype at = 4;
        while (len > 0)
            text[at++] = digits[--len];
        text[at++] = u'=';
        return QStringView(text, at);
    }
};

// Closes the update bracket however the generation ends.
struct UpdateBracket {
    TCodeMemoStrings &Lines;
    explicit UpdateBracket(TCodeMemoStrings &lines) : Lines(lines) { Lines.BeginUpdate(); }
    ~UpdateBracket() { Lines.EndUpdate(); }
};
} // namespace

SapLogonDocument::SapLogonDocument(TCodeMemoStrings &lines) : FLines(lines) {}

void SapLogonDocument::LoadSapLogon(const QString &source) {
    const bool import = !source.isEmpty();
    const QString path = import ? source : FSapLogon;
    // Read once: the line store, the reader and the fingerprint share the bytes.
    const TFileRead file = ReadRegularFile(path);

    // The model changes only once the file layer has succeeded, so a failed load leaves the
    // document (and the window showing it) as it was.
    const bool exists = FileExists(path);
    if (exists && file.status != TFileRead::Status::Loaded)
        FLines.LoadFromFileBytes(path, file.bytes, file.error); // raises the read error

    QList<tyEntry> loaded;
    tyOtherContent other;
    tyGlobal global;
    QList<TProblem> problems;
    {
        const ProfileReader reader = ProfileReader::FromRead(path, file);
        QStringList names;
        reader.ReadSection(QStringLiteral("Description"), names);
        const qsizetype count = names.size();
        names.clear();
        loaded.reserve(count);
        AdviseLargeBuffer(loaded);
        const auto &sections = fieldSections();
        for (qsizetype n = 1; n <= count; ++n) {
            const QString key = QStringLiteral("Item") + QString::number(n);
            tyEntry &e = loaded.emplace_back();
            for (int f = 0; f < tyEntry::FieldCount; ++f)
                e.field(f) = reader.ReadString(sections[f], key, QString());
        }
        readOtherSections(reader, loaded, other);
        if (!import) {
            other.ConfigurationKeys =
                keptKeysOf(reader, QStringLiteral("Configuration"),
                           {"SessManNewKey", "MessageServerTimeout", "WithWizard", "ConfirmDelete",
                            "NoEditFunctionality", "SapguiHexdumpActivated", "SapguiTraceActivated",
                            "SapguiTraceLevel", "SapguiNTCmdOpts"});
            other.MSLastKeys = keptKeysOf(reader, QStringLiteral("MSLast"), {"MSLast"});
            other.MSWinPosKeys = keptKeysOf(reader, QStringLiteral("MSWinPos"), {"NormX", "NormY"});
            problems = CheckFile(reader, loaded.size());
            const QString conf = QStringLiteral("Configuration");
            tyConfiguration &c = global.Configuration;
            c.SessManNewKey = reader.ReadInteger(conf, QStringLiteral("SessManNewKey"), 0);
            c.MessageServerTimeout = reader.ReadInteger(conf, QStringLiteral("MessageServerTimeout"), 0);
            c.WithWizard = reader.ReadBool(conf, QStringLiteral("WithWizard"), false);
            c.ConfirmDelete = reader.ReadBool(conf, QStringLiteral("ConfirmDelete"), true);
            c.NoEditFunctionality = reader.ReadBool(conf, QStringLiteral("NoEditFunctionality"), true);
            c.SapguiHexdumpActivated = reader.ReadBool(conf, QStringLiteral("SapguiHexdumpActivated"), false);
            c.SapguiTraceActivated = reader.ReadBool(conf, QStringLiteral("SapguiTraceActivated"), false);
            c.SapguiTraceLevel = reader.ReadInteger(conf, QStringLiteral("SapguiTraceLevel"), 0);
            c.SapguiNTCmdOpts = reader.ReadString(conf, QStringLiteral("SapguiNTCmdOpts"), QString());
            global.MSLast.MSLast =
                reader.ReadString(QStringLiteral("MSLast"), QStringLiteral("MSLast"), QString());
            global.MSWinPos.NormX =
                reader.ReadInteger(QStringLiteral("MSWinPos"), QStringLiteral("NormX"), 50);
            global.MSWinPos.NormY =
                reader.ReadInteger(QStringLiteral("MSWinPos"), QStringLiteral("NormY"), 50);
        }
    }
    // The reader's records of every line are gone before the line store makes its own.
    if (exists)
        FLines.LoadFromFileBytes(path, file.bytes, QString());
    else
        FLines.Clear();
    FKnownPath = ResolvedFilePath(path);
    FKnownFile = file.print;

    if (import) {
        // The imported file's own kept sections and global keys stay behind, like its settings.
        mergeEntrySections(FOther, other.EntrySections, loaded);
        FSapLogon = source;
        FEntries.append(std::move(loaded));
        FModified = true;
        return;
    }
    FEntries = std::move(loaded);
    FOther = std::move(other);
    FFileProblems = std::move(problems);
    FGlobal = global;
    FModified = false;
}

void SapLogonDocument::BuildFileContent() {
    // Generated in one pass without yielding to the event loop, so nothing can change the
    // model half-way; the view hears of the result once, when the bracket closes.
    UpdateBracket bracket(FLines);
    // The text it replaces (the file just loaded, or the last generation) is about as large as
    // the new one. Room of just that size takes the place the old text leaves in the heap.
    const qsizetype bytes = FLines.TextBytes();
    FLines.Clear();
    const qsizetype count = FEntries.size();
    qsizetype lines = (tyEntry::FieldCount + FOther.EntrySections.size()) * (count + 2) +
                      FOther.ConfigurationKeys.size() + FOther.MSLastKeys.size() +
                      FOther.MSWinPosKeys.size() + 48;
    for (const tyKeptSection &kept : FOther.Sections)
        lines += kept.Keys.size() + 2;
    FLines.Reserve(int(std::min<qsizetype>(lines, INT_MAX)), bytes);
    const tyConfiguration &c = FGlobal.Configuration;
    FLines.Add(QStringLiteral("[Configuration]"));
    FLines.Add(QStringLiteral("SessManNewKey=") + QString::number(c.SessManNewKey));
    FLines.Add(QStringLiteral("MessageServerTimeout=") + QString::number(c.MessageServerTimeout));
    FLines.Add(QStringLiteral("WithWizard=") + flag(c.WithWizard));
    FLines.Add(QStringLiteral("ConfirmDelete=") + flag(c.ConfirmDelete));
    FLines.Add(QStringLiteral("NoEditFunctionality=") + flag(c.NoEditFunctionality));
    FLines.Add(QStringLiteral("SapguiHexdumpActivated=") + flag(c.SapguiHexdumpActivated));
    FLines.Add(QStringLiteral("SapguiTraceActivated=") + flag(c.SapguiTraceActivated));
    FLines.Add(QStringLiteral("SapguiTraceLevel=") + QString::number(c.SapguiTraceLevel));
    const int tab = FLines.Memo() ? FLines.Memo()->TabSize() : 4; // as the line store expands Tabs
    addValue(FLines, u"SapguiNTCmdOpts=", c.SapguiNTCmdOpts, tab);
    // Kept keys follow the known ones inside the first copy of their section, where SAP Logon looks.
    addKeptKeys(FLines, FOther.ConfigurationKeys, tab);
    FLines.Add(QString());
    FLines.Add(QStringLiteral("[MSLast]"));
    addValue(FLines, u"MSLast=", FGlobal.MSLast.MSLast, tab);
    addKeptKeys(FLines, FOther.MSLastKeys, tab);
    FLines.Add(QString());
    FLines.Add(QStringLiteral("[MSWinPos]"));
    FLines.Add(QStringLiteral("NormX=") + QString::number(FGlobal.MSWinPos.NormX));
    FLines.Add(QStringLiteral("NormY=") + QString::number(FGlobal.MSWinPos.NormY));
    addKeptKeys(FLines, FOther.MSWinPosKeys, tab);

    const auto &sections = fieldSections();
    TItemKey key;
    for (int f = 0; f < tyEntry::FieldCount; ++f) {
        for (qsizetype j = 0; j < count; ++j) {
            if (j == 0) {
                FLines.Add(QString());
                FLines.Add(u'[' + sections[f] + u']');
            }
            addValue(FLines, key(j + 1), FEntries[j].field(f), tab);
        }
    }
    // The other entry sections have the same shape, without a line where an entry has no key.
    for (qsizetype s = 0; s < FOther.EntrySections.size() && count > 0; ++s) {
        FLines.Add(QString());
        FLines.Add(u'[' + FOther.EntrySections[s] + u']');
        for (qsizetype j = 0; j < count; ++j) {
            const QList<std::optional<QString>> &other = FEntries[j].Other;
            if (s < other.size() && other[s])
                addValue(FLines, key(j + 1), *other[s], tab, true);
        }
    }
    for (const tyKeptSection &kept : FOther.Sections) {
        FLines.Add(QString());
        FLines.Add(u'[' + kept.Name + u']');
        addKeptKeys(FLines, kept.Keys, tab);
    }
}

void SapLogonDocument::RenumberSessManKeys() {
    for (qsizetype k = 0; k < FEntries.size(); ++k)
        FEntries[k].SessManKey = QString::number(k + 1);
    FGlobal.Configuration.SessManNewKey = qint32(FEntries.size() + 1);
    FModified = true;
}

QString SapLogonDocument::SaveWithBackup(const QDateTime &now) {
    // The previous file is never moved away: it stays under its name until the new one, complete
    // and flushed, takes that name, and it is kept as a backup first (or the save stops).
    const TReplaceResult saved = ReplaceFile(FSapLogon, FLines.EncodedText(), [&now](const QString &target) {
        return BackupPathFor(target, now);
    });
    FLines.MarkLinesSaved();
    return saved.backup;
}

QString SapLogonDocument::Save(const QDateTime &now) {
    const QString backup = SaveWithBackup(now);
    const TFileRead file = ReadRegularFile(FSapLogon);
    RememberFile(FSapLogon, file.print);
    FLines.LoadFromFileBytes(FSapLogon, file.bytes,
                             file.status == TFileRead::Status::Loaded ? QString() : file.error);
    FModified = false;
    // Hand edits on the File content page may have written what regeneration never would.
    FFileProblems = CheckFile(ProfileReader::FromRead(FSapLogon, file), FEntries.size());
    return backup;
}

void SapLogonDocument::RememberFile(const QString &path, const FileFingerprint &print) {
    FKnownPath = ResolvedFilePath(path);
    FKnownFile = print;
}

bool SapLogonDocument::ChangedOnDisk(const QString &path) const {
    if (FKnownPath.isEmpty() || ResolvedFilePath(path) != FKnownPath)
        return false;
    const FileFingerprint now = FingerprintOf(path);
    return now.Exists && now != FKnownFile;
}

QString ZeroPad(qint32 value, int width) {
    QString s = QString::number(value);
    if (s.size() < width)
        s.prepend(QString(width - s.size(), u'0'));
    return s;
}

QString BackupPathFor(const QString &path, const QDateTime &when) {
    const QDate d = when.date();
    const QTime t = when.time();
    const QString ext = u'.' + ZeroPad(d.year(), 4) + ZeroPad(d.month(), 2) + ZeroPad(d.day(), 2) +
                        ZeroPad(t.hour(), 2) + ZeroPad(t.minute(), 2) + ZeroPad(t.second(), 2);
    // "/" separates folders here just as "\" does on Windows.
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (c == u'.')
            return path.left(i) + ext;
        if (c == u':' || c == u'\\' || c == u'/')
            break;
    }
    return path + ext;
}
