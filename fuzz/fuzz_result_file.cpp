// Duvuda Duvedozo result files (".pp") over arbitrary file contents.
//
// Input: the whole file. A file that loads must give rows that are not blank
// and no error; saving those rows and loading the saved file must give the
// same rows again. A file that does not load must give no rows and an error
// that names the file.

#include "core/livecheck/DuvudaResultFile.h"

#include "FuzzInput.h"

#include <QFile>

#include <cstddef>
#include <cstdint>

using namespace corvane;
using corvane::fuzz::check;
using corvane::fuzz::fail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& folder = fuzz::scratchFolder();
    const QString input = folder + QStringLiteral("/in.pp");
    const QString saved = folder + QStringLiteral("/saved.pp");
    {
        QFile out(input);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || out.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            fail("cannot write the scratch file");
    }

    const DuvudaResultFile::LoadResult loaded = DuvudaResultFile::load(input);
    if (!loaded.error.isEmpty()) {
        check(loaded.rows.isEmpty(), "a file with an error gave rows");
        check(loaded.error.contains(QStringLiteral("in.pp")), "the error does not name the file");
        return 0;
    }
    for (const DuvudaResultRow& row : loaded.rows)
        check(!row.isBlank(), "a loaded row is blank");

    check(DuvudaResultFile::save(saved, loaded.rows).isEmpty(), "the loaded rows cannot be saved");
    const DuvudaResultFile::LoadResult again = DuvudaResultFile::load(saved);
    check(again.error.isEmpty(), "a saved file does not load");
    check(again.rows == loaded.rows, "saving and loading changed the rows");
    return 0;
}
