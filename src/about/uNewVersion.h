#pragma once

#include "platform/AppInfo.h"
#include "platform/Download.h"

#include <QByteArray>
#include <QString>

// The new-version check: the maker's download directory holds a small INI file named after the
// program (sections "file1", "update", "action") that offers a version, release news and the
// name of an installation program.

// Where the check and the package downloads go; tests point it at a local server.
struct TUpdateSource {
    QString DownloadDirectory; // ends with "/"
    QString RunningFile;       // file name of the running program
    TFileVersion RunningVersion;
    int TimeLimitMs = DownloadTimeLimitMs;

    static TUpdateSource Configured();
};

struct TNewVersionInfo {
    bool FNewVersionAvalaible = false;
    QString FNews;     // line breaks already expanded
    QString FExeSetup; // "runbefore" as offered, folder parts and all
};

// Downloads and reads the version-description file. Every failure is silent: no offer, no news.
TNewVersionInfo CheckNewVersion(const TUpdateSource &Source);

// "Kestrel_debug.exe" -> "Kestrel.INF": extension replaced, "_debug" dropped in any case.
QString VersionInfoFileName(const QString &RunningFile);
// "Kestrel_debug.exe" -> "Kestrel_debug.CAB".
QString ExecutablePackageName(const QString &RunningFile);
// The last part of "runbefore"; empty when that part is empty, "." or "..", which name no file.
QString SetupPackageName(const QString &RunBefore);

// "major.minor.release.build", read leniently: missing parts stay 0, a part that is no integer
// reads 0, and each keeps only its low 16 bits. A text without points is the build number.
TFileVersion ParseVersionText(const QString &Text);

// The file re-encoded in the ANSI code page, as an ANSI program's profile functions need it: a
// UTF-8 or UTF-16 byte-order mark is honoured, anything else is taken as ANSI already, and
// characters the code page lacks are replaced.
QByteArray ToAnsiCodePage(const QByteArray &Bytes);
