#pragma once

#include <QString>

namespace corvane::DesktopLinks {

// Opens an address or a mail link in the desktop's handler; false when the
// text is no address at all or no handler takes it.
bool openAddress(const QString& address);

// An http or https address with a host ("example.com" counts as http); file,
// javascript, mail and every other scheme do not.
bool isWebAddress(const QString& address);

// Opens a web address taken from data (engine scripts, result files, pages):
// only what isWebAddress accepts is handed to the desktop; false otherwise.
bool openWebAddress(const QString& address);

} // namespace corvane::DesktopLinks
