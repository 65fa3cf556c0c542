#include "gui/widgets/BrowserPane.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <unistd.h>

namespace corvane {

namespace {

// The engine shares its OpenGL contexts with the application's, which must be
// asked for before the application object exists. Its helper processes refuse
// to start sandboxed as root (a container or a test run); without a choice
// made by the caller they run unsandboxed there. Both are set while the
// program loads this library.
struct WebEngineStart
{
    WebEngineStart()
    {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    }
};
const WebEngineStart s_webEngineStart;

// The bytes of the page and everything it loaded, as the page's own timing
// entries count them; a page from disk counts its text.
const char* const BytesScript =
    "(function(){var n=0;performance.getEntries().forEach(function(e){n+=(e.encodedBodySize||0);});"
    "return n>0?n:new Blob([document.documentElement.outerHTML]).size;})()";

} // namespace

BrowserPane::BrowserPane(QWidget* parent)
    : QWidget(parent)
    , m_view(new QWebEngineView(this))
{
    m_view->setObjectName(QStringLiteral("BrowserView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    connect(m_view, &QWebEngineView::loadStarted, this, [this] {
        m_loading = true;
        setStatusText(QStringLiteral("Opening page ") + m_view->url().toDisplayString()
                      + QStringLiteral("..."));
    });
    connect(m_view, &QWebEngineView::loadFinished, this, &BrowserPane::PageLoaded);
    connect(m_view, &QWebEngineView::urlChanged, this, &BrowserPane::urlChanged);
    connect(m_view->page(), &QWebEnginePage::linkHovered, this, [this](const QString& link) {
        setStatusText(link.isEmpty() ? (m_loading ? m_statusText : QStringLiteral("Done")) : link);
    });
}

BrowserPane::~BrowserPane() = default;

QUrl BrowserPane::addressFromText(const QString& typedAddress)
{
    const QString text = typedAddress.trimmed();
    if (text.isEmpty())
        return {};
    if (text.startsWith(QLatin1Char('/')) && QFileInfo::exists(text))
        return QUrl::fromLocalFile(text);
    return QUrl::fromUserInput(text);
}

void BrowserPane::navigate(const QUrl& address)
{
    if (!address.isValid())
        return;
    m_bytes = 0;
    emit bytesReceivedChanged(0);
    m_view->setUrl(address);
}

void BrowserPane::navigateTo(const QString& typedAddress) { navigate(addressFromText(typedAddress)); }

QUrl BrowserPane::url() const { return m_view->url(); }
QString BrowserPane::title() const { return m_view->title(); }

void BrowserPane::setStatusText(const QString& text)
{
    if (text == m_statusText)
        return;
    m_statusText = text;
    emit statusTextChanged(text);
}

void BrowserPane::PageLoaded(bool ok)
{
    m_loading = false;
    setStatusText(ok ? QStringLiteral("Done")
                     : QStringLiteral("Cannot open ") + m_view->url().toDisplayString());
    if (!ok) {
        emit loadFinished(false);
        return;
    }
    m_view->page()->runJavaScript(QLatin1String(BytesScript), [this](const QVariant& bytes) {
        m_bytes = bytes.toLongLong();
        emit bytesReceivedChanged(m_bytes);
        emit loadFinished(true);
    });
}

bool BrowserPane::printPage(QPrinter* printer)
{
    QEventLoop loop;
    bool printed = false;
    const auto finished = connect(m_view, &QWebEngineView::printFinished, &loop, [&](bool success) {
        printed = success;
        loop.quit();
    });
    m_view->print(printer);
    loop.exec();
    disconnect(finished);
    return printed;
}

void BrowserPane::printPreview(QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, parent);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { printPage(target); });
    preview.exec();
}

} // namespace corvane
