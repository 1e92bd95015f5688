#pragma once

#include "document/SapLogonModel.h"

#include <QList>
#include <QString>

class ProfileReader;
class SapLogonDocument;

// A mistake SAP Logon will not report: an error makes it misbehave or loses data on saving, a
// warning is probably a slip.
struct TProblem {
    enum class Severity { Warning, Error };
    int Entry = 0; // 1-based entry number; 0 for the global settings and the file as a whole
    QString Where; // the field ("Database"), "[Configuration] SessManNewKey", or a section "[Server]"
    Severity Level = Severity::Warning;
    QString Message;
    bool Unwritable = false; // a character the file's encoding cannot hold: UTF-16 would keep it
    bool operator==(const TProblem &) const = default;
};

// Problems of the entries and global settings as they stand; textEncodingIsAnsi says whether
// the file will be written in Windows-1252, which cannot hold every character.
QList<TProblem> CheckModel(const QList<tyEntry> &entries, const tyGlobal &global, const tyOtherContent &other,
                           bool textEncodingIsAnsi);
// Problems of the file as read, that only the file shows: keys SAP Logon never reads in the
// entry sections, second copies of sections, lines without "=". entryCount: entries the file has.
QList<TProblem> CheckFile(const ProfileReader &reader, qsizetype entryCount);
// Both, file problems first, for a loaded document.
QList<TProblem> CheckDocument(const SapLogonDocument &doc);

// "Item12 Database: error: message", "[Server]: warning: message".
QString ProblemLine(const TProblem &problem);
bool HasErrors(const QList<TProblem> &problems);

// Whether text is a router string: one or more "/H/host" groups, each with optional "/S/service"
// and "/W/password" (or the older "/P/password"), then an optional closing "/H/".
bool IsRouterString(QStringView text);
