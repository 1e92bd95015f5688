// saplogon-ini: reads, regenerates and rewrites SAPLOGON.INI files from scripts, with the same
// reader, generator and safe save as the editor.

#include "document/ProfileReader.h"
#include "document/SapLogonDocument.h"
#include "editor/HeadlessCodeMemoView.h"
#include "platform/AppError.h"
#include "platform/FileOps.h"
#include "platform/LargeBuffers.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

// Under a sanitizer the process frees everything, so that the leak check sees the whole program.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SAPLOGON_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer) || __has_feature(memory_sanitizer) ||  \
    __has_feature(thread_sanitizer)
#define SAPLOGON_SANITIZED 1
#endif
#endif

namespace {
constexpr int kOk = 0;
constexpr int kError = 1;
constexpr int kUsage = 2;
constexpr int kWarnings = 3; // check: warnings only

const char kHelp[] =
    "Usage: saplogon-ini COMMAND ARGUMENTS...\n"
    "       saplogon-ini --help | --version\n"
    "\n"
    "Reads and rewrites SAPLOGON.INI files as SAP Logon and the editor see them.\n"
    "\n"
    "Reading (a missing file reads as empty, as SAP Logon reads it):\n"
    "  keys FILE SECTION                     key names of SECTION, one a line\n"
    "  read FILE SECTION KEY [--default TEXT]\n"
    "                                        value of KEY, or TEXT when it is missing\n"
    "  read-int FILE SECTION KEY DEFAULT     value read as an integer\n"
    "  read-bool FILE SECTION KEY DEFAULT    value read as a Boolean: 1 or 0 (DEFAULT 1 or 0)\n"
    "\n"
    "Whole files:\n"
    "  entries FILE [--json]                 entries and global settings as the editor loads them\n"
    "  generate FILE                         the regenerated file, in FILE's encoding\n"
    "  normalize FILE                        rewrite FILE as its regenerated text\n"
    "  import FILE OTHER                     append OTHER's entries to FILE\n"
    "  renumber FILE                         Session Manager keys 1..n, SessManNewKey n+1\n"
    "  check FILE [--json]                   mistakes SAP Logon does not report, one a line\n"
    "\n"
    "Sections and keys that the editor's form does not show are kept and written\n"
    "back unchanged, further \"ItemN\" sections with their entries.\n"
    "\n"
    "An option's value may follow it or be joined to it with \"=\" (--default=TEXT);\n"
    "\"--\" ends the options, so that later arguments may begin with \"--\".\n"
    "\n"
    "normalize, import and renumber keep the previous FILE as FILE's name with the\n"
    "extension replaced by the date and time (saplogon.20240413140105, then -2, -3, ...\n"
    "within the same second) and say where.\n"
    "\n"
    "Output is UTF-8 (generate writes the file's own bytes). Exit status: 0 done,\n"
    "1 error (message on standard error), 2 wrong usage; check: 0 clean, 1 errors\n"
    "found, 3 warnings only.\n";

struct UsageError {
    QString message;
};

struct Command {
    int minArgs;
    int maxArgs;
    std::function<int(const QStringList &)> run;
};

void out(QByteArrayView bytes) {
    std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout);
}

void outLine(const QString &text) {
    out(QByteArray(text.toUtf8() + '\n'));
}

// Scripts read a file that is not there as empty, as SAP Logon does; anything else that
// stops the file from being read is an error, not silently an empty file.
void requireReadable(const ProfileReader &reader, const QString &path) {
    if (reader.SourceState() == ProfileReader::Source::Unreadable)
        throw EAppError(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                            .arg(QFileInfo(path).absoluteFilePath(), reader.SourceError()));
}

void requireExisting(const QString &path) {
    if (!FileExists(path)) {
        const QString why = QFileInfo(path).isDir() ? QStringLiteral("Is a directory")
                                                    : QStringLiteral("No such file or directory");
        throw EAppError(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                            .arg(QFileInfo(path).absoluteFilePath(), why));
    }
}

qint32 integerArgument(const QString &text) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok)
        throw UsageError{QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text)};
    return v;
}

// A document over a headless view, reloaded from path.
struct LoadedDocument {
    THeadlessCodeMemoView view;
    SapLogonDocument doc{view.Lines()};
    explicit LoadedDocument(const QString &path) {
        view.Lines().Clear();
        doc.FSapLogon = path;
        doc.LoadSapLogon(QString());
    }
};

// The document of the command outlives it: main ends the process without taking a large
// document apart piece by piece.
std::unique_ptr<LoadedDocument> &keptDocument() {
    static std::unique_ptr<LoadedDocument> document;
    return document;
}

LoadedDocument &loadDocument(const QString &path) {
    keptDocument().reset();
    keptDocument() = std::make_unique<LoadedDocument>(path);
    return *keptDocument();
}

// Output gathered in pieces and written in large blocks, so that a large document is never held
// as one text.
class TOutput {
public:
    ~TOutput() { flush(); }
    TOutput &operator<<(QByteArrayView bytes) {
        FBuffer.append(bytes);
        if (FBuffer.size() >= kBlock)
            flush();
        return *this;
    }
    TOutput &operator<<(qint64 n) { return *this << QByteArray::number(n); }
    void flush() {
        out(FBuffer);
        FBuffer.clear();
    }
    QByteArray &buffer() { return FBuffer; }

private:
    static constexpr qsizetype kBlock = 1 << 16;
    QByteArray FBuffer;
};

char hexDigit(unsigned v) {
    return char(v < 10 ? '0' + v : 'a' + v - 10);
}

// A JSON string as QJsonDocument writes it: quotes, "\\" and the C0 controls escaped (short
// forms where JSON has them), the rest as UTF-8, a lone surrogate as "\uXXXX".
void appendJsonString(QByteArray &j, QStringView text) {
    j.append('"');
    const char16_t *p = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c >= 0x20 && c < 0x80 && c != u'"' && c != u'\\') {
            j.append(char(c));
        } else if (c < 0x80) {
            j.append('\\');
            switch (c) {
            case u'"':
                j.append('"');
                break;
            case u'\\':
                j.append('\\');
                break;
            case 0x08:
                j.append('b');
                break;
            case 0x0C:
                j.append('f');
                break;
            case 0x0A:
                j.append('n');
                break;
            case 0x0D:
                j.append('r');
                break;
            case 0x09:
                j.append('t');
                break;
            default:
                j.append("u00").append(hexDigit(c >> 4)).append(hexDigit(c & 0xF));
            }
        } else if (c < 0x800) {
            j.append(char(0xC0 | (c >> 6))).append(char(0x80 | (c & 0x3F)));
        } else if (!QChar::isSurrogate(c)) {
            j.append(char(0xE0 | (c >> 12)))
                .append(char(0x80 | ((c >> 6) & 0x3F)))
                .append(char(0x80 | (c & 0x3F)));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t u = QChar::surrogateToUcs4(c, p[++i]);
            j.append(char(0xF0 | (u >> 18)))
                .append(char(0x80 | ((u >> 12) & 0x3F)))
                .append(char(0x80 | ((u >> 6) & 0x3F)))
                .append(char(0x80 | (u & 0x3F)));
        } else {
            j.append("\\u")
                .append(hexDigit((c >> 12) & 0xF))
                .append(hexDigit((c >> 8) & 0xF))
                .append(hexDigit((c >> 4) & 0xF))
                .append(hexDigit(c & 0xF));
        }
    }
    j.append('"');
}

QByteArray jsonString(QStringView text) {
    QByteArray j;
    appendJsonString(j, text);
    return j;
}

// {"name": "value", ...} of kept keys, in their order.
QByteArray keysJson(const QList<tyKeptKey> &keys) {
    QByteArray j = "{";
    for (qsizetype k = 0; k < keys.size(); ++k)
        j += QByteArray(k ? ", " : "") + jsonString(keys[k].Name) + ": " + jsonString(keys[k].Value);
    return j + '}';
}

// JSON in the order of the file's sections (a JSON object of Qt would sort the names), written
// as it is made.
void writeEntriesJson(const SapLogonDocument &doc) {
    const tyOtherContent &other = doc.FOther;
    TOutput o;
    o << "{\n  \"FSapLogon\": " << jsonString(doc.FSapLogon) << ",\n  \"FEntries\": [";
    for (qsizetype n = 0; n < doc.FEntries.size(); ++n) {
        const tyEntry &e = doc.FEntries[n];
        QByteArray &j = o.buffer();
        j += n ? ",\n    {" : "\n    {";
        for (int f = 0; f < tyEntry::FieldCount; ++f) {
            j.append(f ? ", \"" : "\"").append(EntryFieldNames[f]).append("\": ");
            appendJsonString(j, e.field(f));
        }
        // Values of the further entry sections; a section where the entry has no key is left out.
        j += ", \"Other\": {";
        bool first = true;
        for (qsizetype s = 0; s < e.Other.size() && s < other.EntrySections.size(); ++s) {
            if (!e.Other[s])
                continue;
            if (!first)
                j += ", ";
            appendJsonString(j, other.EntrySections[s]);
            j += ": ";
            appendJsonString(j, *e.Other[s]);
            first = false;
        }
        o << "}}";
    }
    o << (doc.FEntries.isEmpty() ? "],\n" : "\n  ],\n");
    const tyConfiguration &c = doc.FGlobal.Configuration;
    auto flag = [](bool b) { return b ? "true" : "false"; };
    o << "  \"FGlobal\": {\n    \"Configuration\": {\"SessManNewKey\": " << qint64(c.SessManNewKey)
      << ", \"MessageServerTimeout\": " << qint64(c.MessageServerTimeout)
      << ", \"WithWizard\": " << flag(c.WithWizard) << ", \"ConfirmDelete\": " << flag(c.ConfirmDelete)
      << ", \"NoEditFunctionality\": " << flag(c.NoEditFunctionality)
      << ", \"SapguiHexdumpActivated\": " << flag(c.SapguiHexdumpActivated)
      << ", \"SapguiTraceActivated\": " << flag(c.SapguiTraceActivated)
      << ", \"SapguiTraceLevel\": " << qint64(c.SapguiTraceLevel)
      << ", \"SapguiNTCmdOpts\": " << jsonString(c.SapguiNTCmdOpts)
      << "},\n    \"MSLast\": {\"MSLast\": " << jsonString(doc.FGlobal.MSLast.MSLast)
      << "},\n    \"MSWinPos\": {\"NormX\": " << qint64(doc.FGlobal.MSWinPos.NormX)
      << ", \"NormY\": " << qint64(doc.FGlobal.MSWinPos.NormY) << "}\n  },\n";
    o << "  \"FOther\": {\n    \"EntrySections\": [";
    for (qsizetype s = 0; s < other.EntrySections.size(); ++s)
        o << (s ? ", " : "") << jsonString(other.EntrySections[s]);
    o << "],\n    \"Configuration\": " << keysJson(other.ConfigurationKeys)
      << ",\n    \"MSLast\": " << keysJson(other.MSLastKeys)
      << ",\n    \"MSWinPos\": " << keysJson(other.MSWinPosKeys) << ",\n    \"Sections\": {";
    for (qsizetype s = 0; s < other.Sections.size(); ++s)
        o << (s ? ",\n      " : "\n      ") << jsonString(other.Sections[s].Name) << ": "
          << keysJson(other.Sections[s].Keys);
    o << (other.Sections.isEmpty() ? "}\n  }\n}\n" : "\n    }\n  }\n}\n");
}

void printEntries(const SapLogonDocument &doc) {
    const tyOtherContent &other = doc.FOther;
    for (qsizetype j = 0; j < doc.FEntries.size(); ++j) {
        const tyEntry &e = doc.FEntries[j];
        const QString item = QStringLiteral("Item") + QString::number(j + 1) + u'.';
        for (int f = 0; f < tyEntry::FieldCount; ++f)
            outLine(item + QLatin1String(EntryFieldNames[f]) + u'=' + e.field(f));
        for (qsizetype s = 0; s < e.Other.size() && s < other.EntrySections.size(); ++s)
            if (e.Other[s])
                outLine(item + other.EntrySections[s] + u'=' + *e.Other[s]);
    }
    const tyConfiguration &c = doc.FGlobal.Configuration;
    auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    outLine(QStringLiteral("Configuration.SessManNewKey=%1").arg(c.SessManNewKey));
    outLine(QStringLiteral("Configuration.MessageServerTimeout=%1").arg(c.MessageServerTimeout));
    outLine(QStringLiteral("Configuration.WithWizard=") + flag(c.WithWizard));
    outLine(QStringLiteral("Configuration.ConfirmDelete=") + flag(c.ConfirmDelete));
    outLine(QStringLiteral("Configuration.NoEditFunctionality=") + flag(c.NoEditFunctionality));
    outLine(QStringLiteral("Configuration.SapguiHexdumpActivated=") + flag(c.SapguiHexdumpActivated));
    outLine(QStringLiteral("Configuration.SapguiTraceActivated=") + flag(c.SapguiTraceActivated));
    outLine(QStringLiteral("Configuration.SapguiTraceLevel=%1").arg(c.SapguiTraceLevel));
    outLine(QStringLiteral("Configuration.SapguiNTCmdOpts=") + c.SapguiNTCmdOpts);
    outLine(QStringLiteral("MSLast.MSLast=") + doc.FGlobal.MSLast.MSLast);
    outLine(QStringLiteral("MSWinPos.NormX=%1").arg(doc.FGlobal.MSWinPos.NormX));
    outLine(QStringLiteral("MSWinPos.NormY=%1").arg(doc.FGlobal.MSWinPos.NormY));
    auto printKeys = [](const QString &section, const QList<tyKeptKey> &keys) {
        for (const tyKeptKey &k : keys)
            outLine(section + u'.' + k.Name + u'=' + k.Value);
    };
    printKeys(QStringLiteral("Configuration"), other.ConfigurationKeys);
    printKeys(QStringLiteral("MSLast"), other.MSLastKeys);
    printKeys(QStringLiteral("MSWinPos"), other.MSWinPosKeys);
    for (const tyKeptSection &kept : other.Sections)
        printKeys(kept.Name, kept.Keys);
}

QByteArray problemsJson(const QList<TProblem> &problems) {
    QByteArray j = "[";
    for (qsizetype i = 0; i < problems.size(); ++i) {
        const TProblem &p = problems[i];
        j += QByteArray(i ? ",\n " : "\n ") + "{\"entry\": " + QByteArray::number(p.Entry) +
             ", \"where\": " + jsonString(p.Where) + ", \"severity\": \"" +
             (p.Level == TProblem::Severity::Error ? "error" : "warning") +
             "\", \"message\": " + jsonString(p.Message) + '}';
    }
    return j + (problems.isEmpty() ? "]\n" : "\n]\n");
}

// Regenerates and saves with backup; reports where the previous file went. The process ends
// next, so the document does not read back what it wrote, as the window's would.
void saveRegenerated(SapLogonDocument &doc) {
    doc.BuildFileContent();
    const QString backup = doc.SaveWithBackup();
    if (!backup.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(QStringLiteral("previous file kept as %1").arg(backup)));
}

const std::map<QString, Command> &commands() {
    static const std::map<QString, Command> table = {
        {"keys",
         {2, 2,
          [](const QStringList &a) {
              const ProfileReader reader(a[0]);
              requireReadable(reader, a[0]);
              QStringList names;
              reader.ReadSection(a[1], names);
              for (const QString &n : names)
                  outLine(n);
              return kOk;
          }}},
        {"read",
         {3, 3,
          [](const QStringList &a) {
              const ProfileReader reader(a[0]);
              requireReadable(reader, a[0]);
              outLine(reader.ReadString(a[1], a[2], a.value(3)));
              return kOk;
          }}},
        {"read-int",
         {4, 4,
          [](const QStringList &a) {
              const qint32 def = integerArgument(a[3]);
              const ProfileReader reader(a[0]);
              requireReadable(reader, a[0]);
              outLine(QString::number(reader.ReadInteger(a[1], a[2], def)));
              return kOk;
          }}},
        {"read-bool",
         {4, 4,
          [](const QStringList &a) {
              const qint32 def = integerArgument(a[3]);
              const ProfileReader reader(a[0]);
              requireReadable(reader, a[0]);
              outLine(reader.ReadBool(a[1], a[2], def != 0) ? QStringLiteral("1") : QStringLiteral("0"));
              return kOk;
          }}},
        {"entries",
         {1, 1,
          [](const QStringList &a) {
              requireExisting(a[0]);
              LoadedDocument &d = loadDocument(a[0]);
              if (a.value(1) == QStringLiteral("--json"))
                  writeEntriesJson(d.doc);
              else
                  printEntries(d.doc);
              return kOk;
          }}},
        {"generate",
         {1, 1,
          [](const QStringList &a) {
              requireExisting(a[0]);
              LoadedDocument &d = loadDocument(a[0]);
              d.doc.BuildFileContent();
              out(d.view.Lines().EncodedText());
              return kOk;
          }}},
        {"normalize",
         {1, 1,
          [](const QStringList &a) {
              requireExisting(a[0]);
              LoadedDocument &d = loadDocument(a[0]);
              saveRegenerated(d.doc);
              return kOk;
          }}},
        {"import",
         {2, 2,
          [](const QStringList &a) {
              requireExisting(a[1]);
              const ProfileReader target(a[0]);
              requireReadable(target, a[0]);
              LoadedDocument &d = loadDocument(a[0]);
              const qsizetype before = d.doc.FEntries.size();
              d.doc.LoadSapLogon(a[1]);
              // The import form adopts the other file; the result belongs to FILE, in FILE's
              // encoding when it has one.
              d.doc.FSapLogon = a[0];
              if (FileExists(a[0]))
                  d.view.Lines().LoadFromFile(a[0]);
              saveRegenerated(d.doc);
              std::fprintf(stderr, "%lld entries imported, %lld in all\n",
                           static_cast<long long>(d.doc.FEntries.size() - before),
                           static_cast<long long>(d.doc.FEntries.size()));
              return kOk;
          }}},
        {"check",
         {1, 1,
          [](const QStringList &a) {
              requireExisting(a[0]);
              LoadedDocument &d = loadDocument(a[0]);
              const QList<TProblem> problems = CheckDocument(d.doc);
              if (a.value(1) == QStringLiteral("--json"))
                  out(problemsJson(problems));
              else
                  for (const TProblem &p : problems)
                      outLine(ProblemLine(p));
              return problems.isEmpty() ? kOk : HasErrors(problems) ? kError : kWarnings;
          }}},
        {"renumber",
         {1, 1,
          [](const QStringList &a) {
              requireExisting(a[0]);
              LoadedDocument &d = loadDocument(a[0]);
              d.doc.RenumberSessManKeys();
              saveRegenerated(d.doc);
              return kOk;
          }}},
    };
    return table;
}

int run(QStringList args) {
    if (args.isEmpty())
        throw UsageError{QStringLiteral("a command is needed")};
    const QString &first = args.first();
    const qsizetype optionsEnd = args.indexOf(QStringLiteral("--"));
    if (first == QStringLiteral("-h") || first == QStringLiteral("help") ||
        args.first(optionsEnd < 0 ? args.size() : optionsEnd).contains(QStringLiteral("--help"))) {
        out(kHelp);
        return kOk;
    }
    if (first == QStringLiteral("--version") || first == QStringLiteral("-v")) {
        outLine(QStringLiteral("saplogon-ini " SAPLOGON_VERSION));
        return kOk;
    }
    const QString name = args.takeFirst();
    const auto it = commands().find(name);
    if (it == commands().end())
        throw UsageError{QStringLiteral("unknown command '%1'").arg(name)};

    // Options: --default TEXT (read) and --json (entries, check), a value also as --default=TEXT;
    // after "--" everything is positional, so that a section or key may begin with "--".
    QStringList positional;
    QString defaultText;
    bool json = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (optionsEnded || !arg.startsWith(QStringLiteral("--"))) {
            positional.append(arg);
            continue;
        }
        if (arg == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = arg.indexOf(u'=');
        const QString option = equals < 0 ? arg : arg.left(equals);
        if (option == QStringLiteral("--default") && name == QStringLiteral("read")) {
            if (equals >= 0)
                defaultText = arg.mid(equals + 1);
            else if (++i < args.size())
                defaultText = args[i];
            else
                throw UsageError{QStringLiteral("--default needs a text")};
        } else if (option == QStringLiteral("--json") &&
                   (name == QStringLiteral("entries") || name == QStringLiteral("check"))) {
            if (equals >= 0)
                throw UsageError{QStringLiteral("--json takes no value")};
            json = true;
        } else {
            throw UsageError{QStringLiteral("unknown option '%1' for %2").arg(option, name)};
        }
    }
    const Command &cmd = it->second;
    if (positional.size() < cmd.minArgs || positional.size() > cmd.maxArgs)
        throw UsageError{QStringLiteral("wrong number of arguments for %1").arg(name)};
    if (name == QStringLiteral("read"))
        positional.append(defaultText);
    if (json)
        positional.append(QStringLiteral("--json"));
    return cmd.run(positional);
}
} // namespace

int main(int argc, char **argv) {
    IgnoreFileSizeSignal();
    PrepareAllocatorForLargeFiles();
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    try {
        const int rc = run(args);
        std::fflush(stdout);
        const int status = std::ferror(stdout) ? kError : rc;
#ifndef SAPLOGON_SANITIZED
        // All is written; the system takes the memory back at once, which taking a large
        // document apart first would only delay.
        std::fflush(stderr);
        std::quick_exit(status);
#endif
        return status;
    } catch (const UsageError &e) {
        std::fprintf(stderr, "saplogon-ini: %s\nTry 'saplogon-ini --help'.\n", qPrintable(e.message));
        return kUsage;
    } catch (const EAppError &e) {
        std::fprintf(stderr, "saplogon-ini: %s\n", e.what());
        return kError;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "saplogon-ini: %s\n", e.what());
        return kError;
    }
}
