#pragma once

#include "document/SapLogonCheck.h"
#include "document/SapLogonModel.h"
#include "platform/FileOps.h"

#include <QDateTime>
#include <QString>

class TCodeMemoStrings;

// The document of one SAPLOGON.INI: path, unsaved-changes flag, entries, global settings, and
// the operations that read, regenerate and save it. The main window owns one and delegates to
// it; the command-line tool uses it directly. Errors (EAppError) propagate to the caller.
class SapLogonDocument {
public:
    explicit SapLogonDocument(TCodeMemoStrings &lines);

    QString FSapLogon;
    bool FModified = false;
    QList<tyEntry> FEntries;
    tyGlobal FGlobal;
    // Sections and keys beyond the model's own, kept to be written back.
    tyOtherContent FOther;
    // What the file last read or written shows that the model cannot (CheckFile).
    QList<TProblem> FFileProblems;

    TCodeMemoStrings &Lines() const { return FLines; }

    // Empty source: reload FSapLogon (model replaced). Otherwise import source (entries appended).
    void LoadSapLogon(const QString &source);
    // Regenerates the whole file text into the line store, inside one update bracket.
    void BuildFileContent();
    // Writes the line store to FSapLogon and keeps the file it replaces under its timestamped
    // backup name (BackupPathFor; "-2", "-3", ... appended when that name is taken). Returns the
    // backup made, empty when there was no file. Symbolic links are followed (the backup lies
    // beside the file they end at); mode, owner and group are kept; the path always holds the
    // complete old or the complete new file. A failure raises EAppError: the file is untouched,
    // or, after a failed rewrite in place, the message names the backup (ReplaceFile).
    QString SaveWithBackup(const QDateTime &now = QDateTime::currentDateTime());
    // Session Manager keys 1..n in list order, SessManNewKey n + 1; sets FModified.
    void RenumberSessManKeys();
    // SaveWithBackup, then the lines reloaded from the written file and FModified cleared.
    // Returns the backup made, as SaveWithBackup.
    QString Save(const QDateTime &now = QDateTime::currentDateTime());

    // Whether the file at path is no longer what this document last read from or wrote to it:
    // another program changed (or created) it since. A file that is not there now, or a path
    // this document has not read or written last, is not reported.
    bool ChangedOnDisk(const QString &path) const;

private:
    void RememberFile(const QString &path, const FileFingerprint &print);

    TCodeMemoStrings &FLines;
    QString FKnownPath; // the file last read or written, as RememberFile resolved it
    FileFingerprint FKnownFile;
};

// Decimal text of value, left-padded with '0' to at least width characters.
QString ZeroPad(qint32 value, int width);
// path with its extension replaced by (or, without one, followed by) ".YYYYMMDDhhmmss".
QString BackupPathFor(const QString &path, const QDateTime &when);
