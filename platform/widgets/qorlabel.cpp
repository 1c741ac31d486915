#include "platform/widgets/qorlabel.h"

#include "platform/widgets/windowhelpers.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>

namespace {

// Line breaks in a data text start a new line, as they would on a printed card.
QString withLineSeparators(QString text)
{
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

} // namespace

AccessKeyText parseAccessKeys(const QString& raw)
{
    AccessKeyText out;
    out.text.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != QLatin1Char('&')) {
            out.text.append(c);
            continue;
        }
        if (i + 1 >= raw.size())
            break;
        const QChar next = raw.at(++i);
        if (next != QLatin1Char('&'))
            out.underlined.append(int(out.text.size()));
        out.text.append(next);
    }
    return out;
}

QorLabel::QorLabel(QWidget* parent) : QLabel(parent)
{
    // Data texts are shown as they are, never as rich text (no markup, no local images).
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QorLabel::setFillColour(const QColor& colour)
{
    // Painted by paintEvent, not by the toolkit's background fill.
    setPaletteColour(this, QPalette::Window, colour);
}

QColor QorLabel::fillColour() const
{
    return palette().color(QPalette::Window);
}

void QorLabel::setTextColour(const QColor& colour)
{
    setPaletteColour(this, QPalette::WindowText, colour);
}

QColor QorLabel::textColour() const
{
    return palette().color(QPalette::WindowText);
}

void QorLabel::setBorder(bool on)
{
    m_border = on;
    update();
}

void QorLabel::setAccessKeys(bool on)
{
    m_accessKeys = on;
    update();
}

QString QorLabel::shownText() const
{
    const QString lines = withLineSeparators(text());
    return m_accessKeys ? parseAccessKeys(lines).text : lines;
}

void QorLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), fillColour());

    QRect area = rect();
    if (m_border) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        area.adjust(1, 1, -1, -1);
    }
    if (text().isEmpty() || area.isEmpty())
        return;

    AccessKeyText shown;
    if (m_accessKeys)
        shown = parseAccessKeys(withLineSeparators(text()));
    else
        shown.text = withLineSeparators(text());

    QTextLayout layout(shown.text, font(), this);
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    // Lines break at blanks only; a single word wider than the label runs on and is cut off
    // at the edge, as a heading a hair too wide for its cell should stay whole.
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    if (!shown.underlined.isEmpty()) {
        QList<QTextLayout::FormatRange> ranges;
        for (int at : shown.underlined) {
            QTextLayout::FormatRange range;
            range.start = at;
            range.length = 1;
            range.format.setFontUnderline(true);
            ranges.append(range);
        }
        layout.setFormats(ranges);
    }

    // Only the lines that start inside the label are laid out: a long text costs no more
    // than a short one, and what runs past the bottom edge is cut off.
    qreal y = 0;
    layout.beginLayout();
    while (y < area.height()) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(area.width());
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();

    painter.setClipRect(area);
    painter.setPen(textColour());
    layout.draw(&painter, area.topLeft());
}

void QorLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void QorLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}
