// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "UiTestSupport.h"
#include "DuvudaTestSupport.h"

#include "app/MainRankForm.h"
#include "engine/DuvudaDuvedozoForm.h"
#include "engine/DuvudaExportForm.h"
#include "query/ExportWizardForm.h"

#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
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

    void duvudaDuvedozoForm()
    {
        test::DuvudaProfile p;
        QVERIFY(p.ready());
        TDuvudaDuvedozoForm form(*p.dm);
        form.resize(1000, 640);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* engines = form.findChild<QListWidget*>(QStringLiteral("EngineList"));
        for (int i = 0; i < engines->count(); ++i)
            engines->item(i)->setSelected(i < 3);
        const QString term = QStringLiteral("garden tools");
        const QString host = QUrl(DemoEngine::ranking(term, p.engine.day()).at(2)).host();
        form.findChild<QComboBox*>(QStringLiteral("TermCombo"))->setCurrentText(term);
        form.findChild<QComboBox*>(QStringLiteral("URLCombo"))->setCurrentText(host);
        form.findChild<QSpinBox*>(QStringLiteral("DepthSpin"))->setValue(30);
        form.GoButtonClick();
        QVERIFY(form.results().hasResults());
        QVERIFY(test::saveScreen(form, QStringLiteral("DuvudaDuvedozoForm")));

        TDuvudaExportForm kind(&form);
        kind.show();
        QVERIFY(QTest::qWaitForWindowExposed(&kind));
        QVERIFY(test::saveScreen(kind, QStringLiteral("DuvudaExportForm")));

        ExportData data;
        data.name = QStringLiteral("PPExport");
        data.columns = {{QStringLiteral("xDate"), ExportColumn::Type::Date}, {QStringLiteral("Rank"), ExportColumn::Type::Integer},
                        {QStringLiteral("Page"), ExportColumn::Type::Integer}, {QStringLiteral("URL"), ExportColumn::Type::Text},
                        {QStringLiteral("SearchTerm"), ExportColumn::Type::Text},
                        {QStringLiteral("SearchEngine"), ExportColumn::Type::Text}};
        for (const DuvudaResultRow& row : form.results().resultRows())
            data.rows.append({row.date, row.cells[1].toInt(), row.cells[2].toInt(), row.cells[3], row.cells[4], row.cells[5]});
        TExportWizardForm wizard(*p.dm, data, QStringLiteral("Duvuda Duvedozo"), p.exportFolder + QStringLiteral("DuroViz"),
                                 &form);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        QVERIFY(test::saveScreen(wizard, QStringLiteral("ExportWizardForm")));
    }
};

QTEST_MAIN(ScreenshotTour)
#include "test_screenshot_tour.moc"
