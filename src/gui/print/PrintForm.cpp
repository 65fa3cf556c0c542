#include "gui/print/PrintForm.h"

#include "core/datamodule/DM1.h"
#include "core/print/PrintData.h"
#include "gui/widgets/FormPlacement.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QSaveFile>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <stdexcept>

namespace corvane {

namespace {

QString withSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

// JPEG has no transparency: transparent parts become white, not black.
QImage opaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

QString centred(const QString& text)
{
    return QStringLiteral("<P align=\"center\">") + text + QStringLiteral("</P>");
}

} // namespace

TPrintForm::TPrintForm(TDM1& dataModule, int kind, QWidget* parent)
    : QDialog(parent)
    , m_dm(dataModule)
    , m_kind(kind)
    , m_workingFolder(withSlash(dataModule.Settings.ExeFolder.isEmpty() ? QDir::currentPath()
                                                                        : dataModule.Settings.ExeFolder))
    , m_previousFolder(QDir::currentPath())
    , m_browser(new QTextBrowser)
    , m_saveButton(new QPushButton(QStringLiteral("Save HTML...")))
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral("Print"));
    setSizeGripEnabled(true);
    QDir::setCurrent(m_workingFolder);

    m_browser->setOpenLinks(false);
    // Break lines between words only, as a web browser does: a narrow date
    // column widens to its longest word instead of splitting it.
    m_browser->setWordWrapMode(QTextOption::WordWrap);
    auto* print = new QPushButton(QStringLiteral("Print"));
    auto* pageSetup = new QPushButton(QStringLiteral("Page Setup..."));
    auto* preview = new QPushButton(QStringLiteral("Print Preview..."));
    auto* close = new QPushButton(QStringLiteral("Close"));
    m_saveButton->setEnabled(false);
    connect(print, &QPushButton::clicked, this, &TPrintForm::PrintButtonClick);
    connect(pageSetup, &QPushButton::clicked, this, &TPrintForm::PageSetupButtonClick);
    connect(preview, &QPushButton::clicked, this, &TPrintForm::PreviewButtonClick);
    connect(m_saveButton, &QPushButton::clicked, this, &TPrintForm::SaveButtonClick);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addWidget(pageSetup);
    buttons->addWidget(preview);
    buttons->addWidget(m_saveButton);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addLayout(buttons);

    resize(820, 640);
    m_placement = new FormPlacement(this, QLatin1String(FormSections::PrintForm),
                                    m_workingFolder + QStringLiteral("FORM.INI"));
    m_placement->restore();
}

TPrintForm::~TPrintForm() { restoreFolder(); }

void TPrintForm::done(int result)
{
    m_placement->save();
    restoreFolder();
    QDialog::done(result);
}

void TPrintForm::restoreFolder()
{
    if (!m_folderRestored) {
        m_folderRestored = true;
        QDir::setCurrent(m_previousFolder);
    }
}

// ------------------------------------------------------------------ input

void TPrintForm::requireKind(int kind, const char* entry) const
{
    if (kind != m_kind) {
        throw std::logic_error(std::string("TPrintForm::") + entry + " needs print kind "
                               + std::to_string(kind) + ", the window has kind " + std::to_string(m_kind));
    }
}

void TPrintForm::ShowDetailChart(const QString& project, const QStringList& titleLines, Dataset& working,
                                 const QImage& chart)
{
    ShowDetailChart(project, PrintData::detailChart(working, titleLines), chart);
}

void TPrintForm::ShowQueryResult(const QString& project, Dataset& grid)
{
    ShowQueryResult(PrintData::queryResult(grid, project));
}

void TPrintForm::ShowEngineList(const QString& project, Dataset& engines)
{
    ShowEngineList(PrintData::engineList(engines, project));
}

void TPrintForm::ShowUrlList(const QString& seed, Dataset& mix)
{
    ShowUrlList(PrintData::urlList(mix, seed));
}

void TPrintForm::ShowPageDetail(const QString& seed, Dataset& mix)
{
    ShowPageDetail(PrintData::pageDetail(mix, seed));
}

void TPrintForm::ShowMergedPhrases(const QString& seed, Dataset& phrases)
{
    ShowMergedPhrases(PrintData::mergedPhrases(phrases, seed));
}

void TPrintForm::ShowGainsAndLosses(const QString& project, const QStringList& titleLines, Dataset& hilo,
                                    const QImage& chart)
{
    ShowGainsAndLosses(project, PrintData::gainsAndLosses(hilo, titleLines), chart);
}

void TPrintForm::ShowScores(const QString& project, const QStringList& titleLines, Dataset& scores,
                            const QImage& chart)
{
    ShowScores(project, PrintData::scores(scores, titleLines), chart);
}

void TPrintForm::ShowDetailChart(const QString& project, PrintPages::DetailChartPage page,
                                 const QImage& chart)
{
    requireKind(PrintPages::DetailChart, "ShowDetailChart");
    prepareChart(chart);
    page.logo = prepareLogo(project);
    showPage([page](const QString& logoFolder) mutable {
        page.logo.folder = logoFolder;
        return PrintPages::detailChart(page);
    });
}

void TPrintForm::ShowQueryResult(const PrintPages::QueryResultPage& page)
{
    requireKind(PrintPages::QueryResult, "ShowQueryResult");
    showPage([page](const QString&) { return PrintPages::queryResult(page); });
}

void TPrintForm::ShowEngineList(PrintPages::EngineListPage page)
{
    requireKind(PrintPages::EngineList, "ShowEngineList");
    page.logo = prepareLogo(page.project);
    showPage([page](const QString& logoFolder) mutable {
        page.logo.folder = logoFolder;
        return PrintPages::engineList(page);
    });
}

void TPrintForm::ShowUrlList(const PrintPages::UrlListPage& page)
{
    requireKind(PrintPages::UrlList, "ShowUrlList");
    showPage([page](const QString&) { return PrintPages::urlList(page); });
}

void TPrintForm::ShowPageDetail(const PrintPages::PageDetailPage& page)
{
    requireKind(PrintPages::PageDetail, "ShowPageDetail");
    showPage([page](const QString&) { return PrintPages::pageDetail(page); });
}

void TPrintForm::ShowMergedPhrases(const PrintPages::MergedPhrasesPage& page)
{
    requireKind(PrintPages::MergedPhrases, "ShowMergedPhrases");
    showPage([page](const QString&) { return PrintPages::mergedPhrases(page); });
}

void TPrintForm::ShowGainsAndLosses(const QString& project, PrintPages::GainsAndLossesPage page,
                                    const QImage& chart)
{
    requireKind(PrintPages::GainsAndLosses, "ShowGainsAndLosses");
    prepareChart(chart);
    page.logo = prepareLogo(project);
    showPage([page](const QString& logoFolder) mutable {
        page.logo.folder = logoFolder;
        return PrintPages::gainsAndLosses(page);
    });
}

void TPrintForm::ShowScores(const QString& project, PrintPages::ScoresPage page, const QImage& chart)
{
    requireKind(PrintPages::Scores, "ShowScores");
    prepareChart(chart);
    page.logo = prepareLogo(project);
    showPage([page](const QString& logoFolder) mutable {
        page.logo.folder = logoFolder;
        return PrintPages::scores(page);
    });
}

// ------------------------------------------------------------------ page files

PrintPages::Logo TPrintForm::prepareLogo(const QString& project)
{
    PrintPages::Logo logo = PrintData::reportLogo(m_dm.General, project, m_kind);
    m_hasLogo = false;
    if (!logo.show)
        return logo;
    const QImage picture(m_workingFolder + QLatin1String(PrintPages::LogoSource));
    const QString target = m_workingFolder + QLatin1String(PrintPages::LogoImage);
    // Without a readable logo the page goes without it rather than showing a broken picture.
    if (picture.isNull() || !opaque(picture).save(target, "JPG")) {
        logo.show = false;
        return logo;
    }
    m_hasLogo = true;
    return logo;
}

void TPrintForm::prepareChart(const QImage& chart)
{
    const QString target = m_workingFolder + PrintPages::chartImageName(m_kind);
    m_hasChart = !chart.isNull() && opaque(chart).save(target, "JPG");
    if (!m_hasChart) {
        // Never show the chart of an earlier report.
        QFile::remove(target);
        if (!chart.isNull())
            reportError(centred(QStringLiteral("The chart picture could not be written to ")
                                + target.toHtmlEscaped()));
    }
}

void TPrintForm::showPage(PageBuilder builder)
{
    const QString path = m_workingFolder + PrintPages::pageFileName(m_kind);
    if (!writeText(path, builder(m_workingFolder)))
        return;
    m_builder = std::move(builder);
    m_pagePath = path;
    m_saveButton->setEnabled(true);
    m_browser->clearHistory();
    m_browser->setSource(QUrl::fromLocalFile(path));
    m_browser->reload();
}

bool TPrintForm::writeText(const QString& path, const QString& text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text.toUtf8()) < 0
        || !file.commit()) {
        reportError(centred(QStringLiteral("The page could not be written to ") + path.toHtmlEscaped()
                            + QStringLiteral("<BR>") + file.errorString().toHtmlEscaped()));
        return false;
    }
    return true;
}

bool TPrintForm::copyBeside(const QString& fileName, const QString& targetFolder)
{
    const QString source = m_workingFolder + fileName;
    const QString target = targetFolder + fileName;
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return true;
    const QString temporary = target + QStringLiteral(".part");
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary) || (QFile::exists(target) && !QFile::remove(target))
        || !QFile::rename(temporary, target)) {
        QFile::remove(temporary);
        reportError(centred(QStringLiteral("The picture ") + source.toHtmlEscaped()
                            + QStringLiteral(" could not be copied to ") + target.toHtmlEscaped()));
        return false;
    }
    return true;
}

bool TPrintForm::SaveHtml(const QString& targetPath)
{
    if (!m_builder)
        return false;
    const QString targetFolder = withSlash(QFileInfo(targetPath).absolutePath());
    // The saved page refers to its pictures by their bare names, so they travel with it.
    if (m_hasChart && !copyBeside(PrintPages::chartImageName(m_kind), targetFolder))
        return false;
    if (m_hasLogo && !copyBeside(QLatin1String(PrintPages::LogoImage), targetFolder))
        return false;
    return writeText(targetPath, m_builder(QString()));
}

void TPrintForm::reportError(const QString& text)
{
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), text, true, {});
}

// ------------------------------------------------------------------ buttons

void TPrintForm::PrintDocument(QPrinter* printer) { m_browser->document()->print(printer); }

void TPrintForm::PrintButtonClick()
{
    QPrintDialog dialog(&m_printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintDocument(&m_printer);
}

void TPrintForm::PageSetupButtonClick()
{
    QPageSetupDialog dialog(&m_printer, this);
    dialog.exec();
}

void TPrintForm::PreviewButtonClick()
{
    QPrintPreviewDialog dialog(&m_printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &TPrintForm::PrintDocument);
    dialog.exec();
}

void TPrintForm::SaveButtonClick()
{
    QFileDialog dialog(this, QStringLiteral("Save to HTML"), m_workingFolder,
                       QStringLiteral("HTML Docs (*.html)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("html"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        SaveHtml(dialog.selectedFiles().constFirst());
}

} // namespace corvane
