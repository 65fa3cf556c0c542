#pragma once

#include "core/engine/EngineScript.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace corvane {

class Database;

// What one project asks Harvester to do: its URLs, terms and engines with
// their scripts, read from CVProject, CVURL, CVST, CVSE3 and SE3.
struct ProjectPlan
{
    struct Url
    {
        QString name; // the name every result table stores
        QString url;  // the text matched against result links
        bool anyMatch = false;
    };

    QString name;
    int depth = 50;
    QString keyUrl; // a URL name; empty when none is defined
    bool fullUrlData = false;
    bool stopOnHit = false;
    QDate lastRun; // invalid when the project was never mined
    QList<Url> urls;
    QStringList terms;           // the terms as typed (CVST Virtual)
    QList<EngineScript> engines; // in CVSE3 order
    QStringList missingScripts;  // CVSE3 engines without an SE3 row

    // Reads the project; throws DatabaseError when a table cannot be read.
    // A project that does not exist gives a plan with an empty name.
    static ProjectPlan load(Database& general, Database& se3, const QString& project);

    // Every project name in CVProject, in index order.
    static QStringList projectNames(Database& general);

    // Why the project cannot be mined ("no search terms" ...); empty when it can.
    QString incompleteReason() const;

    // Index of the key URL in urls, -1 when it has none.
    int keyUrlIndex() const;
};

} // namespace corvane
