#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QTextBrowser;
class QUrl;

namespace corvane {

class HelpCatalog;

// The help window: a contents index with a search box beside the page of
// the chosen topic. One window serves the whole program; every "?" button
// opens it with showTopic() and its context number, "Corvane Contents..."
// with showContents().
class HelpForm : public QWidget
{
    Q_OBJECT

public:
    // Shows the topic of the number in the program's help window, kept above
    // the given window (so it stays usable beside a modal dialog). An unknown
    // number shows the contents with a note saying so.
    static HelpForm* showTopic(int context, QWidget* parent = nullptr);
    // Shows the contents with the search box ready for typing.
    static HelpForm* showContents(QWidget* parent = nullptr);

    explicit HelpForm(const HelpCatalog& catalog, QWidget* parent = nullptr);

    void openTopic(int context);
    void openContents();
    // Types the text into the search box: the contents list and the page
    // then show the topics that hold every word; an empty text lists them all.
    void search(const QString& text);

    // The title of the topic on show; empty on the contents page.
    QString currentTitle() const;
    // The note above the page ("No help topic ..."); empty when none.
    QString note() const;
    QStringList listedTitles() const;

private:
    void fillIndex(const QString& filter);
    void showPage(const QString& path);
    void showContentsPage();
    void showResultsPage(const QString& words);
    void SearchBoxChange(const QString& text);
    void IndexListCurrentRowChanged(int row);
    void PageSourceChanged(const QUrl& source);
    static HelpForm* shared(QWidget* parent);

    const HelpCatalog& m_catalog;
    QLineEdit* m_searchBox;
    QListWidget* m_indexList;
    QLabel* m_noteLabel;
    QTextBrowser* m_page;
    QString m_currentPath;
};

} // namespace corvane
