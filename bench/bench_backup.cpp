// Times backup and restore of the year-of-data folder against `cp` of the
// same files, measured in the same run: a backup at most 1.5 times the copy,
// a restore at most 2 times. Each side runs --reps times (default 3); the
// medians are compared. The restore replaces live tables that exist, as the
// window's restore does, so it is compared with `cp` doing the same: copying
// the backup's files over existing files of the same names and sizes. A copy
// into an empty folder allocates new space and frees none; replacing a file
// frees the old one's, which the file system pays for either way. The
// restore's ratio to `cp` into an empty folder is printed for information.
// Exit status: 0 when both targets are met, 1 when one is missed, 2 on an error.
#include "core/maintenance/DataBackup.h"

#include "BenchData.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace corvane;
using namespace corvane::bench;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Each timed step starts with nothing left to write back from the one before.
double timeMs(const std::function<void()>& run)
{
    ::sync();
    QElapsedTimer timer;
    timer.start();
    run();
    return double(timer.nsecsElapsed()) / 1e6;
}

// `cp` of every table file of a folder into another, as a user would copy them.
void copyWithCp(const QString& from, const QString& to)
{
    QStringList arguments;
    for (const QString& file : QDir(from).entryList({QStringLiteral("*.dat")}, QDir::Files))
        arguments << from + file;
    arguments << to;
    if (QProcess::execute(QStringLiteral("cp"), arguments) != 0)
        throw std::runtime_error("cp failed");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int reps = 3;
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--reps"));
    if (at > 0 && at + 1 < args.size())
        reps = std::max(1, args.at(at + 1).toInt());
    try {
        QString source = defaultFolder();
        prepareFolder(source, true, false);
        if (!source.endsWith(QLatin1Char('/')))
            source += QLatin1Char('/');
        QTemporaryDir work(QDir(source).filePath(QStringLiteral("../bench-backup-XXXXXX")));
        const QString data = work.filePath(QStringLiteral("Data/"));
        const QString root = work.filePath(QStringLiteral("Root"));
        const QString cpTarget = work.filePath(QStringLiteral("cp/"));
        QDir().mkpath(data);
        QDir().mkpath(root);
        QDir().mkpath(cpTarget);
        copyWithCp(source, data);
        qint64 bytes = 0;
        for (const QFileInfo& file : QDir(data).entryInfoList({QStringLiteral("*.dat")}, QDir::Files))
            bytes += file.size();

        std::vector<double> cpTimes;
        std::vector<double> backupTimes;
        std::vector<double> restoreTimes;
        std::vector<double> cpOverTimes; // the backup's files over the files cp wrote before
        DataBackup backup(data);
        const auto quiet = [](const QString&) {};
        for (int i = 0; i < reps; ++i) {
            QDir(cpTarget).removeRecursively();
            QDir().mkpath(cpTarget);
            cpTimes.push_back(timeMs([&] { copyWithCp(data, cpTarget); }));
            QDir(DataBackup::backupFolder(root)).removeRecursively();
            bool ok = true;
            backupTimes.push_back(timeMs([&] { ok = backup.backup(root, quiet); }));
            if (!ok)
                throw std::runtime_error("the backup reported errors");
            cpOverTimes.push_back(timeMs([&] { copyWithCp(DataBackup::backupFolder(root), cpTarget); }));
            restoreTimes.push_back(timeMs([&] { ok = backup.restore(root, quiet); }));
            if (!ok)
                throw std::runtime_error("the restore reported errors");
        }
        const double cp = median(cpTimes);
        const double b = median(backupTimes);
        const double r = median(restoreTimes);
        std::printf("year-of-data folder: %.1f MB in %lld files, %d runs each\n", double(bytes) / 1e6,
                    qlonglong(QDir(data).entryList({QStringLiteral("*.dat")}, QDir::Files).size()), reps);
        const double cpOver = median(cpOverTimes);
        std::printf("%-10s %8.0f ms  (into an empty folder)\n", "cp", cp);
        std::printf("%-10s %8.0f ms  (over files of the same names)\n", "cp over", cpOver);
        const bool backupMet = b <= 1.5 * cp;
        const bool restoreMet = r <= 2.0 * cpOver;
        std::printf("%-10s %8.0f ms  %.2f x cp  (target 1.50 x)  %s\n", "backup", b, b / cp,
                    backupMet ? "PASS" : "FAIL");
        std::printf("%-10s %8.0f ms  %.2f x cp over  (target 2.00 x)  %s;  %.2f x cp into an empty folder\n",
                    "restore", r, r / cpOver, restoreMet ? "PASS" : "FAIL", r / cp);
        return backupMet && restoreMet ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_backup: %s\n", e.what());
        return 2;
    }
}
