#include "gui/messages/MessageForm.h"

#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace corvane;

namespace {

// Runs the action as soon as the message window is up.
void whenShown(TMessageForm& form, std::function<void()> action)
{
    QTimer::singleShot(0, &form, [&form, action] {
        QTRY_VERIFY(form.isVisible());
        action();
    });
}

QPushButton* button(TMessageForm& form, int number)
{
    return form.findChild<QPushButton*>(QStringLiteral("Button%1").arg(number));
}

// A data module on a settings store of its own that holds the switches
// key with every message switched on; the message window is its only way
// to show messages.
class SwitchStore
{
public:
    SwitchStore()
    {
        Registry registry(m_dir.filePath(QStringLiteral("registry.reg")));
        registry.createKey(SettingsKeys::path(QStringLiteral("MsgShow")));
        for (const QString& name : messageSwitchNames())
            registry.writeString(SettingsKeys::path(QStringLiteral("MsgShow")), name, QStringLiteral("true"));
        m_dm = std::make_unique<TDM1>(registry);
    }
    TDM1* operator->() { return m_dm.get(); }
    TDM1& operator*() { return *m_dm; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TDM1> m_dm;
};

QString storedSwitch(TDM1& dm, const QString& name)
{
    return dm.registry().readString(SettingsKeys::path(QStringLiteral("MsgShow")), name);
}

} // namespace

class TestMessageForm : public QObject
{
    Q_OBJECT

private slots:
    void eachButtonReturnsItsResult_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QList<int>>("results");
        QTest::newRow("0") << 0 << QStringList{QStringLiteral("OK")} << QList<int>{1};
        QTest::newRow("1") << 1 << QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}
                           << QList<int>{1, 2};
        QTest::newRow("2") << 2
                           << QStringList{QStringLiteral("Abort"), QStringLiteral("Retry"),
                                          QStringLiteral("Ignore")}
                           << QList<int>{3, 4, 5};
        QTest::newRow("3") << 3
                           << QStringList{QStringLiteral("Yes"), QStringLiteral("No"),
                                          QStringLiteral("Cancel")}
                           << QList<int>{6, 7, 2};
        QTest::newRow("4") << 4 << QStringList{QStringLiteral("Yes"), QStringLiteral("No")}
                           << QList<int>{6, 7};
        QTest::newRow("5") << 5 << QStringList{QStringLiteral("Retry"), QStringLiteral("Cancel")}
                           << QList<int>{4, 2};
    }

    void eachButtonReturnsItsResult()
    {
        QFETCH(int, type);
        QFETCH(QStringList, captions);
        QFETCH(QList<int>, results);
        SwitchStore dm;
        TMessageForm form(*dm);

        for (int i = 0; i < captions.size(); ++i) {
            QStringList shownCaptions;
            whenShown(form, [&] {
                for (int n = 1; n <= 3; ++n) {
                    if (button(form, n)->isVisible())
                        shownCaptions << button(form, n)->text();
                }
                QTest::mouseClick(button(form, i + 1), Qt::LeftButton);
            });
            // Through the data module, as every caller shows its messages.
            QCOMPARE(int(dm->ShowMessageBox(MessageButtons(type), QStringLiteral("Title"),
                                            QStringLiteral("<B>Text</B>"), true, {})),
                     results[i]);
            QCOMPARE(shownCaptions, captions);
        }
    }

    void escapeAndTheCloseButtonReturnCancel()
    {
        SwitchStore dm;
        TMessageForm form(*dm);
        whenShown(form, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
        QCOMPARE(form.Execute(MessageButtons::YesNo, QStringLiteral("Q"), QStringLiteral("Delete?"), {}),
                 MessageAnswer::Cancel);
        whenShown(form, [&] { form.close(); });
        QCOMPARE(form.Execute(MessageButtons::Ok, QStringLiteral("Note"), QStringLiteral("Done"), {}),
                 MessageAnswer::Cancel);
        // Return presses the first button.
        whenShown(form, [&] { QTest::keyClick(&form, Qt::Key_Return); });
        QCOMPARE(form.Execute(MessageButtons::YesNoCancel, QStringLiteral("Q"), QStringLiteral("Save?"), {}),
                 MessageAnswer::Yes);
    }

    void aSuppressedMessageReturnsZeroAndIsNotShown()
    {
        SwitchStore dm;
        TMessageForm form(*dm);
        dm->StoreMessageSwitch(QStringLiteral("DeleteST"), false);
        // Were it shown, this would close it with a result of its own.
        QTimer::singleShot(2000, &form, [&form] { form.done(99); });
        QCOMPARE(dm->ShowMessageBox(MessageButtons::YesNo, QStringLiteral("Delete"), QStringLiteral("Sure?"),
                                    dm->MessageSwitch(QStringLiteral("DeleteST")),
                                    QStringLiteral("DeleteST")),
                 MessageAnswer::None);
        QVERIFY(!form.isVisible());
    }

    void theCheckBoxWritesTheSwitchAtOnce()
    {
        SwitchStore dm;
        dm->LoadSwitches();
        TMessageForm form(*dm);
        const QString key = QStringLiteral("DeleteURL");
        QVERIFY(dm->MessageSwitch(key));

        // Checked and unchecked in the same showing: "true".
        whenShown(form, [&] {
            auto* box = form.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
            QVERIFY(box->isVisible());
            QVERIFY(!box->isChecked());
            box->click();
            QCOMPARE(storedSwitch(*dm, key), QStringLiteral("false"));
            box->click();
            QTest::mouseClick(button(form, 1), Qt::LeftButton);
        });
        QCOMPARE(form.Execute(MessageButtons::YesNo, QStringLiteral("Delete"), QStringLiteral("Sure?"), key),
                 MessageAnswer::Yes);
        QCOMPARE(storedSwitch(*dm, key), QStringLiteral("true"));
        QVERIFY(dm->MessageSwitch(key));

        // Checked once: the message is off for good, and the box starts unchecked next time.
        whenShown(form, [&] {
            form.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();
            QTest::mouseClick(button(form, 2), Qt::LeftButton);
        });
        QCOMPARE(form.Execute(MessageButtons::YesNo, QStringLiteral("Delete"), QStringLiteral("Sure?"), key),
                 MessageAnswer::No);
        QCOMPARE(storedSwitch(*dm, key), QStringLiteral("false"));
        QCOMPARE(dm->ShowMessageBox(MessageButtons::YesNo, QStringLiteral("Delete"), QStringLiteral("Sure?"),
                                    dm->MessageSwitch(key), key),
                 MessageAnswer::None);
        form.Prepare(MessageButtons::YesNo, QStringLiteral("Delete"), QStringLiteral("Sure?"), key);
        QVERIFY(!form.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->isChecked());
    }

    void aMessageWithoutKeyHasNoCheckBoxAndIsLower()
    {
        SwitchStore dm;
        TMessageForm form(*dm);
        auto* box = form.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
        QCOMPARE(box->text(), QStringLiteral("Do not again show this message "));

        form.Prepare(MessageButtons::Ok, QStringLiteral("Error"), QStringLiteral("x"), {});
        form.show();
        QVERIFY(!box->isVisible());
        QCOMPARE(form.height(), 144);
        form.Prepare(MessageButtons::OkCancel, QStringLiteral("Error"), QStringLiteral("x"),
                     QStringLiteral("NoURL"));
        QVERIFY(box->isVisible());
        QCOMPARE(form.height(), 164);
        form.hide();
    }

    void theButtonsFollowTheLayoutRule()
    {
        QCOMPARE(TMessageForm::ButtonLefts(420, 75, 1), (QList<int>{172}));
        QCOMPARE(TMessageForm::ButtonLefts(420, 75, 2), (QList<int>{130, 210}));
        QCOMPARE(TMessageForm::ButtonLefts(420, 75, 3), (QList<int>{92, 172, 252})); // 92.5 rounds down
        QCOMPARE(TMessageForm::ButtonLefts(100, 75, 3),
                 (QList<int>{-67, 13, 93})); // -67.5 rounds toward zero

        SwitchStore dm;
        TMessageForm form(*dm);
        for (int type : {0, 2, 5}) {
            form.Prepare(MessageButtons(type), QStringLiteral("T"), QStringLiteral("x"), {});
            const int count = type == 0 ? 1 : type == 2 ? 3 : 2;
            const QList<int> lefts =
                TMessageForm::ButtonLefts(form.width(), TMessageForm::ButtonWidth, count);
            for (int i = 0; i < count; ++i) {
                QCOMPARE(button(form, i + 1)->x(), lefts[i]);
                QCOMPARE(button(form, i + 1)->width(), TMessageForm::ButtonWidth);
            }
        }
    }

    void staysOnTopCentredAndShowsTheHtml()
    {
        SwitchStore dm;
        TMessageForm form(*dm);
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QRect geometry;
        QString plain;
        QString title;
        whenShown(form, [&] {
            geometry = form.frameGeometry();
            title = form.windowTitle();
            plain = form.findChild<QTextBrowser*>()->toPlainText();
            form.done(1);
        });
        form.Execute(MessageButtons::Ok, QStringLiteral("Warning"),
                     QStringLiteral("<P align=\"center\"><B>Bold</B><BR>next line</P>"), {});
        QCOMPARE(title, QStringLiteral("Warning"));
        QCOMPARE(plain, QStringLiteral("Bold\nnext line"));
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        // Within the frame's thickness, which the window learns only once shown.
        QVERIFY2((geometry.center() - centre).manhattanLength() <= 8,
                 qPrintable(QStringLiteral("%1,%2").arg(geometry.center().x()).arg(geometry.center().y())));
    }

    void aMessageRaisedWhileOneIsOpenGetsItsOwnWindow()
    {
        SwitchStore dm;
        TMessageForm form(*dm);
        MessageAnswer inner = MessageAnswer::None;
        whenShown(form, [&] {
            QTimer::singleShot(0, [] {
                auto* nested = qobject_cast<TMessageForm*>(QApplication::activeModalWidget());
                QTRY_VERIFY(nested && nested->isVisible());
                nested = qobject_cast<TMessageForm*>(QApplication::activeModalWidget());
                QTest::mouseClick(nested->findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
            });
            inner = dm->ShowMessageBox(MessageButtons::YesNo, QStringLiteral("Inner"),
                                       QStringLiteral("Inner?"), true, {});
            QTest::mouseClick(button(form, 1), Qt::LeftButton);
        });
        QCOMPARE(dm->ShowMessageBox(MessageButtons::OkCancel, QStringLiteral("Outer"),
                                    QStringLiteral("Outer?"), true, {}),
                 MessageAnswer::Ok);
        QCOMPARE(inner, MessageAnswer::No);
        // The first window still shows the messages that follow.
        whenShown(form, [&] { form.done(4); });
        QCOMPARE(dm->ShowMessageBox(MessageButtons::RetryCancel, QStringLiteral("Again"),
                                    QStringLiteral("Retry?"), true, {}),
                 MessageAnswer::Retry);
    }
};

QTEST_MAIN(TestMessageForm)
#include "test_message_form.moc"
