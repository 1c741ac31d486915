#pragma once
// Makers for the controls that the windows place by their layout tables: each takes the
// control's name and its place in twips, and sets the look the layout gives it.

#include "platform/widgets/layoutunits.h"
#include "platform/widgets/qorstyle.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

class QPushButton;
class QWidget;
class QorLabel;
class QorPicture;

struct LabelLook
{
    // Left out: as the container has it.
    std::optional<QFont> font;
    std::optional<QColor> fill;
    std::optional<QColor> text;
    Align align = Align::Left;
    bool border = false;
};

// The face the layout names, in the toolkit's words.
QString faceName(Face face);
// Top-aligned, horizontally as the layout says.
Qt::Alignment alignment(Align align);

QorLabel* makeLabel(QWidget* parent, const QString& name, const Twips& place,
                    const LabelLook& look = {}, const QString& text = QString());
QorPicture* makePicture(QWidget* parent, const QString& name, const Twips& place,
                        const QString& picture, bool stretch);
// A push button in the game's bold "MS Sans Serif" 8.25, with the hand cursor, that Return
// does not press unless it has the focus.
QPushButton* makeButton(QWidget* parent, const QString& name, const Twips& place,
                        const QString& caption);
