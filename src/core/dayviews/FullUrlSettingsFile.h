#pragma once

#include "core/dayviews/FullUrlQuery.h"

#include <QDate>
#include <QString>

namespace corvane {

// A Full URL settings file (".ufp"): the project, day, grouping order and the
// checked terms, engines and URLs, one item a line between "~~" headings,
// ending with "~~END".
struct FullUrlSettings
{
    QString project;
    QDate day;
    FullUrlQuery::Selection selection;
};

namespace FullUrlSettingsFile {

// The file's text. The date is written "yyyy-mm-dd", so a file reads the same
// under every locale. A name the file could not give back as it is (one
// holding a line feed or ending in a carriage return, or beginning with "~~")
// is refused: std::runtime_error naming the item and why.
QString text(const FullUrlSettings& settings);

// Writes the file through a temporary file renamed over it; throws
// std::runtime_error naming the file when it cannot be written, or naming an
// item text() refuses, and then leaves an existing file as it was.
void write(const QString& filePath, const FullUrlSettings& settings);

// Reads a file's text. A date is read as "yyyy-mm-dd" or, for files written in
// the user's short date format, in that format. Throws std::runtime_error with
// a message naming what is wrong (no project heading, a date that is none, a
// grouping entry that is unknown, no "~~END").
FullUrlSettings parse(const QString& text);
FullUrlSettings read(const QString& filePath);

} // namespace FullUrlSettingsFile
} // namespace corvane
