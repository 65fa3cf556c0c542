#pragma once

#include "core/export/ExportData.h"
#include "core/export/ExportFile.h"
#include "core/export/ExportOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace corvane {

class TDM1;

// The export wizard shared by the windows that export what they show: the
// caller hands over named, typed rows (ExportData), a title and a default
// file name; the user picks a format, the file, the columns and how dates
// are written. Excel is the default format. A failed export shows why and
// keeps the wizard open; a successful one closes it and exportedFile()
// names the file written (empty for the clipboard).
class TExportWizardForm : public QDialog
{
    Q_OBJECT

public:
    TExportWizardForm(TDM1& dataModule, ExportData data, const QString& title, const QString& fileName,
                      QWidget* parent = nullptr);

    void setDateSettings(const ExportDateSettings& dates);
    ExportDateSettings dateSettings() const;

    void setFormat(ExportFormat format);
    ExportFormat format() const;
    void setFileName(const QString& fileName);
    QString fileName() const;

    const QString& exportedFile() const { return m_exportedFile; }

    // Writes a PDF page of the data through the printer (the HTML export laid
    // out as a document). Returns an empty text or why it failed.
    static QString writePdf(const ExportData& data, const ExportOptions& options, const QString& path);
    // Puts the data on the clipboard as tab-delimited text and as an HTML table.
    static void copyToClipboard(const ExportData& data, const ExportOptions& options);

    // The Export button: writes the export; true when it succeeded.
    bool ExportButtonClick();

private:
    void FormatListChange();
    void BrowseButtonClick();
    ExportData selectedData() const;
    ExportOptions options() const;

    TDM1& m_dm;
    ExportData m_data;
    QString m_title;
    QString m_exportedFile;
    QListWidget* m_formatList;
    QLineEdit* m_fileEdit;
    QListWidget* m_columnList;
    QCheckBox* m_headerCheck;
    QLineEdit* m_separatorEdit;
    QComboBox* m_orderCombo;
    QCheckBox* m_fourDigitCheck;
    QCheckBox* m_leadingZeroCheck;
};

} // namespace corvane
