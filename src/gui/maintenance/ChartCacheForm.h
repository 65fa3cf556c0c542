#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class QPlainTextEdit;

namespace corvane {

class ChartCacheBuilder;

// "Building Chart Cache": rebuilds the cache of every saved chart of the
// project named by the caller, one chart after the other once the window is
// shown, and writes a line per step into its only control, a text area. It
// offers no commands; the user closes it when the build is over. Closing it
// during a build stops after the chart in hand.
class TChartCacheForm : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(QString projectName READ projectName)
    Q_PROPERTY(bool building READ building)

public:
    explicit TChartCacheForm(QWidget* parent = nullptr);
    ~TChartCacheForm() override;

    // The text argument of the call: the project whose charts are built.
    void setProjectName(const QString& project) { m_projectName = project; }
    const QString& projectName() const { return m_projectName; }

    // True from the first showing until the last chart is done.
    bool building() const { return m_building; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void StartBuild();
    void BuildNextChart();
    void FinishBuild();
    void AddLine(const QString& line);

    QString m_projectName;
    std::unique_ptr<ChartCacheBuilder> m_builder;
    QStringList m_charts;
    int m_next = 0;
    int m_built = 0;
    bool m_shown = false;
    bool m_building = false;
    QPlainTextEdit* m_log;
};

} // namespace corvane
