#include "platform/ShellKnownPath.h"

#include <QDir>
#include <QStandardPaths>

QString GetKnownFolder(const QUuid &FolderId) {
    // On Windows Qt asks the shell for these very identifiers; elsewhere it follows the desktop's
    // user-folder settings.
    QStandardPaths::StandardLocation location;
    if (FolderId == FOLDERID_Downloads)
        location = QStandardPaths::DownloadLocation;
    else if (FolderId == FOLDERID_Documents)
        location = QStandardPaths::DocumentsLocation;
    else if (FolderId == FOLDERID_Desktop)
        location = QStandardPaths::DesktopLocation;
    else
        return {};
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(location));
}
