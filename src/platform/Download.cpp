#include "platform/Download.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {
bool fetch(const QUrl &url, const QString &fileName, int timeLimitMs) {
    // QSaveFile writes beside the target and renames only on commit: no half-written file.
    QSaveFile out(fileName);
    if (!out.open(QIODevice::WriteOnly))
        return false;

    QNetworkAccessManager manager;
    manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    const std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));

    bool writeFailed = false;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), [&] {
        if (out.write(reply->readAll()) < 0) {
            writeFailed = true;
            reply->abort();
        }
    });
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer); // a coarse timer may overrun 5 s by a quarter second
    QObject::connect(&limit, &QTimer::timeout, reply.get(), &QNetworkReply::abort);
    limit.start(timeLimitMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    limit.stop();

    if (reply->error() != QNetworkReply::NoError || writeFailed)
        return false;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        return false;
    if (out.write(reply->readAll()) < 0)
        return false;
    return out.commit();
}
} // namespace

bool IsUnconfiguredHost(const QString &Host) {
    QString host = Host.toLower();
    if (host.endsWith(u'.'))
        host.chop(1);
    return host == u"invalid" || host.endsWith(QStringLiteral(".invalid"));
}

bool DownloadFile(const QString &URL, const QString &FileName, int TimeLimitMs) {
    const QUrl url(URL);
    // The resolver would still be asked for such a name, and that query leaves the machine.
    if (!url.isValid() || url.isRelative() || FileName.isEmpty() || IsUnconfiguredHost(url.host()))
        return false;
    try {
        return fetch(url, FileName, TimeLimitMs);
    } catch (...) {
        return false;
    }
}

QString TempFileName(const QString &Extension) {
    // tempPath() is empty when TMPDIR names no folder: never fall back to the file-system root.
    const QString folder = QDir::tempPath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return {};
    QString name;
    {
        QTemporaryFile placeholder(folder + QStringLiteral("/XXXXXXXX.tmp"));
        if (placeholder.open())
            name = QDir::toNativeSeparators(placeholder.fileName());
    } // the placeholder is removed here; only its name was wanted
    return name.isEmpty() ? QString() : ChangeFileExt(name, Extension);
}
