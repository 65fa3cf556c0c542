#include "gui/charts/ChartFrame.h"

#include "core/datamodule/DM1.h"
#include "gui/charts/ChartDesignerForm.h"
#include "gui/charts/DesignedChartView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace corvane {

ChartFrame::ChartFrame(TDM1& dataModule, QWidget* parent)
    : QWidget(parent)
    , m_dm(dataModule)
    , m_chart(new DesignedChartView(this))
    , m_noChartWarning(noChartWarning())
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_chart);

    m_copyAction =
        makeAction(QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_Insert), &ChartFrame::CopyClick);
    m_saveImageAction = makeAction(QStringLiteral("&Save Image..."), QKeySequence(Qt::CTRL | Qt::Key_S),
                                   &ChartFrame::SaveImageClick);
    m_extendedExportAction = makeAction(QStringLiteral("E&xtended Export..."),
                                        QKeySequence(Qt::CTRL | Qt::Key_X), &ChartFrame::ExtendedExportClick);
    m_printChartAction = makeAction(QStringLiteral("Print &Chart..."), QKeySequence(Qt::CTRL | Qt::Key_C),
                                    &ChartFrame::PrintChartClick);
    m_printDataAndChartAction =
        makeAction(QStringLiteral("&Print Data && Chart..."), QKeySequence(Qt::CTRL | Qt::Key_P),
                   &ChartFrame::PrintDataAndChartClick);
    m_chartDesignerAction = makeAction(QStringLiteral("Chart &Designer..."),
                                       QKeySequence(Qt::CTRL | Qt::Key_D), &ChartFrame::ChartDesignerClick);
    m_clearAction =
        makeAction(QStringLiteral("&Clear"), QKeySequence(Qt::CTRL | Qt::Key_E), &ChartFrame::ClearClick);

    // the pop-up menu of the chart
    m_chart->chartView()->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_chart->chartView()->addAction(m_copyAction);
}

QAction* ChartFrame::makeAction(const QString& text, const QKeySequence& shortcut,
                                void (ChartFrame::*handler)())
{
    auto* action = new QAction(text, this);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, handler);
    addAction(action);
    return action;
}

void ChartFrame::setDesignTarget(const QString& project, const QString& file, ChartKind kind)
{
    m_project = project;
    m_file = file;
    m_kind = kind;
}

QString ChartFrame::noChartWarning()
{
    return QStringLiteral(
        "<P align=\"center\"><B>No chart is loaded to export.<BR>Make sure a chart is selected and "
        "click \"Refresh\"</B><BR>If no charts exist, one will need to be created using "
        "\"Charts\" | \"Auto Build...\" or \"Charts\" | \"Chart Builder...\" from the menu.</P>");
}

QString ChartFrame::shortNoChartWarning()
{
    return QStringLiteral(
        "<P align=\"center\"><B>No chart is loaded to export.<BR>Make sure a chart is selected and "
        "click \"Refresh\"</B></P>");
}

QString ChartFrame::noDataToPrint() { return QStringLiteral("<P align=\"center\">No data to print.</P>"); }

QString ChartFrame::previewCaption() const { return QStringLiteral("Preview - Project ") + m_project; }

bool ChartFrame::printable() const { return hasPrintData ? hasPrintData() : !m_chart->chartData().isEmpty(); }

QString ChartFrame::selectedGridText() const
{
    if (!m_grid || !m_grid->selectionModel() || !m_grid->model())
        return {};
    QModelIndexList cells = m_grid->selectionModel()->selectedIndexes();
    if (cells.isEmpty())
        return {};
    std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    QString text;
    int row = cells.first().row();
    bool firstInRow = true;
    for (const QModelIndex& cell : cells) {
        if (cell.row() != row) {
            text += QLatin1Char('\n');
            row = cell.row();
            firstInRow = true;
        }
        if (!firstInRow)
            text += QLatin1Char('\t');
        text += cell.data().toString();
        firstInRow = false;
    }
    return text + QLatin1Char('\n');
}

void ChartFrame::CopyClick()
{
    // the grid selection and the chart go into one clipboard entry, so the
    // picture does not push the text out
    auto* mime = new QMimeData;
    const QString text = selectedGridText();
    if (!text.isEmpty())
        mime->setText(text);
    mime->setImageData(m_chart->chartImage());
    QApplication::clipboard()->setMimeData(mime);
}

void ChartFrame::SaveImageClick()
{
    const std::map<QString, QString> formats{
        {QStringLiteral("PNG picture (*.png)"), QStringLiteral("png")},
        {QStringLiteral("JPEG picture (*.jpg *.jpeg)"), QStringLiteral("jpg")},
        {QStringLiteral("Bitmap picture (*.bmp)"), QStringLiteral("bmp")}};
    QString filter = QStringLiteral("PNG picture (*.png)");
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Image"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QStringLiteral("PNG picture (*.png);;JPEG picture (*.jpg *.jpeg);;Bitmap picture (*.bmp)"), &filter);
    if (!path.isEmpty()) {
        const auto format = formats.find(filter);
        SaveImageTo(path, format == formats.end() ? QStringLiteral("png") : format->second);
    }
    if (!m_dm.Settings.ExeFolder.isEmpty())
        QDir::setCurrent(m_dm.Settings.ExeFolder);
}

bool ChartFrame::SaveImageTo(const QString& path, const QString& format)
{
    QString target = path;
    QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpeg"))
        suffix = QStringLiteral("jpg");
    if (suffix != QLatin1String("png") && suffix != QLatin1String("jpg") && suffix != QLatin1String("bmp")) {
        suffix = format;
        target += QLatin1Char('.') + suffix;
    }
    QSaveFile file(target);
    const QImage picture = m_chart->chartImage();
    if (file.open(QIODevice::WriteOnly) && picture.save(&file, suffix.toUpper().toLatin1().constData(), 95)
        && file.commit())
        return true;
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                        QStringLiteral("<P align=\"center\">The chart could not be saved as <B>")
                            + target.toHtmlEscaped() + QStringLiteral("</B><BR>")
                            + file.errorString().toHtmlEscaped() + QStringLiteral("</P>"),
                        true, {});
    return false;
}

void ChartFrame::ExtendedExportClick()
{
    if (!m_loaded) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Warning"), m_noChartWarning, true, {});
        return;
    }
    if (onExtendedExport)
        onExtendedExport();
}

void ChartFrame::PrintChartClick()
{
    if (!printable()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Warning"), noDataToPrint(), true, {});
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(previewCaption());
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { PrintChart(*p); });
    preview.exec();
}

void ChartFrame::PrintChart(QPrinter& printer)
{
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    QChartView* view = m_chart->chartView();
    QSize size = view->size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    view->render(&painter, QRectF(QPointF(page.left(), page.top()), size), view->viewport()->rect(),
                 Qt::KeepAspectRatio);
}

void ChartFrame::PrintDataAndChartClick()
{
    if (!printable()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Warning"), noDataToPrint(), true, {});
        return;
    }
    if (onPrintDataAndChart)
        onPrintDataAndChart();
}

void ChartFrame::ChartDesignerClick()
{
    TChartDesignerForm designer(m_dm, *m_chart, m_project, m_file, m_kind, this);
    designer.onTop10Closed = onTop10Closed;
    const int result = designer.exec();
    emit designerClosed(result);
}

void ChartFrame::ClearClick()
{
    m_chart->clear();
    m_loaded = false;
}

QAction* ChartFrame::addFileCommands(QMenu* file, QDialog* window) const
{
    file->addAction(m_saveImageAction);
    file->addAction(m_extendedExportAction);
    file->addAction(m_printChartAction);
    file->addAction(m_printDataAndChartAction);
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"), window, &QDialog::reject);
    exit->setShortcut(QKeySequence(Qt::Key_Escape));
    return exit;
}

} // namespace corvane
