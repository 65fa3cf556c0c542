#pragma once

#include "core/data/TableDatabase.h"
#include "core/query/QueryStatement.h"

#include <QDialog>
#include <QFrame>

class QButtonGroup;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;

namespace corvane {

class TDM1;
class QueryRunPanel;
class TGridForm;

// The builder's five steps.
class TFProject : public QFrame
{
    Q_OBJECT
public:
    explicit TFProject(QWidget* parent = nullptr);
    QComboBox* ProjectCombo;
    QComboBox* QueryCombo;
};

class TFSelectFields : public QFrame
{
    Q_OBJECT
public:
    explicit TFSelectFields(QWidget* parent = nullptr);
    QListWidget* AvailableList;
    QListWidget* ChosenList;
    QPushButton* AddButton;
    QPushButton* RemoveButton;
    QPushButton* UpButton;
    QPushButton* DownButton;
};

class TFConditions : public QFrame
{
    Q_OBJECT
public:
    explicit TFConditions(QWidget* parent = nullptr);
    // The operator lists of URL, Search Engine, Search Term, Rank, Page and Date.
    QComboBox* Operators[6];
    QComboBox* UrlCombo;
    QComboBox* EngineCombo;
    QComboBox* TermCombo;
    QSpinBox* RankSpin;
    QSpinBox* PageSpin;
    QDateEdit* DateEdit;
    QDateEdit* BetweenFirst;
    QDateEdit* BetweenSecond;
    QSpinBox* DaysSpin;
    QPlainTextEdit* ConditionMemo;
    // One AND / OR / END button group per line, in line order.
    QList<QList<QPushButton*>> JoinButtons;
};

class TFOrderBy : public QFrame
{
    Q_OBJECT
public:
    explicit TFOrderBy(QWidget* parent = nullptr);
    QListWidget* AvailableList;
    QListWidget* ChosenList;
    QPushButton* AddButton;
    QPushButton* RemoveButton;
    QPushButton* UpButton;
    QPushButton* DownButton;
    QRadioButton* Ascending;
    QRadioButton* Descending;
};

class TFSave : public QFrame
{
    Q_OBJECT
public:
    explicit TFSave(QWidget* parent = nullptr);
    QLineEdit* NameEdit;
    QPushButton* SaveButton;
    QPushButton* DeleteButton;
    QLabel* RunningLabel;
};

// The "Query Builder": a query over CVRank built step by step, shown in the
// program's SQL dialect in an editable memo, saved per project in CVQueries
// and run in the query window.
class TQBForm : public QDialog
{
    Q_OBJECT

public:
    TQBForm(TDM1& dataModule, TGridForm& grid, QWidget* parent = nullptr);
    ~TQBForm() override;

    int step() const;
    void showStep(int step);
    void BackButtonClick();
    void NextButtonClick();

    void SelectProject(const QString& project);
    // Appends a condition piece of a line (QueryStatement::ConditionLine) and rebuilds.
    void AddCondition(QueryStatement::ConditionLine line, QueryStatement::Joiner joiner);
    void SaveButtonClick();
    void DeleteButtonClick();
    void OpenQuery(const QString& name);
    // Runs the memo's statement in the query window; true when it shows a result.
    bool Execute();

    QueryStatement::Choice choice() const;
    QString statement() const;
    void setStatement(const QString& sql);

    TFProject* FProject;
    TFSelectFields* FSelectFields;
    TFConditions* FConditions;
    TFOrderBy* FOrderBy;
    TFSave* FSave;
    // The running statement's progress, time and "Cancel".
    QueryRunPanel* RunPanel;

private:
    void RebuildStatement();
    void FillProjectValues();
    void FillQueryList(const QString& select = {});
    void ResetSteps();
    void MoveFields(QListWidget* from, QListWidget* to);
    void MoveWithin(QListWidget* list, int delta);
    void RefreshOrderChoices();
    void ShowError(const QString& text);

    TDM1& m_dm;
    TGridForm& m_grid;
    Session QBSession;
    Database QBDatabase;
    QStackedWidget* m_steps;
    QPushButton* m_backButton;
    QPushButton* m_nextButton;
    QPlainTextEdit* m_sqlMemo;
    QDate m_lastRun;
    bool m_filling = false;
};

} // namespace corvane
