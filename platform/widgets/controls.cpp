#include "platform/widgets/controls.h"

#include "platform/widgets/qorlabel.h"
#include "platform/widgets/qorpicture.h"

#include <QPushButton>

QString faceName(Face face)
{
    switch (face) {
    case Face::Arial:
        return QStringLiteral("Arial");
    case Face::ArialNarrow:
        return QStringLiteral("Arial Narrow");
    case Face::MsSansSerif:
        break;
    }
    return QStringLiteral("MS Sans Serif");
}

Qt::Alignment alignment(Align align)
{
    switch (align) {
    case Align::Centre:
        return Qt::AlignHCenter | Qt::AlignTop;
    case Align::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

QorLabel* makeLabel(QWidget* parent, const QString& name, const Twips& place, const LabelLook& look,
                    const QString& text)
{
    auto* label = new QorLabel(parent);
    label->setObjectName(name);
    label->setGeometry(pixels(place));
    if (look.font)
        label->setFont(*look.font);
    label->setAlignment(alignment(look.align));
    if (look.fill)
        label->setFillColour(*look.fill);
    if (look.text)
        label->setTextColour(*look.text);
    label->setBorder(look.border);
    label->setText(text);
    return label;
}

QorPicture* makePicture(QWidget* parent, const QString& name, const Twips& place,
                        const QString& picture, bool stretch)
{
    auto* image = new QorPicture(parent);
    image->setObjectName(name);
    image->setGeometry(pixels(place));
    image->setPicture(picture);
    image->setStretch(stretch);
    return image;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const Twips& place,
                        const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(pixels(place));
    button->setFont(qorFont(faceName(Face::MsSansSerif), 8.25, true));
    button->setCursor(handCursor());
    button->setAutoDefault(false);
    return button;
}
