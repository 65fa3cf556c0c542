#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class Database;

namespace reports {

// How one report prints: set in the design window, stored in table CVReports
// (database "SE3", index "Reportidx" on Report and Project).
struct ReportStyle
{
    static constexpr int DefaultFontSize = 9;
    static constexpr int SmallestFontSize = 6;
    static constexpr int LargestFontSize = 24;

    QString title; // empty: the title made from report and project
    bool landscape = false;
    int fontSize = DefaultFontSize;
    QStringList hiddenColumns; // field names; columns not named here print,
                               // so a column new to the report table shows

    bool showsColumn(const QString& field) const;
    // The title the report prints under.
    QString titleFor(const QString& report, const QString& project) const;

    // The style as the text kept in CVReports' Layout memo, and back. A text
    // that cannot be read gives the default style.
    QString toLayout() const;
    static ReportStyle fromLayout(const QString& layout);

    bool operator==(const ReportStyle&) const = default;
};

// The title of a report without a style: "<report> - <project>".
QString defaultReportTitle(const QString& report, const QString& project);

// Reads and writes the styles in CVReports: one row per report and project
// (or group). Throws DatabaseError when the table cannot be read or written.
class ReportStyleStore
{
public:
    explicit ReportStyleStore(Database& database);

    // The stored style, or the default style when none is stored.
    ReportStyle load(const QString& report, const QString& project) const;
    void save(const QString& report, const QString& project, const ReportStyle& style);

    static constexpr const char* TableName = "CVReports";
    static constexpr const char* IndexName = "Reportidx";

private:
    Database& m_database;
};

} // namespace reports
} // namespace corvane
