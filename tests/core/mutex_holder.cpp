// Takes the named mutex given as its argument, prints "held" (or "busy" when
// another holder has it) and sleeps until it is killed.
#include "core/platform/NamedMutex.h"

#include <QString>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mutex_holder <name>\n");
        return 2;
    }
    corvane::NamedMutex mutex(QString::fromLocal8Bit(argv[1]));
    std::puts(mutex.isOwned() ? "held" : "busy");
    std::fflush(stdout);
    for (;;)
        ::pause();
}
