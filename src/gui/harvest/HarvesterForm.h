#pragma once

#include "core/settings/Settings.h"

#include <QWidget>

#include <memory>
#include <thread>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QGridLayout;

namespace corvane {

class HarvesterRun;

// Harvester's window: the projects with check boxes, Start and Stop, a
// progress bar per engine being asked and one for the whole run, and the
// live log. The run works on a thread of its own; its reports reach the
// window through queued calls.
class THarvesterForm : public QWidget
{
    Q_OBJECT

public:
    THarvesterForm(const SettingsRecord& settings, const QString& advancedThrottleSchedule,
                   QWidget* parent = nullptr);
    ~THarvesterForm() override;

    // Shows the window, minimised when "Run Minimized" is set.
    void showAtStart();

    bool isRunning() const { return m_thread.joinable(); }

    void StartButtonClick();
    void StopButtonClick();

    // The widgets, for tests.
    QListWidget* projectList() const { return m_projects; }
    QPlainTextEdit* logView() const { return m_log; }
    QProgressBar* overallBar() const { return m_overall; }

signals:
    void runFinished(int exitCode);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillProjects();
    void appendLog(const QString& line);
    void setEngineProgress(int slot, const QString& engine, int percent);
    void finishRun(int exitCode);
    void joinRun();

    SettingsRecord m_settings;
    QString m_advancedSchedule;
    QListWidget* m_projects = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QLabel* m_status = nullptr;
    QGridLayout* m_engineGrid = nullptr;
    QList<QPair<QLabel*, QProgressBar*>> m_engineBars;
    QProgressBar* m_overall = nullptr;
    QPlainTextEdit* m_log = nullptr;
    std::unique_ptr<HarvesterRun> m_run;
    std::thread m_thread;
};

} // namespace corvane
