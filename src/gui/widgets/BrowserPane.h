#pragma once

#include <QUrl>
#include <QWidget>

class QPrinter;
class QWebEngineView;

namespace corvane {

// The web browser inside a window (the Full URL view, daily results): a real
// web engine that shows pages from disk and the web, reports what it is doing
// as a status text and the bytes the page took, and prints. Only this file
// knows the engine; windows use the pane.
class BrowserPane : public QWidget
{
    Q_OBJECT

public:
    explicit BrowserPane(QWidget* parent = nullptr);
    ~BrowserPane() override;

    // Shows the address. A typed address without a scheme is a web address
    // ("example.com" opens http://example.com); a path to an existing file
    // opens that file.
    void navigate(const QUrl& address);
    void navigateTo(const QString& typedAddress);
    static QUrl addressFromText(const QString& typedAddress);

    QUrl url() const;
    QString title() const;
    bool isLoading() const { return m_loading; }
    // "Done" once a page is shown, the address of a link under the mouse, or
    // what is being loaded.
    QString statusText() const { return m_statusText; }
    qint64 bytesReceived() const { return m_bytes; }

    // Prints the page on the printer and returns when it is done; false when
    // nothing was printed.
    bool printPage(QPrinter* printer);
    // The page in a print preview, from which the user can print it.
    void printPreview(QWidget* parent);

signals:
    void statusTextChanged(const QString& text);
    void bytesReceivedChanged(qint64 bytes);
    void urlChanged(const QUrl& url);
    void loadFinished(bool ok);

private:
    void setStatusText(const QString& text);
    void PageLoaded(bool ok);

    QWebEngineView* m_view;
    QString m_statusText;
    qint64 m_bytes = 0;
    bool m_loading = false;
};

} // namespace corvane
