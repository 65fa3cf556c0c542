#include "gui/help/HelpForm.h"

#include "core/help/HelpCatalog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane {

namespace {

QUrl pageUrl(const QString& path)
{
    // ":/help/x.html" is shown as "qrc:/help/x.html" so that links between
    // pages resolve against it.
    return QUrl(QStringLiteral("qrc") + path);
}

QString pathOf(const QUrl& url)
{
    return url.scheme() == QLatin1String("qrc") ? QStringLiteral(":") + url.path() : QString();
}

} // namespace

HelpForm* HelpForm::shared(QWidget* parent)
{
    static QPointer<HelpForm> window;
    QWidget* owner = parent ? parent->window() : nullptr;
    if (!window)
        window = new HelpForm(HelpCatalog::instance(), owner);
    if (window->parentWidget() != owner) {
        window->hide();
        window->setParent(owner, Qt::Window);
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    return window;
}

HelpForm* HelpForm::showTopic(int context, QWidget* parent)
{
    HelpForm* window = shared(parent);
    window->openTopic(context);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

HelpForm* HelpForm::showContents(QWidget* parent)
{
    HelpForm* window = shared(parent);
    window->openContents();
    window->show();
    window->raise();
    window->activateWindow();
    window->m_searchBox->setFocus();
    return window;
}

HelpForm::HelpForm(const HelpCatalog& catalog, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_catalog(catalog)
    , m_searchBox(new QLineEdit(this))
    , m_indexList(new QListWidget(this))
    , m_noteLabel(new QLabel(this))
    , m_page(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Corvane Help"));
    resize(900, 620);

    m_searchBox->setPlaceholderText(QStringLiteral("Search all topics"));
    m_searchBox->setClearButtonEnabled(true);
    auto* contentsLabel = new QLabel(QStringLiteral("&Contents"), this);
    contentsLabel->setBuddy(m_indexList);
    auto* searchLabel = new QLabel(QStringLiteral("&Search:"), this);
    searchLabel->setBuddy(m_searchBox);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(searchLabel);
    leftLayout->addWidget(m_searchBox);
    leftLayout->addWidget(contentsLabel);
    leftLayout->addWidget(m_indexList);

    m_noteLabel->setWordWrap(true);
    m_noteLabel->setStyleSheet(
        QStringLiteral("QLabel { background: #FFF4CE; border: 1px solid #E0C060; padding: 6px; }"));
    m_noteLabel->hide();
    m_page->setOpenLinks(true);
    m_page->setOpenExternalLinks(true);

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_noteLabel);
    rightLayout->addWidget(m_page, 1);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, 650});
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);

    connect(m_searchBox, &QLineEdit::textChanged, this, &HelpForm::SearchBoxChange);
    connect(m_indexList, &QListWidget::currentRowChanged, this, &HelpForm::IndexListCurrentRowChanged);
    connect(m_page, &QTextBrowser::sourceChanged, this, &HelpForm::PageSourceChanged);

    fillIndex({});
    showContentsPage();
}

void HelpForm::openTopic(int context)
{
    const HelpTopic* topic = m_catalog.topic(context);
    if (!topic) {
        openContents();
        m_noteLabel->setText(QStringLiteral("There is no help topic number %1. "
                                            "Choose a topic from the contents or search for a word.")
                                 .arg(context));
        m_noteLabel->show();
        return;
    }
    m_noteLabel->hide();
    m_noteLabel->clear();
    if (!m_searchBox->text().isEmpty())
        m_searchBox->clear();
    showPage(topic->path);
}

void HelpForm::openContents()
{
    m_noteLabel->hide();
    m_noteLabel->clear();
    m_searchBox->clear();
    fillIndex({});
    showContentsPage();
}

void HelpForm::search(const QString& text) { m_searchBox->setText(text); }

void HelpForm::SearchBoxChange(const QString& text)
{
    fillIndex(text);
    m_noteLabel->hide();
    m_noteLabel->clear();
    const QString words = text.trimmed();
    if (words.isEmpty()) {
        if (m_currentPath.isEmpty())
            showContentsPage();
        return;
    }
    if (m_indexList->count() == 0) {
        m_noteLabel->setText(QStringLiteral("No topic contains \"%1\".").arg(words));
        m_noteLabel->show();
    }
    showResultsPage(words);
}

QString HelpForm::currentTitle() const
{
    const HelpTopic* topic = m_catalog.topicAt(m_currentPath);
    return topic ? topic->title : QString();
}

QString HelpForm::note() const { return m_noteLabel->isVisibleTo(this) ? m_noteLabel->text() : QString(); }

QStringList HelpForm::listedTitles() const
{
    QStringList titles;
    for (int i = 0; i < m_indexList->count(); ++i)
        titles << m_indexList->item(i)->text();
    return titles;
}

void HelpForm::fillIndex(const QString& filter)
{
    QList<const HelpTopic*> topics;
    if (filter.trimmed().isEmpty()) {
        for (const HelpTopic& t : m_catalog.topics())
            topics.append(&t);
    } else {
        topics = m_catalog.search(filter);
    }
    const QSignalBlocker blocker(m_indexList);
    m_indexList->clear();
    for (const HelpTopic* t : topics) {
        auto* item = new QListWidgetItem(t->title, m_indexList);
        item->setData(Qt::UserRole, t->path);
        if (t->path == m_currentPath)
            m_indexList->setCurrentItem(item);
    }
}

void HelpForm::showPage(const QString& path)
{
    const QUrl url = pageUrl(path);
    // The browser skips loading its current source again, though the
    // contents page may stand in its place.
    if (m_page->source() == url)
        m_page->reload();
    else
        m_page->setSource(url);
}

void HelpForm::showContentsPage()
{
    m_currentPath.clear();
    QString html = QStringLiteral("<h2>Corvane Help</h2>"
                                  "<p>Choose a topic, or type a word into the search box to list the "
                                  "topics that mention it.</p><ul>");
    for (const HelpTopic& t : m_catalog.topics())
        html += QStringLiteral("<li><a href=\"%1\">%2</a></li>")
                    .arg(pageUrl(t.path).toString(), t.title.toHtmlEscaped());
    html += QStringLiteral("</ul>");
    const QSignalBlocker blocker(m_page);
    m_page->clear();
    m_page->setHtml(html);
    const QSignalBlocker listBlocker(m_indexList);
    m_indexList->setCurrentRow(-1);
}

void HelpForm::showResultsPage(const QString& words)
{
    m_currentPath.clear();
    const QList<const HelpTopic*> hits = m_catalog.search(words);
    QString html =
        QStringLiteral("<h2>Search results</h2><p>%1 containing <b>%2</b>:</p>")
            .arg(hits.size() == 1 ? QStringLiteral("1 topic") : QStringLiteral("%1 topics").arg(hits.size()),
                 words.toHtmlEscaped());
    for (const HelpTopic* t : hits)
        html += QStringLiteral("<p><a href=\"%1\"><b>%2</b></a><br>%3</p>")
                    .arg(pageUrl(t->path).toString(), t->title.toHtmlEscaped(),
                         HelpCatalog::excerpt(*t, words).toHtmlEscaped());
    const QSignalBlocker blocker(m_page);
    m_page->clear();
    m_page->setHtml(html);
}

void HelpForm::IndexListCurrentRowChanged(int row)
{
    if (row < 0)
        return;
    showPage(m_indexList->item(row)->data(Qt::UserRole).toString());
}

void HelpForm::PageSourceChanged(const QUrl& source)
{
    const QString path = pathOf(source);
    if (!m_catalog.topicAt(path))
        return;
    m_currentPath = path;
    const QSignalBlocker blocker(m_indexList);
    for (int i = 0; i < m_indexList->count(); ++i) {
        if (m_indexList->item(i)->data(Qt::UserRole).toString() == path)
            m_indexList->setCurrentRow(i);
    }
    // Point the reader at the first place the searched word appears.
    const QString words = m_searchBox->text().trimmed();
    if (!words.isEmpty())
        m_page->find(words.section(QLatin1Char(' '), 0, 0));
}

} // namespace corvane
