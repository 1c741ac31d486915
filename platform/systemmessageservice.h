#pragma once
// The real message box: modal, an OK button only, no icon.

#include "cards/messageservice.h"

class QWidget;

class SystemMessageService : public MessageService
{
  public:
    // parent (may be null) is the window the box stays above.
    explicit SystemMessageService(QWidget* parent = nullptr) : m_parent(parent) {}
    void showMessage(const QString& text, const QString& caption) override;

  private:
    QWidget* m_parent;
};
