#pragma once
// Modal message boxes with an OK button only, handed in so tests can capture the text.

#include <QString>

class MessageService
{
  public:
    virtual ~MessageService() = default;
    // Shows text with an OK button only and no icon, titled caption; returns when closed.
    virtual void showMessage(const QString& text, const QString& caption) = 0;
};
