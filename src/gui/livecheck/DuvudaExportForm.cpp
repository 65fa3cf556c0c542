#include "gui/livecheck/DuvudaExportForm.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane {

TDuvudaExportForm::TDuvudaExportForm(QWidget* parent)
    : QDialog(parent)
    , m_labels(new QRadioButton(QStringLiteral("Export Labels Only")))
    , m_links(new QRadioButton(QStringLiteral("Export Links Only")))
    , m_html(new QRadioButton(QStringLiteral("Export Links and Labels in HTML Format")))
{
    setObjectName(QStringLiteral("DuvudaExportForm"));
    setWindowTitle(QStringLiteral("Duvuda Duvedozo Export"));
    auto* group = new QGroupBox(QStringLiteral("Export"));
    auto* groupLayout = new QVBoxLayout(group);
    for (QRadioButton* button : {m_labels, m_links, m_html})
        groupLayout->addWidget(button);
    m_labels->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

DuvudaExportKind TDuvudaExportForm::kind() const
{
    if (m_links->isChecked())
        return DuvudaExportKind::Links;
    if (m_html->isChecked())
        return DuvudaExportKind::Html;
    return DuvudaExportKind::Labels;
}

void TDuvudaExportForm::setKind(DuvudaExportKind kind)
{
    (kind == DuvudaExportKind::Links      ? m_links
         : kind == DuvudaExportKind::Html ? m_html
                                          : m_labels)
        ->setChecked(true);
}

} // namespace corvane
