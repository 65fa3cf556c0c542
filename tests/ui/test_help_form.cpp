#include "core/help/HelpCatalog.h"
#include "core/help/HelpContexts.h"
#include "gui/help/HelpForm.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTextBrowser>
#include <QtTest>

using namespace corvane;

class TestHelpForm : public QObject
{
    Q_OBJECT

private slots:
    void everyContextNumberOpensItsTopic()
    {
        HelpForm form(HelpCatalog::instance());
        for (int context : HelpContexts::All) {
            form.openTopic(context);
            QCOMPARE(form.currentTitle(), HelpCatalog::instance().topic(context)->title);
            QVERIFY(form.note().isEmpty());
            auto* page = form.findChild<QTextBrowser*>();
            QVERIFY(page->toPlainText().contains(form.currentTitle()));
        }
    }

    void anUnknownNumberShowsTheContentsWithANote()
    {
        HelpForm form(HelpCatalog::instance());
        form.show();
        form.openTopic(HelpContexts::Log);
        form.openTopic(4711);
        QVERIFY(form.currentTitle().isEmpty());
        QCOMPARE(form.note(),
                 QStringLiteral("There is no help topic number 4711. "
                                "Choose a topic from the contents or search for a word."));
        QCOMPARE(form.listedTitles().size(), HelpCatalog::instance().topics().size());
        // The topic shown before can be opened again from there.
        form.openTopic(HelpContexts::Log);
        QCOMPARE(form.currentTitle(), QStringLiteral("Log"));
        QVERIFY(form.note().isEmpty());
    }

    void theSearchBoxListsTheTopicsHoldingAWord()
    {
        HelpForm form(HelpCatalog::instance());
        form.show();
        auto* box = form.findChild<QLineEdit*>();
        QTest::keyClicks(box, QStringLiteral("stunt"));
        const QStringList hits = form.listedTitles();
        QVERIFY(hits.contains(QStringLiteral("Miscellaneous Settings")));
        QVERIFY(hits.contains(QStringLiteral("Remote Script Update")));
        QVERIFY(!hits.contains(QStringLiteral("Log")));
        // The page lists the hits with the text around the word.
        auto* page = form.findChild<QTextBrowser*>();
        QVERIFY(page->toPlainText().contains(QStringLiteral("%1 topics containing stunt").arg(hits.size())));
        QVERIFY(page->toPlainText().contains(QStringLiteral("Set Stunt Values...")));

        // Choosing a hit shows its page.
        auto* list = form.findChild<QListWidget*>();
        list->setCurrentRow(hits.indexOf(QStringLiteral("Remote Script Update")));
        QCOMPARE(form.currentTitle(), QStringLiteral("Remote Script Update"));

        box->setText(QStringLiteral("zqxj"));
        QVERIFY(form.listedTitles().isEmpty());
        QCOMPARE(form.note(), QStringLiteral("No topic contains \"zqxj\"."));
        box->clear();
        QCOMPARE(form.listedTitles().size(), HelpCatalog::instance().topics().size());
    }

    void linksBetweenTopicsFollowIntoTheIndex()
    {
        HelpForm form(HelpCatalog::instance());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.openTopic(HelpContexts::NetworkSettings);
        // The page's first link leads to the miscellaneous settings; follow it
        // from the keyboard.
        auto* page = form.findChild<QTextBrowser*>();
        page->setFocus();
        QTest::keyClick(page, Qt::Key_Tab);
        QTest::keyClick(page, Qt::Key_Return);
        QCOMPARE(form.currentTitle(), QStringLiteral("Miscellaneous Settings"));
        auto* list = form.findChild<QListWidget*>();
        QCOMPARE(list->currentItem()->text(), QStringLiteral("Miscellaneous Settings"));
    }

    void contentsOpenWithTheSearchBoxReady()
    {
        QWidget owner;
        owner.show();
        HelpForm* shown = HelpForm::showTopic(HelpContexts::Backup, &owner);
        QCOMPARE(shown->currentTitle(), QStringLiteral("Data Backup"));
        HelpForm* contents = HelpForm::showContents(&owner);
        QCOMPARE(contents, shown); // one help window serves the program
        QVERIFY(QTest::qWaitForWindowExposed(contents));
        QVERIFY(contents->currentTitle().isEmpty());
        QVERIFY(contents->note().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), contents->findChild<QLineEdit*>());
        contents->close();
    }
};

QTEST_MAIN(TestHelpForm)
#include "test_help_form.moc"
