#include "gui/query/ScriptCheckForm.h"

#include "core/data/DatasetModel.h"
#include "core/datamodule/DM1.h"
#include "core/help/HelpContexts.h"
#include "core/query/ScriptCheck.h"
#include "gui/widgets/FormPlacement.h"
#include "gui/widgets/GridCopy.h"
#include "gui/widgets/GridEndKey.h"
#include "gui/widgets/OneLineNames.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

TScriptCheckForm::TScriptCheckForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::ScriptCheckForm, HelpContexts::ScriptCheck, parent)
    , m_query(&dataModule.General)
    , m_model(new DatasetModel(this))
    , m_grid(new QTableView)
    , m_lastRunLabel(new QLabel)
    , m_countLabel(new QLabel)
    , m_allButton(new QRadioButton(QStringLiteral("Show All")))
    , m_belowButton(new QRadioButton(QStringLiteral("Show Only Last Record less than Search Depth")))
    , m_uniqueCheck(new QCheckBox(QStringLiteral("Show Unique")))
{
    OneLineNames::apply(*m_grid);
    GridEndKey::apply(*m_grid);
    setWindowTitle(QStringLiteral("Script Check"));
    resize(760, 520);
    m_allButton->setChecked(true);
    m_lastRunLabel->setObjectName(QStringLiteral("LastRunLabel"));
    m_lastRunLabel->setStyleSheet(QStringLiteral("font-weight: bold;"));
    m_countLabel->setObjectName(QStringLiteral("CountLabel"));

    m_grid->setObjectName(QStringLiteral("ScriptGrid"));
    m_grid->setAlternatingRowColors(true);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->setModel(m_model);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* menu = new QMenu(this);
    menu->addAction(QStringLiteral("Copy"), this, &TScriptCheckForm::CopyClick);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint& at) { menu->popup(m_grid->viewport()->mapToGlobal(at)); });
    auto* copyKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert), m_grid);
    copyKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(copyKey, &QShortcut::activated, this, &TScriptCheckForm::CopyClick);

    m_model->setCaption(QStringLiteral("SE3Name"), QStringLiteral("Search Engine"));
    m_model->setCaption(QStringLiteral("STName"), QStringLiteral("Search Term"));
    m_model->setCaption(QStringLiteral("LastRecord"), QStringLiteral("Last Record"));

    auto* print = new QPushButton(QStringLiteral("Print..."));
    auto* close = new QPushButton(QStringLiteral("Close"));
    auto* choices = new QHBoxLayout;
    choices->addWidget(m_allButton);
    choices->addWidget(m_belowButton);
    choices->addSpacing(12);
    choices->addWidget(m_uniqueCheck);
    choices->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_countLabel, 1);
    buttons->addWidget(print);
    buttons->addWidget(createHelpButton());
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lastRunLabel);
    layout->addLayout(choices);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);

    connect(print, &QPushButton::clicked, this, &TScriptCheckForm::PrintButtonClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{m_allButton, m_belowButton, m_uniqueCheck})
        connect(button, &QAbstractButton::toggled, this, [this](bool) {
            if (!m_filling)
                RunQuery();
        });

    // A year of rows opens at once: the grid reads the rows it shows, in the
    // order CVEngine's indexes keep. A file written before them gets them
    // now; when it cannot be changed the check still runs, only slower.
    m_query.setRowsOnDemand(true);
    // The first screen shows at once; the rest of a year of rows follows in
    // chunks while the window takes input, the count growing with them.
    m_query.setRowsInChunks(true);
    connect(m_model, &DatasetModel::rowsCollected, this,
            [this](int rows, bool) { m_countLabel->setText(ScriptCheck::countText(rows)); });
    connect(m_model, &DatasetModel::collectingFailed, this, &TScriptCheckForm::ShowError);
    try {
        ScriptCheck::addMissingIndexes(m_dm.General);
    } catch (const DatabaseError&) {
    }
    QDate lastRun;
    try {
        lastRun = ScriptCheck::lastRun(m_dm.General);
    } catch (const DatabaseError&) {
        lastRun = QDate();
    }
    m_lastRunLabel->setText(
        QStringLiteral("Last Run: ")
        + (lastRun.isValid() ? QLocale().toString(lastRun, QLocale::LongFormat) : QString()));
    RunQuery();
    restorePlacement();
}

TScriptCheckForm::~TScriptCheckForm()
{
    m_model->setDataset(nullptr);
    m_query.close();
}

QString TScriptCheckForm::countText() const { return m_countLabel->text(); }
QString TScriptCheckForm::lastRunText() const { return m_lastRunLabel->text(); }

void TScriptCheckForm::SetChoice(bool belowDepth, bool unique)
{
    m_filling = true;
    (belowDepth ? m_belowButton : m_allButton)->setChecked(true);
    m_uniqueCheck->setChecked(unique);
    m_filling = false;
    RunQuery();
}

void TScriptCheckForm::RunQuery()
{
    m_model->setDataset(nullptr);
    m_query.close();
    try {
        m_query.setSql(
            ScriptCheck::viewStatement(m_dm.General, m_belowButton->isChecked(), m_uniqueCheck->isChecked()));
        m_query.open();
    } catch (const DatabaseError& error) {
        m_query.close();
        m_countLabel->setText(ScriptCheck::countText(0));
        ShowError(error.message());
        return;
    }
    m_model->setDataset(&m_query);
    // The full rows carry Project and Depth as well; the check shows the four columns.
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const QString name = m_query.fields().at(column).name;
        const bool shown = name.compare(QLatin1String("Completed"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("SE3Name"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("STName"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("LastRecord"), Qt::CaseInsensitive) == 0;
        m_grid->setColumnHidden(column, !shown);
    }
    // Completed first, as in the unique view.
    for (int column = 0; column < m_model->columnCount(); ++column)
        if (m_query.fields().at(column).name.compare(QLatin1String("Completed"), Qt::CaseInsensitive) == 0)
            m_grid->horizontalHeader()->moveSection(m_grid->horizontalHeader()->visualIndex(column), 0);
    m_grid->resizeColumnsToContents();
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_grid->setColumnWidth(column, std::clamp(m_grid->columnWidth(column) + 12, 90, 320));
    m_countLabel->setText(ScriptCheck::countText(m_query.recordCount()));
}

void TScriptCheckForm::ShowError(const QString& message)
{
    m_dm.ShowMessageBox(
        MessageButtons::Ok, QStringLiteral("Error"),
        QStringLiteral("<P align=\"center\">") + message.toHtmlEscaped() + QStringLiteral("</P>"), true, {});
}

void TScriptCheckForm::PrintButtonClick()
{
    // The grid as a table page, through the print preview (which also prints).
    QString html = QStringLiteral("<h3>Script Check</h3><p>") + lastRunText().toHtmlEscaped()
        + QStringLiteral("</p><table border='1' cellspacing='0' cellpadding='3'><tr>");
    QList<int> columns;
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (!m_grid->isColumnHidden(c))
            columns << c;
    for (int c : columns)
        html += QStringLiteral("<th>") + m_model->headerData(c, Qt::Horizontal).toString().toHtmlEscaped()
            + QStringLiteral("</th>");
    html += QStringLiteral("</tr>");
    while (m_model->canFetchMore({}))
        m_model->fetchMore({});
    for (int r = 0; r < m_model->rowCount(); ++r) {
        html += QStringLiteral("<tr>");
        for (int c : columns)
            html += QStringLiteral("<td>") + m_model->index(r, c).data().toString().toHtmlEscaped()
                + QStringLiteral("</td>");
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    QTextDocument document;
    document.setHtml(html);
    QPrinter printer;
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&document](QPrinter* target) { document.print(target); });
    preview.exec();
}

void TScriptCheckForm::CopyClick() { GridCopy::copySelection(*m_grid); }

} // namespace corvane
