#include "gui/query/QBForm.h"

#include "core/data/Dataset.h"
#include "core/data/FieldCodec.h"
#include "core/data/SqlQuote.h"
#include "core/datamodule/DM1.h"
#include "core/query/SavedQueries.h"
#include "gui/query/GridForm.h"
#include "gui/query/QueryRunPanel.h"
#include "gui/widgets/OneLineNames.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <iterator>

namespace corvane {

namespace {

using QueryStatement::ConditionLine;
using QueryStatement::Joiner;

const QString NewQuery = QStringLiteral("(new)");

QLabel* heading(const QString& text)
{
    auto* label = new QLabel(text);
    label->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 11pt;"));
    return label;
}

QLabel* note(const QString& text)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QPushButton* arrow(const QString& text, const QString& hint)
{
    auto* button = new QPushButton(text);
    button->setToolTip(hint);
    button->setFixedWidth(40);
    return button;
}

QComboBox* operatorCombo()
{
    auto* combo = new QComboBox;
    combo->addItems(QueryStatement::operators());
    combo->setFixedWidth(56);
    return combo;
}

QDateEdit* dateEdit()
{
    auto* edit = new QDateEdit;
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}

// Two lists with arrows between them and up/down beside the right one.
QHBoxLayout* twoLists(QListWidget* left, QListWidget* right, QPushButton* add, QPushButton* remove,
                      QPushButton* up, QPushButton* down)
{
    left->setSelectionMode(QAbstractItemView::ExtendedSelection);
    right->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* row = new QHBoxLayout;
    row->addWidget(left, 1);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(add);
    middle->addWidget(remove);
    middle->addStretch();
    row->addLayout(middle);
    row->addWidget(right, 1);
    auto* order = new QVBoxLayout;
    order->addStretch();
    order->addWidget(up);
    order->addWidget(down);
    order->addStretch();
    row->addLayout(order);
    return row;
}

QStringList listItems(const QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

} // namespace

// The steps -------------------------------------------------------------------

TFProject::TFProject(QWidget* parent)
    : QFrame(parent)
    , ProjectCombo(new QComboBox)
    , QueryCombo(new QComboBox)
{
    OneLineNames::apply(*ProjectCombo);
    OneLineNames::apply(*QueryCombo);
    setObjectName(QStringLiteral("TFProject"));
    ProjectCombo->setObjectName(QStringLiteral("ProjectCombo"));
    QueryCombo->setObjectName(QStringLiteral("QueryCombo"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading(QStringLiteral("Select Project")));
    layout->addWidget(ProjectCombo);
    layout->addSpacing(12);
    layout->addWidget(heading(QStringLiteral("Open Query")));
    layout->addWidget(QueryCombo);
    layout->addStretch();
}

TFSelectFields::TFSelectFields(QWidget* parent)
    : QFrame(parent)
    , AvailableList(new QListWidget)
    , ChosenList(new QListWidget)
    , AddButton(arrow(QStringLiteral(">"), QStringLiteral("Click to activate field(s).")))
    , RemoveButton(arrow(QStringLiteral("<"), QStringLiteral("Click to deactivate field(s).")))
    , UpButton(arrow(QStringLiteral("\u25b2"), QStringLiteral("Move fields into the order to be shown.")))
    , DownButton(arrow(QStringLiteral("\u25bc"), QStringLiteral("Move fields into the order to be shown.")))
{
    setObjectName(QStringLiteral("TFSelectFields"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading(QStringLiteral("Select Fields to be added")));
    layout->addLayout(twoLists(AvailableList, ChosenList, AddButton, RemoveButton, UpButton, DownButton), 1);
}

TFConditions::TFConditions(QWidget* parent)
    : QFrame(parent)
    , UrlCombo(new QComboBox)
    , EngineCombo(new QComboBox)
    , TermCombo(new QComboBox)
    , RankSpin(new QSpinBox)
    , PageSpin(new QSpinBox)
    , DateEdit(dateEdit())
    , BetweenFirst(dateEdit())
    , BetweenSecond(dateEdit())
    , DaysSpin(new QSpinBox)
    , ConditionMemo(new QPlainTextEdit)
{
    OneLineNames::apply(*UrlCombo);
    OneLineNames::apply(*EngineCombo);
    OneLineNames::apply(*TermCombo);
    setObjectName(QStringLiteral("TFConditions"));
    for (QComboBox*& combo : Operators)
        combo = operatorCombo();
    for (QComboBox* combo : {UrlCombo, EngineCombo, TermCombo}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    for (QSpinBox* spin : {RankSpin, PageSpin}) {
        spin->setRange(1, 100);
        spin->setFixedWidth(80);
    }
    DaysSpin->setRange(0, 10000);
    DaysSpin->setFixedWidth(80);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    const auto addLine = [&](int row, const QString& caption, QWidget* op, QWidget* value,
                             QWidget* second = nullptr) {
        grid->addWidget(new QLabel(caption), row, 0);
        if (op)
            grid->addWidget(op, row, 1);
        if (second) {
            auto* both = new QHBoxLayout;
            both->addWidget(value);
            both->addWidget(new QLabel(QStringLiteral("and")));
            both->addWidget(second);
            both->addStretch();
            grid->addLayout(both, row, 2);
        } else {
            grid->addWidget(value, row, 2, Qt::AlignLeft);
        }
        QList<QPushButton*> buttons;
        auto* joins = new QHBoxLayout;
        joins->setSpacing(0);
        for (const char* word : {"AND", "OR", "END"}) {
            auto* button = new QPushButton(QLatin1String(word));
            button->setFixedWidth(46);
            joins->addWidget(button);
            buttons << button;
        }
        grid->addLayout(joins, row, 3);
        JoinButtons << buttons;
    };
    for (QComboBox* combo : {UrlCombo, EngineCombo, TermCombo})
        combo->setMinimumWidth(300);
    addLine(0, QStringLiteral("URL"), Operators[0], UrlCombo);
    addLine(1, QStringLiteral("Search Engine"), Operators[1], EngineCombo);
    addLine(2, QStringLiteral("Search Term"), Operators[2], TermCombo);
    addLine(3, QStringLiteral("Rank"), Operators[3], RankSpin);
    addLine(4, QStringLiteral("Page"), Operators[4], PageSpin);
    addLine(5, QStringLiteral("Date"), Operators[5], DateEdit);
    addLine(6, QStringLiteral("Date Between"), nullptr, BetweenFirst, BetweenSecond);
    addLine(7, QStringLiteral("From Current Date"), nullptr, DaysSpin);
    grid->setColumnStretch(2, 1);

    ConditionMemo->setObjectName(QStringLiteral("ConditionMemo"));
    ConditionMemo->setMaximumHeight(90);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading(QStringLiteral("Where")));
    layout->addLayout(grid);
    layout->addWidget(
        note(QStringLiteral("When END is clicked, these conditions will be added to the SQL statement.")));
    layout->addWidget(ConditionMemo);
}

TFOrderBy::TFOrderBy(QWidget* parent)
    : QFrame(parent)
    , AvailableList(new QListWidget)
    , ChosenList(new QListWidget)
    , AddButton(arrow(QStringLiteral(">"), QStringLiteral("Click to activate field(s).")))
    , RemoveButton(arrow(QStringLiteral("<"), QStringLiteral("Click to deactivate field(s).")))
    , UpButton(arrow(QStringLiteral("\u25b2"), QStringLiteral("Move fields into the order to be shown.")))
    , DownButton(arrow(QStringLiteral("\u25bc"), QStringLiteral("Move fields into the order to be shown.")))
    , Ascending(new QRadioButton(QStringLiteral("Ascending")))
    , Descending(new QRadioButton(QStringLiteral("Descending")))
{
    setObjectName(QStringLiteral("TFOrderBy"));
    Ascending->setChecked(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading(QStringLiteral("Order by")));
    layout->addWidget(note(QStringLiteral("Only fields you previously Selected are available.")));
    layout->addLayout(twoLists(AvailableList, ChosenList, AddButton, RemoveButton, UpButton, DownButton), 1);
    auto* direction = new QHBoxLayout;
    direction->addWidget(Ascending);
    direction->addWidget(Descending);
    direction->addStretch();
    layout->addLayout(direction);
}

TFSave::TFSave(QWidget* parent)
    : QFrame(parent)
    , NameEdit(new QLineEdit)
    , SaveButton(new QPushButton(QStringLiteral("Save")))
    , DeleteButton(new QPushButton(QStringLiteral("Delete")))
    , RunningLabel(new QLabel(QStringLiteral("Query Running...Please Wait...")))
{
    setObjectName(QStringLiteral("TFSave"));
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    RunningLabel->setStyleSheet(QStringLiteral("font-weight: bold; color: #1f4e8c;"));
    RunningLabel->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading(QStringLiteral("Save")));
    layout->addWidget(
        note(QStringLiteral("Enter a save name for this query.  Queries are project specific--this "
                            "query can only be opened under this project.")));
    auto* row = new QHBoxLayout;
    row->addWidget(NameEdit, 1);
    row->addWidget(SaveButton);
    row->addWidget(DeleteButton);
    layout->addLayout(row);
    layout->addSpacing(12);
    layout->addWidget(RunningLabel);
    layout->addStretch();
}

// The builder --------------------------------------------------------------------

TQBForm::TQBForm(TDM1& dataModule, TGridForm& grid, QWidget* parent)
    : QDialog(parent)
    , FProject(new TFProject)
    , FSelectFields(new TFSelectFields)
    , FConditions(new TFConditions)
    , FOrderBy(new TFOrderBy)
    , FSave(new TFSave)
    , m_dm(dataModule)
    , m_grid(grid)
    , QBSession(QStringLiteral("QBSession"))
    , QBDatabase(QStringLiteral("QBDatabase"), &QBSession)
    , m_steps(new QStackedWidget)
    , m_backButton(new QPushButton(QStringLiteral("Back")))
    , m_nextButton(new QPushButton(QStringLiteral("Next")))
    , m_sqlMemo(new QPlainTextEdit)
{
    setWindowTitle(QStringLiteral("Query Builder"));
    resize(760, 600);
    QBDatabase.setDirectory(m_dm.Settings.DataFolder);

    for (QFrame* frame :
         std::initializer_list<QFrame*>{FProject, FSelectFields, FConditions, FOrderBy, FSave})
        m_steps->addWidget(frame);
    m_backButton->setToolTip(QStringLiteral("Prior Screen"));
    m_nextButton->setToolTip(QStringLiteral("Next screen."));
    m_nextButton->setObjectName(QStringLiteral("NextButton"));
    m_sqlMemo->setObjectName(QStringLiteral("SQLMemo"));
    m_sqlMemo->setMaximumHeight(110);

    auto* buttons = new QHBoxLayout;
    RunPanel = new QueryRunPanel;
    buttons->addWidget(RunPanel, 1);
    connect(RunPanel, &QueryRunPanel::cancelClicked, &m_grid, &TGridForm::CancelQuery);
    buttons->addStretch();
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_nextButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_steps, 1);
    layout->addLayout(buttons);
    layout->addWidget(note(QStringLiteral(
        "Query string used to create the results.  This string is editable, but do so at you own risk.")));
    layout->addWidget(m_sqlMemo);

    connect(m_backButton, &QPushButton::clicked, this, &TQBForm::BackButtonClick);
    connect(m_nextButton, &QPushButton::clicked, this, &TQBForm::NextButtonClick);
    connect(FProject->ProjectCombo, &QComboBox::currentTextChanged, this, [this](const QString& project) {
        if (!m_filling)
            SelectProject(project);
    });
    connect(FProject->QueryCombo, &QComboBox::currentTextChanged, this, [this](const QString& name) {
        if (!m_filling && name != NewQuery && !name.isEmpty())
            OpenQuery(name);
    });
    connect(FSelectFields->AddButton, &QPushButton::clicked, this,
            [this] { MoveFields(FSelectFields->AvailableList, FSelectFields->ChosenList); });
    connect(FSelectFields->RemoveButton, &QPushButton::clicked, this,
            [this] { MoveFields(FSelectFields->ChosenList, FSelectFields->AvailableList); });
    connect(FSelectFields->UpButton, &QPushButton::clicked, this,
            [this] { MoveWithin(FSelectFields->ChosenList, -1); });
    connect(FSelectFields->DownButton, &QPushButton::clicked, this,
            [this] { MoveWithin(FSelectFields->ChosenList, 1); });
    connect(FOrderBy->AddButton, &QPushButton::clicked, this,
            [this] { MoveFields(FOrderBy->AvailableList, FOrderBy->ChosenList); });
    connect(FOrderBy->RemoveButton, &QPushButton::clicked, this,
            [this] { MoveFields(FOrderBy->ChosenList, FOrderBy->AvailableList); });
    connect(FOrderBy->UpButton, &QPushButton::clicked, this,
            [this] { MoveWithin(FOrderBy->ChosenList, -1); });
    connect(FOrderBy->DownButton, &QPushButton::clicked, this,
            [this] { MoveWithin(FOrderBy->ChosenList, 1); });
    connect(FOrderBy->Ascending, &QRadioButton::toggled, this, &TQBForm::RebuildStatement);
    connect(FConditions->ConditionMemo, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_filling)
            RebuildStatement();
    });
    const ConditionLine lines[] = {ConditionLine::Url,         ConditionLine::SearchEngine,
                                   ConditionLine::SearchTerm,  ConditionLine::Rank,
                                   ConditionLine::Page,        ConditionLine::Date,
                                   ConditionLine::DateBetween, ConditionLine::FromCurrentDate};
    const Joiner joiners[] = {Joiner::And, Joiner::Or, Joiner::End};
    for (int line = 0; line < 8; ++line)
        for (int part = 0; part < 3; ++part)
            connect(FConditions->JoinButtons.at(line).at(part), &QPushButton::clicked, this,
                    [this, l = lines[line], j = joiners[part]] { AddCondition(l, j); });
    connect(FSave->SaveButton, &QPushButton::clicked, this, &TQBForm::SaveButtonClick);
    connect(FSave->DeleteButton, &QPushButton::clicked, this, &TQBForm::DeleteButtonClick);

    try {
        QBDatabase.connect();
        Query projects(&QBDatabase, QStringLiteral("SELECT Name FROM CVProject ORDER BY Name"));
        projects.open();
        m_filling = true;
        for (projects.first(); !projects.eof(); projects.next())
            FProject->ProjectCombo->addItem(projects.asString(QStringLiteral("Name")));
        m_filling = false;
    } catch (const DatabaseError& error) {
        m_filling = false;
        ShowError(error.message());
    }
    const QString current =
        m_grid.currentProject().isEmpty() ? m_dm.Settings.Project : m_grid.currentProject();
    const int index = FProject->ProjectCombo->findText(current);
    m_filling = true;
    FProject->ProjectCombo->setCurrentIndex(index >= 0 ? index : 0);
    m_filling = false;
    SelectProject(FProject->ProjectCombo->currentText());
    showStep(0);
}

TQBForm::~TQBForm() = default;

void TQBForm::ShowError(const QString& text)
{
    m_dm.ShowMessageBox(
        MessageButtons::Ok, QStringLiteral("Error"),
        QStringLiteral("<P align=\"center\">") + text.toHtmlEscaped() + QStringLiteral("</P>"), true, {});
}

int TQBForm::step() const { return m_steps->currentIndex(); }

void TQBForm::showStep(int step)
{
    step = std::clamp(step, 0, m_steps->count() - 1);
    if (step == 3)
        RefreshOrderChoices();
    m_steps->setCurrentIndex(step);
    m_backButton->setEnabled(step > 0);
    m_nextButton->setText(step == m_steps->count() - 1 ? QStringLiteral("Execute") : QStringLiteral("Next"));
}

void TQBForm::BackButtonClick() { showStep(step() - 1); }

void TQBForm::NextButtonClick()
{
    if (step() < m_steps->count() - 1) {
        showStep(step() + 1);
        return;
    }
    if (Execute())
        accept();
}

void TQBForm::SelectProject(const QString& project)
{
    ResetSteps();
    FillProjectValues();
    FillQueryList();
    RebuildStatement();
    (void)project;
}

void TQBForm::ResetSteps()
{
    m_filling = true;
    FSelectFields->AvailableList->clear();
    FSelectFields->AvailableList->addItems(QueryStatement::rankFields());
    FSelectFields->ChosenList->clear();
    FOrderBy->ChosenList->clear();
    FOrderBy->Ascending->setChecked(true);
    FConditions->ConditionMemo->clear();
    FSave->NameEdit->clear();
    m_filling = false;
    RefreshOrderChoices();
}

void TQBForm::FillProjectValues()
{
    const QString project = FProject->ProjectCombo->currentText();
    const QString quotedProject = SqlQuote::quoted(project, QLatin1Char('"'));
    const auto fill = [&](QComboBox* combo, const QString& sql, const QString& field) {
        combo->clear();
        try {
            Query query(&QBDatabase, sql);
            query.open();
            for (query.first(); !query.eof(); query.next())
                combo->addItem(query.asString(field));
        } catch (const DatabaseError& error) {
            ShowError(error.message());
        }
        combo->setCurrentIndex(-1);
    };
    fill(FConditions->UrlCombo,
         QStringLiteral("SELECT Name FROM CVURL WHERE Project = ") + quotedProject
             + QStringLiteral(" ORDER BY Name"),
         QStringLiteral("Name"));
    fill(FConditions->EngineCombo,
         QStringLiteral("SELECT Name FROM CVSE3 WHERE Project = ") + quotedProject
             + QStringLiteral(" ORDER BY Name"),
         QStringLiteral("Name"));
    fill(FConditions->TermCombo,
         QStringLiteral("SELECT Virtual FROM CVST WHERE Project = ") + quotedProject
             + QStringLiteral(" ORDER BY Virtual"),
         QStringLiteral("Virtual"));

    m_lastRun = QDate::currentDate();
    try {
        Table projects(&QBDatabase, QStringLiteral("CVProject"), QStringLiteral("Nameidx"));
        projects.open();
        if (projects.findKey({project})) {
            const QVariant lastRun = projects.value(QStringLiteral("LastRun"));
            if (lastRun.toDateTime().isValid() && lastRun.toDateTime().date().year() > 1900)
                m_lastRun = lastRun.toDateTime().date();
        }
    } catch (const DatabaseError& error) {
        ShowError(error.message());
    }
    for (QDateEdit* edit : {FConditions->DateEdit, FConditions->BetweenFirst, FConditions->BetweenSecond})
        edit->setDate(m_lastRun);
}

void TQBForm::FillQueryList(const QString& select)
{
    m_filling = true;
    FProject->QueryCombo->clear();
    FProject->QueryCombo->addItem(NewQuery);
    try {
        FProject->QueryCombo->addItems(SavedQueries(QBDatabase).names(FProject->ProjectCombo->currentText()));
    } catch (const DatabaseError& error) {
        ShowError(error.message());
    }
    const int index = FProject->QueryCombo->findText(select);
    FProject->QueryCombo->setCurrentIndex(index >= 0 ? index : 0);
    m_filling = false;
}

void TQBForm::MoveFields(QListWidget* from, QListWidget* to)
{
    const QList<QListWidgetItem*> items = from->selectedItems();
    for (QListWidgetItem* item : items)
        to->addItem(from->takeItem(from->row(item)));
    if (from == FSelectFields->ChosenList || to == FSelectFields->ChosenList)
        RefreshOrderChoices();
    RebuildStatement();
}

void TQBForm::MoveWithin(QListWidget* list, int delta)
{
    const int row = list->currentRow();
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= list->count())
        return;
    list->insertItem(target, list->takeItem(row));
    list->setCurrentRow(target);
    RebuildStatement();
}

// The sort fields offered are the chosen fields (all fields when none is chosen).
void TQBForm::RefreshOrderChoices()
{
    QStringList offered = listItems(FSelectFields->ChosenList);
    if (offered.isEmpty())
        offered = QueryStatement::rankFields();
    QStringList chosen = listItems(FOrderBy->ChosenList);
    chosen.removeIf([&offered](const QString& field) { return !offered.contains(field); });
    FOrderBy->ChosenList->clear();
    FOrderBy->ChosenList->addItems(chosen);
    FOrderBy->AvailableList->clear();
    for (const QString& field : offered)
        if (!chosen.contains(field))
            FOrderBy->AvailableList->addItem(field);
}

void TQBForm::AddCondition(ConditionLine line, Joiner joiner)
{
    TFConditions& f = *FConditions;
    QueryStatement::ConditionValue value;
    // The lines in ConditionLine order: URL, Search Engine, Search Term, Rank,
    // Page and Date have an operator list each; the line's controls are reset
    // once its piece is read.
    const int row = int(line);
    if (row < int(std::size(f.Operators))) {
        value.op = f.Operators[row]->currentText();
        f.Operators[row]->setCurrentIndex(0);
    }
    QComboBox* const texts[] = {f.UrlCombo, f.EngineCombo, f.TermCombo};
    QSpinBox* const numbers[] = {f.RankSpin, f.PageSpin};
    switch (line) {
    case ConditionLine::Url:
    case ConditionLine::SearchEngine:
    case ConditionLine::SearchTerm:
        value.text = texts[row]->currentText();
        texts[row]->setCurrentIndex(-1);
        break;
    case ConditionLine::Rank:
    case ConditionLine::Page:
        value.number = numbers[row - int(ConditionLine::Rank)]->value();
        numbers[row - int(ConditionLine::Rank)]->setValue(1);
        break;
    case ConditionLine::Date:
        value.first = f.DateEdit->date();
        f.DateEdit->setDate(m_lastRun);
        break;
    case ConditionLine::DateBetween:
        value.first = f.BetweenFirst->date();
        value.second = f.BetweenSecond->date();
        f.BetweenFirst->setDate(m_lastRun);
        f.BetweenSecond->setDate(m_lastRun);
        break;
    case ConditionLine::FromCurrentDate:
        value.number = f.DaysSpin->value();
        f.DaysSpin->setValue(0);
        break;
    }
    f.ConditionMemo->moveCursor(QTextCursor::End);
    f.ConditionMemo->insertPlainText(QueryStatement::conditionPiece(line, value, joiner)
                                         .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    RebuildStatement();
}

QueryStatement::Choice TQBForm::choice() const
{
    QueryStatement::Choice c;
    c.project = FProject->ProjectCombo->currentText();
    c.fields = listItems(FSelectFields->ChosenList);
    c.conditions = FConditions->ConditionMemo->toPlainText();
    c.orderBy = listItems(FOrderBy->ChosenList);
    c.ascending = FOrderBy->Ascending->isChecked();
    return c;
}

QString TQBForm::statement() const { return m_sqlMemo->toPlainText(); }
void TQBForm::setStatement(const QString& sql) { m_sqlMemo->setPlainText(sql); }

void TQBForm::RebuildStatement()
{
    if (m_filling)
        return;
    m_sqlMemo->setPlainText(QueryStatement::shownSql(choice()));
}

void TQBForm::SaveButtonClick()
{
    const QString name = FSave->NameEdit->text().trimmed();
    if (name.isEmpty()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\">Enter a query name to save.</P>"), true, {});
        return;
    }
    SavedQuery query;
    query.name = name;
    query.choice = choice();
    query.fullSql = statement();
    try {
        SavedQueries(QBDatabase).save(query);
    } catch (const DatabaseError& error) {
        ShowError(error.message());
        return;
    }
    FillQueryList(name);
}

void TQBForm::DeleteButtonClick()
{
    const QString name = FSave->NameEdit->text().trimmed();
    try {
        SavedQueries(QBDatabase).remove(FProject->ProjectCombo->currentText(), name);
    } catch (const DatabaseError& error) {
        ShowError(error.message());
        return;
    }
    FSave->NameEdit->clear();
    FillQueryList();
}

void TQBForm::OpenQuery(const QString& name)
{
    std::optional<SavedQuery> query;
    try {
        query = SavedQueries(QBDatabase).find(FProject->ProjectCombo->currentText(), name);
    } catch (const DatabaseError& error) {
        ShowError(error.message());
        return;
    }
    if (!query)
        return;
    m_filling = true;
    FConditions->ConditionMemo->setPlainText(query->choice.conditions);
    FSelectFields->ChosenList->clear();
    FSelectFields->AvailableList->clear();
    for (const QString& field : QueryStatement::rankFields())
        (query->choice.fields.contains(field) ? FSelectFields->ChosenList : FSelectFields->AvailableList)
            ->addItem(field);
    // Keep the saved order of the chosen fields.
    FSelectFields->ChosenList->clear();
    for (const QString& field : query->choice.fields)
        if (QueryStatement::rankFields().contains(field))
            FSelectFields->ChosenList->addItem(field);
    FOrderBy->ChosenList->clear();
    FOrderBy->ChosenList->addItems(query->choice.orderBy);
    (query->choice.ascending ? FOrderBy->Ascending : FOrderBy->Descending)->setChecked(true);
    FSave->NameEdit->setText(query->name);
    m_filling = false;
    RefreshOrderChoices();
    RebuildStatement();
    Execute();
}

bool TQBForm::Execute()
{
    FSave->RunningLabel->show();
    // Only "Cancel" answers while the statement runs.
    const QList<QWidget*> inputs{m_steps, m_backButton, m_nextButton, m_sqlMemo};
    for (QWidget* input : inputs)
        input->setEnabled(false);
    const bool shown = m_grid.RunQuery(statement(), FProject->ProjectCombo->currentText(), RunPanel);
    for (QWidget* input : inputs)
        input->setEnabled(true);
    FSave->RunningLabel->hide();
    return shown;
}

} // namespace corvane
