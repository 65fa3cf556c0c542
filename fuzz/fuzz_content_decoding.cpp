// The content decoders over arbitrary bodies and over bodies encoded here.
//
// Input: a mode byte and a 16-bit size limit (in units of 16 bytes).
// Mode bit 7 clear: a Content-Encoding text follows and the rest is the body;
// a decoded body must fit the limit and any other outcome must name what is
// wrong. Mode bit 7 set: bits 0-5 give up to three codings (gzip, zlib-wrapped
// deflate, bare deflate, identity); the rest is encoded with them here and
// must decode to exactly itself, or be refused as too large when it does not
// fit the limit (the limit holds for every coding's output).

#include "core/engine/ContentDecoding.h"

#include "FuzzInput.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <libdeflate.h>

using namespace corvane;
using corvane::fuzz::check;
using corvane::fuzz::fail;

namespace {

enum class Coding { Gzip, Zlib, Deflate, Identity };

QByteArray encoded(Coding coding, const QByteArray& in)
{
    static libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    QByteArray out;
    std::size_t written = 0;
    switch (coding) {
    case Coding::Identity: return in;
    case Coding::Gzip:
        out.resize(qsizetype(libdeflate_gzip_compress_bound(compressor, std::size_t(in.size()))));
        written = libdeflate_gzip_compress(compressor, in.constData(), std::size_t(in.size()), out.data(),
                                           std::size_t(out.size()));
        break;
    case Coding::Zlib:
        out.resize(qsizetype(libdeflate_zlib_compress_bound(compressor, std::size_t(in.size()))));
        written = libdeflate_zlib_compress(compressor, in.constData(), std::size_t(in.size()), out.data(),
                                           std::size_t(out.size()));
        break;
    case Coding::Deflate:
        out.resize(qsizetype(libdeflate_deflate_compress_bound(compressor, std::size_t(in.size()))));
        written = libdeflate_deflate_compress(compressor, in.constData(), std::size_t(in.size()), out.data(),
                                              std::size_t(out.size()));
        break;
    }
    if (written == 0)
        fail("libdeflate could not compress");
    out.resize(qsizetype(written));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput in(data, size);
    const std::uint8_t mode = in.byte();
    const qsizetype maxBytes = 16 * (1 + qsizetype(in.byte() | (in.byte() << 8)));
    QString detail;

    if (!(mode & 0x80)) {
        const QByteArray header = in.text().toLatin1();
        const QByteArray original = in.rest().toLatin1();
        QByteArray body = original;
        const ContentDecoding::Outcome outcome = ContentDecoding::decode(header, body, maxBytes, &detail);
        if (outcome == ContentDecoding::Outcome::Decoded)
            check(body == original || body.size() <= maxBytes, "a decoded body exceeds the limit");
        else if (outcome != ContentDecoding::Outcome::TooLarge)
            check(!detail.isEmpty(), "a refused body names nothing");
        return 0;
    }

    static const char* const names[] = {"gzip", "deflate", "deflate", "identity"};
    const QByteArray original = in.rest().toLatin1();
    QByteArray body = original;
    QByteArray header;
    qsizetype largest = 0; // the largest body a decoder has to give back
    for (int i = 0; i < 3; ++i) {
        const int pick = (mode >> (2 * i)) & 0x03;
        if (i > 0 && pick == 3)
            break;
        if (pick != 3)
            largest = std::max(largest, body.size());
        body = encoded(Coding(pick), body);
        if (!header.isEmpty())
            header += ", ";
        header += names[pick];
    }
    const ContentDecoding::Outcome outcome = ContentDecoding::decode(header, body, maxBytes, &detail);
    if (largest > maxBytes) {
        check(outcome == ContentDecoding::Outcome::TooLarge, "an over-large body was not refused");
        return 0;
    }
    check(outcome == ContentDecoding::Outcome::Decoded, "an encoded body did not decode");
    check(body == original, "decoding did not give the original body");
    return 0;
}
