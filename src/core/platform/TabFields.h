#pragma once

#include <QString>

namespace corvane::TabFields {

// A text as one field of a tab-separated line of a command-line program: a
// backslash, tab, line feed or carriage return inside it is written as \\,
// \t, \n or \r, so a name holding them never adds fields or lines.
QString field(const QString& text);

} // namespace corvane::TabFields
