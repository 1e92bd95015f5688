#include "platform/Codepage.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

class TestCodepage : public QObject {
    Q_OBJECT

    static QJsonObject table() {
        QFile f(QStringLiteral(SAPLOGON_SHARED_DIR "/profile-vectors/cp1252.json"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }

private Q_SLOTS:
    void everyByteDecodesAsWindowsDoes() {
        const QJsonObject t = table();
        if (t.isEmpty())
            QSKIP("reference conversion table not available");
        for (const QJsonValue &v : t.value(QLatin1String("to_unicode")).toArray()) {
            const QJsonObject o = v.toObject();
            const char byte = char(o.value(QLatin1String("byte")).toString().toInt(nullptr, 16));
            const char16_t expected =
                char16_t(o.value(QLatin1String("char")).toString().mid(2).toInt(nullptr, 16));
            QCOMPARE(DecodeAnsi(QByteArrayView(&byte, 1)), QString(QChar(expected)));
        }
    }

    void allBytesRoundTrip() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(EncodeAnsi(DecodeAnsi(all)), all);
    }

    void unmappableCharactersAsWindowsDoes() {
        const QJsonObject t = table();
        if (t.isEmpty())
            QSKIP("reference conversion table not available");
        for (const QJsonValue &v : t.value(QLatin1String("from_unicode")).toArray()) {
            const QJsonObject o = v.toObject();
            const char16_t c = char16_t(o.value(QLatin1String("char")).toString().mid(2).toInt(nullptr, 16));
            const QByteArray expected =
                QByteArray::fromHex(o.value(QLatin1String("bytes")).toString().toLatin1());
            const QByteArray plainReplacement("?");
            const QByteArray got = EncodeAnsi(QStringView(&c, 1));
            // Best fit is welcome, not required: accept Windows' answer or a plain '?'.
            if (got != expected && got != plainReplacement)
                QFAIL(qPrintable(QStringLiteral("U+%1 gave %2")
                                     .arg(int(c), 4, 16, QLatin1Char('0'))
                                     .arg(QString::fromLatin1(got.toHex()))));
        }
    }

    void surrogatePairIsOneReplacement() {
        QCOMPARE(EncodeAnsi(QString::fromUtf8("a\xF0\x9F\x98\x80z")), QByteArray("a?z"));
    }
};

QTEST_GUILESS_MAIN(TestCodepage)
#include "test_codepage.moc"
