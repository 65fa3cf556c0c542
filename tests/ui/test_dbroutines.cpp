// CVDBRoutines.so loaded for real: every entry shows its window modally,
// owned by the caller's main window, and nothing of it is left afterwards.
#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"
#include "core/settings/Settings.h"

#include "DBRoutinesLibrary.h"
#include "SavedChartsFixture.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

using namespace corvane;

namespace {

// A text of the library's window, copied: a literal of the library is gone
// once the library is unloaded.
QString copied(const QString& text) { return QString(text.constData(), text.size()); }

struct Sighting
{
    bool seen = false;
    QString caption;
    bool modal = false;
    QWidget* owner = nullptr;
    QWindow* transientParent = nullptr;
    bool minimizable = true;
    QVariantMap properties;
};

Sighting look(QDialog& window, const QList<const char*>& properties = {})
{
    Sighting s;
    s.seen = true;
    s.caption = copied(window.windowTitle());
    s.modal = window.isModal();
    s.owner = window.parentWidget();
    s.transientParent = window.windowHandle() ? window.windowHandle()->transientParent() : nullptr;
    s.minimizable = window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint);
    for (const char* name : properties)
        s.properties.insert(QLatin1String(name), window.property(name));
    return s;
}

QString startupValue(const QString& name)
{
    return RegistryKey(Registry(), SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings)))
        .readString(name);
}

void setHints(const QString& text)
{
    Registry().writeString(SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings)),
                           QStringLiteral("Hints"), text);
}

// Replaces the tips corvane-setup wrote with the given captions, numbered 1, 2, 3 ...
void replaceTips(const QString& dataFolder, const QStringList& captions)
{
    Session session(QStringLiteral("Fill"));
    Database database(QStringLiteral("Fill"), &session);
    database.setDirectory(dataFolder);
    database.connect();
    database.emptyTable(QStringLiteral("Hint"));
    Table hint(&database, QStringLiteral("Hint"));
    hint.open();
    int sequence = 0;
    for (const QString& caption : captions) {
        hint.append();
        hint.setValue(QStringLiteral("Sequence"), ++sequence);
        hint.setValue(QStringLiteral("Caption"), caption);
        hint.setValue(QStringLiteral("Hint"), QStringLiteral("<p>About <b>%1</b>.</p>").arg(caption));
        hint.post();
    }
}

struct HintWindow
{
    QString caption;
    QString text;
    bool disabled = false;
    bool arrowsEnabled = false;
};

HintWindow readHintWindow(QDialog& window)
{
    return {copied(window.windowTitle()),
            copied(window.findChild<QTextBrowser*>(QStringLiteral("HintText"))->toPlainText()),
            window.findChild<QCheckBox*>(QStringLiteral("DisableHints"))->isChecked(),
            window.findChild<QToolButton*>(QStringLiteral("RightArrow"))->isEnabled()};
}

void click(QDialog& window, const char* arrow)
{
    window.findChild<QToolButton*>(QLatin1String(arrow))->click();
}

// "chart legend date value" lines of the chart cache.
QStringList chartCache(const QString& dataFolder)
{
    Session session(QStringLiteral("Read"));
    Database database(QStringLiteral("Read"), &session);
    database.setDirectory(dataFolder);
    database.connect();
    Query cache(&database, QStringLiteral("SELECT * FROM CVChartCache ORDER BY Chart, xDate, Legend"));
    cache.open();
    QStringList lines;
    for (cache.first(); !cache.eof(); cache.next()) {
        lines << QStringList{cache.asString(QStringLiteral("Chart")),
                             cache.asString(QStringLiteral("Legend")),
                             cache.asDate(QStringLiteral("xDate")).toString(Qt::ISODate),
                             cache.asString(QStringLiteral("xValue"))}
                     .join(QLatin1Char(' '));
    }
    return lines;
}

struct ChartCacheWindow
{
    Sighting seen;
    QStringList log;
    QColor background;
    bool finished = false;
    bool fixedSize = false;
    bool centred = false;
    int controls = 0;
};

} // namespace

class TestDBRoutines : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::UiProfile> m_profile;
    std::unique_ptr<QMainWindow> m_main;

    QString dataFolder() const { return m_profile->programFolder() + QStringLiteral("Data/"); }

    // Runs _RunHints with `act` on the window; returns what was seen at first.
    HintWindow runHints(const std::function<void(QDialog&)>& act = {})
    {
        test::DBRoutinesLibrary library;
        HintWindow first;
        const auto watch = test::whenShown(library.windowExport("_HintForm"), [&](QDialog& window) {
            first = readHintWindow(window);
            if (act)
                act(window);
        });
        library.entry<entry::Plain>("_RunHints")(qApp);
        return first;
    }

private slots:
    void init()
    {
        m_profile = std::make_unique<test::UiProfile>();
        QVERIFY2(m_profile->ready(), qPrintable(m_profile->error()));
        m_main = std::make_unique<QMainWindow>();
        m_main->resize(800, 600);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        m_profile.reset();
    }

    void everyEntryShowsItsWindowOwnedByTheMainWindowAndLeavesNothing_data()
    {
        QTest::addColumn<QByteArray>("entryName");
        QTest::addColumn<QByteArray>("exportName");
        QTest::addColumn<QString>("caption");
        QTest::newRow("hints") << QByteArray("_RunHints") << QByteArray("_HintForm")
                               << QStringLiteral("Hint: Start with a project");
        QTest::newRow("backup") << QByteArray("_RunBackup") << QByteArray("_BackupForm")
                                << QStringLiteral("Data Backup");
        QTest::newRow("remote update") << QByteArray("_RunRemoteUpdate") << QByteArray("_RemoteUpdateForm")
                                       << QStringLiteral("Remote Script Update");
        QTest::newRow("directory changer")
            << QByteArray("_RunDirectoryChanger") << QByteArray("_DirectoryChangerForm")
            << QStringLiteral("Directory Changer");
        QTest::newRow("daily results")
            << QByteArray("_RunCVDaily") << QByteArray("_CVDailyForm") << QStringLiteral("Daily Results");
    }

    void everyEntryShowsItsWindowOwnedByTheMainWindowAndLeavesNothing()
    {
        QFETCH(QByteArray, entryName);
        QFETCH(QByteArray, exportName);
        QFETCH(QString, caption);
        const QString project = QStringLiteral("Bakery");
        setHints(QStringLiteral("-1")); // the hints open on the first tip every time

        // Twice, the library unloaded in between: nothing of a call may outlive it.
        for (int round = 0; round < 2; ++round) {
            test::DBRoutinesLibrary library;
            QVERIFY2(library.isLoaded(), qPrintable(library.errorString()));
            QDialog* const* exported = library.windowExport(exportName.constData());
            QVERIFY2(exported, qPrintable(library.errorString()));
            QCOMPARE(*exported, nullptr);

            Sighting seen;
            const auto watch = test::whenShown(exported, [&](QDialog& window) { seen = look(window); });
            if (entryName == "_RunRemoteUpdate")
                library.entry<entry::RemoteUpdate>(entryName.constData())(qApp, 0, 1);
            else if (entryName == "_RunCVDaily")
                library.entry<entry::OneText>(entryName.constData())(qApp, test::textArgument(project));
            else
                library.entry<entry::Plain>(entryName.constData())(qApp);

            QVERIFY(seen.seen);
            QCOMPARE(seen.caption, caption);
            QVERIFY(seen.modal);
            QCOMPARE(seen.owner, m_main.get());
            QCOMPARE(seen.transientParent, m_main->windowHandle());
            QCOMPARE(*exported, nullptr);
            QVERIFY(m_main->findChildren<QDialog*>().isEmpty());
        }
        QCoreApplication::processEvents();
        QVERIFY(m_main->isVisible());
    }

    void everyDataExportIsThere()
    {
        test::DBRoutinesLibrary library;
        for (const char* name : {"_HintForm", "_BackupForm", "_RemoteUpdateForm", "_DirectoryChangerForm",
                                 "_CVDailyForm", "_MessageForm"}) {
            QDialog* const* exported = library.windowExport(name);
            QVERIFY2(exported, name);
            QCOMPARE(*exported, nullptr);
        }
    }

    void theCallsArgumentsAreStoredInTheWindow()
    {
        test::DBRoutinesLibrary library;
        QVariantMap flags;
        const auto watchUpdate =
            test::whenShown(library.windowExport("_RemoteUpdateForm"), [&](QDialog& window) {
                flags = look(window, {"automatic", "showResetOptions"}).properties;
            });
        library.entry<entry::RemoteUpdate>("_RunRemoteUpdate")(qApp, 1, 0);
        QCOMPARE(flags.value(QStringLiteral("automatic")).toBool(), true);
        QCOMPARE(flags.value(QStringLiteral("showResetOptions")).toBool(), false);

        const QString project = QStringLiteral("Ölmühle"); // the text crosses as UTF-16
        QString stored;
        const auto watchDaily = test::whenShown(library.windowExport("_CVDailyForm"), [&](QDialog& window) {
            stored = copied(window.property("projectName").toString());
        });
        library.entry<entry::OneText>("_RunCVDaily")(qApp, test::textArgument(project));
        QCOMPARE(stored, project);
    }

    void aMessageOfTheLibrarysWindowIsPublishedWhileItIsShown()
    {
        test::DBRoutinesLibrary library;
        QDialog* const* messages = library.windowExport("_MessageForm");
        QVERIFY2(messages, qPrintable(library.errorString()));
        QCOMPARE(*messages, nullptr);
        Sighting question;
        QString text;
        QWidget* backupWindow = nullptr;
        bool publishedBefore = true;
        // The restore's question, answered Cancel as Escape does.
        const auto watchMessage = test::whenShown(messages, [&](QDialog& window) {
            question = look(window);
            text = copied(window.findChild<QTextBrowser*>(QStringLiteral("MessageText"))->toPlainText());
        });
        const auto watchBackup = test::whenShown(library.windowExport("_BackupForm"), [&](QDialog& window) {
            backupWindow = &window;
            publishedBefore = *messages != nullptr;
            window.findChild<QLineEdit*>(QStringLiteral("FolderEdit"))->setText(QDir::tempPath());
            window.findChild<QPushButton*>(QStringLiteral("RestoreButton"))->click();
            QCOMPARE(*messages, nullptr);
        });
        library.entry<entry::Plain>("_RunBackup")(qApp);

        QVERIFY(!publishedBefore);
        QVERIFY(question.seen);
        QCOMPARE(question.caption, QStringLiteral("Warning"));
        QVERIFY(text.contains(QLatin1String("Are you sure you want to do this?")));
        QVERIFY(question.modal);
        QCOMPARE(question.owner, backupWindow);
        QCOMPARE(*messages, nullptr);
    }

    void withoutAMainWindowTheWindowStillRuns()
    {
        m_main.reset();
        test::DBRoutinesLibrary library;
        bool seen = false;
        const auto watch = test::whenShown(library.windowExport("_BackupForm"),
                                           [&](QDialog& window) { seen = window.parentWidget() == nullptr; });
        library.entry<entry::Plain>("_RunBackup")(qApp);
        QVERIFY(seen);
    }

    // Hints -------------------------------------------------------------

    void threeTipsWithTheThirdShownLastOpenOnTheFirst()
    {
        replaceTips(dataFolder(),
                    {QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third")});
        setHints(QStringLiteral("3"));
        const HintWindow first = runHints();
        QCOMPARE(first.caption, QStringLiteral("Hint: First"));
        QCOMPARE(first.text, QStringLiteral("About First."));
        QVERIFY(!first.disabled);
        // Closed on the first tip: the next opening continues with the second.
        QCOMPARE(startupValue(QStringLiteral("Hints")), QStringLiteral("1"));
        QCOMPARE(runHints().caption, QStringLiteral("Hint: Second"));
        QCOMPARE(startupValue(QStringLiteral("Hints")), QStringLiteral("2"));
    }

    void theArrowsWrapAndSetTheCaption()
    {
        replaceTips(dataFolder(),
                    {QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third")});
        setHints(QStringLiteral("0"));
        QStringList captions;
        runHints([&](QDialog& window) {
            click(window, "LeftArrow");
            captions << copied(window.windowTitle());
            for (int i = 0; i < 2; ++i) {
                click(window, "RightArrow");
                captions << copied(window.windowTitle());
            }
            click(window, "RightArrow"); // Second
            // OK closes and keeps the tip on screen.
            window.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        });
        QCOMPARE(captions,
                 (QStringList{QStringLiteral("Hint: Third"), QStringLiteral("Hint: First"),
                              QStringLiteral("Hint: Second")}));
        QCOMPARE(startupValue(QStringLiteral("Hints")), QStringLiteral("3"));
    }

    void uncheckingDisableHintsStoresTheCurrentTip()
    {
        replaceTips(dataFolder(),
                    {QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third")});
        setHints(QStringLiteral("-1"));
        const HintWindow first = runHints([](QDialog& window) {
            window.findChild<QCheckBox*>(QStringLiteral("DisableHints"))->setChecked(false);
            click(window, "RightArrow");
            QTest::keyClick(&window, Qt::Key_Escape); // Escape closes like OK
        });
        QVERIFY(first.disabled);
        QCOMPARE(first.caption, QStringLiteral("Hint: First"));
        QCOMPARE(startupValue(QStringLiteral("Hints")), QStringLiteral("2"));
    }

    void checkingDisableHintsSwitchesTipsOff()
    {
        setHints(QStringLiteral("4"));
        const HintWindow first = runHints([](QDialog& window) {
            window.findChild<QCheckBox*>(QStringLiteral("DisableHints"))->setChecked(true);
            window.close(); // the title bar's close button
        });
        QCOMPARE(first.caption,
                 QStringLiteral("Hint: Find the words that rank")); // corvane-setup's fifth tip
        QCOMPARE(startupValue(QStringLiteral("Hints")), QStringLiteral("-1"));
    }

    void anEmptyHintTableSaysSoAndKeepsTheStoredValue()
    {
        replaceTips(dataFolder(), {});
        setHints(QStringLiteral("5"));
        const HintWindow first = runHints();
        QCOMPARE(first.caption, QStringLiteral("Hint: none"));
        QVERIFY2(first.text.contains(QLatin1String("There are no hints to show.")), qPrintable(first.text));
        QVERIFY2(first.text.contains(QLatin1String("The Hint table in ") + dataFolder()
                                     + QLatin1String(" holds no tips.")),
                 qPrintable(first.text));
        QVERIFY(!first.arrowsEnabled);
        QCOMPARE(startupValue(QStringLiteral("Hints")), QStringLiteral("5"));
        // Tips can still be switched off.
        runHints([](QDialog& window) {
            window.findChild<QCheckBox*>(QStringLiteral("DisableHints"))->setChecked(true);
        });
        QCOMPARE(startupValue(QStringLiteral("Hints")), QStringLiteral("-1"));
    }

    void aMissingHintTableIsNamedInTheWindow()
    {
        QVERIFY(QFile::remove(dataFolder() + QStringLiteral("Hint.dat")));
        const HintWindow first = runHints();
        QVERIFY2(first.text.contains(QLatin1String("The hints cannot be shown.")), qPrintable(first.text));
        QVERIFY2(first.text.contains(QLatin1String("Hint")), qPrintable(first.text));
        QVERIFY(!first.arrowsEnabled);
    }

    void theHintsWindowCannotBeMinimised()
    {
        test::DBRoutinesLibrary library;
        Sighting seen;
        const auto watch =
            test::whenShown(library.windowExport("_HintForm"), [&](QDialog& window) { seen = look(window); });
        library.entry<entry::Plain>("_RunHints")(qApp);
        QVERIFY(seen.seen);
        QVERIFY(!seen.minimizable);
    }

    // Chart cache --------------------------------------------------------

    ChartCacheWindow runChartCache(const QString& project)
    {
        test::DBRoutinesLibrary library;
        ChartCacheWindow result;
        const auto watch = test::whenShown(library.windowExport("_ChartCacheForm"), [&](QDialog& window) {
            // Wait for the build to finish; the window offers no command.
            result.finished = QTest::qWaitFor([&] { return !window.property("building").toBool(); }, 20000);
            result.seen = look(window);
            const auto* log = window.findChild<QPlainTextEdit*>(QStringLiteral("Log"));
            result.log = copied(log->toPlainText()).split(QLatin1Char('\n'));
            result.background = window.palette().color(QPalette::Window);
            result.fixedSize = window.minimumSize() == window.maximumSize();
            result.centred = (window.frameGeometry().center() - window.screen()->availableGeometry().center())
                                 .manhattanLength()
                <= 2;
            result.controls = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size();
        });
        library.entry<entry::OneText>("_BuildChartCache")(qApp, test::textArgument(project));
        return result;
    }

    void theChartCacheWindowBuildsTheProjectsSavedCharts()
    {
        test::saveTwoCharts(dataFolder());
        const ChartCacheWindow window = runChartCache(QStringLiteral("Bakery"));
        QVERIFY(window.finished);
        QCOMPARE(window.seen.caption, QStringLiteral("Building Chart Cache"));
        QCOMPARE(window.background, QColor(226, 226, 226));
        QVERIFY(window.fixedSize);
        QVERIFY(!window.seen.minimizable);
        QVERIFY(window.centred);
        QCOMPARE(window.controls, 1); // the text area, no commands
        QCOMPARE(window.log,
                 (QStringList{QStringLiteral("Building the chart caches of project \"Bakery\"."),
                              QStringLiteral("2 saved charts found."),
                              QStringLiteral("Chart 1 of 2, \"Bread positions\": 6 cache rows written."),
                              QStringLiteral("Chart 2 of 2, \"Home only\": 3 cache rows written."),
                              QStringLiteral("Finished: 2 of 2 chart caches built."),
                              QStringLiteral("Close this window to go on.")}));
        QCOMPARE(chartCache(dataFolder()),
                 (QStringList{QStringLiteral("Bread positions Home 2026-11-01 4"),
                              QStringLiteral("Bread positions Shop 2026-11-01 9"),
                              QStringLiteral("Bread positions Home 2026-11-02 3"),
                              QStringLiteral("Bread positions Shop 2026-11-02 "),
                              QStringLiteral("Bread positions Home 2026-11-03 1"),
                              QStringLiteral("Bread positions Shop 2026-11-03 7"),
                              QStringLiteral("Home only Home 2026-11-01 4"),
                              QStringLiteral("Home only Home 2026-11-02 3"),
                              QStringLiteral("Home only Home 2026-11-03 1")}));
    }

    void theChartCacheWindowSaysWhenThereIsNothingToBuild()
    {
        QCOMPARE(runChartCache(QStringLiteral("Bakery")).log.at(1),
                 QStringLiteral("Project \"Bakery\" has no saved charts; there is nothing to build."));
        QCOMPARE(runChartCache(QString()).log.first(),
                 QStringLiteral("No project was named, so there are no charts to build."));
    }

    void aChartThatCannotBeBuiltIsReportedAndTheOthersGoOn()
    {
        test::saveTwoCharts(dataFolder());
        QVERIFY(QFile::remove(dataFolder() + QStringLiteral("CVRank.dat")));
        const QStringList log = runChartCache(QStringLiteral("Bakery")).log;
        QCOMPARE(log.size(), 6);
        QVERIFY2(log.at(2).startsWith(QLatin1String("Chart 1 of 2, \"Bread positions\": FAILED. ")),
                 qPrintable(log.at(2)));
        QVERIFY2(log.at(2).contains(QLatin1String("CVRank")), qPrintable(log.at(2)));
        QVERIFY2(log.at(3).startsWith(QLatin1String("Chart 2 of 2, \"Home only\": FAILED. ")),
                 qPrintable(log.at(3)));
        QCOMPARE(log.at(4), QStringLiteral("Finished: 0 of 2 chart caches built."));
    }
};

QTEST_MAIN(TestDBRoutines)
#include "test_dbroutines.moc"
