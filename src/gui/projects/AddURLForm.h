#pragma once

#include "gui/widgets/ToolWindow.h"

#include <QStringList>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace corvane {

// "Add Items to URL List": puts URLs found by keyword discovery into a
// project's URL list, each under a name label made from its host. Items the
// project has already are listed apart; nothing is asked.
class TAddURLForm : public ToolWindow
{
    Q_OBJECT

public:
    // urls: the URLs selected in the caller's list, as shown there.
    TAddURLForm(TDM1& dataModule, const QStringList& urls, QWidget* parent = nullptr);

    QComboBox* projectCombo() const { return m_project; }
    QListWidget* itemsToAdd() const { return m_toAdd; }
    QListWidget* existingItems() const { return m_existing; }
    QListWidget* addedItems() const { return m_added; }
    QPushButton* addButton() const { return m_addButton; }

public slots:
    void AddToProjectClick();

protected:
    void done(int result) override;

private:
    void FillItems();
    void UpdateAddButton();

    QStringList m_urls;
    QComboBox* m_project;
    QListWidget* m_toAdd;
    QListWidget* m_existing;
    QListWidget* m_added;
    QPushButton* m_addButton;
};

} // namespace corvane
