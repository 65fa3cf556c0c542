#include "gui/maintenance/DirectoryChangerForm.h"

#include "core/data/DatabaseError.h"
#include "core/help/HelpContexts.h"
#include "core/maintenance/DirectoryChange.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

TDirectoryChangerForm::TDirectoryChangerForm(QWidget* parent)
    : LibraryToolWindow(HelpContexts::DirectoryChanger, parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("DirectoryChangerForm"));
    setWindowTitle(QStringLiteral("Directory Changer"));
    resize(440, 130);

    auto* warning =
        new QLabel(QStringLiteral("This is an unsupported feature -- use at your own risk."), this);
    warning->setObjectName(QStringLiteral("WarningLabel"));
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    warning->setAlignment(Qt::AlignCenter);

    auto* rootLabel = new QLabel(QStringLiteral("Root Folder"), this);
    m_root = new QLineEdit(this);
    m_root->setObjectName(QStringLiteral("RootEdit"));
    rootLabel->setBuddy(m_root);
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("BrowseButton"));
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("Choose the root folder"));
    connect(browse, &QToolButton::clicked, this, &TDirectoryChangerForm::BrowseButtonClick);

    m_setButton = new QPushButton(QStringLiteral("Set"), this);
    m_setButton->setObjectName(QStringLiteral("SetButton"));
    m_setButton->setAutoDefault(false);
    connect(m_setButton, &QPushButton::clicked, this, &TDirectoryChangerForm::SetButtonClick);

    auto* rootRow = new QHBoxLayout;
    rootRow->addWidget(rootLabel);
    rootRow->addWidget(m_root, 1);
    rootRow->addWidget(browse);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_setButton);
    buttons->addWidget(createHelpButton());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(warning);
    layout->addLayout(rootRow);
    layout->addStretch();
    layout->addLayout(buttons);

    const Registry registry;
    const RegistryKey locations(registry, SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations)));
    QString root = locations.readString(QStringLiteral("Exe"));
    if (root.isEmpty()) {
        // Profiles made here keep only ExeFolder: its folder without the separator.
        root = locations.readString(QStringLiteral("ExeFolder"));
        while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
            root.chop(1);
    }
    m_root->setText(root);
}

void TDirectoryChangerForm::BrowseButtonClick()
{
    const QString chosen =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Select Directory"), m_root->text());
    if (!chosen.isEmpty())
        m_root->setText(chosen);
}

void TDirectoryChangerForm::SetButtonClick()
{
    QString problem;
    try {
        problem = DirectoryChange(m_root->text()).apply();
    } catch (const DatabaseError& e) {
        problem = e.message();
    }
    if (!problem.isEmpty()) {
        ShowMessage(MessageButtons::Ok, QStringLiteral("Warning"),
                    QStringLiteral("<P align=\"center\">The folder settings were not changed.<BR>")
                        + problem.toHtmlEscaped() + QStringLiteral("</P>"));
        return;
    }
    accept();
}

} // namespace corvane
