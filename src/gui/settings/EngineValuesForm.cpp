#include "gui/settings/EngineValuesForm.h"

#include "core/data/DatabaseError.h"
#include "gui/widgets/OneLineNames.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvane {

TEngineValuesForm::TEngineValuesForm(Kind kind, const QString& dataFolder, QWidget* parent)
    : QDialog(parent)
    , m_kind(kind)
    , m_values(dataFolder)
    , Grid(new QTableWidget(this))
    , Problems(new QLabel(this))
{
    OneLineNames::apply(*Grid);
    const bool stunt = kind == Kind::StuntValues;
    setWindowTitle(stunt ? QStringLiteral("Set Stunt Values") : QStringLiteral("Engine Increment"));
    auto* note = new QLabel(
        stunt ? QStringLiteral("Before each request to an engine Harvester waits between Delay and Delay2 "
                               "milliseconds (both 0: no wait). The throttle multiplies these waits.")
              : QStringLiteral("The incrementer of each engine's result pages."),
        this);
    note->setWordWrap(true);

    const QStringList headers = stunt
        ? QStringList{QStringLiteral("Search Engine"), QStringLiteral("Delay (ms)"),
                      QStringLiteral("Delay2 (ms)")}
        : QStringList{QStringLiteral("Search Engine"), QStringLiteral("Engine Increment")};
    Grid->setColumnCount(int(headers.size()));
    Grid->setHorizontalHeaderLabels(headers);
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    Grid->setSelectionBehavior(QAbstractItemView::SelectItems);

    Problems->setWordWrap(true);
    Problems->setTextFormat(Qt::PlainText);
    Problems->setStyleSheet(QStringLiteral("QLabel { color: #8A1F11; }"));
    Problems->hide();

    try {
        m_rows = m_values.read();
    } catch (const DatabaseError& e) {
        Problems->setText(e.message());
        Problems->show();
    }
    Grid->setRowCount(int(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r) {
        const EngineValues::Row& row = m_rows.at(r);
        auto* name = new QTableWidgetItem(row.name);
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        Grid->setItem(r, 0, name);
        const QList<int> numbers = stunt ? QList<int>{row.delay, row.delay2} : QList<int>{row.engineInc};
        for (int c = 0; c < numbers.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::number(numbers.at(c)));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Grid->setItem(r, c + 1, item);
        }
    }
    for (int c = 1; c < Grid->columnCount(); ++c)
        Grid->resizeColumnToContents(c);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TEngineValuesForm::OkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(Grid, 1);
    layout->addWidget(Problems);
    layout->addWidget(buttons);
    resize(stunt ? 460 : 400, 420);
}

QList<EngineValues::Row> TEngineValuesForm::typedRows(QStringList& problems) const
{
    QList<EngineValues::Row> rows = m_rows;
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 1; c < Grid->columnCount(); ++c) {
            const QString text = Grid->item(r, c)->text().trimmed();
            bool ok = false;
            const int value = text.toInt(&ok);
            if (!ok) {
                problems << QStringLiteral("%1: %2 must be a whole number; \"%3\" is not.")
                                .arg(rows[r].name, Grid->horizontalHeaderItem(c)->text(), text);
                continue;
            }
            if (m_kind == Kind::EngineIncrement)
                rows[r].engineInc = value;
            else if (c == 1)
                rows[r].delay = value;
            else
                rows[r].delay2 = value;
        }
    }
    return rows;
}

void TEngineValuesForm::OkClick()
{
    QStringList problems;
    const QList<EngineValues::Row> rows = typedRows(problems);
    // Every faulty cell at once, those that are no number and those out of range.
    problems += m_kind == Kind::StuntValues ? EngineValues::delayProblems(rows)
                                            : EngineValues::engineIncProblems(rows);
    if (problems.isEmpty()) {
        try {
            problems =
                m_kind == Kind::StuntValues ? m_values.writeDelays(rows) : m_values.writeEngineInc(rows);
        } catch (const DatabaseError& e) {
            problems << e.message();
        }
    }
    if (!problems.isEmpty()) {
        Problems->setText(problems.join(QLatin1Char('\n')));
        Problems->show();
        return;
    }
    accept();
}

} // namespace corvane
