#pragma once

#include "gui/widgets/FormPlacement.h"

#include <QDialog>

class QPushButton;

namespace corvane {

class TDM1;

// The base of the program's tool windows: the window keeps its placement in
// FORM.INI under its own section (restored by restorePlacement once the
// window has its default size, saved whenever it closes), F1 and the "?"
// button open its help topic, and Escape closes it.
class ToolWindow : public QDialog
{
    Q_OBJECT

public:
    // formSection: one of FormSections, or nullptr for a window that keeps no
    // placement. helpContext: one of HelpContexts, or 0 for none.
    ToolWindow(TDM1& dataModule, const char* formSection, int helpContext, QWidget* parent = nullptr,
               FormPlacement::Keep keep = FormPlacement::Keep::PositionAndSize);

    int helpContext() const { return m_helpContext; }

    // Opens the window's help topic beside it.
    void showHelp();

    void done(int result) override;

protected:
    // Applies the stored placement, if the section holds one.
    void restorePlacement();
    // A "?" button that opens the window's help topic.
    QPushButton* createHelpButton();

    TDM1& m_dm;

private:
    FormPlacement* m_placement = nullptr;
    int m_helpContext;
};

} // namespace corvane
