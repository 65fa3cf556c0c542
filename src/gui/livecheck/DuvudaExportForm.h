#pragma once

#include "core/livecheck/DuvudaExport.h"

#include <QDialog>

class QRadioButton;

namespace corvane {

// "Duvuda Duvedozo Export": asks how the links of the grid are exported.
class TDuvudaExportForm : public QDialog
{
    Q_OBJECT

public:
    explicit TDuvudaExportForm(QWidget* parent = nullptr);

    DuvudaExportKind kind() const;
    void setKind(DuvudaExportKind kind);

private:
    QRadioButton* m_labels;
    QRadioButton* m_links;
    QRadioButton* m_html;
};

} // namespace corvane
