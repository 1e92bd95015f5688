#include "about/uNewVersion.h"

#include "platform/Codepage.h"
#include "platform/FileNames.h"
#include "platform/WebSites.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <optional>

namespace {
constexpr qsizetype MaxProfileValue = 2047;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

int digitValue(QChar c, bool hex) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (hex && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (hex && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The run-time library's integer parse: leading blanks, a sign, decimal digits or hexadecimal
// ones after "$", "x" or "0x"; the whole text, within 32 bits.
std::optional<qint32> parseInteger(const QString &s) {
    qsizetype i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        negative = s[i++] == u'-';
    bool hex = false;
    if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == s.size())
        return std::nullopt;
    quint64 value = 0;
    for (; i < s.size(); ++i) {
        const int digit = digitValue(s[i], hex);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + quint64(digit);
        if (value > (hex ? 0xFFFFFFFFull : 0x80000000ull))
            return std::nullopt;
    }
    if (hex) {
        const qint32 wrapped = qint32(quint32(value));
        return negative ? qint32(0u - quint32(wrapped)) : wrapped;
    }
    if (!negative && value > 0x7FFFFFFFull)
        return std::nullopt;
    return negative ? qint32(-qint64(value)) : qint32(value);
}

quint16 lenientPart(const QString &text) {
    return quint16(quint32(parseInteger(text).value_or(0)));
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

QString DecodeVersionInfo(const QByteArray &Bytes) {
    QString text;
    if (Bytes.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(Bytes.mid(3));
    } else if (Bytes.startsWith("\xFF\xFE") || Bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(Bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE);
        text = decoder.decode(Bytes.mid(2));
    } else {
        return DecodeAnsi(Bytes);
    }
    return DecodeAnsi(EncodeAnsi(text));
}

QString ProfileValue(const QString &Text, const QString &Section, const QString &Key) {
    bool inSection = false;
    bool sectionSeen = false;
    for (QStringView line : QStringView(Text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            if (sectionSeen)
                break; // only the first section of that name counts
            const qsizetype close = line.indexOf(u']');
            const QStringView name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = sectionSeen = name.compare(Section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inSection || equals < 0 || line.left(equals).trimmed().compare(Key, Qt::CaseInsensitive) != 0)
            continue;
        QStringView value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value.left(MaxProfileValue).toString();
    }
    return {};
}

TNewVersionInfo CheckNewVersion(const TUpdateSource &Source) {
    TNewVersionInfo info;
    const QString url = Source.DownloadDirectory + urlName(VersionInfoFileName(Source.RunningFile));
    const QString tempName = TempFileName(QStringLiteral(".tmp"));
    if (DownloadFile(url, tempName, Source.TimeLimitMs)) {
        QFile file(tempName);
        const QString text = file.open(QIODevice::ReadOnly) ? DecodeVersionInfo(file.readAll()) : QString();
        file.close();
        const QString offered = ProfileValue(text, QStringLiteral("file1"), QStringLiteral("newversion"));
        info.FNews = ProfileValue(text, QStringLiteral("update"), QStringLiteral("descr"));
        info.FExeSetup = ProfileValue(text, QStringLiteral("action"), QStringLiteral("runbefore"));
        QFile::remove(tempName);
        info.FNewVersionAvalaible = ParseVersionText(offered) > Source.RunningVersion;
    }
    static const QRegularExpression lineBreak(QStringLiteral("\\\\[nN]"));
    info.FNews.replace(lineBreak, QStringLiteral("\n"));
    return info;
}
