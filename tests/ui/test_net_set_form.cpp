#include "core/platform/TextCipher.h"
#include "gui/help/HelpForm.h"
#include "gui/settings/NetSetForm.h"

#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

using namespace corvane;

namespace {

QByteArray registryBytes()
{
    QFile file(Registry::defaultFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString stored(TDM1& dm, const char* key, const char* name)
{
    return RegistryKey(dm.registry(), SettingsKeys::path(QLatin1String(key))).readString(QLatin1String(name));
}

template <typename T>
T* editorOf(TNetSetForm& form, const char* name)
{
    auto* widget = qobject_cast<T*>(form.editor(QLatin1String(name)));
    Q_ASSERT(widget);
    return widget;
}

} // namespace

class TestNetSetForm : public QObject
{
    Q_OBJECT

private slots:
    void opensOnTheStoredValuesWithSetDisabled()
    {
        test::UiProfile profile;
        QVERIFY2(profile.ready(), qPrintable(profile.error()));
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Network"), QStringLiteral("FTPReadTimeout"),
                         QStringLiteral("45000"));
        dm->WriteSetting(QStringLiteral("Network"), QStringLiteral("HTTPProtocolVersion"),
                         QStringLiteral("0"));
        dm->LoadSettings();

        TNetSetForm form(*dm);
        QCOMPARE(form.windowTitle(), QStringLiteral("Network Settings"));
        QStringList tabs;
        for (int i = 0; i < form.pages()->count(); ++i)
            tabs << form.pages()->tabText(i);
        QCOMPARE(tabs,
                 (QStringList{QStringLiteral("HTTP"), QStringLiteral("FTP"), QStringLiteral("Proxy"),
                              QStringLiteral("Misc")}));
        QStringList labels;
        for (QLabel* label : form.findChildren<QLabel*>())
            labels << label->text();
        QVERIFY(labels.contains(QStringLiteral("Alter these settings at your own risk")));
        QVERIFY(labels.contains(QStringLiteral("Read Tiimeout")));
        QVERIFY(labels.contains(QStringLiteral("Retry Fails")));
        QVERIFY(labels.contains(QStringLiteral("HV Retry Seconds")));

        QCOMPARE(editorOf<QSpinBox>(form, "FTPReadTimeout")->value(), 45000);
        auto* protocol = editorOf<QComboBox>(form, "HTTPProtocolVersion");
        QCOMPARE(protocol->currentText(), QStringLiteral("pv1_0"));
        QCOMPARE(protocol->itemText(1), QStringLiteral("pv1_1"));
        QCOMPARE(editorOf<QComboBox>(form, "FTPTrsfrType")->currentText(), QStringLiteral("Binary"));
        QCOMPARE(editorOf<QLineEdit>(form, "HTTPAccept")->text(), dm->Settings.HTTPAccept);
        QCOMPARE(editorOf<QLineEdit>(form, "ProxyPassword")->echoMode(), QLineEdit::Password);
        QVERIFY(!form.setButton()->isEnabled());

        auto* times = editorOf<QSpinBox>(form, "HVRetryTimes");
        auto* seconds = editorOf<QSpinBox>(form, "HVRetrySeconds");
        QCOMPARE(times->minimum(), 0);
        QCOMPARE(times->maximum(), 10);
        QCOMPARE(seconds->minimum(), 1);
        QCOMPARE(seconds->maximum(), 43200);
    }

    void openingAndClosingWithoutAChangeWritesNothing()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        const QByteArray before = registryBytes();
        {
            TNetSetForm form(*dm);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            for (int i = 0; i < form.pages()->count(); ++i)
                form.pages()->setCurrentIndex(i);
            QVERIFY(!form.setButton()->isEnabled());
            form.reject();
        }
        QCOMPARE(registryBytes(), before);
    }

    void enableProxyRulesTheProxyFieldsAndChangesEnableSet()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        QVERIFY(!dm->Settings.ProxyAuth);
        TNetSetForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.pages()->setCurrentIndex(2);
        auto* enable = editorOf<QCheckBox>(form, "ProxyAuth");
        QCOMPARE(enable->text(), QStringLiteral("Enable Proxy"));
        for (const char* name : {"ProxyHost", "ProxyPort", "ProxyUsername", "ProxyPassword"})
            QVERIFY2(!form.editor(QLatin1String(name))->isEnabled(), name);

        enable->click();
        QVERIFY(form.setButton()->isEnabled());
        for (const char* name : {"ProxyHost", "ProxyPort", "ProxyUsername", "ProxyPassword"})
            QVERIFY2(form.editor(QLatin1String(name))->isEnabled(), name);
        enable->click();
        QVERIFY(!form.editor(QStringLiteral("ProxyHost"))->isEnabled());

        // Every kind of control counts as a change, a click that puts a box back included.
        form.SetButtonClick();
        QVERIFY(!form.setButton()->isEnabled());
        auto* redirects = editorOf<QCheckBox>(form, "HTTPHandleRedirects");
        redirects->click();
        redirects->click();
        QVERIFY(form.setButton()->isEnabled());
        form.SetButtonClick();
        editorOf<QSpinBox>(form, "HTTPRetryTimes")->setValue(7);
        QVERIFY(form.setButton()->isEnabled());
        form.SetButtonClick();
        editorOf<QComboBox>(form, "FTPTrsfrType")->setCurrentIndex(0);
        QVERIFY(form.setButton()->isEnabled());
        form.SetButtonClick();
        QTest::keyClicks(editorOf<QLineEdit>(form, "FTPHost"), QStringLiteral("x"));
        QVERIFY(form.setButton()->isEnabled());
        QCOMPARE(stored(*dm, "Network", "HTTPRetryTimes"), QStringLiteral("7"));
        QCOMPARE(stored(*dm, "Network", "FTPTrsfrType"), QStringLiteral("0"));
    }

    void aProxyPasswordSurvivesARestartAndIsStoredEnciphered()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        const QString password = QStringLiteral("s3cr&t \"pass\" wörd");
        {
            auto dm = profile.makeDataModule();
            dm->LoadSettings();
            TNetSetForm form(*dm);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            editorOf<QCheckBox>(form, "ProxyAuth")->click();
            QTest::keyClicks(editorOf<QLineEdit>(form, "ProxyHost"), QStringLiteral("proxy.local"));
            editorOf<QLineEdit>(form, "ProxyPassword")->insert(password); // typed with an input method
            editorOf<QLineEdit>(form, "DebugOutput")->clear();
            QTest::keyClicks(editorOf<QLineEdit>(form, "DebugOutput"), QStringLiteral("/tmp/corvane-debug"));
            QTest::mouseClick(form.setButton(), Qt::LeftButton);
            QVERIFY(!form.setButton()->isEnabled());
            QVERIFY(form.isVisible()); // Set keeps the window open
            QCOMPARE(dm->Settings.ProxyPassword, password);
            const QString cipher = stored(*dm, "Network", "ProxyPassword");
            QVERIFY(!cipher.isEmpty());
            QVERIFY(!cipher.contains(QStringLiteral("s3cr")));
            QCOMPARE(TextCipher::decipher(cipher, TextCipher::ProxyPasswordKey), password);
            QCOMPARE(stored(*dm, "File Locations", "DebugOutput"), QStringLiteral("/tmp/corvane-debug/"));
            QCOMPARE(editorOf<QLineEdit>(form, "DebugOutput")->text(), QStringLiteral("/tmp/corvane-debug/"));
            QVERIFY(profile.messages.isEmpty());
        }
        // A new data module reads the store as the next start does.
        auto restarted = profile.makeDataModule();
        restarted->LoadSettings();
        QCOMPARE(restarted->Settings.ProxyPassword, password);
        QVERIFY(restarted->Settings.ProxyAuth);
        QCOMPARE(restarted->Settings.ProxyHost, QStringLiteral("proxy.local"));
        TNetSetForm reopened(*restarted);
        QCOMPARE(editorOf<QLineEdit>(reopened, "ProxyPassword")->text(), password);
        QVERIFY(reopened.editor(QStringLiteral("ProxyPassword"))->isEnabled());
    }

    void aNumberBoxHoldingTextIsNamedAndNothingIsWritten()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        const QByteArray before = registryBytes();
        TNetSetForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClicks(editorOf<QLineEdit>(form, "FTPHost"), QStringLiteral("changed"));
        // Text put into the box's editor past its key filter, as a paste or an
        // input method can.
        editorOf<QSpinBox>(form, "HTTPPort")->findChild<QLineEdit*>()->setText(QStringLiteral("8o"));
        form.setButton()->click();

        QCOMPARE(profile.messages.size(), 1);
        QVERIFY2(profile.messages[0].startsWith(QStringLiteral("Error: ")), qPrintable(profile.messages[0]));
        QVERIFY(profile.messages[0].contains(QStringLiteral("Nothing was saved.")));
        QVERIFY(profile.messages[0].contains(QStringLiteral("Port (HTTP tab) must be a whole number")));
        QVERIFY(profile.messages[0].contains(QStringLiteral("&quot;8o&quot;")));
        QCOMPARE(registryBytes(), before);
        QVERIFY(form.setButton()->isEnabled());
        QVERIFY(!dm->Settings.FTPHost.endsWith(QStringLiteral("changed")));
    }

    void numbersShownInTheUsersLanguageAreStoredAsPlainDecimals()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        TNetSetForm form(*dm);
        // Swedish writes negative numbers with a true minus sign, Arabic with
        // its own digits.
        auto* length = editorOf<QSpinBox>(form, "HTTPContentLength");
        length->setLocale(QLocale(QLocale::Swedish, QLocale::Sweden));
        length->setValue(-1);
        auto* timeout = editorOf<QSpinBox>(form, "HTTPReadTimeout");
        timeout->setLocale(QLocale(QLocale::Arabic, QLocale::Egypt));
        timeout->setValue(25000);
        form.setButton()->click();
        QVERIFY2(profile.messages.isEmpty(), qPrintable(profile.messages.join(QLatin1Char('\n'))));
        QCOMPARE(stored(*dm, "Network", "HTTPContentLength"), QStringLiteral("-1"));
        QCOMPARE(stored(*dm, "Network", "HTTPReadTimeout"), QStringLiteral("25000"));
    }

    void theHelpButtonOpensTheNetworkSettingsTopic()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        TNetSetForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QPushButton* question = nullptr;
        for (QPushButton* button : form.findChildren<QPushButton*>())
            if (button->text() == QLatin1String("?"))
                question = button;
        QVERIFY(question);
        question->click();
        auto* window = form.findChild<HelpForm*>();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->currentTitle(), QStringLiteral("Network Settings"));
        window->close();
    }
};

QTEST_MAIN(TestNetSetForm)
#include "test_net_set_form.moc"
