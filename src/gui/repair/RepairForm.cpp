#include "gui/repair/RepairForm.h"

#include "core/datamodule/DM1.h"

#include <QBrush>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

using repair::RepairRun;
using repair::TableResult;

namespace {

enum Column { TableColumn, ResultColumn, DetailsColumn };

QColor outcomeColour(TableResult::Outcome outcome)
{
    switch (outcome) {
    case TableResult::Outcome::Sound: return QColor(0x1b, 0x7a, 0x2e);
    case TableResult::Outcome::Repaired: return QColor(0x1f, 0x5f, 0xbf);
    case TableResult::Outcome::Damaged:
    case TableResult::Outcome::NotRepaired: return QColor(0xb0, 0x1c, 0x1c);
    }
    return {};
}

} // namespace

TRepairForm::TRepairForm(const QString& dataFolder, bool autoStart, bool closeWhenDone, QWidget* parent)
    : QWidget(parent)
    , m_folderLabel(new QLabel(this))
    , m_tableList(new QTreeWidget(this))
    , m_progress(new QProgressBar(this))
    , m_status(new QLabel(this))
    , m_checkButton(new QPushButton(QStringLiteral("&Check"), this))
    , m_repairButton(new QPushButton(QStringLiteral("&Repair"), this))
    , m_closeButton(new QPushButton(QStringLiteral("C&lose"), this))
    , m_run(dataFolder)
    , m_autoStart(autoStart)
    , m_closeWhenDone(closeWhenDone)
{
    setWindowTitle(QStringLiteral("Table Repair"));
    resize(760, 480);

    m_folderLabel->setText(QStringLiteral("Data folder: %1").arg(dataFolder));
    m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_tableList->setHeaderLabels(
        {QStringLiteral("Table"), QStringLiteral("Result"), QStringLiteral("Details")});
    m_tableList->setRootIsDecorated(false);
    m_tableList->setWordWrap(true);
    m_tableList->setUniformRowHeights(false);
    m_tableList->setAlternatingRowColors(true);
    m_tableList->header()->setSectionResizeMode(TableColumn, QHeaderView::ResizeToContents);
    m_tableList->header()->setSectionResizeMode(ResultColumn, QHeaderView::ResizeToContents);
    m_tableList->header()->setStretchLastSection(true);
    for (const QString& path : m_run.tableFiles()) {
        auto* item = new QTreeWidgetItem(m_tableList, {repair::tableNameOf(path), QString(), QString()});
        item->setToolTip(TableColumn, path);
    }

    m_progress->setRange(0, qMax(1, m_tableList->topLevelItemCount()));
    m_progress->setValue(0);
    m_status->setText(m_tableList->topLevelItemCount() == 0
                          ? QStringLiteral("The data folder holds no table files.")
                          : QStringLiteral("%1 table file(s). Check finds damage; Repair mends it.")
                                .arg(m_tableList->topLevelItemCount()));
    m_status->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_checkButton);
    buttons->addWidget(m_repairButton);
    buttons->addWidget(m_closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_folderLabel);
    layout->addWidget(m_tableList, 1);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    connect(m_checkButton, &QPushButton::clicked, this, &TRepairForm::CheckButtonClick);
    connect(m_repairButton, &QPushButton::clicked, this, &TRepairForm::RepairButtonClick);
    connect(m_closeButton, &QPushButton::clicked, this, &TRepairForm::CloseButtonClick);

    m_run.onTableStarted = [this](int index, int count, const QString& tableName) {
        QMetaObject::invokeMethod(
            this, [=, this] { tableStarted(index, count, tableName); }, Qt::QueuedConnection);
    };
    m_run.onTableDone = [this](int index, int, const TableResult& result) {
        QMetaObject::invokeMethod(
            this, [=, this] { tableDone(index, result); }, Qt::QueuedConnection);
    };
}

TRepairForm::~TRepairForm()
{
    if (m_thread) {
        m_run.requestStop();
        m_thread->wait();
        delete m_thread;
    }
}

void TRepairForm::startRun(RepairRun::Mode mode)
{
    if (m_thread)
        return;
    if (mode == RepairRun::Mode::Repair) {
        if (const QString refusal = RepairRun::repairRefusal(); !refusal.isEmpty()) {
            m_status->setText(refusal);
            if (DM1)
                DM1->ShowMessageBox(MessageButtons::Ok, QStringLiteral("Warning"),
                                    QStringLiteral("<P ALIGN=\"CENTER\">") + refusal + QStringLiteral("</P>"),
                                    true, {});
            return;
        }
    }
    m_results.clear();
    for (int i = 0; i < m_tableList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tableList->topLevelItem(i);
        item->setText(ResultColumn, QString());
        item->setText(DetailsColumn, QString());
    }
    m_progress->setValue(0);
    setRunning(true);
    m_thread = QThread::create([this, mode] { m_run.run(mode); });
    connect(m_thread, &QThread::finished, this, &TRepairForm::runDone, Qt::QueuedConnection);
    m_thread->start();
}

void TRepairForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_autoStart && !m_started) {
        m_started = true;
        QTimer::singleShot(0, this, [this] { startRun(RepairRun::Mode::Repair); });
    }
}

void TRepairForm::closeEvent(QCloseEvent* event)
{
    if (m_thread) {
        // The pass ends after the table at hand; the window closes then.
        m_closeRequested = true;
        m_run.requestStop();
        m_status->setText(QStringLiteral("Stopping after the table at hand..."));
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TRepairForm::CheckButtonClick() { startRun(RepairRun::Mode::Check); }

void TRepairForm::RepairButtonClick() { startRun(RepairRun::Mode::Repair); }

void TRepairForm::CloseButtonClick() { close(); }

void TRepairForm::tableStarted(int index, int count, const QString& tableName)
{
    m_status->setText(QStringLiteral("Working on %1 (%2 of %3)...").arg(tableName).arg(index + 1).arg(count));
    if (QTreeWidgetItem* item = m_tableList->topLevelItem(index)) {
        item->setText(ResultColumn, QStringLiteral("..."));
        m_tableList->scrollToItem(item);
    }
}

void TRepairForm::tableDone(int index, const TableResult& result)
{
    m_results << result;
    m_progress->setValue(index + 1);
    QTreeWidgetItem* item = m_tableList->topLevelItem(index);
    if (!item)
        return;
    item->setText(ResultColumn, result.resultText());
    item->setForeground(ResultColumn, QBrush(outcomeColour(result.outcome)));
    // Sound tables need no words; the others say what was found and done.
    const QString details = result.outcome == TableResult::Outcome::Sound ? QString() : result.details();
    item->setText(DetailsColumn, details);
    item->setToolTip(DetailsColumn, details);
}

void TRepairForm::runDone()
{
    m_thread->deleteLater();
    m_thread = nullptr;
    setRunning(false);
    const repair::RunSummary summary(m_results);
    m_status->setText(summary.text());
    emit runFinished();
    if (m_closeRequested || (m_closeWhenDone && !summary.damageRemains()))
        close();
}

void TRepairForm::setRunning(bool running)
{
    m_checkButton->setEnabled(!running);
    m_repairButton->setEnabled(!running);
}

} // namespace corvane
