#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class Database;

// The rules of the two add dialogs, which put URLs and search terms found by
// keyword discovery into a project without the project wizard. They write
// through ProjectStore, so the rows meet the wizard's rules.
namespace AddItems {

// Lower case; cut through the first "http://" or "https://" (with everything
// in front of it), then through the first "www.".
QString normalisedUrl(const QString& url);

// The name label of a normalised URL: the text before its first "." and then
// before its first "/", with an upper-case first letter; at most 32
// characters. "Site" when nothing is left.
QString nameLabel(const QString& normalised);

struct UrlOutcome
{
    QStringList added;    // normalised URLs written
    QStringList existing; // already in the project
    QStringList refused;  // "<url>: <reason>" for URLs the project rules refuse
    QStringList labels;   // the labels given to the added URLs
};

// Adds each normalised URL to the project under its name label; a label the
// project already uses gets a random number from 0 to 9999 appended (drawn
// again while it clashes).
UrlOutcome addUrls(Database& database, const QString& project, const QStringList& urls);

// Adds the term; false when the project has it already.
bool addTerm(Database& database, const QString& project, const QString& term);

} // namespace AddItems

// F10 in a search term box: a random line of "dictionary.txt" in the data
// folder appended to the text after a blank, trimmed. A missing or empty
// dictionary leaves the text as it is.
namespace Dictionary {
QString withRandomWord(const QString& dataFolder, const QString& text);
} // namespace Dictionary

} // namespace corvane
