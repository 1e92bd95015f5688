#include "app/EditorCommandLine.h"

#include "platform/FileOps.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {
// Within 80 columns, like a terminal's.
const char kHelp[] = "Usage: saplogon-editor [FILE]\n"
                     "       saplogon-editor --help | --version\n"
                     "\n"
                     "Opens FILE, a SAPLOGON.INI, in the window of the Editor for SAPLOGON.INI;\n"
                     "further arguments are ignored. Without FILE the window opens empty: choose a\n"
                     "file with Open, or let Find look in the Windows folder ($WINDIR, else the Wine\n"
                     "prefix's) and then at $SAPLOGON_INI_FILE.\n"
                     "\n"
                     "  -h, --help      show this help and exit\n"
                     "  -v, --version   show the version and exit\n"
                     "\n"
                     "Qt's own options, such as -platform or -style, are taken as well.\n";
} // namespace

TEditorCommandLine ParseEditorCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    // "-version" is one option, not -v -e -r ...; Qt's one-dash options then do not read as ours.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    const bool parsed = parser.parse(arguments);

    using Action = TEditorCommandLine::Action;
    if (parser.isSet(help))
        return {Action::Help, {}, QString::fromLatin1(kHelp)};
    if (parser.isSet(version))
        return {Action::Version, {}, QStringLiteral("saplogon-editor " SAPLOGON_VERSION "\n")};
    if (!parsed)
        return {
            Action::Error,
            {},
            QStringLiteral("saplogon-editor: %1\nTry 'saplogon-editor --help'.\n").arg(parser.errorText())};

    TEditorCommandLine line;
    line.file = parser.positionalArguments().value(0);
    if (!line.file.isEmpty() && !FileExists(line.file))
        line.text = QStringLiteral("saplogon-editor: %1: %2; the window opens without it.\n")
                        .arg(line.file, QFileInfo(line.file).isDir() ? QStringLiteral("a folder, not a file")
                                                                     : QStringLiteral("no such file"));
    return line;
}
