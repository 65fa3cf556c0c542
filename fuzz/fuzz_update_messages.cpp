// The update server's news file ("MSG.REF") over arbitrary bytes.
//
// Input: the file. It is read the way the remote update reads it; every
// message must hold a single line as its subject and as its content, and
// there are never more messages than lines that open one.

#include "core/maintenance/UpdateMessages.h"

#include "FuzzInput.h"

#include <QFile>

#include <cstddef>
#include <cstdint>
#include <stdexcept>

using namespace corvane;
using corvane::fuzz::check;
using corvane::fuzz::fail;

namespace {

bool oneLine(const QString& text)
{
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz::scratchFolder() + QStringLiteral("/MSG.REF");
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || out.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            fail("cannot write the scratch file");
    }
    QList<UpdateMessage> messages;
    try {
        messages = UpdateMessages::read(path);
    } catch (const std::runtime_error&) {
        fail("a file that exists could not be read");
    }
    const qsizetype openers = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).count("[MSG]");
    check(messages.size() <= openers, "more messages than lines that open one");
    for (const UpdateMessage& message : messages)
        check(oneLine(message.subject) && oneLine(message.content), "a message holds a line break");
    return 0;
}
