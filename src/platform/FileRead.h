#pragma once

#include <QByteArray>
#include <QString>

// What reading a whole file found.
struct TFileRead {
    bool Exists = false; // something is at the path, a folder too
    bool Opened = false; // it was opened for reading
    QByteArray Bytes;    // what was read
    QString Error;       // the system's message when it could not be opened or read to the end
};

// Every whole-file read of the editor, the reader and the line store goes through here, so that a
// file is read once for all of them and one place decides what may be read.
TFileRead ReadWholeFile(const QString &path);
