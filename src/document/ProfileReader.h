#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <memory>
#include <optional>

struct TFileRead;

// Reads an INI file the way the Windows profile API (GetPrivateProfileStringW) sees it.
// Creating a reader does not touch the file; the first read parses the whole file once and
// every read is answered from that parsed form.
class ProfileReader {
public:
    explicit ProfileReader(QString path);
    // A reader over bytes already in memory, as if they were the file's content.
    static ProfileReader FromBytes(QByteArray bytes);
    // A reader over what reading path found, parsed at once; the bytes are shared, not copied.
    static ProfileReader FromRead(const QString &path, const TFileRead &file);
    ~ProfileReader();
    ProfileReader(ProfileReader &&) noexcept;
    ProfileReader &operator=(ProfileReader &&) noexcept;

    // Empties list, then fills it with the key names of section in file order, as the
    // API's growing key-name buffer yields them (cut at the first empty name).
    void ReadSection(const QString &section, QStringList &list) const;
    // The value (quotes removed, cut at 2047 characters), or def when the key is missing.
    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    qint32 ReadInteger(const QString &section, const QString &key, qint32 def) const;
    bool ReadBool(const QString &section, const QString &key, bool def) const;

    // Names of the sections a query can reach, in file order: the first section of each name,
    // without the keys before the first header.
    QStringList SectionNames() const;
    // Calls visit for every key of section that a query by name can reach, in file order: named,
    // with an "=", not a ";" comment, the first of its name. The value is the text after "="
    // with blanks trimmed and quotes kept, uncut, so that written back it reads the same.
    void ForEachRawKey(const QString &section,
                       const std::function<void(QStringView name, QStringView value)> &visit) const;
    // A copy of text that shares its characters with an equal short value this reader handed out
    // before: thousands of entries repeat the same few values.
    QString SharedString(QStringView text) const;
    // ForEachRawKey for the names alone.
    void ForEachRawKeyName(const QString &section, const std::function<void(QStringView name)> &visit) const;
    // What the file holds that no query reaches, to tell the user about it.
    struct Unreachable {
        QStringList RepeatedSections; // the name of each further copy of a section
        // Non-blank lines that are neither header, key nor ";" comment, with their section.
        QList<std::pair<QString, QString>> LinesWithoutEquals;
    };
    Unreachable UnreachableLines() const;
    // n for a key "Item<n>" (any letter case, no sign or leading zero), else 0.
    static qsizetype ItemNumber(QStringView key);
    // Section and key names compare as the API compares them: ASCII letters without case.
    static bool SameName(QStringView a, QStringView b);
    static QString FoldedName(QStringView name);

    // The integer conversion of ReadInteger: blanks, sign, "$"/"x"/"0x" hex of up to 8 digits
    // (wrapping to negative), decimal within 32 bits. nullopt when the text is no integer.
    static std::optional<qint32> ToInteger(QStringView text);

    enum class Source { Missing, Unreadable, Loaded };
    // What was found at the path (parses the file if that has not happened yet).
    Source SourceState() const;
    // The system's message when the file exists but could not be read.
    QString SourceError() const;
    // Buffer size and number of calls the last ReadSection needed (1024, x4 while it was full).
    int LastSectionBufferSize() const { return FLastBufferSize; }
    int LastSectionCalls() const { return FLastCalls; }

private:
    struct Parsed;
    // The keys a query by name reaches, as ForEachRawKey lists them: their index and name.
    void ForEachReachableKey(const QString &section,
                             const std::function<void(int key, QStringView name)> &visit) const;
    ProfileReader() = default;
    const Parsed &EnsureParsed() const;
    static void Parse(Parsed &p, const QByteArray &bytes);

    QString FPath;
    QByteArray FBytes;
    bool FFromBytes = false;
    mutable std::unique_ptr<Parsed> FParsed;
    mutable int FLastBufferSize = 0;
    mutable int FLastCalls = 0;
};
