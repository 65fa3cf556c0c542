#!/usr/bin/env bash
# Fails, naming the file and line, when an include runs against the layers:
# platform <- data <- settings <- datamodule <- the rest of core <- gui <- modules, programs.
# core never names QApplication nor includes a Gui or Widgets header.
set -uo pipefail
cd "$(dirname "$0")/../src"
status=0
forbid() { # folder, pattern, what
    local hits
    hits=$(grep -rnE "$2" "$1" 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "$3:"
        echo "$hits"
        status=1
    fi
}
forbid core/platform '#include "(core/(data|settings|datamodule)|gui|modules|programs)/' "platform includes a higher layer"
forbid core/data '#include "(core/(settings|datamodule)|gui|modules|programs)/' "the data layer includes a higher layer"
forbid core/settings '#include "(core/datamodule|gui|modules|programs)/' "settings include a higher layer"
forbid core '#include "(gui|modules|programs)/' "core includes gui, a module or a program"
forbid core 'QApplication|#include <Q(Widget|Dialog|Gui|Pixmap|Image|Painter|Desktop)' "core names Qt Gui or Widgets"
forbid gui '#include "(modules|programs)/' "gui includes a module or a program"
exit $status
