// The windows of backup, remote script update and directory changer, driven
// as a user drives them, on a fresh profile.
#include "core/data/Dataset.h"
#include "core/data/FieldCodec.h"
#include "core/data/TableDatabase.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"
#include "gui/maintenance/BackupForm.h"
#include "gui/maintenance/DirectoryChangerForm.h"
#include "gui/maintenance/RemoteUpdateForm.h"

#include "../core/UpdateServer.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvane;

namespace {

QString setting(const char* key, const QString& name)
{
    return RegistryKey(Registry(), SettingsKeys::path(QLatin1String(key))).readString(name);
}

QByteArray folderHash(const QString& folder)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files)) {
        QFile file(folder + name);
        file.open(QIODevice::ReadOnly);
        hash.addData(name.toUtf8());
        hash.addData(file.readAll());
    }
    return hash.result();
}

QStringList logLines(QListWidget& log)
{
    QStringList lines;
    for (int i = 0; i < log.count(); ++i)
        lines << log.item(i)->text();
    return lines;
}

// Answers every message window that comes up with the button of that
// caption and keeps the messages' texts.
class MessageAnswers : public QObject
{
public:
    explicit MessageAnswers(const QString& caption)
        : m_caption(caption)
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() != QLatin1String("MessageForm") || !w->isVisible())
                    continue;
                texts << w->findChild<QTextBrowser*>(QStringLiteral("MessageText"))->toPlainText();
                for (QPushButton* b : w->findChildren<QPushButton*>()) {
                    if (b->isVisible() && b->text() == m_caption) {
                        b->click();
                        return;
                    }
                }
            }
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QString m_caption;
    QTimer m_timer;
};

// A loopback port nobody listens on.
int closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace

class MaintenanceForms : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::UiProfile> m_profile;
    QString dataFolder() const { return m_profile->programFolder() + QStringLiteral("Data/"); }

private slots:
    void init()
    {
        m_profile = std::make_unique<test::UiProfile>();
        QVERIFY2(m_profile->ready(), qPrintable(m_profile->error()));
    }
    void cleanup() { m_profile.reset(); }

    void aBackupLogsEveryTableAndKeepsItsTimeAndFolder()
    {
        const QString root = m_profile->programFolder() + QStringLiteral("Sicherung & <b>Co</b>");
        QDir().mkpath(root);
        {
            TBackupForm form;
            form.show();
            auto* backup = form.findChild<QPushButton*>(QStringLiteral("BackupButton"));
            QVERIFY(!backup->isEnabled());
            QVERIFY(form.findChild<QLabel*>(QStringLiteral("LastBackupLabel"))->text().isEmpty());
            form.findChild<QLineEdit*>(QStringLiteral("FolderEdit"))->setText(root);
            QVERIFY(backup->isEnabled());
            backup->click();
            auto* log = form.findChild<QListWidget*>(QStringLiteral("Log"));
            const QStringList lines = logLines(*log);
            QCOMPARE(lines.first(), QStringLiteral("Backing up data files:"));
            QVERIFY(lines.contains(QStringLiteral("SE3 OK")));
            QCOMPARE(lines.last(), QStringLiteral("Done!"));
            QCOMPARE(log->currentRow(), log->count() - 1);
            QVERIFY(form.findChild<QLabel*>(QStringLiteral("LastBackupLabel"))
                        ->text()
                        .startsWith(QLatin1String("Last backup: ")));
            const double stored =
                setting(SettingsKeys::StartupSettings, QStringLiteral("LastBackup")).toDouble();
            QVERIFY(qAbs(stored - FieldCodec::toDayCount(QDateTime::currentDateTime())) < 0.01);
            form.reject();
        }
        QCOMPARE(setting(SettingsKeys::FileLocations, QStringLiteral("Backup")), root);
        QVERIFY(QFile::exists(root + QStringLiteral("/CVBackup/SE3.dat")));

        // Opened again, the window shows the folder and the time.
        TBackupForm again;
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("FolderEdit"))->text(), root);
        QVERIFY(again.findChild<QPushButton*>(QStringLiteral("RestoreButton"))->isEnabled());
        QVERIFY(!again.findChild<QLabel*>(QStringLiteral("LastBackupLabel"))->text().isEmpty());
    }

    void aRestoreAsksFirstAndCancelChangesNothing()
    {
        const QString root = m_profile->programFolder() + QStringLiteral("Backups");
        QDir().mkpath(root);
        TBackupForm form;
        form.show();
        form.findChild<QLineEdit*>(QStringLiteral("FolderEdit"))->setText(root);
        form.findChild<QPushButton*>(QStringLiteral("BackupButton"))->click();

        // Work done after the backup.
        Session session(QStringLiteral("Test"));
        Database db(QStringLiteral("Test"), &session);
        db.setDirectory(dataFolder());
        {
            Table log(&db, QStringLiteral("CVLog"));
            log.open();
            log.append();
            log.setValue(QStringLiteral("Message"), QStringLiteral("after the backup"));
            log.post();
        }
        const QByteArray before = folderHash(dataFolder());
        auto* log = form.findChild<QListWidget*>(QStringLiteral("Log"));
        const QStringList linesBefore = logLines(*log);

        {
            MessageAnswers cancel(QStringLiteral("Cancel"));
            form.findChild<QPushButton*>(QStringLiteral("RestoreButton"))->click();
            QCOMPARE(cancel.texts.size(), 1);
            QVERIFY2(
                cancel.texts.first().contains(QLatin1String("You will be overwriting your current work")),
                qPrintable(cancel.texts.first()));
        }
        QCOMPARE(logLines(*log), linesBefore);
        QCOMPARE(folderHash(dataFolder()), before);

        {
            MessageAnswers ok(QStringLiteral("OK"));
            form.findChild<QPushButton*>(QStringLiteral("RestoreButton"))->click();
        }
        const QStringList lines = logLines(*log);
        QVERIFY(lines.size() > linesBefore.size());
        QCOMPARE(lines.at(linesBefore.size()), QStringLiteral("Restoring data files:"));
        QCOMPARE(lines.last(), QStringLiteral("Done!"));
        Query rows(&db, QStringLiteral("SELECT COUNT(*) AS N FROM CVLog WHERE Message = 'after the backup'"));
        rows.open();
        QCOMPARE(rows.asInteger(QStringLiteral("N")), 0);
    }

    void theResetBoxesWarnAndAFailedRunSaysWhy()
    {
        Registry registry;
        const QString network = SettingsKeys::path(QLatin1String(SettingsKeys::Network));
        registry.writeString(network, QStringLiteral("FTPHost"), QStringLiteral("127.0.0.1"));
        registry.writeString(network, QStringLiteral("FTPPort"), QString::number(closedPort()));

        TRemoteUpdateForm form;
        form.setRemoteUpdateFlags(false, true);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* scores = form.findChild<QCheckBox*>(QStringLiteral("ResetScores"));
        QVERIFY(scores->isVisible() && scores->isChecked());
        QCOMPARE(
            form.findChild<QLabel*>(QStringLiteral("InfoLabel"))->text(),
            QStringLiteral(
                "Remote Script Update pulls updated Search Engine Scripts from the Corvane FTP server."));
        {
            MessageAnswers ok(QStringLiteral("OK"));
            scores->click(); // unchecked: no warning
            QVERIFY(ok.texts.isEmpty());
            scores->click();
            QCOMPARE(ok.texts.size(), 1);
            QCOMPARE(
                ok.texts.first(),
                QStringLiteral("Checking Reset Scores will replace all existing Search Engine scores with "
                               "defaults from the search engine script about to be downloaded."));
        }

        form.findChild<QPushButton*>(QStringLiteral("RunButton"))->click();
        const QStringList lines =
            form.findChild<QTextEdit*>(QStringLiteral("Log"))->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("Wait..."));
        QCOMPARE(lines.at(1), QStringLiteral("Connecting to Corvane ftp site"));
        QVERIFY2(lines.at(2).startsWith(QLatin1String("Connect FAILED ")), qPrintable(lines.at(2)));
        QCOMPARE(lines.last(), QStringLiteral("FAILED to Disconnect"));
        QVERIFY(form.findChild<QPushButton*>(QStringLiteral("RunButton"))->isEnabled());
        QVERIFY(form.findChild<QPushButton*>(QStringLiteral("CloseButton"))->isEnabled());
    }

    void automaticModeRunsByItselfAndCloses()
    {
        Registry registry;
        const QString network = SettingsKeys::path(QLatin1String(SettingsKeys::Network));
        registry.writeString(network, QStringLiteral("FTPHost"), QStringLiteral("127.0.0.1"));
        registry.writeString(network, QStringLiteral("FTPPort"), QString::number(closedPort()));

        TRemoteUpdateForm form;
        form.setRemoteUpdateFlags(true, false);
        bool boxesHidden = false;
        bool buttonsDisabled = false;
        QTimer::singleShot(300, &form, [&] {
            boxesHidden = !form.findChild<QCheckBox*>(QStringLiteral("ResetDelays"))->isVisible();
            buttonsDisabled = !form.findChild<QPushButton*>(QStringLiteral("RunButton"))->isEnabled()
                && !form.findChild<QPushButton*>(QStringLiteral("CloseButton"))->isEnabled();
            form.reject(); // Escape before the run: the window closes
        });
        QElapsedTimer clock;
        clock.start();
        form.exec();
        QVERIFY(boxesHidden);
        QVERIFY(buttonsDisabled);

        TRemoteUpdateForm second;
        second.setRemoteUpdateFlags(true, true);
        clock.restart();
        second.exec(); // runs after two seconds, fails to connect, closes itself
        QVERIFY(clock.elapsed() >= 2000);
        QVERIFY2(second.findChild<QTextEdit*>(QStringLiteral("Log"))
                     ->toPlainText()
                     .endsWith(QLatin1String("FAILED to Disconnect")),
                 qPrintable(second.findChild<QTextEdit*>(QStringLiteral("Log"))->toPlainText()));
    }

    void theDirectoryChangerWritesNothingForARootWithoutData()
    {
        const QString dataBefore = setting(SettingsKeys::FileLocations, QStringLiteral("DataFolder"));
        TDirectoryChangerForm form;
        form.show();
        auto* root = form.findChild<QLineEdit*>(QStringLiteral("RootEdit"));
        QString home = m_profile->programFolder();
        home.chop(1);
        QCOMPARE(root->text(), home);

        root->setText(m_profile->programFolder() + QStringLiteral("nowhere"));
        {
            MessageAnswers ok(QStringLiteral("OK"));
            form.findChild<QPushButton*>(QStringLiteral("SetButton"))->click();
            QCOMPARE(ok.texts.size(), 1);
            QVERIFY2(ok.texts.first().contains(QLatin1String("The folder settings were not changed.")),
                     qPrintable(ok.texts.first()));
            QVERIFY2(ok.texts.first().contains(QLatin1String("nowhere/Data/")), qPrintable(ok.texts.first()));
        }
        QVERIFY(form.isVisible());
        QCOMPARE(setting(SettingsKeys::FileLocations, QStringLiteral("DataFolder")), dataBefore);

        root->setText(home);
        form.findChild<QPushButton*>(QStringLiteral("SetButton"))->click();
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(setting(SettingsKeys::FileLocations, QStringLiteral("DataFolder")),
                 home + QStringLiteral("/Data/"));
        QCOMPARE(setting(SettingsKeys::StartupSettings, QStringLiteral("Last Run")),
                 QStringLiteral("0.0000000001"));
    }
};

QTEST_MAIN(MaintenanceForms)
#include "test_maintenance_forms.moc"
