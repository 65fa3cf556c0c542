#include "gui/maintenance/ChartCacheForm.h"

#include "core/charts/ChartCacheBuilder.h"
#include "core/data/DatabaseError.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace corvane {

namespace {

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

} // namespace

TChartCacheForm::TChartCacheForm(QWidget* parent)
    : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setObjectName(QStringLiteral("ChartCacheForm"));
    setWindowTitle(QStringLiteral("Building Chart Cache"));
    setFixedSize(520, 320);

    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(226, 226, 226));
    setPalette(background);
    setAutoFillBackground(true);

    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("Log"));
    m_log->setReadOnly(true);
    m_log->setFocusPolicy(Qt::NoFocus);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_log);
}

TChartCacheForm::~TChartCacheForm() = default;

void TChartCacheForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TChartCacheForm::FormShow()
{
    // Centred on the screen rather than over the caller's window.
    if (const QScreen* display = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(display->availableGeometry().center());
        move(frame.topLeft());
    }
    m_building = true;
    // The window paints first; the build starts from the event loop.
    QTimer::singleShot(0, this, &TChartCacheForm::StartBuild);
}

void TChartCacheForm::StartBuild()
{
    if (m_projectName.trimmed().isEmpty()) {
        AddLine(QStringLiteral("No project was named, so there are no charts to build."));
        FinishBuild();
        return;
    }
    AddLine(QStringLiteral("Building the chart caches of project %1.").arg(quoted(m_projectName)));
    const Registry registry;
    const QString dataFolder =
        RegistryKey(registry, SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations)))
            .readString(QStringLiteral("DataFolder"));
    try {
        m_builder = std::make_unique<ChartCacheBuilder>(dataFolder);
        m_charts = m_builder->charts(m_projectName);
    } catch (const DatabaseError& e) {
        AddLine(QStringLiteral("The saved charts cannot be read: %1").arg(e.message()));
        FinishBuild();
        return;
    }
    if (m_charts.isEmpty()) {
        AddLine(QStringLiteral("Project %1 has no saved charts; there is nothing to build.")
                    .arg(quoted(m_projectName)));
        FinishBuild();
        return;
    }
    AddLine(m_charts.size() == 1 ? QStringLiteral("1 saved chart found.")
                                 : QStringLiteral("%1 saved charts found.").arg(m_charts.size()));
    QTimer::singleShot(0, this, &TChartCacheForm::BuildNextChart);
}

void TChartCacheForm::BuildNextChart()
{
    const QString chart = m_charts.at(m_next++);
    const QString step =
        QStringLiteral("Chart %1 of %2, %3").arg(m_next).arg(m_charts.size()).arg(quoted(chart));
    try {
        const int rows = m_builder->build(m_projectName, chart);
        ++m_built;
        AddLine(step
                + (rows == 1 ? QStringLiteral(": 1 cache row written.")
                             : QStringLiteral(": %1 cache rows written.").arg(rows)));
    } catch (const DatabaseError& e) {
        AddLine(step + QStringLiteral(": FAILED. ") + e.message());
    }
    if (m_next < m_charts.size())
        QTimer::singleShot(0, this, &TChartCacheForm::BuildNextChart);
    else
        FinishBuild();
}

void TChartCacheForm::FinishBuild()
{
    if (!m_charts.isEmpty())
        AddLine(QStringLiteral("Finished: %1 of %2 chart caches built.").arg(m_built).arg(m_charts.size()));
    AddLine(QStringLiteral("Close this window to go on."));
    m_builder.reset();
    m_building = false;
}

void TChartCacheForm::AddLine(const QString& line) { m_log->appendPlainText(line); }

} // namespace corvane
