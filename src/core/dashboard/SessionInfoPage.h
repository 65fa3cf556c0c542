#pragma once

#include <QString>
#include <QStringList>

namespace corvane::SessionInfoPage {

// The dashboard's session page. `imageFolder` is the folder that holds
// "SessionInfoLogo.JPG" and "SessionInfoLogoFill.JPG"; `scriptUpdates` are
// the notes of the latest script update, one item each; `optimizationNotes`
// are the Content texts of the project's "Optimization" notes, whose lines
// read "Project: ...", then "Search Terms:", "URLs:" or "Search Engines:"
// each followed by one item per line. Every text is escaped for HTML.
QString html(const QString& imageFolder, const QStringList& scriptUpdates,
             const QStringList& optimizationNotes);

} // namespace corvane::SessionInfoPage
