#pragma once

#include "gui/widgets/ToolWindow.h"

class QComboBox;
class QLabel;

namespace corvane {

// "Add Item to Search Term List": adds the one term the caller put into
// TermLabel to the chosen project.
class TAddSTForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TAddSTForm(TDM1& dataModule, QWidget* parent = nullptr);

    QComboBox* projectCombo() const { return m_project; }
    // The term to add; the caller sets its text before showing the dialog.
    QLabel* TermLabel;

public slots:
    // Adds the term; true when it was added (the dialog then closes).
    bool OKClick();

private:
    QComboBox* m_project;
};

} // namespace corvane
