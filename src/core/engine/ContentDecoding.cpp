#include "core/engine/ContentDecoding.h"

#include <QList>

#include <algorithm>
#include <libdeflate.h>
#include <memory>

namespace corvane::ContentDecoding {

namespace {

struct FreeDecompressor
{
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// One decompressor per thread: Harvester fetches on several threads at once.
libdeflate_decompressor* decompressor()
{
    thread_local std::unique_ptr<libdeflate_decompressor, FreeDecompressor> d(
        libdeflate_alloc_decompressor());
    return d.get();
}

enum class Format { Gzip, Zlib, Raw };

libdeflate_result run(Format format, const QByteArray& in, QByteArray& out, size_t* written)
{
    libdeflate_decompressor* d = decompressor();
    const size_t inSize = size_t(in.size());
    const size_t outSize = size_t(out.size());
    size_t read = 0;
    switch (format) {
    case Format::Gzip:
        return libdeflate_gzip_decompress_ex(d, in.constData(), inSize, out.data(), outSize, &read, written);
    case Format::Zlib:
        return libdeflate_zlib_decompress_ex(d, in.constData(), inSize, out.data(), outSize, &read, written);
    case Format::Raw:
        return libdeflate_deflate_decompress_ex(d, in.constData(), inSize, out.data(), outSize, &read,
                                                written);
    }
    return LIBDEFLATE_BAD_DATA;
}

// The size a gzip member gives in its trailer (modulo 4 GB), or 0.
qsizetype gzipTrailerSize(const QByteArray& in)
{
    if (in.size() < 18)
        return 0;
    const auto* end = reinterpret_cast<const unsigned char*>(in.constData() + in.size());
    return qsizetype(end[-4]) | qsizetype(end[-3]) << 8 | qsizetype(end[-2]) << 16 | qsizetype(end[-1]) << 24;
}

// Decodes into a buffer of the guessed size, doubling it while it is too
// small, up to maxBytes.
Outcome inflateAll(Format format, const QByteArray& in, QByteArray& out, qsizetype maxBytes)
{
    constexpr qsizetype MinimalGuess = 64 * 1024;
    qsizetype guess = format == Format::Gzip ? gzipTrailerSize(in) : 0;
    if (guess <= 0 || guess > maxBytes)
        guess = std::max(MinimalGuess, in.size() * 4);
    guess = std::min(guess, maxBytes);
    for (;;) {
        out.resize(guess);
        size_t written = 0;
        const libdeflate_result result = run(format, in, out, &written);
        if (result == LIBDEFLATE_SUCCESS) {
            out.resize(qsizetype(written));
            return Outcome::Decoded;
        }
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE)
            return Outcome::Damaged;
        if (guess >= maxBytes)
            return Outcome::TooLarge;
        guess = std::min(maxBytes, std::max(MinimalGuess, guess * 2));
    }
}

} // namespace

Outcome decode(const QByteArray& contentEncoding, QByteArray& body, qsizetype maxBytes, QString* detail)
{
    // An empty body (a redirect, an empty page) has nothing to decode.
    if (body.isEmpty())
        return Outcome::Decoded;
    const QList<QByteArray> codings = contentEncoding.split(',');
    for (auto it = codings.crbegin(); it != codings.crend(); ++it) {
        const QByteArray coding = it->trimmed().toLower();
        if (coding.isEmpty() || coding == "identity")
            continue;
        QByteArray decoded;
        Outcome outcome = Outcome::UnknownCoding;
        if (coding == "gzip" || coding == "x-gzip") {
            outcome = inflateAll(Format::Gzip, body, decoded, maxBytes);
        } else if (coding == "deflate") {
            outcome = inflateAll(Format::Zlib, body, decoded, maxBytes);
            if (outcome == Outcome::Damaged)
                outcome = inflateAll(Format::Raw, body, decoded, maxBytes);
        }
        if (outcome != Outcome::Decoded) {
            if (detail)
                *detail = QString::fromLatin1(coding);
            return outcome;
        }
        body = std::move(decoded);
    }
    return Outcome::Decoded;
}

} // namespace corvane::ContentDecoding
