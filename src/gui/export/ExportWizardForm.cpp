#include "gui/export/ExportWizardForm.h"

#include "core/datamodule/DM1.h"
#include "core/export/ExportText.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

#include <cstdio>

namespace corvane {

namespace {

const QStringList DateOrders = {QStringLiteral("MDY"), QStringLiteral("DMY"), QStringLiteral("YMD"),
                                QStringLiteral("YDM"), QStringLiteral("MYD"), QStringLiteral("DYM")};

} // namespace

TExportWizardForm::TExportWizardForm(TDM1& dataModule, ExportData exportData, const QString& title,
                                     const QString& fileName, QWidget* parent)
    : QDialog(parent)
    , m_dm(dataModule)
    , m_data(std::move(exportData))
    , m_title(title)
    , m_formatList(new QListWidget)
    , m_fileEdit(new QLineEdit)
    , m_columnList(new QListWidget)
    , m_headerCheck(new QCheckBox(QStringLiteral("Column names in the first row")))
    , m_separatorEdit(new QLineEdit)
    , m_orderCombo(new QComboBox)
    , m_fourDigitCheck(new QCheckBox(QStringLiteral("Four-digit years")))
    , m_leadingZeroCheck(new QCheckBox(QStringLiteral("Leading zeros in day and month")))
{
    setObjectName(QStringLiteral("ExportWizardForm"));
    setWindowTitle(QStringLiteral("Export - ") + title);

    m_formatList->setObjectName(QStringLiteral("FormatList"));
    for (const ExportFormatInfo& info : ExportFile::formats())
        m_formatList->addItem(info.name);
    m_fileEdit->setObjectName(QStringLiteral("FileEdit"));
    m_columnList->setObjectName(QStringLiteral("ColumnList"));
    for (const ExportColumn& column : m_data.columns) {
        auto* item = new QListWidgetItem(column.name, m_columnList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    m_headerCheck->setChecked(true);
    m_separatorEdit->setMaxLength(1);
    m_separatorEdit->setMaximumWidth(40);
    m_orderCombo->addItems(DateOrders);
    setDateSettings(ExportDateSettings{});

    auto* browse = new QPushButton(QStringLiteral("Browse..."));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_fileEdit, 1);
    fileRow->addWidget(browse);

    auto* formatGroup = new QGroupBox(QStringLiteral("1. Format"));
    auto* formatLayout = new QVBoxLayout(formatGroup);
    formatLayout->addWidget(m_formatList);

    auto* targetGroup = new QGroupBox(QStringLiteral("2. File"));
    auto* targetLayout = new QVBoxLayout(targetGroup);
    targetLayout->addLayout(fileRow);
    targetLayout->addWidget(m_headerCheck);

    auto* datesGroup = new QGroupBox(QStringLiteral("3. Dates"));
    auto* datesLayout = new QFormLayout(datesGroup);
    datesLayout->addRow(QStringLiteral("Separator:"), m_separatorEdit);
    datesLayout->addRow(QStringLiteral("Order:"), m_orderCombo);
    datesLayout->addRow(m_fourDigitCheck);
    datesLayout->addRow(m_leadingZeroCheck);

    auto* columnsGroup = new QGroupBox(QStringLiteral("4. Columns"));
    auto* columnsLayout = new QVBoxLayout(columnsGroup);
    columnsLayout->addWidget(m_columnList);

    auto* right = new QVBoxLayout;
    right->addWidget(targetGroup);
    right->addWidget(datesGroup);
    right->addWidget(columnsGroup, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(formatGroup);
    body->addLayout(right, 1);

    auto* buttons = new QDialogButtonBox;
    QPushButton* exportButton = buttons->addButton(QStringLiteral("Export"), QDialogButtonBox::AcceptRole);
    exportButton->setObjectName(QStringLiteral("ExportButton"));
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(exportButton, &QPushButton::clicked, this, &TExportWizardForm::ExportButtonClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("%1 rows to export.").arg(m_data.rows.size())));
    layout->addLayout(body, 1);
    layout->addWidget(buttons);

    m_fileEdit->setText(fileName);
    connect(m_formatList, &QListWidget::currentRowChanged, this, &TExportWizardForm::FormatListChange);
    connect(browse, &QPushButton::clicked, this, &TExportWizardForm::BrowseButtonClick);
    setFormat(ExportFormat::Xlsx);
    resize(640, 460);
}

void TExportWizardForm::setDateSettings(const ExportDateSettings& dates)
{
    m_separatorEdit->setText(dates.separator);
    m_orderCombo->setCurrentIndex(std::max(0, int(DateOrders.indexOf(dates.order))));
    m_fourDigitCheck->setChecked(dates.fourDigitYear);
    m_leadingZeroCheck->setChecked(dates.leadingZeroDay && dates.leadingZeroMonth);
}

ExportDateSettings TExportWizardForm::dateSettings() const
{
    ExportDateSettings dates;
    const QString separator = m_separatorEdit->text();
    dates.separator = separator.isEmpty() ? QLatin1Char('/') : separator.at(0);
    dates.order = m_orderCombo->currentText();
    dates.fourDigitYear = m_fourDigitCheck->isChecked();
    dates.leadingZeroDay = dates.leadingZeroMonth = m_leadingZeroCheck->isChecked();
    return dates;
}

void TExportWizardForm::setFormat(ExportFormat format)
{
    const QList<ExportFormatInfo>& formats = ExportFile::formats();
    for (int i = 0; i < formats.size(); ++i) {
        if (formats.at(i).format == format)
            m_formatList->setCurrentRow(i);
    }
    FormatListChange();
}

ExportFormat TExportWizardForm::format() const
{
    return ExportFile::formats().value(std::max(0, m_formatList->currentRow())).format;
}

void TExportWizardForm::setFileName(const QString& fileName) { m_fileEdit->setText(fileName); }

QString TExportWizardForm::fileName() const { return m_fileEdit->text().trimmed(); }

void TExportWizardForm::FormatListChange()
{
    const bool toFile = format() != ExportFormat::Clipboard;
    m_fileEdit->setEnabled(toFile);
    if (toFile)
        m_fileEdit->setText(ExportFile::withExtension(fileName(), format()));
}

void TExportWizardForm::BrowseButtonClick()
{
    const ExportFormatInfo& info = ExportFile::info(format());
    const QString chosen =
        QFileDialog::getSaveFileName(this, QStringLiteral("Export to"), fileName(), info.name);
    if (!chosen.isEmpty())
        m_fileEdit->setText(ExportFile::withExtension(chosen, format()));
}

ExportData TExportWizardForm::selectedData() const
{
    QList<int> indexes;
    for (int i = 0; i < m_columnList->count(); ++i) {
        if (m_columnList->item(i)->checkState() == Qt::Checked)
            indexes << i;
    }
    return m_data.selectColumns(indexes);
}

ExportOptions TExportWizardForm::options() const
{
    ExportOptions options;
    options.title = m_title;
    options.headerRow = m_headerCheck->isChecked();
    options.dates = dateSettings();
    return options;
}

bool TExportWizardForm::ExportButtonClick()
{
    const ExportData selected = selectedData();
    if (selected.columns.isEmpty()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("Choose at least one column to export."), true, {});
        return false;
    }
    const ExportFormat chosen = format();
    if (chosen == ExportFormat::Clipboard) {
        copyToClipboard(selected, options());
        m_exportedFile.clear();
        accept();
        return true;
    }
    const QString path = ExportFile::withExtension(fileName(), chosen);
    const QString error = chosen == ExportFormat::Pdf ? writePdf(selected, options(), path)
                                                      : ExportFile::write(chosen, selected, options(), path);
    if (!error.isEmpty()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), error.toHtmlEscaped(), true, {});
        return false;
    }
    m_exportedFile = QFileInfo(path).absoluteFilePath();
    accept();
    return true;
}

QString TExportWizardForm::writePdf(const ExportData& data, const ExportOptions& options, const QString& path)
{
    if (path.trimmed().isEmpty())
        return QStringLiteral("No file name was given for the export.");
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return QStringLiteral("The folder %1 does not exist.")
            .arg(QDir::toNativeSeparators(target.absolutePath()));
    const QString partial = path + QStringLiteral(".part");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(partial);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setDocName(options.title);
        QTextDocument document;
        document.setHtml(ExportText::html(data, options));
        document.print(&printer);
    }
    if (!QFileInfo(partial).exists() || QFileInfo(partial).size() == 0) {
        QFile::remove(partial);
        return QStringLiteral("The file %1 cannot be written.").arg(path);
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(partial);
        return QStringLiteral("The file %1 cannot be written.").arg(path);
    }
    return {};
}

void TExportWizardForm::copyToClipboard(const ExportData& data, const ExportOptions& options)
{
    auto* mime = new QMimeData;
    mime->setText(ExportText::tabDelimited(data, options));
    mime->setHtml(ExportText::html(data, options));
    QGuiApplication::clipboard()->setMimeData(mime);
}

} // namespace corvane
