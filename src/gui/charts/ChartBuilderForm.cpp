#include "gui/charts/ChartBuilderForm.h"

#include "core/data/DatabaseError.h"
#include "core/data/TableDatabase.h"
#include "gui/widgets/OneLineNames.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace corvane {

namespace {

// Series dimension, then the dimensions of the two fixed values.
struct Order
{
    const char* letters;
    const char* series;
    const char* select1;
    const char* select2;
};
constexpr Order Orders[] = {
    {"UTS", "URLs", "Search term", "Search engine"},
    {"TSU", "Search terms", "Search engine", "URL"},
    {"SUT", "Search engines", "URL", "Search term"},
};

void fill(QComboBox& box, const QStringList& values, const QString& keep)
{
    box.clear();
    box.addItems(values);
    const int found = box.findText(keep, Qt::MatchExactly);
    if (found >= 0)
        box.setCurrentIndex(found);
}

} // namespace

TChartBuilderForm::TChartBuilderForm(const QString& dataFolder, QWidget* parent)
    : QDialog(parent)
    , m_session(std::make_unique<Session>(QStringLiteral("ChartBuilderSession")))
    , m_database(std::make_unique<Database>(QStringLiteral("ChartBuilderDatabase"), m_session.get()))
{
    setObjectName(QStringLiteral("ChartBuilderForm"));
    setWindowTitle(QStringLiteral("Chart Builder"));
    m_database->setDirectory(dataFolder);
    m_database->connect();

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("ChartName"));
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("ChartTitle"));
    m_seriesKind = new QComboBox(this);
    m_seriesKind->setObjectName(QStringLiteral("SeriesKind"));
    for (const Order& o : Orders)
        m_seriesKind->addItem(QLatin1String(o.series));
    m_series = new QListWidget(this);
    OneLineNames::apply(*m_series);
    m_series->setObjectName(QStringLiteral("SeriesValues"));
    m_select1Label = new QLabel(this);
    m_select1 = new QComboBox(this);
    OneLineNames::apply(*m_select1);
    m_select1->setObjectName(QStringLiteral("Select1"));
    m_select2Label = new QLabel(this);
    m_select2 = new QComboBox(this);
    OneLineNames::apply(*m_select2);
    m_select2->setObjectName(QStringLiteral("Select2"));

    m_dateKind = new QButtonGroup(this);
    auto* lastRadio = new QRadioButton(QStringLiteral("The last"), this);
    auto* rangeRadio = new QRadioButton(QStringLiteral("From"), this);
    m_dateKind->addButton(lastRadio, 0);
    m_dateKind->addButton(rangeRadio, 1);
    lastRadio->setChecked(true);
    m_lastDays = new QSpinBox(this);
    m_lastDays->setObjectName(QStringLiteral("LastDays"));
    m_lastDays->setRange(1, 3650);
    m_lastDays->setValue(30);
    m_start = new QDateEdit(QDate::currentDate().addDays(-30), this);
    m_end = new QDateEdit(QDate::currentDate(), this);
    for (QDateEdit* edit : {m_start, m_end}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    auto* last = new QHBoxLayout;
    last->addWidget(lastRadio);
    last->addWidget(m_lastDays);
    last->addWidget(new QLabel(QStringLiteral("days"), this));
    last->addStretch(1);
    auto* range = new QHBoxLayout;
    range->addWidget(rangeRadio);
    range->addWidget(m_start);
    range->addWidget(new QLabel(QStringLiteral("to"), this));
    range->addWidget(m_end);
    range->addStretch(1);

    m_fillDates =
        new QCheckBox(QStringLiteral("Show every day of the range, also days without positions"), this);
    m_fillDates->setChecked(true);
    m_showNoValue = new QCheckBox(QStringLiteral("Leave out series without any position"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Chart name"), m_name);
    form->addRow(QStringLiteral("Title"), m_title);
    form->addRow(QStringLiteral("One line for each of"), m_seriesKind);
    form->addRow(QStringLiteral("Series"), m_series);
    form->addRow(m_select1Label, m_select1);
    form->addRow(m_select2Label, m_select2);
    form->addRow(QStringLiteral("Days"), last);
    form->addRow(QString(), range);
    form->addRow(QString(), m_fillDates);
    form->addRow(QString(), m_showNoValue);

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("Problem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    m_problem->setTextFormat(Qt::PlainText);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TChartBuilderForm::SaveClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    resize(560, 600);

    connect(m_seriesKind, &QComboBox::currentIndexChanged, this, &TChartBuilderForm::SeriesKindChange);
}

TChartBuilderForm::~TChartBuilderForm() = default;

QString TChartBuilderForm::order() const
{
    return QLatin1String(Orders[std::max(0, m_seriesKind->currentIndex())].letters);
}

void TChartBuilderForm::SeriesKindChange()
{
    const Order& o = Orders[std::max(0, m_seriesKind->currentIndex())];
    QStringList checked;
    for (int i = 0; i < m_series->count(); ++i)
        if (m_series->item(i)->checkState() == Qt::Checked)
            checked.append(m_series->item(i)->text());
    m_series->clear();
    for (const QString& value : ChartBuilder::choices(*m_database, m_project, QLatin1Char(o.letters[0]))) {
        auto* item = new QListWidgetItem(value, m_series);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(checked.contains(value) ? Qt::Checked : Qt::Unchecked);
    }
    m_select1Label->setText(QLatin1String(o.select1));
    m_select2Label->setText(QLatin1String(o.select2));
    fill(*m_select1, ChartBuilder::choices(*m_database, m_project, QLatin1Char(o.letters[1])),
         m_select1->currentText());
    fill(*m_select2, ChartBuilder::choices(*m_database, m_project, QLatin1Char(o.letters[2])),
         m_select2->currentText());
}

void TChartBuilderForm::setChart(const QString& project, const QString& chart)
{
    m_project = project;
    m_originalName.clear();
    setWindowTitle(QStringLiteral("Chart Builder - Project ") + project);
    ChartBuilder::Definition d;
    d.project = project;
    if (!chart.isEmpty() && ChartBuilder::load(*m_database, project, chart, d))
        m_originalName = chart;
    setDefinition(d);
}

void TChartBuilderForm::setDefinition(const ChartBuilder::Definition& d)
{
    m_project = d.project;
    m_name->setText(d.name);
    m_title->setText(d.title);
    int kind = 0;
    for (int i = 0; i < 3; ++i)
        if (d.popOrder.toUpper() == QLatin1String(Orders[i].letters))
            kind = i;
    {
        const QSignalBlocker hold(m_seriesKind);
        m_seriesKind->setCurrentIndex(kind);
    }
    m_select1->clear();
    m_select2->clear();
    m_series->clear();
    SeriesKindChange();
    for (const QString& value : d.series) {
        const auto found = m_series->findItems(value, Qt::MatchExactly);
        QListWidgetItem* item = found.isEmpty() ? new QListWidgetItem(value, m_series) : found.first();
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    const auto choose = [](QComboBox& box, const QString& value) {
        if (value.isEmpty())
            return;
        if (box.findText(value, Qt::MatchExactly) < 0)
            box.addItem(value);
        box.setCurrentIndex(box.findText(value, Qt::MatchExactly));
    };
    choose(*m_select1, d.select1);
    choose(*m_select2, d.select2);
    m_dateKind->button(d.lastDays > 0 ? 0 : 1)->setChecked(true);
    if (d.lastDays > 0)
        m_lastDays->setValue(d.lastDays);
    if (d.start.isValid())
        m_start->setDate(d.start);
    if (d.end.isValid())
        m_end->setDate(d.end);
    m_fillDates->setChecked(d.fillDates);
    m_showNoValue->setChecked(d.showNoValue);
}

ChartBuilder::Definition TChartBuilderForm::definition() const
{
    ChartBuilder::Definition d;
    d.project = m_project;
    d.name = m_name->text().trimmed();
    d.title = m_title->text();
    d.popOrder = order();
    for (int i = 0; i < m_series->count(); ++i)
        if (m_series->item(i)->checkState() == Qt::Checked)
            d.series.append(m_series->item(i)->text());
    d.select1 = m_select1->currentText();
    d.select2 = m_select2->currentText();
    d.lastDays = m_dateKind->checkedId() == 0 ? m_lastDays->value() : 0;
    d.start = m_start->date();
    d.end = m_end->date();
    d.fillDates = m_fillDates->isChecked();
    d.showNoValue = m_showNoValue->isChecked();
    return d;
}

QString TChartBuilderForm::problem() const { return m_problem->text(); }

bool TChartBuilderForm::SaveClick()
{
    const ChartBuilder::Definition d = definition();
    QString problem = ChartBuilder::nameProblem(*m_database, m_project, d.name, m_originalName);
    if (problem.isEmpty())
        problem = ChartBuilder::definitionProblem(d);
    if (problem.isEmpty()) {
        try {
            ChartBuilder::save(*m_database, d, m_originalName);
        } catch (const DatabaseError& error) {
            problem = error.message();
        }
    }
    m_problem->setText(problem);
    if (!problem.isEmpty())
        return false;
    accept();
    return true;
}

TAutoBuildChartForm::TAutoBuildChartForm(const QString& dataFolder, QWidget* parent)
    : QDialog(parent)
    , m_dataFolder(dataFolder)
{
    setObjectName(QStringLiteral("AutoBuildChartForm"));
    setWindowTitle(QStringLiteral("Auto Build Charts"));
    m_log = new QPlainTextEdit(this);
    m_log->setReadOnly(true);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_log);
    layout->addWidget(close);
    resize(560, 360);
}

void TAutoBuildChartForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_built)
        QTimer::singleShot(0, this, &TAutoBuildChartForm::Build);
}

void TAutoBuildChartForm::Build()
{
    if (m_built)
        return;
    m_built = true;
    if (m_project.isEmpty()) {
        m_log->appendPlainText(QStringLiteral("No project was named, so no charts were built."));
        return;
    }
    try {
        Session session(QStringLiteral("AutoBuildSession"));
        Database database(QStringLiteral("AutoBuildDatabase"), &session);
        database.setDirectory(m_dataFolder);
        database.connect();
        m_added = ChartBuilder::autoBuild(database, m_project);
    } catch (const DatabaseError& error) {
        m_log->appendPlainText(error.message());
        return;
    }
    if (m_added.isEmpty()) {
        m_log->appendPlainText(
            QStringLiteral("Project \"%1\" has every chart Auto Build makes; none was added.")
                .arg(m_project));
        return;
    }
    m_log->appendPlainText(QStringLiteral("Charts added to project \"%1\":").arg(m_project));
    for (const QString& name : std::as_const(m_added))
        m_log->appendPlainText(QStringLiteral("  ") + name);
    m_log->appendPlainText(QStringLiteral("Select one in the Detail Chart window and click \"Refresh\"."));
}

} // namespace corvane
