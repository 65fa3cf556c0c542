#include "core/platform/TextCipher.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const quint16 Key = TextCipher::ProxyPasswordKey;

bool isUpperHex(const QString& text)
{
    for (const QChar ch : text) {
        if (!((ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
              || (ch >= QLatin1Char('A') && ch <= QLatin1Char('F'))))
            return false;
    }
    return true;
}

} // namespace

TEST(text_cipher, RoundTrips)
{
    QString longPassword;
    for (int i = 0; i < 5000; ++i)
        longPassword += QChar(u'!' + i % 90);
    const QStringList plains = {
        QString(),
        QStringLiteral("a"),
        QStringLiteral("secret"),
        QStringLiteral("p@ss w0rd \"quoted\" \\ = ;"),
        QStringLiteral("Пароль-Größe-東京-😀"),
        QStringLiteral("aaaaaaaaaaaaaaaa"),
        longPassword,
    };
    for (const quint16 key : {quint16(0), quint16(1), Key, quint16(0xFFFF)}) {
        for (const QString& plain : plains) {
            const QString cipher = TextCipher::encipher(plain, key);
            EXPECT_EQ(cipher.size(), 2 * plain.toUtf8().size());
            EXPECT_TRUE(isUpperHex(cipher)) << qPrintable(cipher);
            EXPECT_EQ(TextCipher::decipher(cipher, key), plain) << "key " << key;
            EXPECT_EQ(TextCipher::decipher(cipher.toLower(), key), plain) << "key " << key;
        }
    }
}

TEST(text_cipher, KnownValues)
{
    // Worked by hand from the rule: c = b ^ (key >> 8), key = (c + key) * 52845 + 22719.
    // 'A' = 0x41, key 4862 = 0x12FE: c = 0x41 ^ 0x12 = 0x53.
    EXPECT_EQ(TextCipher::encipher(QStringLiteral("A"), Key), QStringLiteral("53"));
    // Next key: (0x53 + 0x12FE) * 52845 + 22719 mod 65536 = 0xC03C; 'A' ^ 0xC0 = 0x81.
    EXPECT_EQ(TextCipher::encipher(QStringLiteral("AA"), Key), QStringLiteral("5381"));
    EXPECT_EQ(TextCipher::decipher(QStringLiteral("5381"), Key), QStringLiteral("AA"));
}

TEST(text_cipher, RepeatedLettersAndKeysGiveDifferentTexts)
{
    // A running key: the same letter enciphers differently at each place.
    const QString cipher = TextCipher::encipher(QStringLiteral("aaaaaaaa"), Key);
    QSet<QString> pairs;
    for (int i = 0; i < cipher.size(); i += 2)
        pairs.insert(cipher.mid(i, 2));
    EXPECT_GT(pairs.size(), 4) << qPrintable(cipher);

    const QString plain = QStringLiteral("proxy password");
    QSet<QString> texts;
    for (const quint16 key : {quint16(0), quint16(1), quint16(256), Key, quint16(Key + 1), quint16(0xFFFF)})
        texts.insert(TextCipher::encipher(plain, key));
    EXPECT_EQ(texts.size(), 6);

    // The wrong key does not give the plain text back.
    EXPECT_NE(TextCipher::decipher(TextCipher::encipher(plain, Key), quint16(Key + 1)), plain);
}

TEST(text_cipher, MalformedTextsGiveNothing)
{
    const QString good = TextCipher::encipher(QStringLiteral("secret"), Key);
    const QStringList malformed = {
        good.left(good.size() - 1), QStringLiteral("5"),     QStringLiteral("G0"),
        QStringLiteral("53 81"),    QStringLiteral(" 5381"), QStringLiteral("0x53"),
        QStringLiteral("53-7"),     QStringLiteral("５３"),  QString(good + QStringLiteral("Z1"))};
    for (const QString& bad : malformed)
        EXPECT_EQ(TextCipher::decipher(bad, Key), QString()) << qPrintable(bad);
    EXPECT_EQ(TextCipher::decipher(QString(), Key), QString());
}
