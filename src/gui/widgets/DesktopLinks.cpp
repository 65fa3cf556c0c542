#include "gui/widgets/DesktopLinks.h"

#include <QDesktopServices>
#include <QUrl>

namespace corvane::DesktopLinks {

bool openAddress(const QString& address)
{
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

bool isWebAddress(const QString& address)
{
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool openWebAddress(const QString& address)
{
    if (!isWebAddress(address))
        return false;
    return QDesktopServices::openUrl(QUrl::fromUserInput(address.trimmed()));
}

} // namespace corvane::DesktopLinks
