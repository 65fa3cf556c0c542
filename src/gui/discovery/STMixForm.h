#pragma once

#include "core/data/Dataset.h"
#include "core/data/DatasetModel.h"
#include "core/discovery/MixSettings.h"
#include "gui/widgets/ToolWindow.h"

#include <QStringList>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTreeWidget;

namespace corvane {

// Rureder Orad: keyword discovery from the pages that rank for a seed term.
// Page 1 asks the checked engines for the seed's first result page and
// collects the sites they list (CVMix); page 2 shows them with their counts
// and runs Detail, which reads each site's page; page 3 shows what Detail
// found per site; page 4 merges the keywords of all pages. URLs and terms can
// go into a project through the add dialogs.
class TSTMixForm : public ToolWindow
{
    Q_OBJECT

public:
    enum Page { SeedPage, UrlPage, DetailPage, MergedPage };

    explicit TSTMixForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TSTMixForm() override;

    // The controls the tests and the screenshot tour drive.
    QLineEdit* seedEdit() const { return m_seed; }
    QListWidget* engineList() const { return m_engines; }
    QPushButton* competitorsButton() const { return m_competitors; }
    QTableView* urlGrid() const { return m_urlGrid; }
    QLineEdit* urlEdit() const { return m_urlEdit; }
    QSpinBox* countSpin() const { return m_countSpin; }
    QTreeWidget* detailTree() const { return m_tree; }
    QTableWidget* mergedGrid() const { return m_merged; }
    QLineEdit* filterEdit() const { return m_filterEdit; }
    QListWidget* logList() const { return m_log; }
    QCheckBox* badLinksCheck() const { return m_badLinks; }
    QSpinBox* minDensSpin() const { return m_minDens; }
    QSpinBox* passSizeSpin() const { return m_passSize; }
    void showPage(Page page);
    Page currentPage() const;
    bool running() const { return m_running; }

    // Checks the engines of the list by name (the others are cleared).
    void CheckEngines(const QStringList& names);
    QStringList CheckedEngines() const;
    // The URL names of the selected rows of page 2.
    QStringList SelectedUrls() const;
    // The term highlighted on page 3 or selected on page 4.
    QStringList SelectedTerms() const;

    // Appends the dictionary word (F10 in the seed box).
    void DictionaryWord();

public slots:
    void VirtualCompetitorsClick();
    void DetailClick();
    void AbortClick();
    void AddUrlClick();
    void DeleteUrlClick();
    void AddToUrlListClick();
    void AddToFilterClick();
    void AddToTermListClick();
    void FiltersClick();
    void PrintClick();
    void PageSetupClick();
    void PreviewClick();

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    QWidget* buildSeedPage();
    QWidget* buildUrlPage();
    QWidget* buildDetailPage();
    QWidget* buildMergedPage();
    void FormShow();
    void FormClose();
    void UpdateCommands();
    void SetRunning(bool running);
    void Log(const QString& line);
    void ShowError(const QString& text);
    void ReloadUrls();
    void FillDetailTree();
    void FillMergedGrid();
    void PageChanged(int page);
    bool FillReportTable();
    void RunReportLibrary(const char* entryName);
    void ApplySettingsFromControls();

    MixSettings m_settings;
    bool m_running = false;
    bool m_abort = false;
    bool m_closeWhenDone = false;
    bool m_sortByName = false;

    std::unique_ptr<Query> m_urlQuery;
    DatasetModel m_urlModel;

    QLabel* m_pageTitle;
    QTabWidget* m_pages;
    QLineEdit* m_seed;
    QListWidget* m_engines;
    QPushButton* m_competitors;
    QTableView* m_urlGrid;
    QLineEdit* m_urlEdit;
    QSpinBox* m_countSpin;
    QPushButton* m_addUrl;
    QPushButton* m_deleteUrl;
    QPushButton* m_addToUrlList;
    QPushButton* m_detail;
    QCheckBox* m_badLinks;
    QSpinBox* m_minDens;
    QSpinBox* m_passSize;
    QTreeWidget* m_tree;
    QLineEdit* m_filterEdit;
    QPushButton* m_addToFilter;
    QPushButton* m_addTermFromDetail;
    QTableWidget* m_merged;
    QPushButton* m_addTermFromMerged;
    QListWidget* m_log;
    QPushButton* m_filters;
    QPushButton* m_print;
    QPushButton* m_pageSetup;
    QPushButton* m_preview;
    QPushButton* m_abortButton;
    QPushButton* m_close;
};

} // namespace corvane
