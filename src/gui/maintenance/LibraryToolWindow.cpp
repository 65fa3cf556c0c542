#include "gui/maintenance/LibraryToolWindow.h"

#include "core/datamodule/DM1.h"
#include "gui/messages/MessageForm.h"

#include <QScopeGuard>

namespace corvane {

LibraryToolWindow::LibraryToolWindow(int helpContext, QWidget* parent)
    : LibraryToolWindow(std::make_unique<TDM1>(), helpContext, parent)
{
}

LibraryToolWindow::LibraryToolWindow(std::unique_ptr<TDM1> dataModule, int helpContext, QWidget* parent)
    : ToolWindow(*dataModule, nullptr, helpContext, parent)
    , m_ownDataModule(std::move(dataModule))
{
}

LibraryToolWindow::~LibraryToolWindow()
{
    // The message window talks to the data module until it is gone.
    delete m_messageForm;
}

MessageAnswer LibraryToolWindow::ShowMessage(MessageButtons buttons, const QString& title,
                                             const QString& text)
{
    if (!m_messageForm)
        m_messageForm = new TMessageForm(*m_ownDataModule, this);
    if (m_messageExport)
        *m_messageExport = m_messageForm;
    const auto unpublish = qScopeGuard([this] {
        if (m_messageExport)
            *m_messageExport = nullptr;
    });
    return m_ownDataModule->ShowMessageBox(buttons, title, text, true, QString());
}

} // namespace corvane
