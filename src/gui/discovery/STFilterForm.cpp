#include "gui/discovery/STFilterForm.h"

#include "core/datamodule/DM1.h"
#include "core/discovery/MixSettings.h"
#include "core/help/HelpContexts.h"
#include "gui/widgets/FormPlacement.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

namespace {
QString centred(const QString& html) { return QStringLiteral("<P align=\"center\">%1</P>").arg(html); }
} // namespace

TSTFilterForm::TSTFilterForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::KWFilters, HelpContexts::RurederOrad, parent)
{
    setWindowTitle(QStringLiteral("Search Term Filters"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Words in this list are left out of the keyword lists."), this));
    m_words = new QListWidget(this);
    m_words->setObjectName(QStringLiteral("FilterList"));
    m_words->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_words->setSortingEnabled(true);
    layout->addWidget(m_words, 1);
    auto* row = new QHBoxLayout;
    m_word = new QLineEdit(this);
    m_word->setObjectName(QStringLiteral("FilterWord"));
    m_add = new QPushButton(QStringLiteral("Add"), this);
    row->addWidget(m_word, 1);
    row->addWidget(m_add);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    m_delete = new QPushButton(QStringLiteral("Delete Selected"), this);
    m_set = new QPushButton(QStringLiteral("Set"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    buttons->addWidget(m_delete);
    buttons->addStretch(1);
    buttons->addWidget(m_set);
    buttons->addWidget(close);
    buttons->addWidget(createHelpButton());
    layout->addLayout(buttons);
    for (QPushButton* b : {m_add, m_delete, m_set, close})
        b->setAutoDefault(false);
    connect(m_add, &QPushButton::clicked, this, &TSTFilterForm::AddClick);
    connect(m_word, &QLineEdit::returnPressed, this, &TSTFilterForm::AddClick);
    connect(m_delete, &QPushButton::clicked, this, &TSTFilterForm::DeleteSelectedClick);
    connect(m_set, &QPushButton::clicked, this, &TSTFilterForm::SetClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    m_words->addItems(TermFilters::load(m_dm.Settings.DataFolder));
    resize(360, 420);
    restorePlacement();
}

void TSTFilterForm::AddClick()
{
    const QString word = m_word->text().trimmed();
    if (const QString fault = TermFilters::wordFault(word); !fault.isEmpty()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), centred(fault), true, {});
        return;
    }
    if (m_words->findItems(word, Qt::MatchFixedString).isEmpty())
        m_words->addItem(word);
    m_word->clear();
}

void TSTFilterForm::DeleteSelectedClick() { qDeleteAll(m_words->selectedItems()); }

bool TSTFilterForm::SetClick()
{
    QStringList words;
    for (int i = 0; i < m_words->count(); ++i)
        words << m_words->item(i)->text();
    QString error;
    if (!TermFilters::save(m_dm.Settings.DataFolder, words, &error)) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), centred(error.toHtmlEscaped()), true,
                            {});
        return false;
    }
    return true;
}

} // namespace corvane
