// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "UiTestSupport.h"

#include "app/MainRankForm.h"
#include "ReportSamples.h"
#include "outside/CVRepair/RawTableFile.h"
#include "outside/CVRepair/RepairForm.h"
#include "outside/CVReports/ReportData.h"
#include "outside/CVReports/ReportDesignForm.h"
#include "outside/CVReports/ReportPreview.h"
#include "outside/CVReports/ReportRenderer.h"

#include <QPrintPreviewDialog>
#include <QTimer>

#include <QtTest>

using namespace corvane;

class ScreenshotTour : public QObject
{
    Q_OBJECT

private slots:
    void mainRankForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        const struct { const char* name; int depth; const char* keyUrl; double lastRun; } projects[] = {
            {"Bakery", 50, "Home", 46362.5}, {"Hardware", 100, "", 0.0}, {"Travel", 200, "Shop", 46360.25}};
        for (const auto& p : projects) {
            dm->GroupTable.open();
            dm->GroupTable.append();
            dm->GroupTable.setValue(QStringLiteral("Name"), QLatin1String(p.name));
            dm->GroupTable.setValue(QStringLiteral("Depth"), p.depth);
            dm->GroupTable.setValue(QStringLiteral("KeyURL"), QLatin1String(p.keyUrl));
            dm->GroupTable.setValue(QStringLiteral("LastRun"), p.lastRun);
            dm->GroupTable.post();
        }
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), QStringLiteral("Travel"));
        dm->CloseDatabases();
        TMainRankForm form(*dm);
        form.setWindowState(Qt::WindowNoState);
        form.resize(1000, 700);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(test::saveScreen(form, QStringLiteral("MainRankForm")));
    }

    void repairFormAfterCheck()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        const QString data = profile.programFolder() + QStringLiteral("Data/");
        QVERIFY(repair::RawTableFile(data + QStringLiteral("CVURL.dat")).exec(QStringLiteral("DROP INDEX URLProjidx")));
        QFile log(data + QStringLiteral("CVLog.dat"));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(QByteArray(4096, 'x'));
        log.close();

        TRepairForm form(data, false, false);
        form.resize(900, 560);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy finished(&form, &TRepairForm::runFinished);
        form.startRun(repair::RepairRun::Mode::Check);
        QVERIFY(finished.wait(20000));
        QCOMPARE(form.results().size(), 25);
        QVERIFY(test::saveScreen(form, QStringLiteral("RepairForm")));
    }

    void reportPreview()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        Session session(QStringLiteral("Tour"));
        Database database(QStringLiteral("Tour"), &session);
        database.setDirectory(profile.programFolder() + QStringLiteral("Data/"));
        database.connect();
        test::fillSampleReportTable(database, 60);
        const reports::ReportData data = reports::readReportData(database);

        bool saved = false;
        QTimer::singleShot(0, [&saved] {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            QTest::qWait(300);
            saved = test::saveScreen(*preview, QStringLiteral("ReportPreview"));
            preview->reject();
        });
        const QString title = reports::defaultReportTitle(QStringLiteral("Ranks"), QStringLiteral("Bakery"));
        reports::runReportPreview(reports::ReportRenderer(data, reports::ReportStyle(), title), title, nullptr);
        QVERIFY(saved);
    }

    void reportDesignForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        Session session(QStringLiteral("Tour"));
        Database database(QStringLiteral("Tour"), &session);
        database.setDirectory(profile.programFolder() + QStringLiteral("Data/"));
        database.connect();
        test::fillSampleReportTable(database, 5);
        reports::ReportStyle style;
        style.landscape = true;
        style.hiddenColumns = {QStringLiteral("Page")};
        reports::TReportDesignForm form(reports::readReportData(database), style, QStringLiteral("Ranks"),
                                        QStringLiteral("Bakery"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(test::saveScreen(form, QStringLiteral("ReportDesignForm")));
    }
};

QTEST_MAIN(ScreenshotTour)
#include "test_screenshot_tour.moc"
