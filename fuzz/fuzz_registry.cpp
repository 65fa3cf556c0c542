// The settings store over an arbitrary file.
//
// Input: a key byte, a value name and a value (UTF-8 texts); the rest is the
// store's file. The key is the header of the n-th section of the file (n =
// key byte % 8), or when the file has fewer sections a text read from the
// input. The target reads every value of the key, writes the value and reads
// again: the written value must read back exactly, every other value of the
// key must keep its text, and a second store on the rewritten file must read
// the same. Creating a new key must keep the written value too.

#include "core/platform/Registry.h"

#include "FuzzInput.h"

#include <QByteArray>
#include <QFile>
#include <QHash>

#include <cstddef>
#include <cstdint>

using namespace corvane;
using corvane::fuzz::check;
using corvane::fuzz::fail;

namespace {

// The n-th section header below HKEY_LOCAL_MACHINE, empty when there is none.
QString sectionKey(const QByteArray& file, int n)
{
    const QStringList lines = QString::fromUtf8(file).split(QLatin1Char('\n'));
    const QString prefix = QLatin1String(Registry::Root) + QLatin1Char('\\');
    for (QString line : lines) {
        line = line.trimmed();
        if (!line.startsWith(QLatin1Char('[')) || !line.endsWith(QLatin1Char(']')))
            continue;
        const QString header = line.mid(1, line.size() - 2);
        if (!header.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        if (n-- == 0)
            return header.mid(prefix.size());
    }
    return {};
}

QHash<QString, QString> readAll(const Registry& registry, const QString& key)
{
    QHash<QString, QString> values;
    const RegistryKey opened(registry, key);
    for (const QString& name : registry.valueNames(key))
        values.insert(name.toCaseFolded(), opened.readString(name));
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput in(data, size);
    in.setUtf8(true);
    const int keyIndex = in.byte() % 8;
    const QString ownKey = in.text();
    const QString name = in.text();
    const QString text = in.text();
    const QByteArray file = in.rest().toUtf8();

    const QString path = fuzz::scratchFolder() + QStringLiteral("/registry.reg");
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(file) != file.size())
            fail("cannot write the scratch store");
    }

    Registry registry(path);
    QString key = sectionKey(file, keyIndex);
    if (key.isEmpty())
        key = ownKey;
    const QHash<QString, QString> before = readAll(registry, key);
    const bool exists = registry.keyExists(key);
    const bool written = registry.writeString(key, name, text);
    check(!written || exists, "a value was written into a missing key");
    if (!written)
        return 0;

    check(registry.readString(key, name) == text, "the written value does not read back");
    const QHash<QString, QString> after = readAll(Registry(path), key);
    for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
        if (it.key() != name.toCaseFolded())
            check(after.value(it.key()) == it.value(), "another value of the key changed");
    }
    check(after.value(name.toCaseFolded()) == text, "a second store reads another value");

    static const QString newKey = QStringLiteral("Software\\Fuzz\\Added");
    if (key.compare(newKey, Qt::CaseInsensitive) != 0) {
        check(registry.createKey(newKey), "a new key was not created");
        check(registry.readString(key, name) == text, "creating a key lost a value");
    }
    return 0;
}
