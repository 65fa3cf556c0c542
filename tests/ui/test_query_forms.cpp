// The query builder, the query window, search engine information and the
// script check on real tables of a fresh profile.
#include "core/query/QueryStatement.h"
#include "core/query/ScriptCheck.h"
#include "gui/mainwindow/MainRankForm.h"
#include "gui/query/GridForm.h"
#include "gui/query/QBForm.h"
#include "gui/query/QueryRunPanel.h"
#include "gui/query/SEPopForm.h"
#include "gui/query/ScriptCheckForm.h"

#include "QueryFixture.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace corvane;

class QueryForms : public QObject
{
    Q_OBJECT

private slots:
    void builderBuildsAndTheGridShowsTheResult()
    {
        test::QueryProfile p;
        TGridForm grid(*p.dm);
        TQBForm builder(*p.dm, grid);
        QCOMPARE(builder.FProject->ProjectCombo->currentText(), QStringLiteral("Bakery"));
        QCOMPARE(builder.FProject->QueryCombo->itemText(0), QStringLiteral("(new)"));
        QCOMPARE(builder.statement(), QStringLiteral("SELECT * FROM CvRank WHERE (Project = \"Bakery\") "));
        // The value lists hold the project's engines.
        QCOMPARE(builder.FConditions->EngineCombo->count(), 6);

        builder.NextButtonClick();
        QCOMPARE(builder.step(), 1);
        QCOMPARE(builder.FSelectFields->AvailableList->count(), 7);
        for (const char* field : {"SearchEngine", "SearchTerm", "Rank", "FoundLink"}) {
            auto items =
                builder.FSelectFields->AvailableList->findItems(QLatin1String(field), Qt::MatchExactly);
            items.first()->setSelected(true);
        }
        builder.FSelectFields->AddButton->click();
        QCOMPARE(builder.FSelectFields->ChosenList->count(), 4);

        builder.NextButtonClick();
        builder.FConditions->EngineCombo->setCurrentText(QStringLiteral("Demo Engine 2"));
        builder.FConditions->JoinButtons.at(1).at(0)->click(); // Search Engine, AND
        builder.FConditions->Operators[3]->setCurrentText(QStringLiteral("<="));
        builder.FConditions->RankSpin->setValue(30);
        builder.FConditions->JoinButtons.at(3).at(2)->click(); // Rank, END
        QCOMPARE(builder.FConditions->ConditionMemo->toPlainText(),
                 QStringLiteral("SearchEngine = \"Demo Engine 2\" \nAND Rank <= 30 \n"));
        QCOMPARE(builder.FConditions->RankSpin->value(), 1); // the line was reset

        builder.NextButtonClick();
        QCOMPARE(builder.FOrderBy->AvailableList->count(), 4);
        builder.FOrderBy->AvailableList->findItems(QStringLiteral("Rank"), Qt::MatchExactly)
            .first()
            ->setSelected(true);
        builder.FOrderBy->AddButton->click();
        builder.FOrderBy->Descending->setChecked(true);
        builder.NextButtonClick();
        QCOMPARE(builder.findChild<QPushButton*>(QStringLiteral("NextButton"))->text(),
                 QStringLiteral("Execute"));
        QCOMPARE(builder.statement(),
                 QStringLiteral(
                     "SELECT SearchEngine, SearchTerm, Rank, FoundLink AS MemoFoundLink FROM CvRank WHERE "
                     "(Project = \"Bakery\") AND (SearchEngine = \"Demo Engine 2\" \nAND Rank <= 30) "
                     "ORDER BY Rank DESC"));

        QVERIFY(builder.Execute());
        QVERIFY(grid.recordsText().startsWith(QLatin1String("Records ")));
        const int shown = grid.recordsText().mid(8).toInt();
        QVERIFY(shown > 0);
        QCOMPARE(grid.projectText(), QStringLiteral("Showing Queried Records in Project Bakery"));
        QCOMPARE(grid.grid()->model()->rowCount(), shown);
        QVERIFY(grid.sortable());
        QCOMPARE(grid.grid()->model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("Fully Qualified Link"));
        int last = 1000;
        for (int r = 0; r < shown; ++r) {
            QCOMPARE(grid.grid()->model()->index(r, 0).data().toString(), QStringLiteral("Demo Engine 2"));
            const int rank = grid.grid()->model()->index(r, 2).data().toInt();
            QVERIFY(rank <= 30 && rank <= last);
            last = rank;
        }
        grid.grid()->selectAll();
        grid.Copy1Click();
        QCOMPARE(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')), shown);

        // The report table gets the shown rows for the report library.
        QVERIFY(grid.FillReportTable());
        Table report(&p.dm->General, QStringLiteral("CVReportTemp"));
        report.open();
        QCOMPARE(report.recordCount(), shown);
        QVERIFY(report.hasField(QStringLiteral("MemoFoundLink")));
    }

    void theThreeThousandRowQuestion()
    {
        test::QueryProfile p(3001);
        const QString sql = QStringLiteral("SELECT * FROM CvRank WHERE (Project = \"Große \"\"Menge\"\"\") ");
        TGridForm grid(*p.dm);

        p.answer = MessageAnswer::Yes;
        QVERIFY(grid.RunQuery(sql, p.BulkProject));
        QCOMPARE(p.messages.size(), 1);
        QCOMPARE(p.messages.first(), QStringLiteral("Warning: ") + QueryStatement::limitQuestion(3001));
        QCOMPARE(grid.recordsText(), QStringLiteral("Records 3000"));
        QVERIFY(grid.currentSql().endsWith(QLatin1String(" TOP 3000")));
        QVERIFY(!grid.sortable());

        p.answer = MessageAnswer::No;
        QVERIFY(grid.RunQuery(sql, p.BulkProject));
        QCOMPARE(grid.recordsText(), QStringLiteral("Records 3001"));
        QVERIFY(!grid.sortable());
        // Rows come as the view scrolls, not all at once.
        QVERIFY(grid.grid()->model()->rowCount() < 3001);
        grid.grid()->scrollToBottom();
        while (grid.grid()->model()->canFetchMore({}))
            grid.grid()->model()->fetchMore({});
        QCOMPARE(grid.grid()->model()->rowCount(), 3001);

        p.answer = MessageAnswer::Cancel;
        QVERIFY(!grid.RunQuery(sql, p.BulkProject));
        QCOMPARE(grid.recordsText(), QStringLiteral("Records 0"));
        QCOMPARE(grid.projectText(), QStringLiteral("Query Cancelled"));
        QVERIFY(!p.dm->GridQuery.isOpen());

        // Exactly 3000 rows: no question; 1000 rows sized and sortable, 1001 not.
        p.messages.clear();
        QVERIFY(grid.RunQuery(QueryStatement::limited(sql), p.BulkProject));
        QVERIFY(p.messages.isEmpty());
        QVERIFY(grid.RunQuery(sql + QStringLiteral(" TOP 1000"), p.BulkProject));
        QVERIFY(grid.sortable());
        QVERIFY(grid.RunQuery(sql + QStringLiteral(" TOP 1001"), p.BulkProject));
        QVERIFY(!grid.sortable());
        QVERIFY(p.messages.isEmpty());
    }

    // A result larger than the rows a query keeps in memory: the grid reads
    // what it shows, and print (the report table), export data and copy still
    // see every row in the statement's order.
    void aLargeResultIsReadAsTheGridScrolls()
    {
        test::QueryProfile p(25000);
        const QString sql = QStringLiteral("SELECT SearchTerm, Rank, FoundLink AS MemoFoundLink FROM CvRank "
                                           "WHERE (Project = \"Große \"\"Menge\"\"\") ORDER BY Rank DESC, "
                                           "FoundLink DESC");
        TGridForm grid(*p.dm);
        grid.show();
        p.answer = MessageAnswer::No;
        QVERIFY(grid.RunQuery(sql, p.BulkProject));
        QCOMPARE(grid.recordsText(), QStringLiteral("Records 25000"));
        QVERIFY(!grid.runPanel()->isVisible());
        QAbstractItemModel* model = grid.grid()->model();
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Fully Qualified Link"));
        // Rank 90 comes from i = 89, 179, ...: the highest link text first.
        QCOMPARE(model->index(0, 1).data().toInt(), 90);
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("https://example.com/9989"));
        grid.grid()->setFocus();
        QTest::keyClick(grid.grid(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grid.grid()->currentIndex().row(), 24999);
        QCOMPARE(model->rowCount(), 25000);
        QCOMPARE(model->index(24999, 1).data().toInt(), 1);
        QCOMPARE(model->index(24999, 2).data().toString(), QStringLiteral("https://example.com/10080"));

        grid.grid()->setCurrentIndex(model->index(24999, 2));
        grid.grid()->selectionModel()->select(model->index(24999, 2), QItemSelectionModel::ClearAndSelect);
        grid.Copy1Click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("https://example.com/10080\n"));

        QVERIFY(grid.FillReportTable());
        Query report(&p.dm->General,
                     QStringLiteral("SELECT COUNT(*) AS N, MIN(Rank) AS Low FROM CVReportTemp"));
        report.open();
        QCOMPARE(report.asInteger(QStringLiteral("N")), 25000);
        QCOMPARE(report.asInteger(QStringLiteral("Low")), 1);
    }

    // While a statement runs the window shows its progress and time and can
    // stop it: "Cancel", Escape or the builder's own "Cancel" leave the
    // cancelled state, no error message and the window usable.
    void aRunningQueryCanBeCancelled()
    {
        test::QueryProfile p(25000);
        const QString sql = QStringLiteral(
            "SELECT * FROM CvRank WHERE (Project = \"Große \"\"Menge\"\"\") ORDER BY FoundLink");
        TGridForm grid(*p.dm);
        grid.show();
        p.answer = MessageAnswer::No;
        bool sawPanel = false;
        QTimer::singleShot(0, &grid, [&] {
            sawPanel =
                grid.running() && grid.runPanel()->isVisible() && !grid.runPanel()->elapsedText().isEmpty();
            grid.runPanel()->cancelButton()->click();
        });
        QVERIFY(!grid.RunQuery(sql, p.BulkProject));
        QVERIFY(sawPanel);
        QCOMPARE(grid.recordsText(), QStringLiteral("Records 0"));
        QCOMPARE(grid.projectText(), QStringLiteral("Query Cancelled"));
        QVERIFY(p.messages.isEmpty());
        QVERIFY(!p.dm->GridQuery.isOpen());
        QVERIFY(!grid.running());
        QVERIFY(!grid.runPanel()->isVisible());

        // Escape stops the query, not the window.
        QTimer::singleShot(0, &grid, [&] { QTest::keyClick(&grid, Qt::Key_Escape); });
        QVERIFY(!grid.RunQuery(sql, p.BulkProject));
        QVERIFY(grid.isVisible());
        QCOMPARE(grid.projectText(), QStringLiteral("Query Cancelled"));

        // From the builder: its panel shows the run and its "Cancel" stops it.
        TQBForm builder(*p.dm, grid);
        builder.setStatement(sql);
        bool builderPanel = false;
        QTimer::singleShot(0, &grid, [&] {
            builderPanel = builder.RunPanel->isVisible();
            builder.RunPanel->cancelButton()->click();
        });
        builder.show();
        QVERIFY(!builder.Execute());
        QVERIFY(builderPanel);
        QVERIFY(!builder.RunPanel->isVisible());

        // Nothing stops the next run.
        QVERIFY(grid.RunQuery(sql, p.BulkProject));
        QCOMPARE(grid.recordsText(), QStringLiteral("Records 25000"));
        QVERIFY(p.messages.size() == 1 && p.messages.first().startsWith(QLatin1String("Warning: ")));
    }

    // The bar follows the data module's formula: track width x percentage x 0.01.
    void theRunPanelShowsProgressAndTime()
    {
        QueryRunPanel panel;
        panel.resize(400, 30);
        panel.start();
        panel.setPercent(37);
        QCOMPARE(panel.barWidth(), TDM1::ProgressBarWidth(panel.trackWidth(), 37));
        QVERIFY(panel.barWidth() > 0);
        panel.setPercent(100);
        QCOMPARE(panel.barWidth(), panel.trackWidth());
        QCOMPARE(QueryRunPanel::elapsedText(420), QStringLiteral("0.4 s"));
        QCOMPARE(QueryRunPanel::elapsedText(12500), QStringLiteral("12 s"));
        QCOMPARE(QueryRunPanel::elapsedText(125000), QStringLiteral("2:05"));
        panel.finish();
        QVERIFY(!panel.isVisible());
    }

    void handEditedStatementsThatChangeDataAreRefused()
    {
        test::QueryProfile p;
        const int rows = p.rankRows();
        TGridForm grid(*p.dm);
        TQBForm builder(*p.dm, grid);
        for (const QString& sql :
             {QStringLiteral("DELETE FROM CvRank"), QStringLiteral("UPDATE CvRank SET Rank = 1"),
              QStringLiteral("DROP TABLE CvRank")}) {
            p.messages.clear();
            builder.setStatement(sql);
            QVERIFY(!builder.Execute());
            QCOMPARE(p.messages.size(), 1);
            QVERIFY2(p.messages.first().startsWith(QLatin1String("Error: ")), qPrintable(p.messages.first()));
            QVERIFY2(p.messages.first().contains(QLatin1String("was not run")),
                     qPrintable(p.messages.first()));
        }
        QCOMPARE(p.rankRows(), rows);
        // The engine's own error for a broken statement, and the window goes on working.
        p.messages.clear();
        builder.setStatement(
            QStringLiteral("SELECT * FROM CvRank WHERE (Project = \"Bakery\") AND (Rank = 1 AND) "));
        QVERIFY(!builder.Execute());
        QCOMPARE(p.messages.size(), 1);
        QCOMPARE(grid.recordsText(), QStringLiteral("Records 0"));
        builder.setStatement(QueryStatement::shownSql({QStringLiteral("Bakery"), {}, {}, {}, true}));
        QVERIFY(builder.Execute());
        QVERIFY(grid.grid()->model()->rowCount() > 0);
    }

    void savedQueriesInTheBuilder()
    {
        test::QueryProfile p;
        TGridForm grid(*p.dm);
        TQBForm builder(*p.dm, grid);
        builder.FSave->SaveButton->click();
        QCOMPARE(p.messages.size(), 1);
        QVERIFY(p.messages.first().contains(QLatin1String("Enter a query name to save.")));

        const QString name = QStringLiteral("Ränge \"oben\" & <b>d'or</b>");
        builder.FSelectFields->AvailableList->findItems(QStringLiteral("URL"), Qt::MatchExactly)
            .first()
            ->setSelected(true);
        builder.FSelectFields->AddButton->click();
        builder.FConditions->TermCombo->setCurrentText(QStringLiteral("O'Reilly \"books\""));
        builder.FConditions->JoinButtons.at(2).at(2)->click();
        builder.FSave->NameEdit->setText(name);
        builder.FSave->SaveButton->click();
        QCOMPARE(builder.FProject->QueryCombo->count(), 2);
        QCOMPARE(builder.FProject->QueryCombo->currentText(), name);
        const QString saved = builder.statement();

        // Choosing the project again resets the steps; the saved query opens as saved.
        builder.SelectProject(QStringLiteral("Bakery"));
        QCOMPARE(builder.FSelectFields->ChosenList->count(), 0);
        builder.FProject->QueryCombo->setCurrentText(name);
        QCOMPARE(builder.statement(), saved);
        QCOMPARE(builder.FSelectFields->ChosenList->item(0)->text(), QStringLiteral("URL"));
        QVERIFY(builder.FSelectFields->AvailableList->findItems(QStringLiteral("URL"), Qt::MatchExactly)
                    .isEmpty());
        QVERIFY(grid.recordsText() == QStringLiteral("Records 0")); // no rank row has that term

        builder.FSave->DeleteButton->click();
        QCOMPARE(builder.FProject->QueryCombo->count(), 1);
    }

    void searchEngineInformation()
    {
        test::QueryProfile p;
        TSEPopForm form(*p.dm);
        QCOMPARE(form.rows().size(), 7);
        QCOMPARE(form.countText(), QStringLiteral("7 Search Engines in this project."));
        form.CheckItem(QStringLiteral("Country"), QStringLiteral("USA"));
        form.CheckItem(QStringLiteral("Country"), QStringLiteral("Deutschland"));
        QCOMPARE(form.rows().size(), 0); // AND: an engine has one country
        form.SetJoinWithAnd(false);
        QCOMPARE(form.rows().size(), 5);
        form.SelectProject(QStringLiteral("Bakery"));
        QCOMPARE(form.rows().size(), 4);
        form.ShowAllButtonClick();
        QCOMPARE(form.rows().size(), 6);
        form.SelectProject(QStringLiteral("All Search Engines"));
        QCOMPARE(form.rows().size(), 7);
        form.grid()->setCurrentCell(6, 0);
        QCOMPARE(form.notesText(), QStringLiteral("Notes of Müller & \"Söhne\" <b>"));
        QCOMPARE(form.grid()->item(6, 0)->text(),
                 QStringLiteral("<span>Müller &amp; &quot;Söhne&quot; &lt;b&gt;</span>"));
        QCOMPARE(form.grid()->item(0, 0)->text(), QStringLiteral("Demo Engine 1"));
        QVERIFY(form.grid()->item(0, 2)->text().contains(QLatin1String(">Submit</a>")));

        p.answer = MessageAnswer::Cancel;
        form.RecalcButtonClick();
        QCOMPARE(form.rows().first().popularity, 90);
        p.answer = MessageAnswer::Ok;
        form.RecalcButtonClick();
        QVERIFY(p.messages.last().startsWith(QLatin1String("Done: ")));
        // S = 4470; Pop2 0: (0 + 1) x 0.0001 x (4870 div Pop1) rounds down to 0, so 1.
        QCOMPARE(form.rows().first().popularity, 1);
        QVERIFY(form.FillReportTable());
        Table report(&p.dm->General, QStringLiteral("CVReportTemp"));
        report.open();
        QCOMPARE(report.recordCount(), 7);
        QVERIFY(report.hasField(QStringLiteral("Last Script Update")));
    }

    void scriptCheck()
    {
        test::QueryProfile p;
        TScriptCheckForm form(*p.dm);
        QVERIFY2(form.lastRunText().startsWith(QLatin1String("Last Run: ")), qPrintable(form.lastRunText()));
        QVERIFY(form.lastRunText().size() > 12);
        QCOMPARE(form.countText(), QStringLiteral("Showing 18 records"));
        form.SetChoice(true, false);
        QCOMPARE(form.countText(), QStringLiteral("Showing 4 records"));
        form.SetChoice(true, true);
        QCOMPARE(form.countText(), QStringLiteral("Showing 2 records"));
        QStringList headers;
        for (int c = 0; c < form.grid()->model()->columnCount(); ++c)
            headers << form.grid()->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers,
                 (QStringList{QStringLiteral("Completed"), QStringLiteral("Search Engine"),
                              QStringLiteral("Search Term"), QStringLiteral("Last Record")}));
        QCOMPARE(form.grid()->model()->index(0, 3).data().toInt(), 17);
    }

    // A year of rows: the window shows the first screen while the rest of the
    // list follows in chunks. Every row comes once and in order, Ctrl+End and
    // the count reach the true last row, a row written meanwhile waits for the
    // next run, and a window closed mid-way leaves the table to the next one.
    void scriptCheckCollectsALongListInChunks()
    {
        test::QueryProfile p;
        constexpr int Extra = 150000;
        const auto write = [&p](const char* sql) {
            sqlite3* db = nullptr;
            const QByteArray path =
                QFile::encodeName(p.dm->Settings.DataFolder + QStringLiteral("CVEngine.dat"));
            QCOMPARE(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
            const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
            sqlite3_close(db);
            QCOMPARE(rc, SQLITE_OK);
        };
        write("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 150000) "
              "INSERT INTO CVEngine (Project, SE3Name, STName, LastRecord, Depth, Completed) "
              "SELECT 'Bakery', 'Demo Engine ' || (i % 6), 'term ' || i, 20 + (i * 7) % 81, 100, 1 FROM n");
        {
            TScriptCheckForm closedEarly(*p.dm);
            QVERIFY(closedEarly.query().rowsPending());
        }

        TScriptCheckForm form(*p.dm);
        QVERIFY(form.query().rowsPending());
        QAbstractItemModel* model = form.grid()->model();
        QVERIFY(model->rowCount() > 0);
        write("INSERT INTO CVEngine (Project, SE3Name, STName, LastRecord, Depth, Completed) "
              "VALUES ('Bakery', 'Late', 'late', 200, 100, 1)");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.grid()->setFocus();
        QTest::keyClick(form.grid(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(form.grid()->currentIndex().row(), Extra + 17);
        QVERIFY(!form.query().rowsPending());
        QCOMPARE(form.countText(), ScriptCheck::countText(Extra + 18));

        int termColumn = -1;
        int lastColumn = -1;
        for (int c = 0; c < model->columnCount(); ++c) {
            const QString heading = model->headerData(c, Qt::Horizontal).toString();
            if (heading == QLatin1String("Search Term"))
                termColumn = c;
            if (heading == QLatin1String("Last Record"))
                lastColumn = c;
        }
        QVERIFY(termColumn >= 0 && lastColumn >= 0);
        QSet<QString> terms;
        int previous = 0;
        for (int row = 0; row < model->rowCount(); ++row) {
            const int last = model->index(row, lastColumn).data().toInt();
            QVERIFY2(last >= previous, qPrintable(QString::number(row)));
            previous = last;
            terms << model->index(row, termColumn).data().toString();
        }
        QCOMPARE(model->rowCount(), Extra + 18);
        QCOMPARE(terms.size(), Extra + 3); // the three terms of the first rows repeat
        QVERIFY(!terms.contains(QStringLiteral("late")));

        form.SetChoice(false, false);
        QTRY_VERIFY_WITH_TIMEOUT(!form.query().rowsPending(), 20000);
        QCOMPARE(form.countText(), ScriptCheck::countText(Extra + 19));
        QVERIFY2(p.messages.isEmpty(), qPrintable(p.messages.join(QLatin1Char('\n'))));
    }

    // "Data Query...", "Search Engines..." and "Script Check..." open their windows.
    void theMainWindowOpensTheWindows()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        TMainRankForm form(*dm);
        dm->OpenDatabases();
        const auto opened = [&form](const char* command, int windows) {
            QStringList titles;
            std::function<void()> closeNext = [&] {
                QWidget* modal = QApplication::activeModalWidget();
                if (modal && modal != &form) {
                    titles << modal->windowTitle();
                    modal->close();
                }
                if (titles.size() < windows)
                    QTimer::singleShot(20, closeNext);
            };
            QTimer::singleShot(20, closeNext);
            form.command(QLatin1String(command))->trigger();
            return titles;
        };
        QCOMPARE(opened("DataQuery1", 2),
                 (QStringList{QStringLiteral("Query Builder"), QStringLiteral("Query")}));
        QCOMPARE(opened("SearchEngines1", 1), QStringList{QStringLiteral("Search Engine Information")});
        QCOMPARE(opened("ScriptCheck1", 1), QStringList{QStringLiteral("Script Check")});
        QVERIFY2(profile.messages.isEmpty(), qPrintable(profile.messages.join(QLatin1Char('\n'))));
        dm->CloseDatabases();
    }
};

QTEST_MAIN(QueryForms)
#include "test_query_forms.moc"
