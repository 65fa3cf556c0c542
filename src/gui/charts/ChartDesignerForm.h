#pragma once

#include "core/charts/ChartData.h"
#include "core/charts/ChartDesign.h"
#include "core/data/TableDatabase.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;

namespace corvane {

class DesignedChartView;
class TDM1;

// The Chart Designer: edits the look of one chart, which changes at once
// with every control. OK stores the look as the chart's design row of the
// project, Cancel puts the chart back as it was; named design themes are
// kept in CVReportThemes. The window has its own connection
// ("ChartDesignDatabase") on the data folder.
class TChartDesignerForm : public QDialog
{
    Q_OBJECT

public:
    // project and file name the chart's design row (File: the chart's name,
    // "GandLFile", "ScoresForm" or "Top10"); either may be empty when no
    // project or chart is open.
    TChartDesignerForm(TDM1& dataModule, DesignedChartView& chart, const QString& project,
                       const QString& file, ChartKind kind, QWidget* parent = nullptr);
    ~TChartDesignerForm() override;

    // Called when the designer of the "Top10" chart closes, with the look the
    // chart then has; the dashboard applies it to all ten charts.
    std::function<void(const ChartDesign&)> onTop10Closed;

    const ChartDesign& design() const { return m_design; }

    // The control handlers, reachable for scripted use.
    void FormShow();
    void SeriesTypeClick(int seriesType);
    void ThemeListChange(int index);
    void PaletteListChange(int index);
    void PointsPerPageChange(int points);
    void ShowMarksClick(bool on);
    void ThreeDClick(bool on);
    void RemoveBackgroundClick(bool on);
    void ImageLeftChange(int left);
    void ImageTopChange(int top);
    void TransparencyChange(int percent);
    void ImageClick();
    void ClearImageClick();
    // Takes the picture of a .bmp, .jpg or .jpeg file as a bitmap and
    // remembers its folder as ImageFolder; any other file is refused with a
    // message and the picture stays. True when taken.
    bool LoadImageFile(const QString& path);
    void SaveThemeClick();
    void DeleteThemeClick();
    void DesignThemeChange(const QString& name);
    void OKClick();
    void CancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    // Escape and the window's close button cancel.
    void reject() override;

private:
    void buildControls();
    void showDesignInControls();
    void changeDesign(const std::function<void(ChartDesign&)>& change);
    void fillDesignThemes(const QString& select = {});
    void finish(int result);

    TDM1& m_dm;
    DesignedChartView& m_chart;
    QString m_project;
    QString m_file;
    ChartKind m_kind;
    Session m_session;
    Database m_database;
    ChartDesign m_design;
    ChartDesign m_originalDesign;
    ChartData m_originalData;
    bool m_shown = false;
    bool m_updatingControls = false;
    bool m_finished = false;

    QListWidget* m_themeList;
    QListWidget* m_paletteList;
    QButtonGroup* m_typeGroup;
    QSpinBox* m_pointsPerPage;
    QCheckBox* m_showMarks;
    QCheckBox* m_threeD;
    QCheckBox* m_lock3D;
    QCheckBox* m_removeBackground;
    QLabel* m_picture;
    QSpinBox* m_imageLeft;
    QSpinBox* m_imageTop;
    QSlider* m_transparency;
    QComboBox* m_designThemes;
    QPushButton* m_saveTheme;
    QPushButton* m_deleteTheme;
};

} // namespace corvane
