#pragma once

#include "gui/maintenance/LibraryToolWindow.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;

namespace corvane {

// "Remote Script Update": fetches new engine scripts and news from the update
// server and writes every step into its log. Run by the user, or on its own
// two seconds after it appears (automatic), closing itself afterwards.
class TRemoteUpdateForm : public LibraryToolWindow
{
    Q_OBJECT
    Q_PROPERTY(bool automatic READ automatic)
    Q_PROPERTY(bool showResetOptions READ showResetOptions)
    Q_PROPERTY(bool running READ running)

public:
    explicit TRemoteUpdateForm(QWidget* parent = nullptr);

    // The two flags of the call.
    void setRemoteUpdateFlags(bool automatic, bool showResetOptions);
    bool automatic() const { return m_automatic; }
    bool showResetOptions() const { return m_showResetOptions; }
    bool running() const { return m_running; }

    void reject() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void Timer1Timer();
    void RunButtonClick();
    void ResetBoxClick(QCheckBox* box, const QString& text);
    void AddLine(const QString& line);
    void SetBar(double share);
    void ShowHint(const QString& hint);

    bool m_automatic = false;
    bool m_showResetOptions = true;
    bool m_running = false;
    bool m_closePending = false;
    bool m_shown = false;
    QString m_exeFolder;
    QPushButton* m_runButton;
    QPushButton* m_closeButton;
    QCheckBox* m_resetScores;
    QCheckBox* m_resetDelays;
    QCheckBox* m_resetIncrementers;
    QTextEdit* m_log;
    QFrame* m_outerBar;
    QFrame* m_innerBar;
    QLabel* m_info;
};

} // namespace corvane
