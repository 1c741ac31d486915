// The About window on its own: its texts, layout, keys and the link.

#include "fakes.h"
#include "platform/shell.h"
#include "platform/widgets/qorlabel.h"
#include "platform/widgets/qorpicture.h"
#include "windows/aboutinfo.h"
#include "windows/frmabout.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

class TestAbout : public QObject
{
    Q_OBJECT
  private:
    FakeWorld m_world;

    // A loaded About window, shown the way the title window shows it.
    QPointer<frmAbout> openAbout(ShellService* shell = nullptr)
    {
        Services services = m_world.services();
        static std::optional<Services> held;
        held.reset();
        held.emplace(Services{services.random, services.messages, services.sound,
                              shell ? *shell : services.shell, services.exit,
                              services.programFolder, services.dataFile});
        auto* about = new frmAbout(*held);
        about->Form_Load();
        about->show();
        return about;
    }

  private slots:
    void init() { m_world.shell.calls.clear(); }
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            delete w;
    }

    void versionLine_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("line");
        QTest::newRow("this release") << 2 << 0 << 2 << "Version 2.0.2";
        QTest::newRow("revision 10 is not padded") << 2 << 0 << 10 << "Version 2.0.10";
        QTest::newRow("two-digit minor") << 2 << 12 << 0 << "Version 2.12.0";
        QTest::newRow("all zero") << 0 << 0 << 0 << "Version 0.0.0";
    }
    void versionLine()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, line);
        QCOMPARE(::versionLine(major, minor, revision), line);
    }

    void loadSetsCaptionVersionAndTitle()
    {
        auto about = openAbout();
        QCOMPARE(about->windowTitle(), QString("About KORVANE II QOR Flipper"));
        // The build's project version.
        QCOMPARE(about->lblVersion->text(), QString("Version 2.0.2"));
        QCOMPARE(about->lblTitle->text(), QString("KORVANE II II QOR Flipper"));
        QCOMPARE(about->lblDescription->text(), QString("AUTOMATED QOR FLIPPER"));
        QCOMPARE(about->lblWeb->text(), QString("Olvarin"));
        QCOMPARE(about->cmdOK->text(), QString("OK"));
        for (QLabel* label : about->findChildren<QLabel*>())
            QCOMPARE(label->textFormat(), Qt::PlainText);
    }

    void windowIsFixedToolWithoutMinMax()
    {
        auto about = openAbout();
        QCOMPARE(about->size(), QSize(386, 267));
        QCOMPARE(about->minimumSize(), QSize(386, 267));
        QCOMPARE(about->maximumSize(), QSize(386, 267));
        const Qt::WindowFlags flags = about->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!about->parentWidget());
        QVERIFY(!about->isModal());
        // It keeps the program alive while open, like any main window.
        QVERIFY(about->testAttribute(Qt::WA_QuitOnClose));
    }

    void aScreenReaderHearsADialog()
    {
        auto about = openAbout();
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(about.data());
        QVERIFY(window);
        QCOMPARE(window->role(), QAccessible::Dialog);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("About KORVANE II QOR Flipper"));
        // Still kept out of the taskbar and without an owner.
        QCOMPARE(about->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(!about->parentWidget());
    }

    void controlsAtTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("picIcon sized to its 69 x 69 picture") << "picIcon" << QRect(16, 24, 69, 69);
        QTest::newRow("lblTitle") << "lblTitle" << QRect(102, 32, 259, 32);
        QTest::newRow("lblDescription") << "lblDescription" << QRect(102, 56, 259, 22);
        QTest::newRow("lblVersion") << "lblVersion" << QRect(102, 80, 259, 15);
        QTest::newRow("Line1(0), white, 2 px") << "Line1_0" << QRect(8, 128, 371, 2);
        QTest::newRow("Line1(1), grey, 1 px") << "Line1_1" << QRect(8, 128, 372, 1);
        QTest::newRow("Image1") << "Image1" << QRect(16, 144, 119, 109);
        QTest::newRow("lblWeb") << "lblWeb" << QRect(152, 190, 161, 17);
        QTest::newRow("cmdOK") << "cmdOK" << QRect(288, 232, 84, 23);
    }
    void controlsAtTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        auto about = openAbout();
        auto* control = about->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
    }

    void etchedRuleGreyOverWhite()
    {
        auto about = openAbout();
        const QImage shot = about->grab().toImage();
        const qreal dpr = shot.devicePixelRatio();
        auto at = [&](int x, int y) { return shot.pixelColor(int(x * dpr), int(y * dpr)); };
        QCOMPARE(at(8, 128), QColor(128, 128, 128));
        QCOMPARE(at(379, 128), QColor(128, 128, 128));
        QCOMPARE(at(8, 129), QColor(255, 255, 255));
        QCOMPARE(at(378, 129), QColor(255, 255, 255));
        QVERIFY(at(380, 128) != QColor(128, 128, 128));
    }

    void makerLogoStretchedIntoItsBox()
    {
        auto about = openAbout();
        QVERIFY(about->Image1->stretch());
        QVERIFY(!about->picIcon->stretch());
    }

    void linkLooksLikeALink()
    {
        auto about = openAbout();
        QCOMPARE(about->lblWeb->textColour(), QColor(255, 0, 0));
        QCOMPARE(about->lblWeb->toolTip(), kMakerWebAddress);
        const QCursor cursor = about->lblWeb->cursor();
        if (QPixmap(":/art/hand_cursor.png").isNull()) {
            QCOMPARE(cursor.shape(), Qt::PointingHandCursor);
        } else {
            QCOMPARE(cursor.shape(), Qt::BitmapCursor);
            QCOMPARE(cursor.hotSpot(), QPoint(12, 1));
        }
        QCOMPARE(about->cmdOK->cursor().shape(), cursor.shape());
    }

    void okFocusedFirstThenPicIcon()
    {
        auto about = openAbout();
        QCOMPARE(about->focusWidget(), about->cmdOK);
        QVERIFY(about->cmdOK->isDefault());
        QTest::keyClick(about->focusWidget(), Qt::Key_Tab);
        QCOMPARE(about->focusWidget(), about->picIcon);
        QTest::keyClick(about->focusWidget(), Qt::Key_Tab);
        QCOMPARE(about->focusWidget(), about->cmdOK);
    }

    void keysClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("focusOnPicture");
        QTest::newRow("Return on OK") << int(Qt::Key_Return) << false;
        QTest::newRow("keypad Enter on OK") << int(Qt::Key_Enter) << false;
        QTest::newRow("Esc on OK") << int(Qt::Key_Escape) << false;
        QTest::newRow("Return on the picture") << int(Qt::Key_Return) << true;
        QTest::newRow("Esc on the picture") << int(Qt::Key_Escape) << true;
    }
    void keysClose()
    {
        QFETCH(int, key);
        QFETCH(bool, focusOnPicture);
        auto about = openAbout();
        if (focusOnPicture)
            about->picIcon->setFocus();
        QWidget* target = about->focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(!about->isVisible());
        QTRY_VERIFY(about.isNull()); // unloaded, not just hidden
    }

    void otherKeysLeaveItOpen()
    {
        auto about = openAbout();
        QTest::keyClick(about->cmdOK, Qt::Key_A);
        QTest::keyClick(about->picIcon, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(about->isVisible());
    }

    void okClickCloses()
    {
        auto about = openAbout();
        QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        QVERIFY(!about->isVisible());
        QTRY_VERIFY(about.isNull());
    }

    void linkCallsShellWithExactArguments()
    {
        auto about = openAbout();
        m_world.shell.result = false; // a refusal is ignored: nothing shows, nothing changes
        QTest::mouseClick(about->lblWeb, Qt::LeftButton);
        QCOMPARE(m_world.shell.calls.size(), 1);
        const RecordingShell::Call call = m_world.shell.calls.first();
        QCOMPARE(call.document, kMakerWebAddress);
        QCOMPARE(call.operation, QString("Open"));
        QCOMPARE(call.argList, std::optional<QString>());
        QCOMPARE(call.workFolder, std::optional<QString>());
        QCOMPARE(call.showCommand, 0);
        QVERIFY(about->isVisible());
        QCOMPARE(QApplication::topLevelWidgets().size(), 1);
    }

    void linkIgnoresOtherButtons()
    {
        auto about = openAbout();
        QTest::mouseClick(about->lblWeb, Qt::RightButton);
        QVERIFY(m_world.shell.calls.isEmpty());
    }

    void linkReachesTheDesktop()
    {
#ifdef Q_OS_WIN
        QSKIP(
            "on Windows the link goes to ShellExecuteA, not the desktop's URL handlers: "
            "tst_winplatform hands it a recorder, and linkCallsShellWithExactArguments a fake one");
#endif
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        SystemShellService shell;
        auto about = openAbout(&shell);
        QTest::mouseClick(about->lblWeb, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(kMakerWebAddress)});
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
