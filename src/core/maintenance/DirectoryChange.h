#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// Moving the whole system onto another root folder R by rewriting the folder
// settings: Cfg := R + "/Cfg/", DataFolder := R + "/Data/", UpdateFolder :=
// R + "/Update/" (joined to R as typed), and "Last Run" from the oldest
// session date of R's Summary table. Nothing is moved or created.
//
// The new root is checked before anything is written: its data folder must
// exist and hold every table, and Summary must open. On failure nothing is
// written and the message says what is missing.
class DirectoryChange
{
public:
    explicit DirectoryChange(const QString& root);

    QString cfgFolder() const { return m_root + QStringLiteral("/Cfg/"); }
    QString dataFolder() const { return m_root + QStringLiteral("/Data/"); }
    QString updateFolder() const { return m_root + QStringLiteral("/Update/"); }

    // Empty when the root can be used; otherwise what is wrong, in a sentence or two.
    QString check() const;

    // Checks, then writes the three folders and "Last Run". Returns the
    // check's message when it failed (and nothing was written), else empty.
    QString apply() const;

    // The "Last Run" text of R: the whole day number of the first Summary row
    // in Dateidx order (days since 1899-12-30) plus 0.0000000001.
    QString lastRunText() const;

private:
    QString m_root;
};

} // namespace corvane
