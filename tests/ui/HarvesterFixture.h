#pragma once

#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"

#include <QStringList>
#include <QUrl>

namespace corvane::test {

// Points the starter engine scripts at a demo engine on another port and adds
// a project "Garden" with three URLs of the engine's sites, three terms and
// every demo engine.
inline void addHarvesterProject(const QString& dataFolder, int port)
{
    Session session(QStringLiteral("Fixture"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database data(QStringLiteral("Fixture"), &session);
    data.setDirectory(dataFolder);
    data.connect();
    const auto exec = [&](const QString& sql) { Query(&data, sql).execSql(); };
    for (const char* column : {"HomePage", "AString1", "BString1", "ReplaceWith1", "ReplaceWith2"}) {
        exec(QStringLiteral("UPDATE SE3 SET %1 = replace(%1, '127.0.0.1:8765', '127.0.0.1:%2')")
                 .arg(QLatin1String(column))
                 .arg(port));
    }
    const QStringList terms = {QStringLiteral("garden tools"), QStringLiteral("flower seeds"),
                               QStringLiteral("compost bin")};
    exec(QStringLiteral("INSERT INTO CVProject (Name, Depth, KeyURL) VALUES ('Garden', 20, 'Home')"));
    const QStringList names = {QStringLiteral("Home"), QStringLiteral("Rival"), QStringLiteral("Other")};
    for (int i = 0; i < names.size(); ++i) {
        const QString host = QUrl(DemoEngine::ranking(terms.at(i), 0).at(i * 3 + 1)).host().mid(4);
        exec(QStringLiteral(
                 "INSERT INTO CVURL (Name, URL, Project, AnyMatch) VALUES ('%1', '%2', 'Garden', 1)")
                 .arg(names.at(i), host));
    }
    for (const QString& term : terms)
        exec(QStringLiteral("INSERT INTO CVST (Virtual, Project) VALUES ('%1', 'Garden')").arg(term));
    exec(QStringLiteral(
        "INSERT INTO CVSE3 (Name, Project, Popularity) SELECT Name, 'Garden', Popularity FROM SE3"));
}

} // namespace corvane::test
