#pragma once

#include <QString>
#include <QUuid>

// Known-folder identifiers, as the Windows shell names them.
inline const QUuid FOLDERID_Downloads{QStringLiteral("{374DE290-123F-4565-9164-39C4925E467B}")};
inline const QUuid FOLDERID_Documents{QStringLiteral("{FDD39AD0-238F-46AF-ADB4-6C85480369C7}")};
inline const QUuid FOLDERID_Desktop{QStringLiteral("{B4BFCC3A-DB2C-424C-B029-7FE99A87C641}")};

// The user's folder for FolderId, or the empty text when there is none.
QString GetKnownFolder(const QUuid &FolderId);
