// Keyword discovery: Detail of 100 demo pages with 8 connections through the
// demo engine as the proxy of its sites (target: at most 2 s), and the keyword
// density of a page of 300 KB (target: at most 5 ms). Each figure is the
// median of several runs and is printed beside its target; the exit status is
// 0 when both are met.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/demo/DemoPages.h"
#include "core/demo/DemoSitePages.h"
#include "core/discovery/DetailRun.h"
#include "core/discovery/PageDetail.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace corvane;

namespace {

constexpr int Pages = 100;
constexpr int Connections = 8;
constexpr double DetailTargetSeconds = 2.0;
constexpr qsizetype DensityPageBytes = 300 * 1000;
constexpr double DensityTargetMs = 5.0;

double seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double median(int reps, const std::function<void()>& work)
{
    work(); // warm-up
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        const double start = seconds();
        work();
        times.push_back(seconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A page of at least the given size: a demo site's page with its body text
// repeated, so it keeps tags, script blocks and "&nbsp;" throughout.
QString largePage(qsizetype bytes)
{
    const QString site =
        QString::fromUtf8(DemoSitePages::page(DemoCorpus::siteHost(2), QStringLiteral("/")).body);
    const qsizetype bodyStart = site.indexOf(QStringLiteral("<body>"));
    const qsizetype bodyEnd = site.indexOf(QStringLiteral("</body>"));
    const QString body = site.mid(bodyStart + 6, bodyEnd - bodyStart - 6)
        + QStringLiteral("<script>var a = 'x y z';</script>\n");
    QString page = site.left(bodyStart + 6);
    while (page.size() < bytes)
        page += body;
    return page + site.mid(bodyEnd);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bool met = true;

    // Keyword density of a 300 KB page.
    {
        const QString page = largePage(DensityPageBytes);
        const QSet<QString> filter{QStringLiteral("the"), QStringLiteral("and")};
        int words = 0;
        const double ms =
            median(31, [&] { PageAnalysis::KeywordDensity(page, filter, 10, &words); }) * 1000.0;
        const double analyseMs = median(11, [&] { PageAnalysis::Analyse(page, filter, 10); }) * 1000.0;
        const bool ok = ms <= DensityTargetMs;
        met = met && ok;
        std::printf("keyword density, %lld KB page (%d words): %.2f ms (target <= %.1f ms) %s\n",
                    static_cast<long long>(page.size() / 1000), words, ms, DensityTargetMs,
                    ok ? "ok" : "MISSED");
        std::printf(
            "  whole page analysis (title, meta tags, density, sorted lines): %.2f ms (information)\n",
            analyseMs);
    }

    // Detail of 100 pages through the demo engine.
    {
        QTemporaryDir dir;
        qputenv("CORVANE_REGISTRY", dir.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
        Registry registry;
        ProfileSetup setup(registry, dir.filePath(QStringLiteral("Home")));
        if (!setup.run()) {
            std::fprintf(stderr, "bench_discovery: %s\n", qPrintable(setup.error()));
            return 2;
        }
        DemoEngine engine;
        if (!engine.start()) {
            std::fprintf(stderr, "bench_discovery: %s\n", qPrintable(engine.error()));
            return 2;
        }
        Session session(QStringLiteral("Bench"));
        Database data(QStringLiteral("Bench"), &session);
        data.setDirectory(dir.filePath(QStringLiteral("Home/Data")));
        data.connect();
        Table mix(&data, QStringLiteral("CVMix"), QStringLiteral("Nameidx"));
        Table phrase(&data, QStringLiteral("Phrase"), QStringLiteral("Phraseidx"));
        const auto fill = [&] {
            mix.open();
            mix.emptyTable();
            int added = 0;
            for (int site = 1; site <= DemoCorpus::SiteCount && added < Pages; ++site) {
                if (DemoSitePages::kindOf(site) != DemoSitePages::Kind::Normal)
                    continue;
                mix.append();
                mix.setValue(QStringLiteral("Name"),
                             QString(QStringLiteral("http://") + DemoCorpus::siteHost(site) + u'/'));
                mix.setValue(QStringLiteral("URLCount"), 1);
                mix.post();
                ++added;
            }
        };
        SettingsRecord settings;
        settings.ProxyAuth = true;
        settings.ProxyHost = QStringLiteral("127.0.0.1");
        settings.ProxyPort = engine.port();
        settings.HTTPReadTimeout = 10000;
        DetailOptions options;
        options.connections = Connections;
        options.filter = {QStringLiteral("the"), QStringLiteral("and")};
        MixEvents events;
        events.log = [](const QString&) {};
        int read = 0;
        std::vector<double> times;
        for (int run = 0; run < 6; ++run) {
            fill();
            const double start = seconds();
            read = DetailRun::Run(mix, phrase, settings, options, events).read;
            if (run > 0)
                times.push_back(seconds() - start);
        }
        std::sort(times.begin(), times.end());
        const double s = times[times.size() / 2];
        options.connections = 1;
        fill();
        const double start = seconds();
        DetailRun::Run(mix, phrase, settings, options, events);
        const double serial = seconds() - start;
        const bool ok = s <= DetailTargetSeconds && read == Pages;
        met = met && ok;
        std::printf("Detail of %d demo pages (%d read), %d connections: %.3f s (target <= %.1f s) %s\n",
                    Pages, read, Connections, s, DetailTargetSeconds, ok ? "ok" : "MISSED");
        std::printf("  with 1 connection: %.3f s (information)\n", serial);
    }
    return met ? 0 : 1;
}
