#include "core/demo/DemoPageCache.h"

#include <QString>

#include <stdexcept>
#include <zlib.h>

namespace corvane {

DemoPageCache::DemoPageCache(std::size_t byteLimit)
    : m_byteLimit(byteLimit)
{
}

std::string DemoPageCache::keyOf(DemoStyle style, const std::string& term, int day, int offset,
                                 Encoding encoding)
{
    return std::to_string(int(style)) + ' ' + std::to_string(day) + ' ' + std::to_string(offset) + ' '
        + std::to_string(int(encoding)) + ' ' + term;
}

DemoPageCache::Body DemoPageCache::resultPage(DemoStyle style, const std::string& term, int day, int offset,
                                              Encoding encoding)
{
    const std::string key = keyOf(style, term, day, offset, encoding);
    if (Body body = find(key))
        return body;
    // Rendered outside the lock: two threads that miss the same page at once
    // both render it, which is rare and gives the same bytes.
    Body body;
    if (encoding == Encoding::Gzip) {
        body = std::make_shared<const std::string>(
            gzip(*resultPage(style, term, day, offset, Encoding::Identity)));
    } else {
        body = std::make_shared<const std::string>(
            DemoPages::resultPage(style, QString::fromStdString(term), day, offset).toStdString());
    }
    keep(key, body);
    return body;
}

DemoPageCache::Body DemoPageCache::find(const std::string& key)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_index.find(key);
    if (it == m_index.end())
        return {};
    m_entries.splice(m_entries.begin(), m_entries, it->second);
    return it->second->body;
}

void DemoPageCache::keep(const std::string& key, const Body& body)
{
    const std::size_t size = key.size() + body->size();
    if (size > m_byteLimit)
        return;
    std::lock_guard lock(m_mutex);
    if (m_index.count(key))
        return;
    m_entries.push_front({key, body});
    m_index.emplace(key, m_entries.begin());
    m_bytes += size;
    while (m_bytes > m_byteLimit) {
        const Entry& last = m_entries.back();
        m_bytes -= last.key.size() + last.body->size();
        m_index.erase(last.key);
        m_entries.pop_back();
    }
}

std::size_t DemoPageCache::bytes() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

std::size_t DemoPageCache::count() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

std::string DemoPageCache::gzip(const std::string& data)
{
    z_stream stream{};
    // 15 window bits plus 16: a gzip header and trailer around the deflate data.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib could not start a compression");
    std::string out(deflateBound(&stream, uLong(data.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("zlib could not compress a page");
    return out;
}

} // namespace corvane
