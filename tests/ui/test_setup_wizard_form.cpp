// The project wizard driven as a user would, offscreen: the name rules as
// typed, a project with one engine, one URL and one term, the close check,
// then a real Harvester session against the demo engine and the project's
// ranks as the dashboard counts them. Also renames and deletions through the
// wizard, and the engine filter's statement.
#include "core/dashboard/DashboardData.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/demo/DemoEngine.h"
#include "core/projects/ProjectStore.h"
#include "core/settings/Settings.h"
#include "gui/mainwindow/MainRankForm.h"
#include "gui/projects/SetupWizardForm.h"

#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

using namespace corvane;

namespace {

void repoint(const QString& dataFolder, int port)
{
    Session session(QStringLiteral("Fixture"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database data(QStringLiteral("Fixture"), &session);
    data.setDirectory(dataFolder);
    data.connect();
    for (const char* column : {"HomePage", "AString1", "BString1", "ReplaceWith1", "ReplaceWith2"})
        Query(&data,
              QStringLiteral("UPDATE SE3 SET %1 = replace(%1, '127.0.0.1:8765', '127.0.0.1:%2')")
                  .arg(QLatin1String(column))
                  .arg(port))
            .execSql();
}

// Projects Alpha and Beta, each with one URL, one term and the demo engine.
void seedTwoProjects(const QString& dataFolder)
{
    Session session(QStringLiteral("Seed"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database db(QStringLiteral("Seed"), &session);
    db.setDirectory(dataFolder);
    db.connect();
    ProjectStore store(db);
    for (const QString& p : {QStringLiteral("Alpha"), QStringLiteral("Beta")}) {
        store.addProject(p, 20, true, false);
        store.addUrl(p, QStringLiteral("Home"), QStringLiteral("example.com"), false);
        store.addTerm(p, QStringLiteral("crème \"brûlée\""));
        store.addEngine(p, QStringLiteral("Corvane Demo"), false);
    }
}

// The API flags of a project's engines, "name=flag" each.
QStringList apiFlags(Database& db, const QString& project)
{
    QStringList flags;
    Query rows(&db,
               QStringLiteral("SELECT Name, API FROM CVSE3 WHERE Project = \"") + project
                   + QStringLiteral("\" ORDER BY Name"));
    rows.open();
    for (rows.first(); !rows.eof(); rows.next())
        flags << rows.asString(QStringLiteral("Name")) + QLatin1Char('=')
                + QString::number(rows.asBoolean(QStringLiteral("API")) ? 1 : 0);
    flags.sort();
    return flags;
}

// Text dragged onto a box and dropped there, as a file manager or browser does.
bool dropOnto(QWidget* box, const QString& text)
{
    QMimeData mime;
    mime.setText(text);
    const QPoint at = box->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
    return drop.isAccepted();
}

bool selectRow(QTableView* grid, const QString& value)
{
    QAbstractItemModel* model = grid->model();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 0).data().toString() == value) {
            grid->selectRow(row);
            return true;
        }
    return false;
}

} // namespace

class SetupWizardFormTest : public QObject
{
    Q_OBJECT

private slots:
    void createHarvestAndSeeRanks()
    {
        test::UiProfile profile;
        QVERIFY2(profile.ready(), qPrintable(profile.error()));
        DemoEngine engine;
        QVERIFY(engine.start());
        const QString dataFolder = profile.programFolder() + QStringLiteral("Data/");
        repoint(dataFolder, engine.port());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->LoadSwitches();
        dm->setMessagePresenter(
            [&profile](MessageButtons buttons, const QString& title, const QString& text, const QString&) {
                profile.messages << title + QStringLiteral(": ") + text;
                return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
            });

        TSetupWizardForm wizard(*dm);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        QCOMPARE(wizard.windowTitle(), QStringLiteral("Project Wizard"));

        // Typing: a digit first and blanks are dropped.
        QLineEdit* name = wizard.projectNameBox();
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("1Wiz Site"));
        QCOMPARE(name->text(), QStringLiteral("WizSite"));
        QCOMPARE(wizard.projectMode(), TSetupWizardForm::Mode::Insert);
        QCOMPARE(wizard.depthBox()->value(), 50);
        QVERIFY(wizard.SaveProjectClick());
        QCOMPARE(wizard.selectedProject(), QStringLiteral("WizSite"));
        QCOMPARE(wizard.createdProjects(), QStringList{QStringLiteral("WizSite")});

        // Engines: the demo engine, from the filtered list.
        wizard.showPage(TSetupWizardForm::EnginesPage);
        QVERIFY(selectRow(wizard.inactiveGrid(), QStringLiteral("Corvane Demo")));
        wizard.ActivateClick();
        QCOMPARE(wizard.activeGrid()->model()->rowCount(), 1);
        QVERIFY(!selectRow(wizard.inactiveGrid(), QStringLiteral("Corvane Demo")));

        // URL: the site the demo engine ranks second for the term, typed with its scheme.
        const QString term = QStringLiteral("garden tools");
        const QString host = QUrl(DemoEngine::ranking(term, engine.day()).at(1)).host();
        wizard.showPage(TSetupWizardForm::UrlsPage);
        wizard.AddUrlClick();
        wizard.urlNameBox()->setText(QStringLiteral("Home"));
        wizard.urlBox()->setText(QStringLiteral("http://") + host);
        wizard.anyMatchBox()->setChecked(true);
        profile.messages.clear();
        QVERIFY(wizard.SaveUrlClick());
        QVERIFY(profile.messages.join(QLatin1Char('\n'))
                    .contains(QLatin1String("The first available URL will be used as the Key URL.")));
        QCOMPARE(wizard.keyUrlBox()->currentText(), QStringLiteral("Home"));

        // Closing without a term is refused and names what is missing.
        profile.messages.clear();
        wizard.close();
        QVERIFY(wizard.isVisible());
        QVERIFY(profile.messages.join(QLatin1Char('\n'))
                    .contains(QLatin1String("WizSite missing Search Term. ")));

        wizard.showPage(TSetupWizardForm::TermsPage);
        wizard.AddTermClick();
        wizard.termBox()->setText(term);
        QVERIFY(wizard.SaveTermClick());

        // Keyword tags of a real page: a second URL on the demo engine's home page.
        wizard.showPage(TSetupWizardForm::UrlsPage);
        wizard.AddUrlClick();
        wizard.urlNameBox()->setText(QStringLiteral("Engine"));
        wizard.urlBox()->setText(QStringLiteral("127.0.0.1:%1/").arg(engine.port()));
        QVERIFY(wizard.SaveUrlClick());
        profile.messages.clear();
        wizard.GatherKeywordTagsClick();
        QCOMPARE(wizard.foundTerms()->count(), 3);
        QCOMPARE(wizard.foundTerms()->item(1)->text(), QStringLiteral("rank tracking"));
        QVERIFY(profile.messages.join(QLatin1Char('\n'))
                    .contains(QLatin1String("Duplicates have not been added")));
        wizard.foundTerms()->item(0)->setSelected(true);
        profile.messages.clear();
        wizard.AddToSearchTermsClick();
        QVERIFY(profile.messages.join(QLatin1Char('\n')).contains(QLatin1String("Search Term(s) added.")));
        wizard.foundTerms()->selectAll();
        profile.messages.clear();
        wizard.AddToSearchTermsClick();
        QVERIFY(profile.messages.join(QLatin1Char('\n')).contains(QLatin1String("The rest were added.")));
        QCOMPARE(ProjectStore(wizard.database()).terms(QStringLiteral("WizSite")).size(), 4);
        // Only the demo engine's site stays, so that the session checks one URL.
        selectRow(wizard.urlGrid(), QStringLiteral("Engine"));
        wizard.DeleteUrlClick();
        QCOMPARE(ProjectStore(wizard.database()).urls(QStringLiteral("WizSite")).size(), 1);
        profile.messages.clear();
        // Closing asks to auto-build the project's charts; the chart library's
        // window that answers it is closed as soon as it shows.
        QTimer closer;
        closer.setInterval(50);
        connect(&closer, &QTimer::timeout, &wizard, [&wizard] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != &wizard)
                modal->close();
        });
        closer.start();
        wizard.close();
        closer.stop();
        QVERIFY(!wizard.isVisible());
        const QString said = profile.messages.join(QLatin1Char('\n'));
        QVERIFY2(said.contains(QLatin1String("Project WizSite has been added.")), qPrintable(said));
        QVERIFY(said.contains(QLatin1String("Use the Harvester tool to run projects.")));

        // A real session, then the dashboard's counts.
        QProcess harvester;
        harvester.setProcessChannelMode(QProcess::MergedChannels);
        harvester.start(QStringLiteral(CORVANE_BIN_DIR "/Harvester"), {QStringLiteral("\"WizSite\"")});
        QVERIFY(harvester.waitForFinished(120000));
        QVERIFY2(harvester.exitCode() == 0, harvester.readAll().constData());
        dm->OpenDatabases();
        const ProjectCounts counts = ProjectCounts::read(dm->General, QStringLiteral("WizSite"));
        QVERIFY(counts.rankRecords > 0);
        QCOMPARE(counts.urls, 1);
        QCOMPARE(counts.searchTerms, 4);
        QCOMPARE(counts.engines, 1);
    }

    // A new user's first start: "create one now?" answered Yes opens the wizard.
    void firstStartOffersTheWizard()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        dm->LoadSettings();
        QStringList asked;
        dm->setMessagePresenter(
            [&asked](MessageButtons buttons, const QString&, const QString& text, const QString&) {
                asked << text;
                return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
            });
        QString opened;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* wizard = qobject_cast<TSetupWizardForm*>(QApplication::activeModalWidget())) {
                opened = wizard->windowTitle();
                wizard->close();
            }
        });
        poll.start(20);
        TMainRankForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(opened, QStringLiteral("Project Wizard"));
        poll.stop();
        QVERIFY(asked.join(QLatin1Char('\n')).contains(QLatin1String("No projects have been created.")));
        form.close();
    }

    void renameAndDeleteThroughTheWizard()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->LoadSwitches();
        QStringList said;
        dm->setMessagePresenter(
            [&said](MessageButtons buttons, const QString& title, const QString& text, const QString&) {
                said << title + QStringLiteral(": ") + text;
                return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
            });
        seedTwoProjects(dm->Settings.DataFolder);
        TSetupWizardForm wizard(*dm);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        wizard.selectProject(QStringLiteral("Alpha"));
        QLineEdit* name = wizard.projectNameBox();
        name->setFocus();
        name->end(false);
        QTest::keyClicks(name, QStringLiteral("Ñ'\""));
        QCOMPARE(wizard.projectMode(), TSetupWizardForm::Mode::Edit);
        QVERIFY(wizard.SaveProjectClick());
        const QString renamed = QStringLiteral("AlphaÑ'\"");
        QCOMPARE(wizard.selectedProject(), renamed);
        QCOMPARE(wizard.statusText(), QStringLiteral("Done"));
        // A control's hint shows in the status bar while the mouse is over it, and the status comes back.
        QStatusTipEvent hover(QStringLiteral("Advance to next step."));
        QApplication::sendEvent(name, &hover);
        QCOMPARE(wizard.statusText(), QStringLiteral("Advance to next step."));
        QStatusTipEvent leave{QString()};
        QApplication::sendEvent(name, &leave);
        QCOMPARE(wizard.statusText(), QStringLiteral("Done"));
        ProjectStore store(wizard.database());
        QCOMPARE(store.urls(renamed).size(), 1);
        QCOMPARE(store.keyUrl(renamed), QStringLiteral("Home"));

        // A duplicate name is refused and the row stays in edit mode.
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Beta"));
        QCOMPARE(name->text(), QStringLiteral("Beta"));
        said.clear();
        QVERIFY(!wizard.SaveProjectClick());
        QVERIFY(said.join(QLatin1Char('\n')).contains(QLatin1String("Duplicate project name found.")));
        wizard.CancelProjectClick();

        // Term edit: the new text replaces the old one.
        wizard.showPage(TSetupWizardForm::TermsPage);
        QTest::keyClicks(wizard.termBox(), QStringLiteral(" & <b>"));
        QVERIFY(wizard.SaveTermClick());
        QCOMPARE(store.terms(renamed), QStringList{QStringLiteral("crème \"brûlée\" & <b>")});

        // F10 without a word list leaves the term as it is.
        QTest::keyClick(wizard.termBox(), Qt::Key_F10);
        QCOMPARE(store.terms(renamed), QStringList{QStringLiteral("crème \"brûlée\" & <b>")});

        // The engine filter's statement, with OR between the checked values.
        wizard.showPage(TSetupWizardForm::EnginesPage);
        QTreeWidgetItem* country = wizard.filterTree()->topLevelItem(0);
        QVERIFY(country->childCount() >= 2);
        wizard.orButton()->setChecked(true);
        country->child(1)->setCheckState(0, Qt::Checked);
        QVERIFY2(wizard.inactiveSql().contains(QStringLiteral(" AND (Country = \"")
                                               + country->child(1)->text(0) + QStringLiteral("\")")),
                 qPrintable(wizard.inactiveSql()));
        wizard.ShowAllEnginesClick();
        QVERIFY(!wizard.inactiveSql().contains(QLatin1String("Country =")));

        // Deleting the selected project selects its neighbour.
        wizard.showPage(TSetupWizardForm::ProjectsPage);
        wizard.DeleteProjectClick();
        QCOMPARE(store.projects(), QStringList{QStringLiteral("Beta")});
        QCOMPARE(wizard.selectedProject(), QStringLiteral("Beta"));
        QVERIFY(store.terms(renamed).isEmpty());
        wizard.close();
        QVERIFY(!wizard.isVisible());
    }

    // "Use API": the flag follows the registry's API setting when an engine is
    // activated, and the box changes it for this project's engine alone.
    // Text dropped onto the URL name, URL and term boxes starts an edit.
    void useApiAndDroppedText()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->LoadSwitches();
        dm->setMessagePresenter([](MessageButtons buttons, const QString&, const QString&, const QString&) {
            return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
        });
        dm->registry().writeString(SettingsKeys::path(QStringLiteral("Network")),
                                   QStringLiteral("GoogleKeyEnabled"), QStringLiteral("true"));
        seedTwoProjects(dm->Settings.DataFolder);
        {
            // Every engine offers an API here.
            Session session(QStringLiteral("Fixture"));
            session.addPassword(QLatin1String(Schema::SE3Password));
            Database data(QStringLiteral("Fixture"), &session);
            data.setDirectory(dm->Settings.DataFolder);
            data.connect();
            Query(&data, QStringLiteral("UPDATE SE3 SET API = 1")).execSql();
        }

        TSetupWizardForm wizard(*dm);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        wizard.selectProject(QStringLiteral("Alpha"));
        wizard.showPage(TSetupWizardForm::EnginesPage);
        QAbstractItemModel* inactive = wizard.inactiveGrid()->model();
        QVERIFY(inactive->rowCount() > 0);
        const QString second = inactive->index(0, 0).data().toString();
        QVERIFY(selectRow(wizard.inactiveGrid(), second));
        wizard.ActivateClick();
        QStringList alpha{QStringLiteral("Corvane Demo=0"), second + QStringLiteral("=1")};
        alpha.sort();
        QCOMPARE(apiFlags(wizard.database(), QStringLiteral("Alpha")), alpha);

        // Switching it on for the demo engine touches Alpha's row only.
        QVERIFY(selectRow(wizard.activeGrid(), QStringLiteral("Corvane Demo")));
        QCheckBox* useApi = wizard.useApiBox();
        QVERIFY(useApi->isEnabled());
        QVERIFY(!useApi->isChecked());
        useApi->click();
        alpha.replaceInStrings(QStringLiteral("Corvane Demo=0"), QStringLiteral("Corvane Demo=1"));
        QCOMPARE(apiFlags(wizard.database(), QStringLiteral("Alpha")), alpha);
        QCOMPARE(apiFlags(wizard.database(), QStringLiteral("Beta")),
                 QStringList{QStringLiteral("Corvane Demo=0")});
        // Another engine and back: the box shows what was saved.
        QVERIFY(selectRow(wizard.activeGrid(), second));
        QVERIFY(selectRow(wizard.activeGrid(), QStringLiteral("Corvane Demo")));
        QVERIFY(useApi->isChecked());
        useApi->click();
        QVERIFY(
            apiFlags(wizard.database(), QStringLiteral("Alpha")).contains(QStringLiteral("Corvane Demo=0")));

        // Dropped text, trimmed, in each of the three boxes.
        wizard.showPage(TSetupWizardForm::UrlsPage);
        QVERIFY(dropOnto(wizard.urlBox(), QStringLiteral("  www.example.org/news \n")));
        QCOMPARE(wizard.urlBox()->text(), QStringLiteral("www.example.org/news"));
        QVERIFY(dropOnto(wizard.urlNameBox(), QStringLiteral("News & <b>Ü</b>")));
        QCOMPARE(wizard.urlNameBox()->text(), QStringLiteral("News & <b>Ü</b>"));
        QVERIFY(wizard.SaveUrlClick()); // an edit of the selected URL: renamed, with its new address
        const QList<ProjectStore::UrlRow> urls =
            ProjectStore(wizard.database()).urls(QStringLiteral("Alpha"));
        QCOMPARE(urls.size(), 1);
        QCOMPARE(urls.first().name, QStringLiteral("News & <b>Ü</b>"));
        QCOMPARE(urls.first().url, QStringLiteral("example.org/news")); // saved without "www."
        wizard.showPage(TSetupWizardForm::TermsPage);
        QVERIFY(dropOnto(wizard.termBox(), QStringLiteral("\tbest \"garden\" tools ")));
        QCOMPARE(wizard.termBox()->text(), QStringLiteral("best \"garden\" tools"));
        QVERIFY(wizard.SaveTermClick());
        QCOMPARE(ProjectStore(wizard.database()).terms(QStringLiteral("Alpha")),
                 QStringList{QStringLiteral("best \"garden\" tools")});
        wizard.close();
    }

    // After the wizard created a project, the main window offers to schedule
    // Harvester (answered No here) and lists the new project; after a wizard
    // that created nothing it does not ask.
    void scheduleOfferAfterTheWizard()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        dm->LoadSettings();
        dm->LoadSwitches();
        seedTwoProjects(dm->Settings.DataFolder);
        QStringList said;
        dm->setMessagePresenter(
            [&said](MessageButtons, const QString& title, const QString& text, const QString&) {
                said << title + QStringLiteral(": ") + text;
                return MessageAnswer::No;
            });
        TMainRankForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The commands wait for the dashboard's first build.
        QTRY_VERIFY_WITH_TIMEOUT(form.command(QStringLiteral("ProjectWizard1"))->isEnabled(), 20000);

        // In the wizard: a copy of Alpha's setup under a new name.
        QString filled; // the steps that failed
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* wizard = qobject_cast<TSetupWizardForm*>(QApplication::activeModalWidget());
            if (!wizard)
                return;
            poll.stop();
            wizard->AddProjectClick();
            wizard->projectNameBox()->setText(QStringLiteral("Gamma"));
            if (!wizard->SaveProjectClick())
                filled += QStringLiteral(" project");
            wizard->showPage(TSetupWizardForm::EnginesPage);
            if (!selectRow(wizard->inactiveGrid(), QStringLiteral("Corvane Demo")))
                filled += QStringLiteral(" engine");
            wizard->ActivateClick();
            wizard->showPage(TSetupWizardForm::UrlsPage);
            wizard->AddUrlClick();
            wizard->urlNameBox()->setText(QStringLiteral("Home"));
            wizard->urlBox()->setText(QStringLiteral("example.net"));
            if (!wizard->SaveUrlClick())
                filled += QStringLiteral(" url");
            wizard->showPage(TSetupWizardForm::TermsPage);
            wizard->AddTermClick();
            wizard->termBox()->setText(QStringLiteral("gamma rays"));
            if (!wizard->SaveTermClick())
                filled += QStringLiteral(" term");
            wizard->close();
        });
        poll.start(20);
        form.command(QStringLiteral("ProjectWizard1"))->trigger();
        QVERIFY2(filled.isEmpty(), qPrintable(filled + QLatin1Char('\n') + said.join(QLatin1Char('\n'))));
        const QString offer = QStringLiteral("Would you like to schedule Harvester to run your projects?");
        QVERIFY2(said.filter(offer).size() == 1, qPrintable(said.join(QLatin1Char('\n'))));
        QVERIFY(said.last().contains(offer));
        QVERIFY(form.findChild<QComboBox*>() != nullptr);
        bool listed = false;
        for (QComboBox* box : form.findChildren<QComboBox*>())
            listed = listed || box->findText(QStringLiteral("Gamma")) >= 0;
        QVERIFY(listed);

        // Opened and closed without a new project: no offer.
        said.clear();
        connect(&poll, &QTimer::timeout, this, [&poll] {
            if (auto* wizard = qobject_cast<TSetupWizardForm*>(QApplication::activeModalWidget())) {
                poll.stop();
                wizard->close();
            }
        });
        poll.start(20);
        form.command(QStringLiteral("ProjectWizard1"))->trigger();
        QVERIFY(said.filter(offer).isEmpty());
        form.close();
    }
};

QTEST_MAIN(SetupWizardFormTest)
#include "test_setup_wizard_form.moc"
