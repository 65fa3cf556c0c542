#pragma once

#include "core/maintenance/HintTips.h"
#include "core/platform/Registry.h"

#include <QDialog>

class QCheckBox;
class QTextBrowser;
class QToolButton;
class QPushButton;

namespace corvane {

// The hints window: one usage tip at a time from table Hint, continuing after
// the tip shown last time, with the switch that turns the tips off. The tip
// on screen (or -1 when switched off) is stored as Startup Settings\Hints
// when the window closes, however it is closed.
class THintForm : public QDialog
{
    Q_OBJECT

public:
    explicit THintForm(QWidget* parent = nullptr);

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void FormKeyPress(QChar key);
    void LeftArrowClick();
    void RightArrowClick();
    void ShowTip();
    void ShowProblem(const QString& headline, const QString& detail);

    Registry m_registry;
    HintTips m_tips;
    bool m_closed = false;

    QTextBrowser* m_hintText;
    QCheckBox* m_disableHints;
    QToolButton* m_leftArrow;
    QToolButton* m_rightArrow;
    QPushButton* m_okButton;
};

} // namespace corvane
