#pragma once

#include "core/notify/Notifications.h"

#include <QDialog>
#include <QHash>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace corvane {

class Database;
class Session;

// "Notification" of the settings library: per project, the notifications
// (which URLs, terms and engines to watch) and who gets an e-mail when they
// move, and the mail server the e-mails go out through. Save checks every
// address and the server first and writes nothing while one is wrong.
class TNotificationForm : public QDialog
{
    Q_OBJECT

public:
    explicit TNotificationForm(const QString& dataFolder, QWidget* parent = nullptr);
    ~TNotificationForm() override;

    QComboBox* projectBox() const { return ProjectBox; }
    QListWidget* notificationList() const { return NotificationList; }
    QListWidget* urlList() const { return UrlList; }
    QListWidget* termList() const { return TermList; }
    QListWidget* engineList() const { return EngineList; }
    QListWidget* recipientList() const { return RecipientList; }
    QLineEdit* hostEdit() const { return HostEdit; }
    QSpinBox* portSpin() const { return PortSpin; }
    QComboBox* securityBox() const { return SecurityBox; }
    QLineEdit* userEdit() const { return UserEdit; }
    QLineEdit* passwordEdit() const { return PasswordEdit; }
    QLineEdit* senderEdit() const { return SenderEdit; }
    QLabel* problemLabel() const { return Problems; }

    void SelectProject(const QString& project);
    void NewClick();
    void DeleteClick();
    // Adds a recipient (enabled) to the selected notification.
    void AddRecipient(const QString& address);
    void RemoveRecipientClick();
    // True when everything was written.
    bool SaveClick();

private:
    void showNotification(int index);
    void keepShown();
    void fillNotificationList();
    QList<Notification>& edited();

    std::unique_ptr<Session> m_session;
    std::unique_ptr<Database> m_db;
    QHash<QString, QList<Notification>> m_edited; // by project, once shown
    QString m_project;
    int m_shown = -1;
    QComboBox* ProjectBox;
    QListWidget* NotificationList;
    QListWidget* UrlList;
    QListWidget* TermList;
    QListWidget* EngineList;
    QListWidget* RecipientList;
    QLineEdit* HostEdit;
    QSpinBox* PortSpin;
    QComboBox* SecurityBox;
    QLineEdit* UserEdit;
    QLineEdit* PasswordEdit;
    QLineEdit* SenderEdit;
    QLabel* Problems;
};

} // namespace corvane
