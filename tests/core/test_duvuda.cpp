// The rank check of Duvuda Duvedozo against the demo engine with the real
// starter scripts in SE3, its result files, its grid rows and its exports.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/engine/PageFetcher.h"
#include "core/export/HtmlCellText.h"
#include "core/livecheck/DuvudaExport.h"
#include "core/livecheck/DuvudaResultFile.h"
#include "core/livecheck/DuvudaResultModel.h"
#include "core/livecheck/DuvudaSearch.h"
#include "core/livecheck/TextHistory.h"
#include "core/platform/Registry.h"
#include "core/print/ReportTable.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include "TestSupport.h"

#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const QString Numbered = QStringLiteral("Corvane Demo");
const QString Unnumbered = QStringLiteral("Corvane Demo Unnumbered");
const QString TagFirst = QStringLiteral("Corvane Demo TagFirst");

// One profile for the suite (setting one up costs more than the searches),
// its starter scripts pointed at a demo engine on a free port.
class duvuda_search : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        profile = new test::TempProfile;
        engine = new DemoEngine;
        ASSERT_TRUE(engine->start()) << qPrintable(engine->error());
        Registry registry(profile->registryPath());
        ProfileSetup setup(registry, profile->path(QStringLiteral("Home")));
        ASSERT_TRUE(setup.run()) << qPrintable(setup.error());
        Session session(QStringLiteral("Setup"));
        session.addPassword(QLatin1String(Schema::SE3Password));
        Database data(QStringLiteral("Setup"), &session);
        data.setDirectory(profile->path(QStringLiteral("Home/Data")));
        data.connect();
        for (const char* column : {"HomePage", "AString1", "BString1", "ReplaceWith1", "ReplaceWith2"}) {
            Query repoint(&data,
                          QStringLiteral("UPDATE SE3 SET %1 = replace(%1, '127.0.0.1:8765', '127.0.0.1:%2')")
                              .arg(QLatin1String(column))
                              .arg(engine->port()));
            repoint.execSql();
        }
    }

    static void TearDownTestSuite()
    {
        delete engine;
        delete profile;
    }

    void SetUp() override
    {
        engine->setDay(4);
        engine->setFailure(DemoEngine::Failure::None);
        engine->resetCounts();
        // The window's own session: its hook supplies the password of SE3.
        session.setPasswordHook([](Session& s) {
            s.addPassword(QLatin1String(Schema::SE3Password));
            return true;
        });
        data.setDirectory(profile->path(QStringLiteral("Home/Data")));
        data.connect();
        se3.open();
        settings.HTTPReadTimeout = 3000;
        settings.HTTPProtocolVersion = 1;
        settings.HTTPRetryTimes = 1;
    }

    struct Run
    {
        QList<DuvudaHit> hits;
        QStringList statuses;
        QStringList engines;
    };

    Run search(const QStringList& engines, const QString& term, const QString& url, int depth,
               std::function<bool(const Run&)> abortWhen = {})
    {
        PageFetcher fetcher(settings);
        Run run;
        DuvudaSearchRequest request{term, url, depth, false, engines, QDate(2026, 12, 7)};
        DuvudaSearchEvents events;
        events.engineStarted = [&run](int, const QString& name) { run.engines << name; };
        events.status = [&run](const QString& text) { run.statuses << text; };
        events.hit = [&run](const DuvudaHit& hit) { run.hits << hit; };
        events.aborted = [&] { return abortWhen && abortWhen(run); };
        DuvudaSearch(se3, fetcher, settings.HTTPRetryTimes).run(request, events);
        return run;
    }

    QString hostAt(const QString& term, int rank) const
    {
        return QUrl(DemoEngine::ranking(term, engine->day()).at(rank - 1)).host();
    }

    static inline test::TempProfile* profile = nullptr;
    static inline DemoEngine* engine = nullptr;
    Session session{QStringLiteral("QuickHVSession")};
    Database data{QStringLiteral("QuickHVDatabase"), &session};
    Table se3{&data, QStringLiteral("SE3"), QStringLiteral("SEName")};
    SettingsRecord settings;
};

} // namespace

TEST_F(duvuda_search, DepthFiftyAndFortyFiveBothFetchFivePagesOfTen)
{
    for (int depth : {50, 45}) {
        engine->resetCounts();
        const Run run =
            search({Numbered}, QStringLiteral("garden tools"), QStringLiteral("nowhere.example"), depth);
        EXPECT_EQ(engine->requestCount(QStringLiteral("/numbered/search")), 5) << "depth " << depth;
        EXPECT_EQ(run.statuses.last(), QStringLiteral("Done..."));
        EXPECT_TRUE(run.hits.isEmpty());
    }
}

TEST_F(duvuda_search, HitsCarryRankPageAndTheRequestAndTheMatchIsCaseSensitive)
{
    const QString term = QStringLiteral("garden tools");
    const QString host = hostAt(term, 14);
    const Run found = search({Numbered}, term, host, 20);
    ASSERT_FALSE(found.hits.isEmpty());
    const DuvudaHit& hit = found.hits.first();
    EXPECT_EQ(hit.rank, 14);
    EXPECT_EQ(hit.page, 2);
    EXPECT_EQ(hit.engineName, Numbered);
    EXPECT_TRUE(hit.requestUrl.endsWith(QStringLiteral("q=garden+tools&start=10")))
        << qPrintable(hit.requestUrl);
    EXPECT_EQ(hit.engineHomePage, QStringLiteral("http://127.0.0.1:%1/").arg(engine->port()));

    QString capital = host;
    capital[0] = capital.at(0).toUpper();
    ASSERT_NE(capital, host);
    const Run none = search({Numbered}, term, capital, 20);
    EXPECT_TRUE(none.hits.isEmpty());
    EXPECT_EQ(none.statuses.last(), QStringLiteral("Done..."));
}

TEST_F(duvuda_search, AnAbortDuringTheFirstEngineSendsNothingToTheOthers)
{
    const Run run = search({Numbered, Unnumbered, TagFirst}, QStringLiteral("garden tools"),
                           QStringLiteral("nowhere.example"), 100,
                           [](const Run&) { return engine->requestCount() >= 2; });
    EXPECT_EQ(run.engines, (QStringList{Numbered, Unnumbered, TagFirst}));
    EXPECT_EQ(engine->requestCount(QStringLiteral("/numbered/search")), 2);
    EXPECT_EQ(engine->requestCount(QStringLiteral("/unnumbered/search")), 0);
    EXPECT_EQ(engine->requestCount(QStringLiteral("/tagfirst/search")), 0);
    EXPECT_EQ(run.statuses.last(), QStringLiteral("Done..."));
}

TEST_F(duvuda_search, AFailingEngineShowsItsErrorAndTheRunGoesOn)
{
    engine->setFailure(DemoEngine::Failure::ShortBody, 2); // both tries of the first engine
    const QString term = QStringLiteral("garden tools");
    const Run run = search({Numbered, TagFirst}, term, hostAt(term, 3), 10);
    EXPECT_TRUE(run.statuses.contains(QStringLiteral("Error: Minimal data returned")));
    ASSERT_FALSE(run.hits.isEmpty());
    EXPECT_EQ(run.hits.first().engineName, TagFirst);
    EXPECT_EQ(run.statuses.last(), QStringLiteral("Done..."));
}

// ---------------------------------------------------------------- grid rows

namespace {

DuvudaResultRow sampleRow(int rank, const QString& term = QStringLiteral("O'Reilly <books> & \"more\""))
{
    return DuvudaCells::makeRow({QDate(2026, 12, 7), rank, (rank - 1) / 10 + 1, QStringLiteral("widget.com"),
                                 term, QStringLiteral("http://127.0.0.1:1/numbered/search?q=a&start=10"),
                                 QStringLiteral("Corvane Demo"), QStringLiteral("http://127.0.0.1:1/")},
                                QLocale(QLocale::English, QLocale::UnitedStates));
}

} // namespace

TEST(DuvudaRows, CellsAreAnchorsWithTheTermAndEngineInFrontAsComments)
{
    const DuvudaResultRow row = sampleRow(13, QStringLiteral("red shoes"));
    EXPECT_EQ(row.cells[DuvudaResultRow::Date], QStringLiteral("12/7/26"));
    EXPECT_EQ(row.cells[DuvudaResultRow::Rank], QStringLiteral("13"));
    EXPECT_EQ(row.cells[DuvudaResultRow::Page], QStringLiteral("2"));
    EXPECT_EQ(row.cells[DuvudaResultRow::URL],
              QStringLiteral("<a href=\"http://widget.com\">widget.com</a>"));
    EXPECT_EQ(
        row.cells[DuvudaResultRow::SearchTerm],
        QStringLiteral("<!--red shoes--><a href=\"http://127.0.0.1:1/numbered/search?q=a&amp;start=10\">red "
                       "shoes</a>"));
    EXPECT_EQ(row.cells[DuvudaResultRow::SearchEngine],
              QStringLiteral("<!--Corvane Demo--><a href=\"http://127.0.0.1:1/\">Corvane Demo</a>"));
    EXPECT_EQ(DuvudaCells::urlAddress(QStringLiteral("HTTP://a.com")), QStringLiteral("HTTP://a.com"));
    EXPECT_EQ(DuvudaCells::urlAddress(QStringLiteral("https://a.com")), QStringLiteral("https://a.com"));
}

TEST(DuvudaRows, ExportKindsGiveLabelsLinksOrTheCellUnchanged)
{
    const DuvudaResultRow row = sampleRow(3);
    const QString& term = row.cells[DuvudaResultRow::SearchTerm];
    EXPECT_EQ(DuvudaExport::cellValue(term, DuvudaExportKind::Labels),
              QStringLiteral("O'Reilly <books> & \"more\""));
    EXPECT_EQ(DuvudaExport::cellValue(term, DuvudaExportKind::Links),
              QStringLiteral("http://127.0.0.1:1/numbered/search?q=a&start=10"));
    EXPECT_EQ(DuvudaExport::cellValue(term, DuvudaExportKind::Html), term);
    EXPECT_EQ(HtmlCellText::visibleText(QStringLiteral("a&#x41;&#66;&nbsp;&unknown;")),
              QStringLiteral("aAB &unknown;"));
}

TEST(DuvudaRows, TheGridReusesItsBlankRowSortsAndClearsBackToIt)
{
    DuvudaResultModel model;
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_FALSE(model.hasResults());
    model.appendRow(sampleRow(17));
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_TRUE(model.hasResults());
    model.appendRow(sampleRow(3));
    model.appendRow(sampleRow(110));
    model.sort(DuvudaResultRow::Rank, Qt::AscendingOrder);
    EXPECT_EQ(model.rows().at(0).cells[DuvudaResultRow::Rank], QStringLiteral("3"));
    EXPECT_EQ(model.rows().at(2).cells[DuvudaResultRow::Rank], QStringLiteral("110"));
    model.sort(DuvudaResultRow::Rank, Qt::DescendingOrder);
    EXPECT_EQ(model.rows().at(0).cells[DuvudaResultRow::Rank], QStringLiteral("110"));
    EXPECT_EQ(model.cellsText({model.index(0, 1), model.index(0, 3), model.index(1, 1)}, false),
              QStringLiteral("110\twidget.com\n17"));
    model.removeResultRow(0);
    EXPECT_EQ(model.rowCount(), 2);
    model.clear();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_FALSE(model.hasResults());
}

// ---------------------------------------------------------------- result files

TEST(DuvudaResultFiles, SavingAndOpeningRestoresEveryCell)
{
    test::TempProfile profile;
    const QList<DuvudaResultRow> rows = {sampleRow(3),
                                         sampleRow(14, QStringLiteral("tab\there \u00e9\u4e2d"))};
    const QString path = profile.path(QStringLiteral("results.pp"));
    ASSERT_EQ(DuvudaResultFile::save(path, rows + QList<DuvudaResultRow>{DuvudaResultRow{}}), QString());
    const DuvudaResultFile::LoadResult loaded = DuvudaResultFile::load(path);
    EXPECT_EQ(loaded.error, QString());
    EXPECT_EQ(loaded.rows, rows);
}

TEST(DuvudaResultFiles, MarkupInACraftedFileNeverReachesTheGrid)
{
    test::TempProfile profile;
    const QString path = profile.path(QStringLiteral("crafted.pp"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        R"({"format": "Duvuda Duvedozo results", "version": 1, "rows": [{"date": "2026-12-07", "cells": [
        "<b>7</b>/12", "<img src=x onerror=alert(1)>3", "1",
        "<a href=\"http://a.example\" style=\"font-size:99px\">a.example</a><script>x()</script>",
        "<!--t--><a href=\"http://q.example/?q=t\">t</a><h1>big</h1>",
        "<!--E--><a href=\"javascript:alert(1)\">E</a>"]}]})");
    file.close();
    const DuvudaResultFile::LoadResult loaded = DuvudaResultFile::load(path);
    ASSERT_EQ(loaded.error, QString());
    ASSERT_EQ(loaded.rows.size(), 1);
    const auto& cells = loaded.rows.first().cells;
    EXPECT_EQ(cells[DuvudaResultRow::Date], QStringLiteral("7/12"));
    EXPECT_EQ(cells[DuvudaResultRow::Rank], QStringLiteral("3"));
    EXPECT_EQ(cells[DuvudaResultRow::URL], QStringLiteral("<a href=\"http://a.example\">a.examplex()</a>"));
    EXPECT_EQ(cells[DuvudaResultRow::SearchTerm],
              QStringLiteral("<!--tbig--><a href=\"http://q.example/?q=t\">tbig</a>"));
    // The link stays as the file has it; only web addresses are ever opened.
    EXPECT_EQ(cells[DuvudaResultRow::SearchEngine],
              QStringLiteral("<!--E--><a href=\"javascript:alert(1)\">E</a>"));
}

TEST(DuvudaResultFiles, DamagedFilesAreRefusedWithTheReason)
{
    test::TempProfile profile;
    const QString path = profile.path(QStringLiteral("results.pp"));
    ASSERT_EQ(DuvudaResultFile::save(path, {sampleRow(3)}), QString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();

    const auto loadWith = [&](const QByteArray& content) {
        QFile out(path);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(content);
        out.close();
        return DuvudaResultFile::load(path);
    };
    const DuvudaResultFile::LoadResult cut = loadWith(good.left(good.size() / 2));
    EXPECT_TRUE(cut.rows.isEmpty());
    EXPECT_TRUE(cut.error.contains(QStringLiteral("is not a readable Duvuda Duvedozo file")))
        << qPrintable(cut.error);
    EXPECT_TRUE(cut.error.contains(QStringLiteral("at character"))) << qPrintable(cut.error);

    QByteArray fiveCells = good;
    fiveCells.replace("\"12/7/26\",", "");
    EXPECT_TRUE(loadWith(fiveCells).error.contains(QStringLiteral("row 1 does not hold six cells")));
    EXPECT_TRUE(loadWith("{\"format\": \"something else\"}").error.contains(QStringLiteral("does not hold")));
    EXPECT_TRUE(DuvudaResultFile::load(profile.path(QStringLiteral("missing.pp")))
                    .error.contains(QStringLiteral("cannot be opened")));
}

TEST(DuvudaHistory, NewestFirstWithoutRepeatsAndAtMostFifteen)
{
    test::TempProfile profile;
    TextHistory history;
    for (int i = 0; i < 20; ++i)
        history.add(QStringLiteral("term %1").arg(i));
    history.add(QStringLiteral("term 10"));
    history.add(QStringLiteral("  "));
    ASSERT_EQ(history.entries().size(), 15);
    EXPECT_EQ(history.entries().first(), QStringLiteral("term 10"));
    EXPECT_EQ(history.entries().count(QStringLiteral("term 10")), 1);
    history.save(profile.path(QStringLiteral("FORM.INI")), QStringLiteral("QuickHVST"));
    TextHistory loaded;
    loaded.load(profile.path(QStringLiteral("FORM.INI")), QStringLiteral("QuickHVST"));
    EXPECT_EQ(loaded.entries(), history.entries());
}

// ---------------------------------------------------------------- export and report tables

TEST_F(duvuda_search, ExportAndReportTablesHoldOneRecordPerResultRow)
{
    const QList<DuvudaResultRow> rows = {sampleRow(3), DuvudaResultRow{}, sampleRow(14)};
    Table pp(&data, QStringLiteral("PPExport"));
    pp.open();
    DuvudaExport::fillTable(pp, rows, DuvudaExportKind::Links);
    DuvudaExport::fillTable(pp, rows, DuvudaExportKind::Links); // refilled, not added to
    ASSERT_EQ(pp.recordCount(), 2);
    pp.first();
    EXPECT_EQ(pp.asDate(QStringLiteral("xDate")), QDate(2026, 12, 7));
    EXPECT_EQ(pp.asInteger(QStringLiteral("Rank")), 3);
    EXPECT_EQ(pp.asString(QStringLiteral("URL")), QStringLiteral("http://widget.com"));
    EXPECT_EQ(pp.asString(QStringLiteral("SearchEngine")), QStringLiteral("http://127.0.0.1:1/"));
    pp.close();

    QFile stale(data.directory() + QStringLiteral("CVReportTemp.idx"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    DuvudaExport::fillReportTable(data, rows);
    EXPECT_FALSE(QFile::exists(data.directory() + QStringLiteral("CVReportTemp.idx")));
    Table report(&data, QLatin1String(ReportTable::Name));
    report.open();
    ASSERT_EQ(report.recordCount(), 2);
    report.last();
    EXPECT_EQ(report.asInteger(QStringLiteral("Page")), 2);
    EXPECT_EQ(report.asString(QStringLiteral("SearchEngine")), QStringLiteral("Corvane Demo"));
}
