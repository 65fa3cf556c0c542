#include "core/setup/DemoProject.h"

#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/demo/DemoEngine.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QProcess>
#include <QUrl>

#include <algorithm>

namespace corvane {

namespace {

const QString StarterAddress = QStringLiteral("127.0.0.1:8765");

// The script columns that hold the demo engine's address.
const char* const AddressColumns[] = {"HomePage", "AddPage",      "AString1",
                                      "BString1", "ReplaceWith1", "ReplaceWith2"};

// Points the demo scripts at another address for as long as it lives.
class ScriptAddress
{
public:
    ScriptAddress(Database& se3, const QString& address)
        : m_se3(se3)
        , m_address(address)
    {
        repoint(StarterAddress, m_address);
    }
    ~ScriptAddress()
    {
        try {
            repoint(m_address, StarterAddress);
        } catch (const DatabaseError&) {
            // Leaving the scripts pointed elsewhere is all that can go wrong;
            // corvane-setup --demo puts them back when run again.
        }
    }

private:
    void repoint(const QString& from, const QString& to)
    {
        for (const char* column : AddressColumns) {
            const QString name = QLatin1String(column);
            Query(&m_se3,
                  QStringLiteral("UPDATE SE3 SET %1 = replace(%1, %2, %3)")
                      .arg(name, SqlQuote::quoted(from), SqlQuote::quoted(to)))
                .execSql();
        }
    }

    Database& m_se3;
    QString m_address;
};

QString hostName(const QString& url)
{
    QString host = QUrl(url).host();
    if (host.startsWith(QLatin1String("www.")))
        host.remove(0, 4);
    return host;
}

// The sites that rank best for the demo terms on all demo engines over the
// demo's days: the key URL first, then the competitors.
QStringList bestSites(int count)
{
    QHash<QString, int> score;
    const QDate today = QDate::currentDate();
    for (const QString& term : DemoProject::terms()) {
        for (int back = 0; back < DemoProject::DefaultDays; back += 3) {
            for (const DemoStyle engine : demoStyles()) {
                const QList<QString> ranking =
                    DemoEngine::ranking(term, DemoProject::demoDay(today.addDays(-back)), engine);
                for (int i = 0; i < DemoProject::Depth && i < ranking.size(); ++i)
                    score[hostName(ranking.at(i))] += DemoProject::Depth - i;
            }
        }
    }
    QStringList sites = score.keys();
    std::sort(sites.begin(), sites.end(), [&](const QString& a, const QString& b) {
        return score.value(a) != score.value(b) ? score.value(a) > score.value(b) : a < b;
    });
    return sites.mid(0, count);
}

} // namespace

int DemoProject::demoDay(const QDate& date) { return int(QDate(1970, 1, 1).daysTo(date)); }

const QStringList& DemoProject::terms()
{
    static const QStringList list = {
        QStringLiteral("blue widgets"),       QStringLiteral("garden tools"),
        QStringLiteral("red widgets"),        QStringLiteral("widget repair"),
        QStringLiteral("cheap widgets"),      QStringLiteral("buy garden tools"),
        QStringLiteral("organic fertilizer"), QStringLiteral("lawn mower"),
        QStringLiteral("hedge trimmer"),      QStringLiteral("watering can"),
        QStringLiteral("flower seeds"),       QStringLiteral("compost bin"),
        QStringLiteral("garden hose"),        QStringLiteral("patio furniture"),
        QStringLiteral("outdoor lights"),     QStringLiteral("bird feeder"),
        QStringLiteral("tree pruning"),       QStringLiteral("raised beds"),
        QStringLiteral("greenhouse kits"),    QStringLiteral("rain barrel"),
    };
    return list;
}

bool DemoProject::create(Database& general, Database& se3)
{
    const QString project = QLatin1String(Name);
    Table projects(&general, QStringLiteral("CVProject"), QStringLiteral("Nameidx"));
    projects.open();
    if (projects.locate({QStringLiteral("Name")}, {project}))
        return false;

    const QStringList sites = bestSites(4);
    const QStringList urlNames = {QStringLiteral("OurSite"), QStringLiteral("RivalA"),
                                  QStringLiteral("RivalB"), QStringLiteral("RivalC")};
    projects.append();
    projects.setValue(QStringLiteral("Name"), project);
    projects.setValue(QStringLiteral("Depth"), Depth);
    projects.setValue(QStringLiteral("KeyURL"), urlNames.first());
    projects.setValue(QStringLiteral("FullURLData"), true);
    projects.setValue(QStringLiteral("StopOnHit"), false);
    projects.post();

    Table urls(&general, QStringLiteral("CVURL"));
    urls.open();
    for (int i = 0; i < sites.size(); ++i) {
        urls.append();
        urls.setValue(QStringLiteral("Name"), urlNames.at(i));
        urls.setValue(QStringLiteral("URL"), sites.at(i));
        urls.setValue(QStringLiteral("Project"), project);
        urls.setValue(QStringLiteral("AnyMatch"), true);
        urls.post();
    }

    Table terms(&general, QStringLiteral("CVST"));
    terms.open();
    for (const QString& term : DemoProject::terms()) {
        terms.append();
        terms.setValue(QStringLiteral("Virtual"), term);
        terms.setValue(QStringLiteral("Physical"),
                       QString(term).replace(QLatin1Char(' '), QStringLiteral("~~~")));
        terms.setValue(QStringLiteral("Project"), project);
        terms.post();
    }

    Table scripts(&se3, QStringLiteral("SE3"), QStringLiteral("SEName"));
    scripts.open();
    Table engines(&general, QStringLiteral("CVSE3"));
    engines.open();
    for (scripts.first(); !scripts.eof(); scripts.next()) {
        if (!scripts.asString(QStringLiteral("HomePage")).contains(StarterAddress)
            || !scripts.value(QStringLiteral("Active")).toBool())
            continue;
        engines.append();
        engines.setValue(QStringLiteral("Name"), scripts.asString(QStringLiteral("Name")));
        engines.setValue(QStringLiteral("Project"), project);
        for (const char* column : {"Popularity", "Country", "Group1", "Group2", "Group3", "Group4", "Group5"})
            engines.setValue(QLatin1String(column), scripts.value(QLatin1String(column)));
        engines.setValue(QStringLiteral("API"), false);
        engines.post();
    }
    return true;
}

bool DemoProject::backFill(Database& se3, int days, const std::function<void(const QString&)>& progress)
{
    DemoEngine engine;
    if (!engine.start(0)) {
        m_error = QStringLiteral("Cannot start the demo engine: %1").arg(engine.error());
        return false;
    }
    ScriptAddress pointed(se3, QStringLiteral("127.0.0.1:%1").arg(engine.port()));
    const QString harvester =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Harvester"));
    const QDate today = QDate::currentDate();
    for (int back = days - 1; back >= 0; --back) {
        const QDate date = today.addDays(-back);
        engine.setDay(demoDay(date));
        const QString day = date.toString(QStringLiteral("yyyy-MM-dd"));
        if (progress)
            progress(QStringLiteral("mining the demo project for %1").arg(day));
        QProcess run;
        run.start(harvester, {QLatin1String(Name), QStringLiteral("--date"), day});
        if (!run.waitForFinished(-1) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0) {
            m_error = QStringLiteral("Harvester could not mine the demo project for %1 (exit %2): %3")
                          .arg(day)
                          .arg(run.exitCode())
                          .arg(QString::fromLocal8Bit(run.readAllStandardError()).trimmed());
            return false;
        }
    }
    return true;
}

bool DemoProject::useEngineAsProxy(Registry& registry)
{
    const QString key = SettingsKeys::path(QLatin1String(SettingsKeys::Network));
    const QString host = StarterAddress.section(QLatin1Char(':'), 0, 0);
    const QString port = StarterAddress.section(QLatin1Char(':'), 1);
    return registry.writeString(key, QStringLiteral("ProxyHost"), host)
        && registry.writeString(key, QStringLiteral("ProxyPort"), port)
        && registry.writeString(key, QStringLiteral("ProxyAuth"), SettingText::fromFlag(true));
}

} // namespace corvane
