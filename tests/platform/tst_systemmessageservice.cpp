#include "platform/systemmessageservice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class TestSystemMessageService : public QObject
{
    Q_OBJECT

  private slots:
    void showsAModalBoxWithOkOnly();
};

void TestSystemMessageService::showsAModalBoxWithOkOnly()
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Information;
    QList<QAbstractButton*> buttons;
    QMessageBox::StandardButton okButton = QMessageBox::NoButton;
    bool modal = false;
    Qt::TextFormat format = Qt::AutoText;
    bool seen = false;
    bool gaveUp = false;

    // The box blocks in its own event loop; look at it from there, then press OK.
    QTimer look;
    look.setInterval(10);
    connect(&look, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        look.stop();
        seen = true;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons();
        okButton = box->standardButton(buttons.value(0));
        modal = box->isModal();
        format = box->textFormat();
        if (QAbstractButton* ok = buttons.value(0))
            QTest::mouseClick(ok, Qt::LeftButton);
    });
    // A box that is not found, or that OK does not close, would block until CTest gives up:
    // whatever is still open after a few seconds is closed and the test fails.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    giveUp.setInterval(5000);
    connect(&giveUp, &QTimer::timeout, this, [&] {
        gaveUp = true;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            if (auto* dialog = qobject_cast<QDialog*>(window))
                dialog->done(0);
            else
                window->close();
        }
    });
    look.start();
    giveUp.start();

    SystemMessageService messages;
    messages.showMessage(QStringLiteral("Error 53 trying to read FACs.\r\nFile not found: <x>"),
                         QStringLiteral("KRVN_QOR"));

    QVERIFY2(seen, "no modal message box came up");
    QVERIFY2(!gaveUp, "a box was still open after 5 s: no OK, or OK did not close it");
    QCOMPARE(title, "KRVN_QOR");
    QCOMPARE(text, "Error 53 trying to read FACs.\nFile not found: <x>");
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(okButton, QMessageBox::Ok);
    QVERIFY(modal);
}

QTEST_MAIN(TestSystemMessageService)
#include "tst_systemmessageservice.moc"
