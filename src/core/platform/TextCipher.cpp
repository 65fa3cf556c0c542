#include "core/platform/TextCipher.h"

#include <QByteArray>

// Each byte of the UTF-8 text is mixed with the high byte of a running 16-bit
// key, which then advances from the cipher byte:
//     c = b ^ (key >> 8);  key = (c + key) * 52845 + 22719  (mod 2^16)
// Cipher bytes are written as two upper-case hex digits each.

namespace corvane::TextCipher {

namespace {

constexpr quint16 Multiplier = 52845;
constexpr quint16 Increment = 22719;

quint16 nextKey(quint8 cipherByte, quint16 key)
{
    return quint16((cipherByte + key) * Multiplier + Increment);
}

int hexValue(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

} // namespace

QString encipher(const QString& plain, quint16 key)
{
    const QByteArray bytes = plain.toUtf8();
    QByteArray cipher;
    cipher.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = quint8(quint8(ch) ^ quint8(key >> 8));
        cipher.append(char(c));
        key = nextKey(c, key);
    }
    return QString::fromLatin1(cipher.toHex().toUpper());
}

QString decipher(const QString& cipherText, quint16 key)
{
    if (cipherText.size() % 2 != 0)
        return {};
    QByteArray plain;
    plain.reserve(cipherText.size() / 2);
    for (qsizetype i = 0; i < cipherText.size(); i += 2) {
        const int high = hexValue(cipherText.at(i));
        const int low = hexValue(cipherText.at(i + 1));
        if (high < 0 || low < 0)
            return {};
        const auto c = quint8(high * 16 + low);
        plain.append(char(c ^ quint8(key >> 8)));
        key = nextKey(c, key);
    }
    return QString::fromUtf8(plain);
}

} // namespace corvane::TextCipher
