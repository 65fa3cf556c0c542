#include "gui/harvest/HarvesterForm.h"

#include "core/harvest/HarvesterRun.h"
#include "gui/widgets/OneLineNames.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

namespace corvane {

THarvesterForm::THarvesterForm(const SettingsRecord& settings, const QString& advancedThrottleSchedule,
                               QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_advancedSchedule(advancedThrottleSchedule)
{
    setWindowTitle(QStringLiteral("Harvester"));
    setObjectName(QStringLiteral("HarvesterForm"));
    resize(760, 560);

    auto* projectsBox = new QGroupBox(QStringLiteral("Projects"));
    m_projects = new QListWidget;
    OneLineNames::apply(*m_projects);
    auto* projectsLayout = new QVBoxLayout(projectsBox);
    projectsLayout->addWidget(m_projects);

    m_start = new QPushButton(QStringLiteral("Start"));
    m_stop = new QPushButton(QStringLiteral("Stop"));
    m_stop->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    projectsLayout->addLayout(buttons);

    auto* progressBox = new QGroupBox(QStringLiteral("Progress"));
    auto* progressLayout = new QVBoxLayout(progressBox);
    m_engineGrid = new QGridLayout;
    progressLayout->addLayout(m_engineGrid);
    progressLayout->addStretch();
    auto* overallRow = new QHBoxLayout;
    overallRow->addWidget(new QLabel(QStringLiteral("Overall")));
    m_overall = new QProgressBar;
    m_overall->setRange(0, 100);
    m_overall->setValue(0);
    overallRow->addWidget(m_overall, 1);
    progressLayout->addLayout(overallRow);
    m_status = new QLabel(QStringLiteral("Choose the projects to mine and press Start."));
    m_status->setWordWrap(true);
    progressLayout->addWidget(m_status);

    auto* top = new QHBoxLayout;
    top->addWidget(projectsBox, 1);
    top->addWidget(progressBox, 2);

    auto* logBox = new QGroupBox(QStringLiteral("Log"));
    m_log = new QPlainTextEdit;
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(5000);
    auto* logLayout = new QVBoxLayout(logBox);
    logLayout->addWidget(m_log);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(logBox, 1);

    connect(m_start, &QPushButton::clicked, this, &THarvesterForm::StartButtonClick);
    connect(m_stop, &QPushButton::clicked, this, &THarvesterForm::StopButtonClick);
    fillProjects();
}

THarvesterForm::~THarvesterForm()
{
    if (m_run)
        m_run->requestStop();
    joinRun();
}

void THarvesterForm::showAtStart()
{
    if (m_settings.RunMinimized)
        showMinimized();
    else
        show();
}

void THarvesterForm::fillProjects()
{
    m_projects->clear();
    for (const QString& name : HarvesterRun::projectNames(m_settings)) {
        auto* item = new QListWidgetItem(name, m_projects);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    m_start->setEnabled(m_projects->count() > 0);
    if (m_projects->count() == 0)
        m_status->setText(
            QStringLiteral("There are no projects. Create one with the Project Wizard of Corvane."));
}

void THarvesterForm::appendLog(const QString& line)
{
    m_log->appendPlainText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss  ")) + line);
}

void THarvesterForm::setEngineProgress(int slot, const QString& engine, int percent)
{
    while (m_engineBars.size() <= slot) {
        auto* label = new QLabel;
        label->setMinimumWidth(180);
        auto* bar = new QProgressBar;
        bar->setRange(0, 100);
        const int row = int(m_engineBars.size());
        m_engineGrid->addWidget(label, row, 0);
        m_engineGrid->addWidget(bar, row, 1);
        m_engineBars.append({label, bar});
    }
    m_engineBars.at(slot).first->setText(engine);
    m_engineBars.at(slot).second->setValue(percent);
}

void THarvesterForm::StartButtonClick()
{
    if (isRunning())
        return;
    HarvestRequest request;
    for (int i = 0; i < m_projects->count(); ++i) {
        if (m_projects->item(i)->checkState() == Qt::Checked)
            request.projects << m_projects->item(i)->text();
    }
    if (request.projects.isEmpty()) {
        m_status->setText(QStringLiteral("Check at least one project."));
        return;
    }

    m_start->setEnabled(false);
    m_projects->setEnabled(false);
    m_stop->setEnabled(true);
    m_overall->setValue(0);
    m_status->setText(QStringLiteral("Working..."));

    m_run = std::make_unique<HarvesterRun>(m_settings, m_advancedSchedule);
    HarvesterRun::Observer observer;
    const auto onWindow = [this](auto call) { QMetaObject::invokeMethod(this, call, Qt::QueuedConnection); };
    observer.log = [=, this](const QString& line) { onWindow([=, this] { appendLog(line); }); };
    observer.error = [=, this](const QString& text) {
        onWindow([=, this] {
            appendLog(text);
            m_status->setText(text);
        });
    };
    observer.waiting = [=, this](const QString& text) { onWindow([=, this] { m_status->setText(text); }); };
    observer.sessionStarted = [=, this](const QString& project, int index, int count) {
        onWindow([=, this] {
            m_status->setText(QStringLiteral("Mining %1 (%2 of %3)").arg(project).arg(index + 1).arg(count));
        });
    };
    observer.engineProgress = [=, this](int slot, const QString& engine, int percent) {
        onWindow([=, this] { setEngineProgress(slot, engine, percent); });
    };
    observer.overallProgress = [=, this](int done, int total) {
        onWindow([=, this] { m_overall->setValue(total > 0 ? done * 100 / total : 100); });
    };
    m_run->setObserver(observer);

    HarvesterRun* run = m_run.get();
    m_thread = std::thread([this, run, request] {
        const int exitCode = run->run(request);
        QMetaObject::invokeMethod(
            this, [this, exitCode] { finishRun(exitCode); }, Qt::QueuedConnection);
    });
}

void THarvesterForm::StopButtonClick()
{
    if (!m_run)
        return;
    m_stop->setEnabled(false);
    m_status->setText(QStringLiteral("Stopping..."));
    m_run->requestStop();
}

void THarvesterForm::joinRun()
{
    if (m_thread.joinable())
        m_thread.join();
}

void THarvesterForm::finishRun(int exitCode)
{
    joinRun();
    m_run.reset();
    m_start->setEnabled(true);
    m_projects->setEnabled(true);
    m_stop->setEnabled(false);
    switch (exitCode) {
    case HarvesterRun::Done: m_status->setText(QStringLiteral("Done")); break;
    case HarvesterRun::SessionFailed:
        m_status->setText(QStringLiteral("Done with problems; see the log."));
        break;
    default: break; // the reason is shown already
    }
    emit runFinished(exitCode);
    if (m_settings.AutoCloseHV)
        close();
    else if (m_settings.FinishMinimized)
        showMinimized();
}

void THarvesterForm::closeEvent(QCloseEvent* event)
{
    if (m_run)
        m_run->requestStop();
    joinRun();
    event->accept();
}

} // namespace corvane
