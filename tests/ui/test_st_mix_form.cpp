// Rureder Orad on the demo engine: the harvest, Detail through the engine as
// the proxy of its result sites, the four pages, the page 2 and page 3
// commands with their messages, the filter window, F10, the settings, and
// the two add dialogs putting odd names into a project.
#include "core/discovery/MixSettings.h"
#include "core/platform/Registry.h"
#include "core/projects/ProjectStore.h"
#include "core/settings/Settings.h"
#include "gui/discovery/STFilterForm.h"
#include "gui/discovery/STMixForm.h"
#include "gui/projects/AddSTForm.h"
#include "gui/projects/AddURLForm.h"

#include "DuvudaTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

using namespace corvane;

namespace {

QString centredText(const QString& title, const QString& html)
{
    return title + QStringLiteral(": <P align=\"center\">") + html + QStringLiteral("</P>");
}

// The demo profile with the engine as proxy, a project "Bäckerei & <b>Co</b>"
// and the databases open.
struct MixProfile : test::DuvudaProfile
{
    MixProfile()
    {
        if (!ready())
            return;
        dm->Settings.ProxyAuth = true;
        dm->Settings.ProxyHost = QStringLiteral("127.0.0.1");
        dm->Settings.ProxyPort = engine.port();
        dm->Settings.Connections = 4;
        dm->OpenDatabases();
        ProjectStore(dm->General).addProject(Project, 50, false, false);
        dm->Settings.Project = Project;
    }
    ~MixProfile() { dm->CloseDatabases(); }

    const QString Project = QStringLiteral("B\u00e4ckerei");
};

} // namespace

class TestSTMixForm : public QObject
{
    Q_OBJECT

private slots:
    void harvestDetailAndMergedPages()
    {
        MixProfile p;
        QVERIFY(p.ready());
        TSTMixForm form(*p.dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QStringLiteral("Rureder Orad"));
        QCOMPARE(form.currentPage(), TSTMixForm::SeedPage);
        QStringList engines;
        for (int i = 0; i < form.engineList()->count(); ++i)
            engines << form.engineList()->item(i)->text();
        QVERIFY(engines.contains(QStringLiteral("Corvane Demo")));
        QVERIFY(!form.competitorsButton()->isEnabled());
        form.seedEdit()->setText(QStringLiteral("blue widgets"));
        QVERIFY(!form.competitorsButton()->isEnabled());
        form.CheckEngines({QStringLiteral("Corvane Demo"), QStringLiteral("Corvane Demo Unnumbered")});
        QVERIFY(form.competitorsButton()->isEnabled());

        form.competitorsButton()->click();
        QCOMPARE(form.currentPage(), TSTMixForm::UrlPage);
        QCOMPARE(form.logList()->item(0)->text(), QStringLiteral("Corvane Demo OK"));
        QCOMPARE(form.logList()->item(1)->text(), QStringLiteral("Corvane Demo Unnumbered OK"));
        // The two engines share some of their first ten sites, not all of them;
        // the first row is one both list.
        QVERIFY(form.urlGrid()->model()->rowCount() > 10);
        QVERIFY(form.urlGrid()->model()->rowCount() < 20);
        QCOMPARE(form.urlGrid()->model()->index(0, 1).data().toInt(), 2);

        auto* detail = [&] {
            for (QPushButton* b : form.findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("Detail"))
                    return b;
            return static_cast<QPushButton*>(nullptr);
        }();
        QVERIFY(detail && detail->isEnabled());
        detail->click();
        QCOMPARE(form.currentPage(), TSTMixForm::DetailPage);
        QCOMPARE(form.detailTree()->topLevelItemCount(),
                 form.urlGrid()->model()->rowCount()); // each site listed
        const QTreeWidgetItem* first = form.detailTree()->topLevelItem(0);
        QCOMPARE(first->childCount(), 5);
        QVERIFY(first->child(0)->text(0).startsWith(QStringLiteral("Title -- ")));
        QVERIFY(first->child(1)->text(0).startsWith(QStringLiteral("Description -- ")));
        QCOMPARE(first->child(2)->text(0), QStringLiteral("Search Engines"));
        QVERIFY(first->child(2)->childCount() >= 1); // the engines that list the site
        QCOMPARE(first->child(3)->text(0), QStringLiteral("Tag Keywords"));
        QCOMPARE(first->child(4)->text(0), QStringLiteral("Keyword Density"));
        QCOMPARE(form.logList()->item(1)->text(), QStringLiteral("*******************"));

        form.showPage(TSTMixForm::MergedPage);
        QVERIFY(form.mergedGrid()->rowCount() > 0);
        QCOMPARE(form.mergedGrid()->horizontalHeaderItem(0)->text(), QStringLiteral("Tag Count"));
        QCOMPARE(form.mergedGrid()->horizontalHeaderItem(1)->text(), QStringLiteral("Density Count"));
        QCOMPARE(form.mergedGrid()->horizontalHeaderItem(2)->text(), QStringLiteral("Search Term"));
        form.mergedGrid()->selectRow(0);
        QCOMPARE(form.SelectedTerms().size(), 1);
        form.reject();
    }

    void urlAndFilterCommandsAndTheirMessages()
    {
        MixProfile p;
        QVERIFY(p.ready());
        TSTMixForm form(*p.dm);
        form.showPage(TSTMixForm::UrlPage);
        auto button = [&](const QString& text) {
            for (QPushButton* b : form.findChildren<QPushButton*>())
                if (b->text() == text && b->isVisibleTo(&form))
                    return b;
            return static_cast<QPushButton*>(nullptr);
        };
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        p.profile.messages.clear();
        form.AddUrlClick();
        QCOMPARE(
            p.profile.messages,
            QStringList{centredText(QStringLiteral("Error"), QStringLiteral("An address must be entered."))});
        form.urlEdit()->setText(QStringLiteral("www.Caf\u00e9-\"Ol\u00e9\".test/A&B"));
        form.countSpin()->setValue(3);
        form.AddUrlClick();
        QCOMPARE(form.urlGrid()->model()->rowCount(), 1);
        QCOMPARE(form.urlGrid()->model()->index(0, 0).data().toString(),
                 QStringLiteral("http://www.caf\u00e9-\"ol\u00e9\".test/a&b"));
        QCOMPARE(form.urlGrid()->model()->index(0, 1).data().toInt(), 3);
        p.profile.messages.clear();
        form.urlEdit()->setText(QStringLiteral("www.caf\u00e9-\"ol\u00e9\".test/a&b"));
        form.AddUrlClick();
        QCOMPARE(p.profile.messages,
                 QStringList{
                     centredText(QStringLiteral("Error"),
                                 QStringLiteral("This item is already in the list.<BR>No action taken."))});
        form.urlGrid()->selectRow(0);
        QVERIFY(button(QStringLiteral("Delete"))->isEnabled());
        form.DeleteUrlClick();
        QCOMPARE(form.urlGrid()->model()->rowCount(), 0);

        // Page 3: the filter box.
        form.showPage(TSTMixForm::DetailPage);
        p.profile.messages.clear();
        form.filterEdit()->setText(QStringLiteral("two words"));
        form.AddToFilterClick();
        QCOMPARE(
            p.profile.messages,
            QStringList{centredText(QStringLiteral("Error"), QStringLiteral("You may only use one word."))});
        form.filterEdit()->setText(QStringLiteral("caf\u00e9"));
        form.AddToFilterClick();
        QCOMPARE(TermFilters::load(p.dm->Settings.DataFolder), QStringList{QStringLiteral("caf\u00e9")});
        p.profile.messages.clear();
        form.filterEdit()->setText(QStringLiteral("Caf\u00e9"));
        form.AddToFilterClick();
        QCOMPARE(
            p.profile.messages,
            QStringList{centredText(QStringLiteral("Error"),
                                    QStringLiteral("Item already exists in filter.<BR>No action taken."))});

        // The settings go into Tagmint when the window closes.
        form.minDensSpin()->setValue(4);
        form.passSizeSpin()->setValue(5000);
        form.badLinksCheck()->setChecked(true);
        form.reject();
        const MixSettings stored = MixSettings::load(p.dm->registry());
        QCOMPARE(stored.MinDens, 4);
        QCOMPARE(stored.PassSize, 5000);
        QVERIFY(stored.BadLinks);
        TSTMixForm again(*p.dm);
        QCOMPARE(again.minDensSpin()->value(), 4);
        QVERIFY(again.badLinksCheck()->isChecked());
    }

    void dictionaryWordOnF10()
    {
        MixProfile p;
        QVERIFY(p.ready());
        TSTMixForm form(*p.dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.seedEdit()->setText(QStringLiteral("blue"));
        form.seedEdit()->setFocus();
        QTest::keyClick(form.seedEdit(), Qt::Key_F10);
        QCOMPARE(form.seedEdit()->text(), QStringLiteral("blue")); // no dictionary
        QFile dictionary(p.dm->Settings.DataFolder + QStringLiteral("dictionary.txt"));
        QVERIFY(dictionary.open(QIODevice::WriteOnly));
        dictionary.write("\xc3\xa9"
                         "clair\n");
        dictionary.close();
        QTest::keyClick(form.seedEdit(), Qt::Key_F10);
        QCOMPARE(form.seedEdit()->text(), QStringLiteral("blue \u00e9clair"));
        form.reject();
    }

    void filterWindow()
    {
        MixProfile p;
        QVERIFY(p.ready());
        TermFilters::save(p.dm->Settings.DataFolder, {QStringLiteral("the"), QStringLiteral("and")});
        TSTFilterForm form(*p.dm);
        QCOMPARE(form.windowTitle(), QStringLiteral("Search Term Filters"));
        QCOMPARE(form.wordList()->count(), 2);
        p.profile.messages.clear();
        form.wordEdit()->setText(QStringLiteral("two words"));
        form.AddClick();
        QCOMPARE(
            p.profile.messages,
            QStringList{centredText(QStringLiteral("Error"), QStringLiteral("You may only use one word."))});
        form.wordEdit()->setText(QStringLiteral("<b>"));
        form.AddClick();
        form.wordList()->findItems(QStringLiteral("the"), Qt::MatchExactly).first()->setSelected(true);
        form.DeleteSelectedClick();
        // Nothing is written before Set.
        QCOMPARE(TermFilters::load(p.dm->Settings.DataFolder).size(), 2);
        QVERIFY(form.SetClick());
        QStringList words = TermFilters::load(p.dm->Settings.DataFolder);
        words.sort();
        QCOMPARE(words, QStringList({QStringLiteral("<b>"), QStringLiteral("and")}));
    }

    void addUrlDialog()
    {
        MixProfile p;
        QVERIFY(p.ready());
        const QStringList urls{QStringLiteral("http://www.Bread.test/"),
                               QStringLiteral("https://bread.example/"),
                               QStringLiteral("http://www.caf\u00e9-'x'.test/&a")};
        {
            TAddURLForm form(*p.dm, urls);
            QCOMPARE(form.windowTitle(), QStringLiteral("Add Items to URL List"));
            QCOMPARE(form.projectCombo()->currentText(), p.Project);
            QCOMPARE(form.itemsToAdd()->count(), 3);
            QCOMPARE(form.itemsToAdd()->item(0)->text(), QStringLiteral("bread.test/"));
            QCOMPARE(form.itemsToAdd()->item(1)->text(), QStringLiteral("bread.example/"));
            QVERIFY(form.addButton()->isEnabled());
            form.addButton()->click();
            QCOMPARE(form.addedItems()->count(), 3);
            QCOMPARE(form.existingItems()->count(), 0);
            p.profile.messages.clear();
            form.reject();
            QCOMPARE(p.profile.messages.size(), 1);
            QVERIFY(p.profile.messages.first().contains(QStringLiteral("Corvane assigned name labels to")));
        }
        const QList<ProjectStore::UrlRow> rows = ProjectStore(p.dm->General).urls(p.Project);
        QCOMPARE(rows.size(), 3);
        QStringList names;
        for (const auto& row : rows)
            names << row.name;
        QVERIFY(names.contains(QStringLiteral("Bread")));
        QVERIFY(names.contains(QStringLiteral("Caf\u00e9-'x'")));

        TAddURLForm again(*p.dm, urls.mid(0, 1));
        again.itemsToAdd()->clearSelection();
        QVERIFY(!again.addButton()->isEnabled());
        again.itemsToAdd()->item(0)->setSelected(true);
        again.AddToProjectClick();
        QCOMPARE(again.existingItems()->count(), 1);
        QCOMPARE(again.addedItems()->count(), 0);
        p.profile.messages.clear();
        again.reject();
        QVERIFY(p.profile.messages.isEmpty());
    }

    void addTermDialog()
    {
        MixProfile p;
        QVERIFY(p.ready());
        const QString term = QStringLiteral("o'reilly \"caf\u00e9\" & <b>");
        TAddSTForm form(*p.dm);
        QCOMPARE(form.windowTitle(), QStringLiteral("Add Item to Search Term List"));
        form.TermLabel->setText(term);
        p.profile.messages.clear();
        QVERIFY(form.OKClick());
        QCOMPARE(p.profile.messages,
                 QStringList{
                     QStringLiteral("Information: <P align=\"center\">Search Term has been added to project ")
                     + p.Project + QStringLiteral(".</P>")});
        QVERIFY(ProjectStore(p.dm->General).terms(p.Project).contains(term));

        TAddSTForm second(*p.dm);
        second.TermLabel->setText(term);
        p.profile.messages.clear();
        QVERIFY(!second.OKClick());
        QCOMPARE(p.profile.messages,
                 QStringList{QStringLiteral(
                     "Information: <P align=\"center\">Search Term is already in use in this project.</P>")});
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        QTest::keyClick(&second, Qt::Key_Escape);
        QVERIFY(!second.isVisible());
    }
};

QTEST_MAIN(TestSTMixForm)
#include "test_st_mix_form.moc"
