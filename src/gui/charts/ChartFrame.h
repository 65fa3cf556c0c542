#pragma once

#include "core/charts/ChartDesign.h"

#include <QWidget>

#include <functional>

class QAbstractItemView;
class QAction;
class QPrinter;

class QDialog;
class QMenu;

namespace corvane {

class DesignedChartView;
class TDM1;

// The chart of a chart window with the commands every chart window shares:
// Copy, Save Image, Extended Export, Print Chart, Print Data & Chart, Chart
// Designer and Clear. The window puts the actions into its menus and plugs
// its own export and report into the hooks.
class ChartFrame : public QWidget
{
    Q_OBJECT

public:
    explicit ChartFrame(TDM1& dataModule, QWidget* parent = nullptr);

    DesignedChartView* chartView() const { return m_chart; }

    // What the designer stores the look under.
    void setDesignTarget(const QString& project, const QString& file, ChartKind kind);
    const QString& project() const { return m_project; }

    // The grid whose selection Copy takes along with the chart.
    void setGrid(QAbstractItemView* grid) { m_grid = grid; }

    // Export needs a loaded chart; the window says when it has one.
    void setChartLoaded(bool loaded) { m_loaded = loaded; }
    bool chartLoaded() const { return m_loaded; }
    // The warning shown when Extended Export finds no chart.
    void setNoChartWarning(const QString& html) { m_noChartWarning = html; }

    static QString noChartWarning();      // names the chart builders too
    static QString shortNoChartWarning(); // for windows without chart builders
    static QString noDataToPrint();

    // Hooks of the window.
    std::function<void()> onExtendedExport;    // runs only with a loaded chart
    std::function<void()> onPrintDataAndChart; // runs only with printable data
    std::function<bool()> hasPrintData;        // default: the chart has points
    std::function<void(const ChartDesign&)> onTop10Closed;

    // Puts the frame's save, export and print commands into a window's File
    // menu, followed by Exit (Escape), which rejects the window; returns Exit.
    QAction* addFileCommands(QMenu* file, QDialog* window) const;

    QAction* copyAction() const { return m_copyAction; }
    QAction* saveImageAction() const { return m_saveImageAction; }
    QAction* extendedExportAction() const { return m_extendedExportAction; }
    QAction* printChartAction() const { return m_printChartAction; }
    QAction* printDataAndChartAction() const { return m_printDataAndChartAction; }
    QAction* chartDesignerAction() const { return m_chartDesignerAction; }
    QAction* clearAction() const { return m_clearAction; }

    // The commands.
    void CopyClick();
    void SaveImageClick();
    // Writes the chart picture; a name without a picture extension gets the
    // one of the chosen format ("png", "jpg" or "bmp"). False with a message
    // when the file cannot be written.
    bool SaveImageTo(const QString& path, const QString& format = QStringLiteral("png"));
    void ExtendedExportClick();
    void PrintChartClick();
    // Draws the chart on the printer's page, scaled to fit.
    void PrintChart(QPrinter& printer);
    void PrintDataAndChartClick();
    void ChartDesignerClick();
    void ClearClick();

    // "Preview - Project " and the project.
    QString previewCaption() const;

signals:
    void designerClosed(int result);

private:
    bool printable() const;
    QAction* makeAction(const QString& text, const QKeySequence& shortcut, void (ChartFrame::*handler)());
    QString selectedGridText() const;

    TDM1& m_dm;
    DesignedChartView* m_chart;
    QAbstractItemView* m_grid = nullptr;
    QString m_project;
    QString m_file;
    ChartKind m_kind = ChartKind::DetailChart;
    bool m_loaded = false;
    QString m_noChartWarning;
    QAction* m_copyAction;
    QAction* m_saveImageAction;
    QAction* m_extendedExportAction;
    QAction* m_printChartAction;
    QAction* m_printDataAndChartAction;
    QAction* m_chartDesignerAction;
    QAction* m_clearAction;
};

} // namespace corvane
