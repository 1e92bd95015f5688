// Any bytes as a profile file: the reader must answer every kind of query without fault.
#include "document/ProfileReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ProfileReader reader = ProfileReader::FromBytes(bytes);
    QStringList names;
    for (const char *section : {"Description", "S", "", " S ", "Configuration"}) {
        reader.ReadSection(QString::fromLatin1(section), names);
        for (const QString &name : names) {
            reader.ReadString(QString::fromLatin1(section), name, QStringLiteral("\"d\" "));
            reader.ReadInteger(QString::fromLatin1(section), name, 50);
        }
        reader.ReadString(QString::fromLatin1(section), QStringLiteral("Item1"), QString());
        reader.ReadBool(QString::fromLatin1(section), QStringLiteral("k"), true);
    }
    // The conversion alone, on text of every shape.
    ProfileReader::ToInteger(QString::fromLatin1(bytes.left(64)));
    return 0;
}
