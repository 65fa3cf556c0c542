#pragma once

#include <QByteArray>
#include <QString>

namespace corvane {

// Undoes the content codings of an HTTP reply (its Content-Encoding header).
// The body is decoded as a whole, into a buffer sized once from the gzip
// trailer: several times faster than decoding the stream piece by piece,
// which took more CPU than everything else a result page needs.
//
// Codings are named in the order they were applied and undone in reverse.
// Known: gzip (or x-gzip: the first member counts, anything after it is
// ignored), deflate (zlib-wrapped, or bare deflate data as some servers send
// it) and identity. An empty body is left as it is, whatever its codings.
namespace ContentDecoding {

// The Accept-Encoding value of a request: the codings decode() knows.
inline constexpr const char* Offered = "gzip, deflate";

enum class Outcome {
    Decoded,
    UnknownCoding, // a coding decode() does not know; detail names it
    Damaged,       // the data is not valid for its coding; detail names the coding
    TooLarge       // the decoded body would exceed maxBytes
};

Outcome decode(const QByteArray& contentEncoding, QByteArray& body, qsizetype maxBytes, QString* detail);

} // namespace ContentDecoding

} // namespace corvane
