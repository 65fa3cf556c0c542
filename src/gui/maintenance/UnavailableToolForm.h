#pragma once

#include <QDialog>

class QLabel;

namespace corvane {

// Stands in for a maintenance tool that this version does not carry yet:
// the tool's own caption, a plain statement that it is not available, and
// Close. It keeps the arguments of the call, as the tool's window will.
class TUnavailableToolForm : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(QString projectName READ projectName)
    Q_PROPERTY(bool automatic READ automatic)
    Q_PROPERTY(bool showResetOptions READ showResetOptions)

public:
    explicit TUnavailableToolForm(const QString& caption, QWidget* parent = nullptr);

    // The project the daily results would open on.
    void setProjectName(const QString& project);
    const QString& projectName() const { return m_projectName; }

    // The two flags of the remote script update.
    void setRemoteUpdateFlags(bool automatic, bool showResetOptions);
    bool automatic() const { return m_automatic; }
    bool showResetOptions() const { return m_showResetOptions; }

private:
    void CloseButtonClick();
    void UpdateText();

    QString m_tool;
    QString m_projectName;
    bool m_automatic = false;
    bool m_showResetOptions = true;
    QLabel* m_text;
};

} // namespace corvane
