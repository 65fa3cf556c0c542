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

} // namespace corvane::DesktopLinks
