#pragma once

#include "core/messages/MessageKinds.h"
#include "gui/widgets/ToolWindow.h"

#include <memory>

namespace corvane {

class TDM1;
class TMessageForm;

// A tool window of the maintenance library. The library keeps nothing
// between calls, so each window brings its own data module (the registry and
// the message switches) and its own message window for its warnings and
// questions. It keeps no placement; F1, "?" and Escape work as in every tool
// window.
class LibraryToolWindow : public ToolWindow
{
    Q_OBJECT

public:
    explicit LibraryToolWindow(int helpContext, QWidget* parent = nullptr);
    ~LibraryToolWindow() override;

    // Where the library publishes its message window while the window shows
    // one of its messages in it; null at every other time.
    void setMessageExport(TMessageForm** exported) { m_messageExport = exported; }

protected:
    // A message in the library's message window, without a switch.
    MessageAnswer ShowMessage(MessageButtons buttons, const QString& title, const QString& text);

private:
    LibraryToolWindow(std::unique_ptr<TDM1> dataModule, int helpContext, QWidget* parent);

    std::unique_ptr<TDM1> m_ownDataModule;
    TMessageForm* m_messageForm = nullptr;
    TMessageForm** m_messageExport = nullptr;
};

} // namespace corvane
