#pragma once

#include <QString>
#include <QStringList>

// The rules a project, URL or search term must meet before it is stored, and
// the forms in which they are stored. The wizard applies them as the user
// types; cvproject applies them to its arguments.
namespace corvane::ProjectRules {

inline constexpr int MaxProjectName = 32;
inline constexpr int MaxUrlName = 32;
inline constexpr int MaxUrl = 128;
inline constexpr int LongTerm = 30;

inline constexpr int DefaultDepth = 50;

// Empty when the project name may be stored, else the reason: blank, with a
// space, not starting with a letter, or longer than 32 characters.
QString projectNameProblem(const QString& name);

// The address as stored: without a leading "http://" or "https://" and then
// without a leading "www." (letter case ignored). A "https://" address is
// stripped too: the stored text is matched against result links and fetched
// with "http://" in front, so the scheme has no place in it.
QString storedUrl(const QString& typed);

// The term's "Physical" form: every blank replaced by "~~~".
QString physicalTerm(const QString& term);

// The terms of a page's keywords meta tag: the content up to the next ">",
// split at commas, blanks around each comma removed, duplicates dropped (in
// order of appearance). The tag is found without regard to letter case
// (pages mostly write it in lower case), with or without a blank before
// CONTENT. found is false when the page has no such tag; duplicates is true
// when a term repeated.
struct KeywordTags
{
    bool found = false;
    bool duplicates = false;
    QStringList terms;
};
KeywordTags keywordTags(const QString& page);

// Lines of a one-name-per-line list (CVNotify, CVSQLTee ForEach, Schedule):
// split at CR LF when the text has one (a lone LF is then part of a name), else
// at LF; empty lines dropped.
QStringList listLines(const QString& text);
QString joinLines(const QStringList& lines);

} // namespace corvane::ProjectRules
