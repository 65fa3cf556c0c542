#include "gui/widgets/ToolWindow.h"

#include "core/datamodule/DM1.h"
#include "gui/help/HelpForm.h"

#include <QAction>
#include <QPushButton>

namespace corvane {

ToolWindow::ToolWindow(TDM1& dataModule, const char* formSection, int helpContext, QWidget* parent,
                       FormPlacement::Keep keep)
    : QDialog(parent)
    , m_dm(dataModule)
    , m_helpContext(helpContext)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (formSection)
        m_placement = new FormPlacement(this, QLatin1String(formSection),
                                        m_dm.Settings.ExeFolder + QStringLiteral("FORM.INI"), keep);
    if (m_helpContext != 0) {
        auto* help = new QAction(this);
        help->setShortcut(QKeySequence::HelpContents);
        help->setShortcutContext(Qt::WindowShortcut);
        connect(help, &QAction::triggered, this, &ToolWindow::showHelp);
        addAction(help);
    }
}

void ToolWindow::showHelp()
{
    if (m_helpContext != 0)
        HelpForm::showTopic(m_helpContext, this);
}

void ToolWindow::done(int result)
{
    // A dialog that ends through done() hides without a close event.
    if (m_placement && isVisible())
        m_placement->save();
    QDialog::done(result);
}

void ToolWindow::restorePlacement()
{
    if (m_placement)
        m_placement->restore();
}

QPushButton* ToolWindow::createHelpButton()
{
    auto* button = new QPushButton(QStringLiteral("?"), this);
    button->setObjectName(QStringLiteral("HelpButton"));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, &ToolWindow::showHelp);
    return button;
}

} // namespace corvane
