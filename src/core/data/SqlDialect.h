#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// The SQL dialect the program and its saved queries are written in, and its
// translation for SQLite:
//  - a double-quoted text is a string literal ("" inside stands for one
//    quote), except right after FROM, JOIN, INTO, UPDATE or TABLE, where it
//    names a table;
//  - a trailing "nocase" after an ORDER BY makes every ORDER BY term
//    case-insensitive; "Name NOCASE" makes that term case-insensitive;
//  - "SELECT ... INTO T FROM ..." recreates table T from the result;
//  - an appended " TOP n" keeps the first n rows;
//  - "CURRENT_DATE - n" is the local date n days back, CURRENT_DATE today's;
//  - a + b concatenates when either side is text and adds otherwise.
struct TranslatedSql
{
    QString sql;           // SQLite text, ready to prepare
    QStringList tables;    // every table the statement names, each once, as written
    QString intoTable;     // target of SELECT ... INTO, empty otherwise
    bool isSelect = false; // the statement returns rows (INTO excluded)
};

// Throws DatabaseError (SyntaxError) on text it cannot translate, such as an
// unterminated quote.
TranslatedSql translateSql(const QString& dialectSql);

// A filter expression of a table cursor (the WHERE part alone, e.g.
//   Project = "Alpha" and File <> 'GandLFile'
// ), translated with the same rules.
QString translateFilter(const QString& filter);

// Name of the SQL function that implements the dialect's "+".
inline constexpr const char* PlusFunctionName = "cv_plus";

} // namespace corvane
