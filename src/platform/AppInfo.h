#pragma once

#include <QString>
#include <QtGlobal>

#include <compare>

// A file version: four unsigned 16-bit numbers, compared major first.
struct TFileVersion {
    quint16 Major = 0;
    quint16 Minor = 0;
    quint16 Release = 0;
    quint16 Build = 0;

    auto operator<=>(const TFileVersion &) const = default;
    // "1.4.2024.413"
    QString toString() const;
};

// "Editor for SAPLOGON.INI": the window title and the about box's heading.
QString ApplicationTitle();
// The running program's version, fixed at build time from the project version.
TFileVersion RunningFileVersion();
// The running program's file name without its folder, as the system reports it.
QString RunningFileName();
// The operating system in one line: name and version, kernel version and architecture.
QString OSDescription();
// The compiler and Qt version the program was built with.
QString BuildToolDescription();
