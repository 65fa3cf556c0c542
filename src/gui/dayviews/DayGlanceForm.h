#pragma once

#include "core/dayviews/DayGlanceData.h"
#include "gui/widgets/ToolWindow.h"

#include <QDate>
#include <QHash>
#include <QString>

class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace corvane {

// "Day at a Glance": what Harvester recorded for one project on one day in
// four sortable grids (position changes, hits per URL, per search term and
// per search engine). A grid clicked is selected for print through the
// report library.
class TDayGlanceForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TDayGlanceForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TDayGlanceForm() override;

    // Handlers
    void ComboBox1Change();
    void GoButtonClick();
    void PrintButtonClick();
    void PageSetupButtonClick();
    void PreviewButtonClick();
    void Copy1Click();
    // Clicking a grid: selects it for print.
    void SelectGrid(DayGlance::Grid grid);

    // Builds the four grids for the project and day.
    void BuildGrids(const QString& project, const QDate& day);

    QString project() const;
    QDate date() const;
    void setDate(const QDate& day);
    void setProject(const QString& project);
    QTableView* grid(DayGlance::Grid grid) const;
    QString gridTitle(DayGlance::Grid grid) const;
    QString printLabelText() const;
    bool printEnabled() const;
    // The grid's rows as plain values, in the order shown.
    QList<QVariantList> gridValues(DayGlance::Grid grid) const;
    // The widths the progress bar took while the grids were built.
    const QList<int>& progressWidths() const { return m_progressWidths; }

    // The pre-Windows empty date: what a project that never ran opens on.
    static QDate emptyDate() { return QDate(1899, 12, 30); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct GridParts
    {
        QLabel* title = nullptr;
        QTableView* view = nullptr;
        QStandardItemModel* model = nullptr;
    };

    void FillGrid(DayGlance::Grid grid, const QList<QVariantList>& rows);
    void RunReportLibrary(int mode);
    void OpenLinkCell(const QModelIndex& index);
    GridParts& parts(DayGlance::Grid grid) { return m_grids[static_cast<int>(grid)]; }
    const GridParts& parts(DayGlance::Grid grid) const { return m_grids[static_cast<int>(grid)]; }

    QComboBox* m_projects;
    QDateEdit* m_date;
    QFrame* m_track;
    QFrame* m_bar;
    QLabel* m_printLabel;
    QPushButton* m_print;
    QPushButton* m_pageSetup;
    QPushButton* m_preview;
    GridParts m_grids[4];
    int m_selected = -1;
    int m_queryIndex = 0;
    QString m_builtProject;
    QHash<QString, QString> m_urlAddresses;
    QHash<QString, QString> m_enginePages;
    QList<int> m_progressWidths;
};

} // namespace corvane
