#include "core/maintenance/ZipMember.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <zip.h>

namespace corvane::ZipMember {

namespace {

QString zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace

void extract(const QString& archivePath, const QString& member, const QString& targetPath)
{
    const QString archiveName = QFileInfo(archivePath).fileName();
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive)
        throw ZipError(
            QStringLiteral("The archive \"%1\" cannot be read: %2").arg(archiveName, zipErrorText(code)));
    const auto closeArchive = [&] { zip_discard(archive); };

    const zip_int64_t index = zip_name_locate(archive, member.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0) {
        closeArchive();
        throw ZipError(QStringLiteral("The archive \"%1\" holds no \"%2\".").arg(archiveName, member));
    }
    zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(index), 0);
    if (!file) {
        const QString reason = QString::fromUtf8(zip_strerror(archive));
        closeArchive();
        throw ZipError(QStringLiteral("\"%1\" of the archive \"%2\" cannot be read: %3")
                           .arg(member, archiveName, reason));
    }

    const QString partPath = targetPath + QStringLiteral(".part");
    std::FILE* out = std::fopen(QFile::encodeName(partPath).constData(), "wb");
    QString failure;
    if (!out) {
        failure = QStringLiteral("Cannot write \"%1\".").arg(partPath);
    } else {
        char buffer[64 * 1024];
        while (true) {
            // Reading to the end checks the member's CRC.
            const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
            if (n < 0) {
                failure = QStringLiteral("\"%1\" of the archive \"%2\" is damaged: %3")
                              .arg(member, archiveName, QString::fromUtf8(zip_file_strerror(file)));
                break;
            }
            if (n == 0)
                break;
            if (std::fwrite(buffer, 1, size_t(n), out) != size_t(n)) {
                failure = QStringLiteral("Cannot write \"%1\".").arg(partPath);
                break;
            }
        }
        if (std::fclose(out) != 0 && failure.isEmpty())
            failure = QStringLiteral("Cannot write \"%1\".").arg(partPath);
    }
    zip_fclose(file);
    closeArchive();
    if (failure.isEmpty()) {
        QFile::remove(targetPath);
        if (std::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(targetPath).constData())
            != 0)
            failure = QStringLiteral("Cannot write \"%1\".").arg(targetPath);
    }
    if (!failure.isEmpty()) {
        QFile::remove(partPath);
        throw ZipError(failure);
    }
}

} // namespace corvane::ZipMember
