#pragma once

#include "core/demo/DemoPages.h"

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace corvane {

// The result pages the demo engine has sent, kept for the next request of
// the same page. Rendering a page of a few hundred KB and compressing it take
// far longer than sending it, and a client that harvests the engine asks for
// the same pages run after run: without the cache the engine, not its client,
// would set the pace. Bodies are kept by style, term (as asked), day, offset
// and encoding; once they take more than the byte limit, the least recently
// used go first. Safe to use from several threads.
class DemoPageCache
{
public:
    enum class Encoding {
        Identity,
        Gzip // the gzip format, at zlib's default level
    };
    using Body = std::shared_ptr<const std::string>;

    static constexpr std::size_t DefaultByteLimit = std::size_t(64) << 20;

    explicit DemoPageCache(std::size_t byteLimit = DefaultByteLimit);

    // DemoPages::resultPage for these arguments, in the encoding asked for.
    Body resultPage(DemoStyle style, const std::string& term, int day, int offset, Encoding encoding);

    // The bytes of the bodies kept, and how many there are.
    std::size_t bytes() const;
    std::size_t count() const;

    static std::string gzip(const std::string& data);

private:
    struct Entry
    {
        std::string key;
        Body body;
    };

    static std::string keyOf(DemoStyle style, const std::string& term, int day, int offset,
                             Encoding encoding);
    Body find(const std::string& key);
    void keep(const std::string& key, const Body& body);

    const std::size_t m_byteLimit;
    mutable std::mutex m_mutex; // guards everything below
    std::list<Entry> m_entries; // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> m_index;
    std::size_t m_bytes = 0;
};

} // namespace corvane
