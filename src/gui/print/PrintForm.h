#pragma once

#include "core/print/PrintPages.h"

#include <QDialog>
#include <QImage>
#include <QPrinter>
#include <QString>
#include <QStringList>

#include <functional>

class QPushButton;
class QTextBrowser;

namespace corvane {

class Dataset;
class FormPlacement;
class TDM1;

// The print window: writes a report page as HTML into the working folder (the
// program folder), with the chart as "DBChart1.jpg" and the project's logo as
// "Logo.jpg" beside it, shows it, and prints, previews or saves it.
//
// It is created with a print kind (PrintPages::Kind). A caller then hands it
// the data of that kind in one call and shows it:
//
//     TPrintForm form(*DM1, PrintPages::DetailChart, this);
//     form.ShowDetailChart(project, titleLines, DM1->MergeTable, chartView->grab().toImage());
//     form.exec();
//
// Kinds 0, 2 and 4 build nothing; the window then shows an empty page.
class TPrintForm : public QDialog
{
    Q_OBJECT

public:
    TPrintForm(TDM1& dataModule, int kind, QWidget* parent = nullptr);
    ~TPrintForm() override;

    int Tag() const { return m_kind; }
    // The page written; empty until a page has been built.
    const QString& PagePath() const { return m_pagePath; }
    QTextBrowser* Browser() const { return m_browser; }

    // One entry per kind. The dataset is read from its first row; the chart
    // image comes from the caller's chart. Calling the entry of another kind
    // than the window's is a programming error (std::logic_error).
    void ShowDetailChart(const QString& project, const QStringList& titleLines, Dataset& working,
                         const QImage& chart);                     // kind 1
    void ShowQueryResult(const QString& project, Dataset& grid);   // kind 3
    void ShowEngineList(const QString& project, Dataset& engines); // kind 5
    void ShowUrlList(const QString& seed, Dataset& mix);           // kind 6
    void ShowPageDetail(const QString& seed, Dataset& mix);        // kind 7
    void ShowMergedPhrases(const QString& seed, Dataset& phrases); // kind 8
    void ShowGainsAndLosses(const QString& project, const QStringList& titleLines, Dataset& hilo,
                            const QImage& chart); // kind 9
    void ShowScores(const QString& project, const QStringList& titleLines, Dataset& scores,
                    const QImage& chart); // kind 10

    // The same from plain data; the logo setting is read from the project.
    void ShowDetailChart(const QString& project, PrintPages::DetailChartPage page, const QImage& chart);
    void ShowQueryResult(const PrintPages::QueryResultPage& page);
    void ShowEngineList(PrintPages::EngineListPage page);
    void ShowUrlList(const PrintPages::UrlListPage& page);
    void ShowPageDetail(const PrintPages::PageDetailPage& page);
    void ShowMergedPhrases(const PrintPages::MergedPhrasesPage& page);
    void ShowGainsAndLosses(const QString& project, PrintPages::GainsAndLossesPage page, const QImage& chart);
    void ShowScores(const QString& project, PrintPages::ScoresPage page, const QImage& chart);

    // Prints the shown page on a configured printer (also a PDF printer).
    void PrintDocument(QPrinter* printer);
    // Writes the page under the given name and copies its images beside it.
    // Shows an error and returns false when a file cannot be written.
    bool SaveHtml(const QString& targetPath);

    // Handlers of the buttons.
    void PrintButtonClick();
    void PageSetupButtonClick();
    void PreviewButtonClick();
    void SaveButtonClick();

    void done(int result) override;

private:
    // Builds a page; the logo folder is the one the page refers to the logo by.
    using PageBuilder = std::function<QString(const QString& logoFolder)>;

    void requireKind(int kind, const char* entry) const;
    PrintPages::Logo prepareLogo(const QString& project);
    void prepareChart(const QImage& chart);
    void showPage(PageBuilder builder);
    bool writeText(const QString& path, const QString& text);
    bool copyBeside(const QString& fileName, const QString& targetFolder);
    void reportError(const QString& text);
    void restoreFolder();

    TDM1& m_dm;
    int m_kind;
    QString m_workingFolder;
    QString m_previousFolder;
    bool m_folderRestored = false;
    QString m_pagePath;
    PageBuilder m_builder;
    bool m_hasLogo = false;
    bool m_hasChart = false;
    QPrinter m_printer;
    QTextBrowser* m_browser;
    QPushButton* m_saveButton;
    FormPlacement* m_placement;
};

} // namespace corvane
