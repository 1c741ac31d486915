#pragma once
// The About window: title, description, version, the two logos, a link to the maker's web
// page, and OK. A dialog to the desktop and to screen readers, but top-level without an owner,
// modeless and kept out of the taskbar; closing it destroys it.

#include "platform/services.h"

#include <QDialog>

class QorLabel;
class QorPicture;
class QFrame;
class QPushButton;

class frmAbout : public QDialog
{
    Q_OBJECT
  public:
    // Builds the controls only; the opener calls Form_Load() and then show().
    explicit frmAbout(const Services& services);
    ~frmAbout() override;

    // Sets the caption, the version line and the title line.
    void Form_Load();

    QorPicture* picIcon = nullptr;
    QorLabel* lblTitle = nullptr;
    QorLabel* lblDescription = nullptr;
    QorLabel* lblVersion = nullptr;
    QFrame* Line1_0 = nullptr;
    QFrame* Line1_1 = nullptr;
    QorPicture* Image1 = nullptr;
    QorLabel* lblWeb = nullptr;
    QPushButton* cmdOK = nullptr;

  public slots:
    void cmdOK_Click();
    void lblWeb_Click();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Services m_services;
};
