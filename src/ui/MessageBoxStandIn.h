#pragma once

namespace corvane {

class TDM1;

// Shows the data module's messages in a standard message box until the
// program's own message window takes over.
void installMessageBoxStandIn(TDM1& dataModule);

} // namespace corvane
