#pragma once

#include <QString>

namespace corvane::DesktopLinks {

// Opens an address or a mail link in the desktop's handler; false when the
// text is no address at all or no handler takes it.
bool openAddress(const QString& address);

} // namespace corvane::DesktopLinks
