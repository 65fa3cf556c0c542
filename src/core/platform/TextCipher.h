#pragma once

#include <QString>

namespace corvane {

// The reversible text cipher of stored passwords, keyed by a 16-bit number.
// Every reader and writer of an enciphered value uses these two functions.
namespace TextCipher {

inline constexpr quint16 ProxyPasswordKey = 4862;

// Returns printable text (hex digits) that decipher() turns back into plain.
QString encipher(const QString& plain, quint16 key);

// Returns the plain text; an empty or malformed cipher text yields "".
QString decipher(const QString& cipherText, quint16 key);

} // namespace TextCipher
} // namespace corvane
