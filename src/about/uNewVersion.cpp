#include "about/uNewVersion.h"

#include "document/ProfileReader.h"
#include "platform/Codepage.h"
#include "platform/FileNames.h"
#include "platform/WebSites.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

namespace {
quint16 lenientPart(const QString &text) {
    return quint16(quint32(ProfileReader::ToInteger(text).value_or(0)));
}

QString urlName(const QString &name) {
    return QString::fromLatin1(QUrl::toPercentEncoding(name));
}
} // namespace

TUpdateSource TUpdateSource::Configured() {
    return {::DownloadDirectory(), RunningFileName(), RunningFileVersion(), DownloadTimeLimitMs};
}

QString VersionInfoFileName(const QString &RunningFile) {
    QString name = ChangeFileExt(ExtractFileName(RunningFile), QStringLiteral(".INF"));
    return name.remove(QStringLiteral("_debug"), Qt::CaseInsensitive);
}

QString ExecutablePackageName(const QString &RunningFile) {
    return ChangeFileExt(ExtractFileName(RunningFile), QStringLiteral(".CAB"));
}

QString SetupPackageName(const QString &RunBefore) {
    const QString name = ExtractFileName(RunBefore);
    if (name == u"." || name == u"..")
        return {};
    return name;
}

TFileVersion ParseVersionText(const QString &Text) {
    QString rest = Text;
    quint16 parts[3] = {0, 0, 0};
    for (quint16 &part : parts) {
        const qsizetype dot = rest.indexOf(u'.');
        if (dot < 0)
            continue;
        part = lenientPart(rest.left(dot));
        rest.remove(0, dot + 1);
    }
    return {parts[0], parts[1], parts[2], lenientPart(rest)};
}

QByteArray ToAnsiCodePage(const QByteArray &Bytes) {
    if (Bytes.startsWith("\xEF\xBB\xBF"))
        return EncodeAnsi(QString::fromUtf8(Bytes.mid(3)));
    if (Bytes.startsWith("\xFF\xFE") || Bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(Bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE);
        return EncodeAnsi(QString(utf16.decode(Bytes.mid(2))));
    }
    return Bytes;
}

TNewVersionInfo CheckNewVersion(const TUpdateSource &Source) {
    TNewVersionInfo info;
    const QString url = Source.DownloadDirectory + urlName(VersionInfoFileName(Source.RunningFile));
    const QString tempName = TempFileName(QStringLiteral(".tmp"));
    if (DownloadFile(url, tempName, Source.TimeLimitMs)) {
        QFile file(tempName);
        const ProfileReader ini = ProfileReader::FromBytes(
            file.open(QIODevice::ReadOnly) ? ToAnsiCodePage(file.readAll()) : QByteArray());
        file.close();
        const QString offered =
            ini.ReadString(QStringLiteral("file1"), QStringLiteral("newversion"), QString());
        info.FNews = ini.ReadString(QStringLiteral("update"), QStringLiteral("descr"), QString());
        info.FExeSetup = ini.ReadString(QStringLiteral("action"), QStringLiteral("runbefore"), QString());
        QFile::remove(tempName);
        info.FNewVersionAvalaible = ParseVersionText(offered) > Source.RunningVersion;
    }
    static const QRegularExpression lineBreak(QStringLiteral("\\\\[nN]"));
    info.FNews.replace(lineBreak, QStringLiteral("\n"));
    return info;
}
