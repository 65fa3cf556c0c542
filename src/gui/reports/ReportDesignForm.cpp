#include "gui/reports/ReportDesignForm.h"

#include "gui/reports/ReportPreview.h"
#include "gui/reports/ReportRenderer.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvane::reports {

namespace {
// The width of CVReports' Caption column.
constexpr int LongestTitle = 128;
} // namespace

TReportDesignForm::TReportDesignForm(const ReportData& reportData, const ReportStyle& storedStyle,
                                     const QString& report, const QString& project, QWidget* parent)
    : QDialog(parent)
    , m_data(reportData)
    , m_stored(storedStyle)
    , m_report(report)
    , m_project(project)
    , m_titleEdit(new QLineEdit(this))
    , m_orientationBox(new QComboBox(this))
    , m_fontSizeBox(new QSpinBox(this))
    , m_columnList(new QListWidget(this))
    , m_previewButton(new QPushButton(QStringLiteral("&Preview..."), this))
{
    setWindowTitle(QStringLiteral("Report Design - %1").arg(defaultReportTitle(report, project)));
    setModal(true);
    resize(440, 460);

    m_titleEdit->setMaxLength(LongestTitle);
    m_titleEdit->setPlaceholderText(defaultReportTitle(report, project));
    m_titleEdit->setText(m_stored.title);
    m_orientationBox->addItems({QStringLiteral("Portrait"), QStringLiteral("Landscape")});
    m_orientationBox->setCurrentIndex(m_stored.landscape ? 1 : 0);
    m_fontSizeBox->setRange(ReportStyle::SmallestFontSize, ReportStyle::LargestFontSize);
    m_fontSizeBox->setSuffix(QStringLiteral(" pt"));
    m_fontSizeBox->setValue(m_stored.fontSize);

    for (const ReportColumn& column : m_data.columns) {
        auto* item = new QListWidgetItem(column.caption, m_columnList);
        item->setData(Qt::UserRole, column.field);
        item->setToolTip(QStringLiteral("Field %1").arg(column.field));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(m_stored.showsColumn(column.field) ? Qt::Checked : Qt::Unchecked);
    }
    if (m_data.columns.isEmpty()) {
        auto* item =
            new QListWidgetItem(QStringLiteral("(The report table holds no columns now.)"), m_columnList);
        item->setFlags(Qt::NoItemFlags);
    }

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Title:"), m_titleEdit);
    form->addRow(QStringLiteral("&Orientation:"), m_orientationBox);
    form->addRow(QStringLiteral("&Font size:"), m_fontSizeBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(m_previewButton, QDialogButtonBox::ActionRole);
    m_previewButton->setEnabled(!m_data.columns.isEmpty());

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Printed &columns:"), this));
    layout->addWidget(m_columnList, 1);
    layout->addWidget(buttons);
    qobject_cast<QLabel*>(layout->itemAt(1)->widget())->setBuddy(m_columnList);

    connect(m_previewButton, &QPushButton::clicked, this, &TReportDesignForm::PreviewButtonClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &TReportDesignForm::OKButtonClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

ReportStyle TReportDesignForm::style() const
{
    ReportStyle style;
    style.title = m_titleEdit->text().trimmed();
    style.landscape = m_orientationBox->currentIndex() == 1;
    style.fontSize = m_fontSizeBox->value();
    // Hidden columns that the report table lacks now stay hidden for later.
    for (const QString& field : m_stored.hiddenColumns) {
        if (m_data.columnIndex(field) < 0)
            style.hiddenColumns << field;
    }
    for (int i = 0; i < m_columnList->count(); ++i) {
        const QListWidgetItem* item = m_columnList->item(i);
        if (item->flags().testFlag(Qt::ItemIsUserCheckable) && item->checkState() == Qt::Unchecked)
            style.hiddenColumns << item->data(Qt::UserRole).toString();
    }
    return style;
}

void TReportDesignForm::PreviewButtonClick()
{
    const ReportStyle current = style();
    const QString title = current.titleFor(m_report, m_project);
    runReportPreview(ReportRenderer(m_data, current, title), title, this);
}

void TReportDesignForm::OKButtonClick()
{
    if (!onSave || onSave(style()))
        accept();
}

} // namespace corvane::reports
