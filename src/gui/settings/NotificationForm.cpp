#include "gui/settings/NotificationForm.h"

#include "core/data/DatabaseError.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/platform/Registry.h"
#include "core/projects/ProjectStore.h"
#include "gui/widgets/OneLineNames.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

namespace {

QListWidget* checkList(QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setMinimumWidth(150);
    return list;
}

void fillChecks(QListWidget* list, const QStringList& items, const QStringList& checked)
{
    list->clear();
    QStringList all = items;
    // Items the notification names that the project no longer has stay visible.
    for (const QString& c : checked)
        if (!all.contains(c))
            all << c;
    for (const QString& item : all) {
        auto* row = new QListWidgetItem(item, list);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        row->setCheckState(checked.contains(item) ? Qt::Checked : Qt::Unchecked);
    }
}

QStringList checkedItems(const QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            items << list->item(i)->text();
    return items;
}

QVBoxLayout* titled(const QString& title, QWidget* widget)
{
    auto* box = new QVBoxLayout;
    box->addWidget(new QLabel(title));
    box->addWidget(widget, 1);
    return box;
}

} // namespace

TNotificationForm::TNotificationForm(const QString& dataFolder, QWidget* parent)
    : QDialog(parent)
    , m_session(std::make_unique<Session>(QStringLiteral("NotificationSession")))
    , m_db(std::make_unique<Database>(QStringLiteral("NotificationDB"), m_session.get()))
    , ProjectBox(new QComboBox(this))
    , NotificationList(new QListWidget(this))
    , UrlList(checkList(this))
    , TermList(checkList(this))
    , EngineList(checkList(this))
    , RecipientList(new QListWidget(this))
    , HostEdit(new QLineEdit(this))
    , PortSpin(new QSpinBox(this))
    , SecurityBox(new QComboBox(this))
    , UserEdit(new QLineEdit(this))
    , PasswordEdit(new QLineEdit(this))
    , SenderEdit(new QLineEdit(this))
    , Problems(new QLabel(this))
{
    OneLineNames::apply(*ProjectBox);
    setWindowTitle(QStringLiteral("Notification"));
    m_session->addPassword(QLatin1String(Schema::SE3Password));
    m_db->setDirectory(dataFolder);

    auto* note =
        new QLabel(QStringLiteral("After each Harvester session, every notification whose items moved is "
                                  "e-mailed to its checked recipients."),
                   this);
    note->setWordWrap(true);

    auto* projectRow = new QHBoxLayout;
    projectRow->addWidget(new QLabel(QStringLiteral("Project"), this));
    projectRow->addWidget(ProjectBox, 1);

    auto* newButton = new QPushButton(QStringLiteral("New"), this);
    auto* deleteButton = new QPushButton(QStringLiteral("Delete"), this);
    auto* notificationButtons = new QHBoxLayout;
    notificationButtons->addWidget(newButton);
    notificationButtons->addWidget(deleteButton);
    auto* left = titled(QStringLiteral("Notifications"), NotificationList);
    left->addLayout(notificationButtons);
    NotificationList->setMaximumWidth(160);

    auto* recipientEdit = new QLineEdit(this);
    recipientEdit->setPlaceholderText(QStringLiteral("name@example.com"));
    auto* addButton = new QPushButton(QStringLiteral("Add"), this);
    auto* removeButton = new QPushButton(QStringLiteral("Remove"), this);
    auto* recipientButtons = new QHBoxLayout;
    recipientButtons->addWidget(addButton);
    recipientButtons->addWidget(removeButton);
    auto* right = titled(QStringLiteral("E-mail Recipients (checked: enabled)"), RecipientList);
    right->addWidget(recipientEdit);
    right->addLayout(recipientButtons);

    auto* lists = new QHBoxLayout;
    lists->addLayout(left);
    lists->addLayout(titled(QStringLiteral("URLs"), UrlList));
    lists->addLayout(titled(QStringLiteral("Search Terms"), TermList));
    lists->addLayout(titled(QStringLiteral("Search Engines"), EngineList));
    lists->addLayout(right, 1);

    auto* serverBox = new QGroupBox(QStringLiteral("Mail Server (SMTP)"), this);
    auto* server = new QGridLayout(serverBox);
    PortSpin->setRange(1, 65535);
    SecurityBox->addItems({QStringLiteral("None"), QStringLiteral("STARTTLS"), QStringLiteral("TLS")});
    PasswordEdit->setEchoMode(QLineEdit::Password);
    server->addWidget(new QLabel(QStringLiteral("Host"), serverBox), 0, 0);
    server->addWidget(HostEdit, 0, 1);
    server->addWidget(new QLabel(QStringLiteral("Port"), serverBox), 0, 2);
    server->addWidget(PortSpin, 0, 3);
    server->addWidget(new QLabel(QStringLiteral("Security"), serverBox), 0, 4);
    server->addWidget(SecurityBox, 0, 5);
    server->addWidget(new QLabel(QStringLiteral("User"), serverBox), 1, 0);
    server->addWidget(UserEdit, 1, 1);
    server->addWidget(new QLabel(QStringLiteral("Password"), serverBox), 1, 2);
    server->addWidget(PasswordEdit, 1, 3, 1, 3);
    server->addWidget(new QLabel(QStringLiteral("Sender"), serverBox), 2, 0);
    server->addWidget(SenderEdit, 2, 1, 1, 5);
    server->setColumnStretch(1, 1);

    Problems->setWordWrap(true);
    Problems->setTextFormat(Qt::PlainText);
    Problems->setStyleSheet(QStringLiteral("QLabel { color: #8A1F11; }"));
    Problems->hide();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    save->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(projectRow);
    layout->addLayout(lists, 1);
    layout->addWidget(serverBox);
    layout->addWidget(Problems);
    layout->addWidget(buttons);

    const SmtpSettings smtp = SmtpSettings::load(Registry());
    HostEdit->setText(smtp.host);
    PortSpin->setValue(smtp.port);
    SecurityBox->setCurrentIndex(static_cast<int>(smtp.security));
    UserEdit->setText(smtp.user);
    PasswordEdit->setText(smtp.password);
    SenderEdit->setText(smtp.sender);

    try {
        m_db->connect();
        ProjectBox->addItems(ProjectStore(*m_db).projects());
    } catch (const DatabaseError& e) {
        Problems->setText(e.message());
        Problems->show();
    }

    connect(ProjectBox, &QComboBox::currentTextChanged, this, &TNotificationForm::SelectProject);
    connect(NotificationList, &QListWidget::currentRowChanged, this, &TNotificationForm::showNotification);
    connect(newButton, &QPushButton::clicked, this, &TNotificationForm::NewClick);
    connect(deleteButton, &QPushButton::clicked, this, &TNotificationForm::DeleteClick);
    connect(addButton, &QPushButton::clicked, this, [this, recipientEdit] {
        AddRecipient(recipientEdit->text());
        recipientEdit->clear();
    });
    connect(removeButton, &QPushButton::clicked, this, &TNotificationForm::RemoveRecipientClick);
    connect(save, &QPushButton::clicked, this, [this] {
        if (SaveClick())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    SelectProject(ProjectBox->currentText());
    resize(980, 560);
}

TNotificationForm::~TNotificationForm() = default;

QList<Notification>& TNotificationForm::edited()
{
    if (!m_edited.contains(m_project)) {
        QList<Notification> stored;
        try {
            stored = NotificationStore(*m_db).load(m_project);
        } catch (const DatabaseError& e) {
            Problems->setText(e.message());
            Problems->show();
        }
        m_edited.insert(m_project, stored);
    }
    return m_edited[m_project];
}

void TNotificationForm::SelectProject(const QString& project)
{
    keepShown();
    m_project = project;
    if (ProjectBox->currentText() != project)
        ProjectBox->setCurrentText(project);
    m_shown = -1;
    fillNotificationList();
}

void TNotificationForm::fillNotificationList()
{
    const QSignalBlocker block(NotificationList);
    NotificationList->clear();
    if (m_project.isEmpty()) {
        showNotification(-1);
        return;
    }
    const QList<Notification>& list = edited();
    for (int i = 0; i < list.size(); ++i)
        NotificationList->addItem(list[i].id > 0 ? QStringLiteral("Notification %1").arg(list[i].id)
                                                 : QStringLiteral("New notification %1").arg(i + 1));
    const int row = list.isEmpty() ? -1 : std::clamp(m_shown, 0, int(list.size()) - 1);
    NotificationList->setCurrentRow(row);
    m_shown = -1;
    showNotification(row);
}

void TNotificationForm::keepShown()
{
    if (m_project.isEmpty() || m_shown < 0 || m_shown >= edited().size())
        return;
    Notification& n = edited()[m_shown];
    n.urls = checkedItems(UrlList);
    n.terms = checkedItems(TermList);
    n.engines = checkedItems(EngineList);
    n.recipients.clear();
    for (int i = 0; i < RecipientList->count(); ++i)
        n.recipients.append(
            {RecipientList->item(i)->text().trimmed(), RecipientList->item(i)->checkState() == Qt::Checked});
}

void TNotificationForm::showNotification(int index)
{
    keepShown();
    m_shown = index;
    const bool any = index >= 0 && index < edited().size();
    Notification n;
    if (any)
        n = edited()[index];
    QStringList urls, terms, engines;
    if (any) {
        try {
            ProjectStore store(*m_db);
            for (const ProjectStore::UrlRow& row : store.urls(m_project))
                urls << row.name;
            terms = store.terms(m_project);
            engines = store.engines(m_project);
        } catch (const DatabaseError& e) {
            Problems->setText(e.message());
            Problems->show();
        }
    }
    fillChecks(UrlList, urls, n.urls);
    fillChecks(TermList, terms, n.terms);
    fillChecks(EngineList, engines, n.engines);
    RecipientList->clear();
    for (const Notification::Recipient& r : n.recipients) {
        auto* item = new QListWidgetItem(r.address, RecipientList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                       | Qt::ItemIsEditable);
        item->setCheckState(r.enabled ? Qt::Checked : Qt::Unchecked);
    }
    for (QListWidget* list : {UrlList, TermList, EngineList, RecipientList})
        list->setEnabled(any);
}

void TNotificationForm::NewClick()
{
    if (m_project.isEmpty())
        return;
    keepShown();
    edited().append(Notification{});
    m_shown = int(edited().size()) - 1;
    const int row = m_shown;
    fillNotificationList();
    NotificationList->setCurrentRow(row);
}

void TNotificationForm::DeleteClick()
{
    const int row = NotificationList->currentRow();
    if (row < 0 || row >= edited().size())
        return;
    edited().removeAt(row);
    m_shown = -1;
    fillNotificationList();
}

void TNotificationForm::AddRecipient(const QString& address)
{
    if (m_shown < 0 || address.trimmed().isEmpty())
        return;
    auto* item = new QListWidgetItem(address.trimmed(), RecipientList);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
    item->setCheckState(Qt::Checked);
}

void TNotificationForm::RemoveRecipientClick() { delete RecipientList->currentItem(); }

bool TNotificationForm::SaveClick()
{
    keepShown();
    SmtpSettings smtp;
    smtp.host = HostEdit->text().trimmed();
    smtp.port = PortSpin->value();
    smtp.security = static_cast<SmtpSettings::Security>(SecurityBox->currentIndex());
    smtp.user = UserEdit->text();
    smtp.password = PasswordEdit->text();
    smtp.sender = SenderEdit->text().trimmed();

    QStringList problems;
    bool mails = false;
    for (auto it = m_edited.cbegin(); it != m_edited.cend(); ++it)
        for (const Notification& n : it.value())
            for (const Notification::Recipient& r : n.recipients) {
                if (!isMailAddress(r.address))
                    problems
                        << QStringLiteral("%1: \"%2\" is not an e-mail address.").arg(it.key(), r.address);
                mails = mails || r.enabled;
            }
    // The server must be complete once anybody is to be mailed; an empty one may stay empty.
    if (mails || !smtp.host.isEmpty())
        problems += smtp.problems();
    if (!problems.isEmpty()) {
        Problems->setText(problems.join(QLatin1Char('\n')));
        Problems->show();
        return false;
    }
    try {
        for (auto it = m_edited.begin(); it != m_edited.end(); ++it)
            it.value() = NotificationStore(*m_db).save(it.key(), it.value());
    } catch (const DatabaseError& e) {
        Problems->setText(e.message());
        Problems->show();
        return false;
    }
    Registry registry;
    smtp.save(registry);
    Problems->hide();
    return true;
}

} // namespace corvane
