// Writes <count> values "<prefix><n>" = "value <n>" into one existing key of a
// registry file, one write per value, after reading a line from stdin. The
// registry test starts two of these and releases them together.
#include "core/platform/Registry.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char* argv[])
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: registry_writer <file> <key> <prefix> <count>\n");
        return 2;
    }
    corvane::Registry registry(QString::fromLocal8Bit(argv[1]));
    const QString key = QString::fromLocal8Bit(argv[2]);
    const QString prefix = QString::fromLocal8Bit(argv[3]);
    const int count = std::atoi(argv[4]);

    std::string go;
    std::getline(std::cin, go);

    int failures = 0;
    for (int i = 0; i < count; ++i) {
        if (!registry.writeString(key, prefix + QString::number(i),
                                  QStringLiteral("value ") + QString::number(i)))
            ++failures;
    }
    if (failures)
        std::fprintf(stderr, "%d writes failed\n", failures);
    return failures ? 1 : 0;
}
