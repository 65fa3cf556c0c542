#include "gui/charts/ChartDesignerForm.h"

#include "core/charts/ChartDesignStore.h"
#include "core/datamodule/DM1.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"
#include "gui/charts/DesignedChartView.h"

#include <QBuffer>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QString ImageFolderValue = QStringLiteral("ImageFolder");

// A small picture of a series type for the type gallery.
QIcon seriesTypeIcon(int seriesType)
{
    QPixmap pixmap(40, 32);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::darkGray, 1));
    p.drawLine(4, 28, 36, 28);
    p.drawLine(4, 28, 4, 3);
    const QColor blue(0x1F, 0x5F, 0xC0);
    switch (seriesType) {
    case ChartDesign::Line:
        p.setPen(QPen(blue, 2.5));
        p.drawPolyline(QPolygonF({QPointF(7, 22), QPointF(15, 10), QPointF(23, 17), QPointF(34, 6)}));
        break;
    case ChartDesign::HorizontalLine:
        p.setPen(QPen(blue, 2.5));
        p.drawPolyline(QPolygonF({QPointF(10, 6), QPointF(28, 12), QPointF(16, 19), QPointF(33, 25)}));
        break;
    case ChartDesign::Bar:
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawRect(8, 14, 6, 14);
        p.drawRect(17, 6, 6, 22);
        p.drawRect(26, 18, 6, 10);
        break;
    default:
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawRect(4, 5, 24, 5);
        p.drawRect(4, 13, 31, 5);
        p.drawRect(4, 21, 14, 5);
        break;
    }
    return QIcon(pixmap);
}

QString centred(const QString& html)
{
    return QStringLiteral("<P align=\"center\">") + html + QStringLiteral("</P>");
}

} // namespace

TChartDesignerForm::TChartDesignerForm(TDM1& dataModule, DesignedChartView& chart, const QString& project,
                                       const QString& file, ChartKind kind, QWidget* parent)
    : QDialog(parent)
    , m_dm(dataModule)
    , m_chart(chart)
    , m_project(project)
    , m_file(file)
    , m_kind(kind)
    , m_session(QStringLiteral("ChartDesignSession"))
    , m_database(QStringLiteral("ChartDesignDatabase"), &m_session)
    , m_design(chart.design())
    , m_originalDesign(chart.design())
    , m_originalData(chart.chartData())
{
    setWindowTitle(QStringLiteral("Chart Designer"));
    buildControls();
    showDesignInControls();
}

TChartDesignerForm::~TChartDesignerForm() { m_database.disconnect(); }

void TChartDesignerForm::buildControls()
{
    auto* intro =
        new QLabel(QStringLiteral("Use Chart Designer to manipulate different basic looks in charts."), this);
    intro->setWordWrap(true);

    // chart type gallery
    auto* typeBox = new QGroupBox(QStringLiteral("Chart Type"), this);
    auto* typeLayout = new QHBoxLayout(typeBox);
    m_typeGroup = new QButtonGroup(this);
    const char* typeNames[] = {"Line", "Horizontal Line", "Bar", "Horizontal Bar"};
    for (int type = ChartDesign::Line; type <= ChartDesign::HorizontalBar; ++type) {
        auto* button = new QToolButton(typeBox);
        button->setCheckable(true);
        button->setIcon(seriesTypeIcon(type));
        button->setIconSize(QSize(40, 32));
        button->setText(QLatin1String(typeNames[type]));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setMinimumWidth(88);
        m_typeGroup->addButton(button, type);
        typeLayout->addWidget(button);
    }
    connect(m_typeGroup, &QButtonGroup::idClicked, this, &TChartDesignerForm::SeriesTypeClick);

    auto* themeBox = new QGroupBox(QStringLiteral("Theme"), this);
    m_themeList = new QListWidget(themeBox);
    m_themeList->addItems(ChartDesign::themeNames());
    (new QVBoxLayout(themeBox))->addWidget(m_themeList);
    connect(m_themeList, &QListWidget::currentRowChanged, this, &TChartDesignerForm::ThemeListChange);

    auto* paletteBox = new QGroupBox(QStringLiteral("Palette"), this);
    m_paletteList = new QListWidget(paletteBox);
    m_paletteList->addItems(ChartDesign::paletteNames());
    (new QVBoxLayout(paletteBox))->addWidget(m_paletteList);
    connect(m_paletteList, &QListWidget::currentRowChanged, this, &TChartDesignerForm::PaletteListChange);

    auto* optionsBox = new QGroupBox(QStringLiteral("Options"), this);
    auto* optionsLayout = new QFormLayout(optionsBox);
    m_pointsPerPage = new QSpinBox(optionsBox);
    m_pointsPerPage->setRange(0, ChartDesign::MaxPointsPerPage);
    m_pointsPerPage->setToolTip(QStringLiteral("0 puts every point on one page."));
    optionsLayout->addRow(QStringLiteral("Points per Page"), m_pointsPerPage);
    m_showMarks = new QCheckBox(QStringLiteral("Show Marks"), optionsBox);
    m_threeD = new QCheckBox(QStringLiteral("3D"), optionsBox);
    m_lock3D = new QCheckBox(QStringLiteral("Lock 3D"), optionsBox);
    m_lock3D->setToolTip(QStringLiteral("Keeps the current 3D setting when another theme is chosen."));
    m_removeBackground = new QCheckBox(QStringLiteral("Remove Background"), optionsBox);
    m_removeBackground->setToolTip(
        QStringLiteral("Removes the background colouring for black-and-white printing."));
    optionsLayout->addRow(m_showMarks);
    auto* threeDRow = new QHBoxLayout;
    threeDRow->addWidget(m_threeD);
    threeDRow->addWidget(m_lock3D);
    threeDRow->addStretch();
    optionsLayout->addRow(threeDRow);
    optionsLayout->addRow(m_removeBackground);
    connect(m_pointsPerPage, &QSpinBox::valueChanged, this, &TChartDesignerForm::PointsPerPageChange);
    connect(m_showMarks, &QCheckBox::toggled, this, &TChartDesignerForm::ShowMarksClick);
    connect(m_threeD, &QCheckBox::toggled, this, &TChartDesignerForm::ThreeDClick);
    connect(m_removeBackground, &QCheckBox::toggled, this, &TChartDesignerForm::RemoveBackgroundClick);

    auto* pictureBox = new QGroupBox(QStringLiteral("Picture"), this);
    auto* pictureLayout = new QGridLayout(pictureBox);
    m_picture = new QLabel(pictureBox);
    m_picture->setFixedSize(72, 54);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setFrameShape(QFrame::StyledPanel);
    auto* imageButton = new QPushButton(QStringLiteral("Image..."), pictureBox);
    auto* clearButton = new QPushButton(QStringLiteral("Clear"), pictureBox);
    m_imageLeft = new QSpinBox(pictureBox);
    m_imageTop = new QSpinBox(pictureBox);
    m_imageLeft->setRange(0, ChartDesign::MaxImagePosition);
    m_imageTop->setRange(0, ChartDesign::MaxImagePosition);
    pictureLayout->addWidget(m_picture, 0, 0, 2, 1);
    pictureLayout->addWidget(imageButton, 0, 1);
    pictureLayout->addWidget(clearButton, 1, 1);
    pictureLayout->addWidget(new QLabel(QStringLiteral("Left"), pictureBox), 0, 2);
    pictureLayout->addWidget(m_imageLeft, 0, 3);
    pictureLayout->addWidget(new QLabel(QStringLiteral("Top"), pictureBox), 1, 2);
    pictureLayout->addWidget(m_imageTop, 1, 3);
    connect(imageButton, &QPushButton::clicked, this, &TChartDesignerForm::ImageClick);
    connect(clearButton, &QPushButton::clicked, this, &TChartDesignerForm::ClearImageClick);
    connect(m_imageLeft, &QSpinBox::valueChanged, this, &TChartDesignerForm::ImageLeftChange);
    connect(m_imageTop, &QSpinBox::valueChanged, this, &TChartDesignerForm::ImageTopChange);

    auto* designThemeBox = new QGroupBox(QStringLiteral("Design Themes"), this);
    auto* designThemeLayout = new QHBoxLayout(designThemeBox);
    m_designThemes = new QComboBox(designThemeBox);
    m_designThemes->setEditable(true);
    m_designThemes->setInsertPolicy(QComboBox::NoInsert);
    m_designThemes->setMinimumWidth(160);
    m_designThemes->setToolTip(
        QStringLiteral("Type a name and click Save to keep the current look as a theme."));
    m_saveTheme = new QPushButton(QStringLiteral("Save"), designThemeBox);
    m_deleteTheme = new QPushButton(QStringLiteral("Delete"), designThemeBox);
    designThemeLayout->addWidget(m_designThemes, 1);
    designThemeLayout->addWidget(m_saveTheme);
    designThemeLayout->addWidget(m_deleteTheme);
    connect(m_designThemes, &QComboBox::textActivated, this, &TChartDesignerForm::DesignThemeChange);
    connect(m_saveTheme, &QPushButton::clicked, this, &TChartDesignerForm::SaveThemeClick);
    connect(m_deleteTheme, &QPushButton::clicked, this, &TChartDesignerForm::DeleteThemeClick);

    auto* transparencyRow = new QHBoxLayout;
    m_transparency = new QSlider(Qt::Horizontal, this);
    m_transparency->setRange(0, 80);
    transparencyRow->addWidget(new QLabel(QStringLiteral("Window Transparency"), this));
    transparencyRow->addWidget(m_transparency, 1);
    connect(m_transparency, &QSlider::valueChanged, this, &TChartDesignerForm::TransparencyChange);

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &TChartDesignerForm::OKClick);
    connect(cancelButton, &QPushButton::clicked, this, &TChartDesignerForm::CancelClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* lists = new QHBoxLayout;
    lists->addWidget(themeBox);
    lists->addWidget(paletteBox);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(typeBox);
    layout->addLayout(lists, 1);
    layout->addWidget(optionsBox);
    layout->addWidget(pictureBox);
    layout->addWidget(designThemeBox);
    layout->addLayout(transparencyRow);
    layout->addLayout(buttons);
    m_themeList->setMinimumHeight(130);
}

void TChartDesignerForm::showDesignInControls()
{
    m_updatingControls = true;
    m_typeGroup->button(m_design.seriesType)->setChecked(true);
    m_themeList->setCurrentRow(int(ChartDesign::themeNames().indexOf(m_design.theme)));
    m_paletteList->setCurrentRow(m_design.palette);
    m_pointsPerPage->setValue(m_design.pointsPerPage);
    m_showMarks->setChecked(m_design.showMarks);
    m_threeD->setChecked(m_design.threeD);
    m_removeBackground->setChecked(m_design.removeBands);
    m_imageLeft->setValue(m_design.imageLeft);
    m_imageTop->setValue(m_design.imageTop);
    QImage picture;
    if (!m_design.image.isEmpty() && picture.loadFromData(m_design.image))
        m_picture->setPixmap(QPixmap::fromImage(
            picture.scaled(m_picture->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    else
        m_picture->setText(QStringLiteral("(none)"));
    m_updatingControls = false;
}

void TChartDesignerForm::changeDesign(const std::function<void(ChartDesign&)>& change)
{
    if (m_updatingControls)
        return;
    change(m_design);
    m_design = m_design.normalized();
    m_chart.setDesign(m_design);
}

void TChartDesignerForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TChartDesignerForm::FormShow()
{
    try {
        m_database.setDirectory(m_dm.Settings.DataFolder);
        m_database.connect();
        if (!m_project.isEmpty() && !m_file.isEmpty()) {
            if (auto stored = ChartDesignStore(m_database).load(m_project, m_file)) {
                m_design = *stored;
                m_chart.setDesign(m_design);
            }
        }
        fillDesignThemes();
    } catch (const DatabaseError& e) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), centred(e.message().toHtmlEscaped()),
                            true, {});
    }
    showDesignInControls();
}

void TChartDesignerForm::fillDesignThemes(const QString& select)
{
    m_designThemes->clear();
    if (m_database.isConnected())
        m_designThemes->addItems(ChartDesignStore(m_database).themeNames());
    m_designThemes->setCurrentIndex(m_designThemes->findText(select));
    if (select.isEmpty())
        m_designThemes->setEditText({});
}

void TChartDesignerForm::SeriesTypeClick(int seriesType)
{
    if (m_updatingControls)
        return;
    const ChartAxisTitles titles = axisTitlesFor(m_kind);
    m_chart.setAxisTitles(titles.category.isEmpty() ? m_chart.chartData().categoryTitle : titles.category,
                          titles.value);
    changeDesign([seriesType](ChartDesign& d) { d.seriesType = seriesType; });
}

void TChartDesignerForm::ThemeListChange(int index)
{
    if (index >= 0)
        changeDesign([index](ChartDesign& d) { d.theme = ChartDesign::themeNames().at(index); });
}

void TChartDesignerForm::PaletteListChange(int index)
{
    if (index >= 0)
        changeDesign([index](ChartDesign& d) { d.palette = index; });
}

void TChartDesignerForm::PointsPerPageChange(int points)
{
    changeDesign([points](ChartDesign& d) { d.pointsPerPage = points; });
}

void TChartDesignerForm::ShowMarksClick(bool on)
{
    changeDesign([on](ChartDesign& d) { d.showMarks = on; });
}

void TChartDesignerForm::ThreeDClick(bool on)
{
    changeDesign([on](ChartDesign& d) { d.threeD = on; });
}

void TChartDesignerForm::RemoveBackgroundClick(bool on)
{
    changeDesign([on](ChartDesign& d) { d.removeBands = on; });
}

void TChartDesignerForm::ImageLeftChange(int left)
{
    changeDesign([left](ChartDesign& d) { d.imageLeft = left; });
}

void TChartDesignerForm::ImageTopChange(int top)
{
    changeDesign([top](ChartDesign& d) { d.imageTop = top; });
}

void TChartDesignerForm::TransparencyChange(int percent) { setWindowOpacity(1.0 - percent / 100.0); }

void TChartDesignerForm::ImageClick()
{
    const QString key = SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations));
    const QString folder = RegistryKey(m_dm.registry(), key).readString(ImageFolderValue);
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Image"), folder,
                                     QStringLiteral("Pictures (*.bmp *.jpg *.jpeg);;All files (*)"));
    if (!path.isEmpty())
        LoadImageFile(path);
}

bool TChartDesignerForm::LoadImageFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("bmp") && suffix != QLatin1String("jpg") && suffix != QLatin1String("jpeg")) {
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("Error"),
            centred(QStringLiteral("<B>File not recognized.</B><BR>Use bmp, jpg or jpeg images.")), true, {});
        return false;
    }
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            centred(QStringLiteral("<B>The picture could not be read.</B><BR>")
                                    + QFileInfo(path).fileName().toHtmlEscaped() + QStringLiteral(": ")
                                    + reader.errorString().toHtmlEscaped()),
                            true, {});
        return false;
    }
    // kept as a bitmap, whatever the file was
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    changeDesign([&bitmap](ChartDesign& d) { d.image = bitmap; });
    showDesignInControls();
    m_dm.WriteSetting(QLatin1String(SettingsKeys::FileLocations), ImageFolderValue,
                      QFileInfo(path).absolutePath() + QLatin1Char('/'));
    return true;
}

void TChartDesignerForm::ClearImageClick()
{
    changeDesign([](ChartDesign& d) { d.image.clear(); });
    showDesignInControls();
}

void TChartDesignerForm::SaveThemeClick()
{
    const QString name = m_designThemes->currentText().trimmed();
    if (name.isEmpty()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            centred(QStringLiteral("Type a name for the theme before saving it.")), true, {});
        return;
    }
    try {
        ChartDesignStore(m_database).saveTheme(name, m_design);
        fillDesignThemes(name);
    } catch (const DatabaseError& e) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), centred(e.message().toHtmlEscaped()),
                            true, {});
    }
}

void TChartDesignerForm::DeleteThemeClick()
{
    const QString name = m_designThemes->currentText().trimmed();
    if (name.isEmpty())
        return;
    try {
        ChartDesignStore(m_database).deleteTheme(name);
        fillDesignThemes();
    } catch (const DatabaseError& e) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), centred(e.message().toHtmlEscaped()),
                            true, {});
    }
}

void TChartDesignerForm::DesignThemeChange(const QString& name)
{
    std::optional<ChartDesign> theme;
    try {
        theme = ChartDesignStore(m_database).loadTheme(name);
    } catch (const DatabaseError& e) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), centred(e.message().toHtmlEscaped()),
                            true, {});
    }
    if (!theme)
        return;
    if (m_lock3D->isChecked())
        theme->threeD = m_design.threeD;
    m_design = *theme;
    m_chart.setDesign(m_design);
    showDesignInControls();
}

void TChartDesignerForm::OKClick()
{
    if (m_project.isEmpty() || m_file.isEmpty()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            centred(QStringLiteral("No Project or Chart is open to save the settings to.")),
                            true, {});
        return;
    }
    try {
        ChartDesignStore(m_database).save(m_project, m_file, m_design);
    } catch (const DatabaseError& e) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), centred(e.message().toHtmlEscaped()),
                            true, {});
        return;
    }
    finish(QDialog::Accepted);
}

void TChartDesignerForm::CancelClick() { finish(QDialog::Rejected); }

void TChartDesignerForm::reject() { CancelClick(); }

void TChartDesignerForm::finish(int result)
{
    if (m_finished)
        return;
    m_finished = true;
    if (result == QDialog::Rejected) {
        m_chart.setChartData(m_originalData);
        m_chart.setDesign(m_originalDesign);
    }
    if (m_kind == ChartKind::Top10 && onTop10Closed)
        onTop10Closed(m_chart.design());
    done(result);
}

} // namespace corvane
