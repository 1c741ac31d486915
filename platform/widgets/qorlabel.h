#pragma once
// A label that draws the way the game window's layout asks: opaque fill, text from the top,
// word wrap inside the width, cut off at the bottom edge, an optional flat one-pixel border,
// and "&" marking an access key (drawn underlined, "&&" shows one "&") unless switched off.
// The text is always plain: nothing in it is ever taken as HTML.

#include <QLabel>
#include <QList>
#include <QString>

// A label text as shown: the ampersands that mark access keys taken out, and where the
// marked characters now stand.
struct AccessKeyText
{
    QString text;
    QList<int> underlined;
};

// "&x" shows x underlined, "&&" shows "&", a lone "&" at the very end shows nothing.
AccessKeyText parseAccessKeys(const QString& raw);

class QorLabel : public QLabel
{
    Q_OBJECT
  public:
    explicit QorLabel(QWidget* parent = nullptr);

    void setFillColour(const QColor& colour);
    QColor fillColour() const;
    void setTextColour(const QColor& colour);
    QColor textColour() const;

    // A flat black frame one pixel wide, drawn inside the rectangle.
    void setBorder(bool on);
    bool hasBorder() const { return m_border; }

    // Off for long texts that must show every "&" as it stands.
    void setAccessKeys(bool on);
    bool accessKeys() const { return m_accessKeys; }

    // What the label actually draws (access-key ampersands taken out, line breaks kept).
    QString shownText() const;

  signals:
    // A left-button press and release inside the label.
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool m_border = false;
    bool m_accessKeys = true;
    bool m_pressed = false;
};
