#pragma once

#include <QString>

#include <stdexcept>

namespace corvane {

// A ZIP archive that cannot be read or lacks the wanted member.
class ZipError : public std::runtime_error
{
public:
    explicit ZipError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

namespace ZipMember {

// Extracts the member (its name matched without regard to case) of the ZIP
// archive into targetPath, overwriting. The member is written under a
// temporary name and renamed when complete and checked against the
// archive's checksum. Throws ZipError naming the archive and the member.
void extract(const QString& archivePath, const QString& member, const QString& targetPath);

} // namespace ZipMember
} // namespace corvane
