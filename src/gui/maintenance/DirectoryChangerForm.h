#pragma once

#include "gui/maintenance/LibraryToolWindow.h"

class QLineEdit;
class QPushButton;

namespace corvane {

// "Directory Changer": points the folder settings at another root folder.
// Set checks the root's data folder first; only a root that holds the tables
// is written, and the window then closes.
class TDirectoryChangerForm : public LibraryToolWindow
{
    Q_OBJECT

public:
    explicit TDirectoryChangerForm(QWidget* parent = nullptr);

private:
    void BrowseButtonClick();
    void SetButtonClick();

    QLineEdit* m_root;
    QPushButton* m_setButton;
};

} // namespace corvane
