#pragma once
// A picture control: draws one picture at its own size from the top-left corner, or
// stretched to fill the control. A missing picture draws nothing.

#include <QPixmap>
#include <QWidget>

class QorPicture : public QWidget
{
    Q_OBJECT
  public:
    explicit QorPicture(QWidget* parent = nullptr);

    // Loads the picture from a file or resource path (":/art/..."); a missing one leaves the
    // control empty.
    void setPicture(const QString& path);
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }

    void setStretch(bool on);
    bool stretch() const { return m_stretch; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap m_picture;
    bool m_stretch = false;
};
