#include "platform/qtmessageservice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class TestQtMessageService : public QObject
{
    Q_OBJECT

  private slots:
    void showsAModalBoxWithOkOnly();
};

void TestQtMessageService::showsAModalBoxWithOkOnly()
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Information;
    QList<QAbstractButton*> buttons;
    QMessageBox::StandardButton okButton = QMessageBox::NoButton;
    bool modal = false;
    Qt::TextFormat format = Qt::AutoText;

    // The box blocks in its own event loop; look at it from there, then press OK.
    std::function<void()> inspect = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, inspect);
            return;
        }
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons();
        okButton = box->standardButton(buttons.value(0));
        modal = box->isModal();
        format = box->textFormat();
        QTest::mouseClick(buttons.value(0), Qt::LeftButton);
    };
    QTimer::singleShot(0, inspect);

    QtMessageService messages;
    messages.showMessage(QStringLiteral("Error 53 trying to read FACs.\r\nFile not found: <x>"),
                         QStringLiteral("KRVN_QOR"));

    QCOMPARE(title, "KRVN_QOR");
    QCOMPARE(text, "Error 53 trying to read FACs.\nFile not found: <x>");
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(okButton, QMessageBox::Ok);
    QVERIFY(modal);
}

QTEST_MAIN(TestQtMessageService)
#include "tst_qtmessageservice.moc"
