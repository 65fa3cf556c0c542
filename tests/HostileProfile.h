#pragma once

// A profile whose project, URL names, URLs, terms and engine names hold the
// characters that break markup, SQL, menus, tab-separated lines and command
// lines, mined from the demo engine for a few days by the real Harvester.
// Shared by the core, window and program tests.

#include "core/TestSupport.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include <QDate>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

namespace corvane::test {

struct HostileNames
{
    // Every name holds all of these: both quotes, a backslash, "%", "_", "&",
    // a tag, the end of an HTML comment, an entity, a tab, a line break and
    // accented, Cyrillic and CJK letters.
    static QString core() { return QString::fromUtf8("\"'\\%_&<b>--> &amp;\t\néЖ中"); }

    QString project = QString::fromUtf8("Ré") + core();
    // The key URL first; its address is a demo site so that it ranks. The
    // second one's address is hostile too and never ranks.
    QStringList urlNames{QStringLiteral("Key ") + core(), QStringLiteral("Rival ") + core()};
    QStringList urls; // filled by the fixture
    QStringList terms{QStringLiteral("garden ") + core(), QString::fromUtf8("crème brûlée ") + core()};
    // Both copies of the first demo engine; the second one has no country.
    QStringList engines{QStringLiteral("Alpha ") + core(), QStringLiteral("Omega ") + core()};
    QStringList mined; // the days harvested, "yyyy-MM-dd", oldest first

    // Every name of the project, for the checks that a text shows them all.
    QStringList all() const { return QStringList{project} + urlNames + urls + terms + engines; }
};

// The last day of the fixture's sessions and the number of days mined.
inline constexpr int HostileDays = 3;

// Adds the hostile project to the profile whose data folder is given and
// mines it on the last HostileDays days with Harvester (from harvesterPath)
// against the demo engine. Returns an empty text on success, else what went
// wrong. The demo engine and $CORVANE_REGISTRY must stay set for the
// program that runs.
inline QString buildHostileProfile(const QString& dataFolder, DemoEngine& engine,
                                   const QString& harvesterPath, HostileNames& names)
{
    Session session(QStringLiteral("HostileFixture"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database data(QStringLiteral("HostileFixture"), &session);
    data.setDirectory(dataFolder);
    data.connect();
    const auto q = [](const QString& value) { return SqlQuote::quoted(value); };
    const auto exec = [&](const QString& sql) { Query(&data, sql).execSql(); };
    for (const char* column : {"HomePage", "AString1", "BString1", "ReplaceWith1", "ReplaceWith2"}) {
        exec(QStringLiteral("UPDATE SE3 SET %1 = replace(%1, '127.0.0.1:8765', '127.0.0.1:%2')")
                 .arg(QLatin1String(column))
                 .arg(engine.port()));
    }

    // the engines: copies of the first demo engine's script under hostile names
    {
        Table se3(&data, QStringLiteral("SE3"));
        se3.open();
        if (!se3.locate({QStringLiteral("Name")}, {QStringLiteral("Corvane Demo")}))
            return QStringLiteral("the profile has no engine \"Corvane Demo\"");
        QList<QPair<QString, QVariant>> script;
        for (const FieldDef& field : se3.fields())
            script << qMakePair(field.name, se3.value(field.name));
        for (int e = 0; e < names.engines.size(); ++e) {
            se3.append();
            for (const auto& [field, value] : script)
                se3.setValue(field, value);
            se3.setValue(QStringLiteral("Name"), names.engines.at(e));
            se3.setValue(QStringLiteral("Country"), e == 0 ? QStringLiteral("International") : QString());
            se3.setValue(QStringLiteral("Notes"), QString(QStringLiteral("Notes of ") + names.engines.at(e)));
            se3.setValue(QStringLiteral("Active"), true);
            se3.post();
        }
    }

    // the key URL ranks within the depth for every term on every day: a site
    // of the first term's results if one does, else a part of many sites' addresses
    const int lastDay = 10; // the demo engine's day of the last session
    QStringList candidates;
    for (const QString& link : DemoEngine::ranking(names.terms.at(0), lastDay).mid(0, 20))
        candidates << QUrl(link).host().mid(4);
    candidates << QStringLiteral("site-0") << QStringLiteral("site-");
    QString keyHost;
    for (const QString& candidate : candidates) {
        bool everywhere = true;
        for (int day = lastDay - HostileDays + 1; day <= lastDay && everywhere; ++day)
            for (const QString& term : names.terms) {
                bool ranks = false;
                for (const QString& link : DemoEngine::ranking(term, day).mid(0, 20))
                    ranks = ranks || link.contains(candidate);
                everywhere = everywhere && ranks;
            }
        if (everywhere) {
            keyHost = candidate;
            break;
        }
    }
    names.urls = QStringList{keyHost, QStringLiteral("rival.example/") + HostileNames::core()};

    exec(QStringLiteral("INSERT INTO CVProject (Name, Depth, KeyURL, FullURLData, StopOnHit) VALUES (%1, 20, "
                        "%2, 1, 0)")
             .arg(q(names.project), q(names.urlNames.at(0))));
    for (int i = 0; i < names.urlNames.size(); ++i)
        exec(QStringLiteral("INSERT INTO CVURL (Name, URL, Project, AnyMatch) VALUES (%1, %2, %3, 1)")
                 .arg(q(names.urlNames.at(i)), q(names.urls.at(i)), q(names.project)));
    for (const QString& term : names.terms)
        exec(QStringLiteral("INSERT INTO CVST (Virtual, Physical, Project) VALUES (%1, %2, %3)")
                 .arg(q(term), q(QString(term).replace(QLatin1Char(' '), QStringLiteral("~~~"))),
                      q(names.project)));
    for (int e = 0; e < names.engines.size(); ++e)
        exec(QStringLiteral("INSERT INTO CVSE3 (Name, Project, Popularity, Country) VALUES (%1, %2, %3, %4)")
                 .arg(q(names.engines.at(e)), q(names.project))
                 .arg(80 - 10 * e)
                 .arg(q(e == 0 ? QStringLiteral("International") : QString())));
    data.disconnect();

    Registry registry;
    registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings)),
                         QStringLiteral("HVRetryTimes"), QStringLiteral("0"));
    registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::Network)),
                         QStringLiteral("HTTPReadTimeout"), QStringLiteral("5000"));

    names.mined.clear();
    for (int back = HostileDays - 1; back >= 0; --back) {
        const QDate day = QDate::currentDate().addDays(-back);
        engine.setDay(lastDay - back);
        QProcess harvester;
        harvester.setProcessChannelMode(QProcess::MergedChannels);
        harvester.start(
            harvesterPath,
            {names.project, QStringLiteral("--date"), day.toString(QStringLiteral("yyyy-MM-dd"))});
        if (!harvester.waitForFinished(120000)) {
            harvester.kill();
            harvester.waitForFinished();
            return QStringLiteral("Harvester did not finish");
        }
        if (harvester.exitCode() != 0)
            return QStringLiteral("Harvester failed: ") + QString::fromLocal8Bit(harvester.readAll());
        names.mined << day.toString(QStringLiteral("yyyy-MM-dd"));
    }
    return {};
}

// The hostile project in a profile: the demo engine that serves its sessions,
// its names and its data folder. build() sets up a profile of its own in a
// temporary settings store, or uses the one whose data folder is given.
class HostileFixture
{
public:
    DemoEngine engine;
    HostileNames names;
    QString dataFolder;

    // Returns an empty text on success, else what went wrong.
    QString build(const QString& harvesterPath, const QString& existingDataFolder = {})
    {
        if (existingDataFolder.isEmpty()) {
            m_profile = std::make_unique<TempProfile>();
            Registry registry;
            ProfileSetup setup(registry, m_profile->path(QStringLiteral("Home")));
            if (!setup.run())
                return setup.error();
            dataFolder = setup.dataFolder();
        } else {
            dataFolder = existingDataFolder;
        }
        if (!engine.start())
            return engine.error();
        return buildHostileProfile(dataFolder, engine, harvesterPath, names);
    }

    bool ready() const { return !names.mined.isEmpty(); }
    // A path in the fixture's own temporary profile folder.
    QString path(const QString& relative) const { return m_profile ? m_profile->path(relative) : QString(); }

private:
    std::unique_ptr<TempProfile> m_profile;
};

} // namespace corvane::test
