#include "core/demo/DemoProxy.h"

#include "core/demo/DemoSitePages.h"

#include <QString>
#include <QUrl>

#include <httplib.h>

namespace corvane::DemoProxy {

bool answer(const httplib::Request& req, httplib::Response& res, int ownPort)
{
    if (req.target.rfind("http://", 0) != 0)
        return false;
    const QUrl url(QString::fromStdString(req.target));
    const QString host = url.host().toLower();
    const int port = url.port(80);
    if ((host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost")) && port == ownPort) {
        // The server owns the request object and routes on its path after this
        // handler; only the path changes, the query parameters are parsed already.
        QString path = url.path(QUrl::FullyDecoded);
        if (path.isEmpty())
            path = QStringLiteral("/");
        const_cast<httplib::Request&>(req).path = path.toStdString();
        return false;
    }
    if (DemoSitePages::siteOf(host) == 0 || port != 80) {
        res.status = 502;
        res.set_content("<html><body><h1>502 Bad Gateway</h1><p>The demo engine forwards only to its own "
                        "sites.</p></body></html>\n",
                        "text/html; charset=utf-8");
        return true;
    }
    const DemoSitePages::Reply reply = DemoSitePages::page(host, url.path());
    res.status = reply.status;
    res.set_content(reply.body.toStdString(), "text/html; charset=utf-8");
    return true;
}

} // namespace corvane::DemoProxy
