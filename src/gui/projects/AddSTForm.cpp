#include "gui/projects/AddSTForm.h"

#include "core/datamodule/DM1.h"
#include "core/help/HelpContexts.h"
#include "core/projects/AddItems.h"
#include "core/projects/ProjectStore.h"
#include "gui/widgets/OneLineNames.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

TAddSTForm::TAddSTForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, nullptr, HelpContexts::AddSearchTerm, parent)
{
    setWindowTitle(QStringLiteral("Add Item to Search Term List"));
    auto* layout = new QVBoxLayout(this);
    auto* header = new QLabel(
        QStringLiteral("Click \"OK\" to add this Search Term to the selected Corvane Project."), this);
    header->setWordWrap(true);
    layout->addWidget(header);
    layout->addWidget(new QLabel(QStringLiteral("Select Project"), this));
    m_project = new QComboBox(this);
    OneLineNames::apply(*m_project);
    m_project->setObjectName(QStringLiteral("ProjectCombo"));
    layout->addWidget(m_project);
    layout->addWidget(new QLabel(QStringLiteral("Search Term to add:"), this));
    TermLabel = new QLabel(this);
    TermLabel->setObjectName(QStringLiteral("TermLabel"));
    TermLabel->setTextFormat(Qt::PlainText);
    TermLabel->setWordWrap(true);
    QFont bold = TermLabel->font();
    bold.setBold(true);
    TermLabel->setFont(bold);
    layout->addWidget(TermLabel);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(createHelpButton());
    layout->addLayout(buttons);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TAddSTForm::OKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    try {
        m_project->addItems(ProjectStore(m_dm.General).projects());
    } catch (const DatabaseError& error) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), error.message().toHtmlEscaped(),
                            true, {});
    }
    const int current = m_project->findText(m_dm.Settings.Project, Qt::MatchExactly);
    if (current >= 0)
        m_project->setCurrentIndex(current);
    resize(400, 220);
}

bool TAddSTForm::OKClick()
{
    const QString project = m_project->currentText();
    const QString term = TermLabel->text();
    if (project.isEmpty() || term.trimmed().isEmpty())
        return false;
    try {
        if (!AddItems::addTerm(m_dm.General, project, term)) {
            m_dm.ShowMessageBox(
                MessageButtons::Ok, QStringLiteral("Information"),
                QStringLiteral("<P align=\"center\">Search Term is already in use in this project.</P>"),
                true, {});
            return false;
        }
    } catch (const ProjectRefusal& refusal) {
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("Error"),
            QStringLiteral("<P align=\"center\">%1</P>").arg(refusal.message().toHtmlEscaped()), true, {});
        return false;
    } catch (const DatabaseError& error) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), error.message().toHtmlEscaped(),
                            true, {});
        return false;
    }
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Information"),
                        QStringLiteral("<P align=\"center\">Search Term has been added to project ")
                            + project.toHtmlEscaped() + QStringLiteral(".</P>"),
                        true, {});
    accept();
    return true;
}

} // namespace corvane
