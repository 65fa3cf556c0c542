#include "gui/projects/AddURLForm.h"

#include "core/datamodule/DM1.h"
#include "core/help/HelpContexts.h"
#include "core/projects/AddItems.h"
#include "core/projects/ProjectStore.h"
#include "gui/widgets/OneLineNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

TAddURLForm::TAddURLForm(TDM1& dataModule, const QStringList& urls, QWidget* parent)
    : ToolWindow(dataModule, nullptr, HelpContexts::AddUrl, parent)
    , m_urls(urls)
{
    setWindowTitle(QStringLiteral("Add Items to URL List"));
    auto* layout = new QVBoxLayout(this);
    auto* header =
        new QLabel(QStringLiteral("Select the items that can be added from the top list (use Ctrl, Shft "
                                  "for more than one), then click Add to Project to add the items to "
                                  "the selected project."),
                   this);
    header->setWordWrap(true);
    layout->addWidget(header);

    auto* projectRow = new QHBoxLayout;
    projectRow->addWidget(new QLabel(QStringLiteral("Project"), this));
    m_project = new QComboBox(this);
    OneLineNames::apply(*m_project);
    m_project->setObjectName(QStringLiteral("ProjectCombo"));
    projectRow->addWidget(m_project, 1);
    layout->addLayout(projectRow);

    const auto addList = [this, layout](const QString& caption, const char* name) {
        layout->addWidget(new QLabel(caption, this));
        auto* list = new QListWidget(this);
        OneLineNames::apply(*list);
        list->setObjectName(QLatin1String(name));
        layout->addWidget(list, 1);
        return list;
    };
    m_toAdd = addList(QStringLiteral("Items to add"), "ItemsToAdd");
    m_toAdd->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_existing = addList(QStringLiteral("These Items already exist in this project"), "ExistingItems");
    m_added = addList(QStringLiteral("Items added"), "AddedItems");
    for (QListWidget* list : {m_existing, m_added})
        list->setSelectionMode(QAbstractItemView::NoSelection);

    auto* buttons = new QHBoxLayout;
    m_addButton = new QPushButton(QStringLiteral("Add to Project URL List"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    buttons->addWidget(m_addButton);
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addWidget(createHelpButton());
    layout->addLayout(buttons);
    m_addButton->setAutoDefault(false);
    close->setAutoDefault(false);
    connect(m_addButton, &QPushButton::clicked, this, &TAddURLForm::AddToProjectClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_toAdd, &QListWidget::itemSelectionChanged, this, &TAddURLForm::UpdateAddButton);

    try {
        m_project->addItems(ProjectStore(m_dm.General).projects());
    } catch (const DatabaseError& error) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), error.message().toHtmlEscaped(),
                            true, {});
    }
    const int current = m_project->findText(m_dm.Settings.Project, Qt::MatchExactly);
    if (current >= 0)
        m_project->setCurrentIndex(current);
    connect(m_project, &QComboBox::currentIndexChanged, this, &TAddURLForm::FillItems);
    FillItems();
    resize(520, 560);
}

void TAddURLForm::FillItems()
{
    m_toAdd->clear();
    m_existing->clear();
    m_added->clear();
    for (const QString& url : m_urls) {
        auto* item = new QListWidgetItem(AddItems::normalisedUrl(url), m_toAdd);
        item->setSelected(true);
    }
    UpdateAddButton();
}

void TAddURLForm::UpdateAddButton() { m_addButton->setEnabled(!m_toAdd->selectedItems().isEmpty()); }

void TAddURLForm::AddToProjectClick()
{
    const QString project = m_project->currentText();
    if (project.isEmpty())
        return;
    QStringList urls;
    for (int i = 0; i < m_toAdd->count(); ++i)
        if (m_toAdd->item(i)->isSelected())
            urls << m_toAdd->item(i)->text();
    AddItems::UrlOutcome outcome;
    try {
        outcome = AddItems::addUrls(m_dm.General, project, urls);
    } catch (const ProjectRefusal& refusal) {
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("Error"),
            QStringLiteral("<P align=\"center\">%1</P>").arg(refusal.message().toHtmlEscaped()), true, {});
        return;
    } catch (const DatabaseError& error) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), error.message().toHtmlEscaped(),
                            true, {});
        return;
    }
    m_existing->addItems(outcome.existing);
    m_added->addItems(outcome.added);
    if (!outcome.refused.isEmpty())
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\">%1</P>")
                                .arg(outcome.refused.join(QLatin1Char('\n'))
                                         .toHtmlEscaped()
                                         .replace(QLatin1Char('\n'), QStringLiteral("<BR>"))),
                            true, {});
}

void TAddURLForm::done(int result)
{
    if (m_added->count() > 0)
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("Information"),
            QStringLiteral("<P align=\"center\">Corvane assigned name labels to<BR>the URLs just "
                           "added to project(s).<BR>Please check that these labels<BR>are "
                           "acceptable in the Setup Wizard.</P>"),
            true, {});
    ToolWindow::done(result);
}

} // namespace corvane
