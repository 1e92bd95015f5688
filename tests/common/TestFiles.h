#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// File helpers for the tests that work on real files.

// Writes a fixture whole; a fixture that cannot be written makes the test meaningless.
inline QString WriteFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write fixture %s", qPrintable(path));
    return path;
}

// The file's bytes, or a marker no fixture holds when it cannot be read.
inline QByteArray ReadFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
