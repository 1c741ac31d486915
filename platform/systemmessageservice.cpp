#include "platform/systemmessageservice.h"

#include <QMessageBox>

void SystemMessageService::showMessage(const QString& text, const QString& caption)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(caption);
    box.setIcon(QMessageBox::NoIcon);
    // Plain text: a deck's card text such as "<b>" is shown as written, and the CR LF that
    // separates the message lines becomes one line break on every platform.
    box.setTextFormat(Qt::PlainText);
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box.setText(shown);
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
