#pragma once

#include "core/repair/RepairRun.h"

#include <QList>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class QTreeWidget;

namespace corvane {

// The window of CVRepair: the data folder, one row per table with its result,
// a progress bar, and Check, Repair and Close. A pass runs on a worker
// thread; the window stays responsive and Close waits for the table at hand.
class TRepairForm : public QWidget
{
    Q_OBJECT

public:
    // autoStart: check and repair at once; closeWhenDone: close after a pass
    // that leaves no damage.
    TRepairForm(const QString& dataFolder, bool autoStart, bool closeWhenDone, QWidget* parent = nullptr);
    ~TRepairForm() override;

    void startRun(repair::RepairRun::Mode mode);
    bool isRunning() const { return m_thread != nullptr; }
    const QList<repair::TableResult>& results() const { return m_results; }

signals:
    void runFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CheckButtonClick();
    void RepairButtonClick();
    void CloseButtonClick();

    void tableStarted(int index, int count, const QString& tableName);
    void tableDone(int index, const repair::TableResult& result);
    void runDone();
    void setRunning(bool running);

    QLabel* m_folderLabel;
    QTreeWidget* m_tableList;
    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_checkButton;
    QPushButton* m_repairButton;
    QPushButton* m_closeButton;

    repair::RepairRun m_run;
    QThread* m_thread = nullptr;
    QList<repair::TableResult> m_results;
    bool m_autoStart;
    bool m_closeWhenDone;
    bool m_started = false;
    bool m_closeRequested = false;
};

} // namespace corvane
