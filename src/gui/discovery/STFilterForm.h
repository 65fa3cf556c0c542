#pragma once

#include "gui/widgets/ToolWindow.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane {

// "Search Term Filters": the words keyword discovery leaves out of its
// keyword lists (STFilter.txt in the data folder). Add takes one word, Delete
// Selected removes the selected ones, Set writes the list.
class TSTFilterForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TSTFilterForm(TDM1& dataModule, QWidget* parent = nullptr);

    QListWidget* wordList() const { return m_words; }
    QLineEdit* wordEdit() const { return m_word; }

public slots:
    void AddClick();
    void DeleteSelectedClick();
    // Writes the list; false after a message.
    bool SetClick();

private:
    QListWidget* m_words;
    QLineEdit* m_word;
    QPushButton* m_add;
    QPushButton* m_delete;
    QPushButton* m_set;
};

} // namespace corvane
