#pragma once
// The fifteen fields of a card in data-file order: the one table that the reader stores
// values by, that the game window fills its labels from, and that the layout names its
// entry labels after.

#include "cards/gamedata.h"

#include <QString>
#include <array>
#include <cstdint>
#include <string_view>

enum class FieldKind { Text, Number };

struct FACField
{
    const char* name; // the FACRecord member's name; its labels are "lbl" + name (+ "b")
    FieldKind kind;
    QString FACRecord::*text = nullptr;        // where a text field is kept
    std::int16_t FACRecord::*number = nullptr; // where a number field is kept
};

constexpr FACField textField(const char* name, QString FACRecord::*member)
{
    return {name, FieldKind::Text, member, nullptr};
}

constexpr FACField numberField(const char* name, std::int16_t FACRecord::*member)
{
    return {name, FieldKind::Number, nullptr, member};
}

inline constexpr std::array<FACField, 15> kFACFields{{
    textField("No", &FACRecord::No),
    textField("Pos", &FACRecord::Pos),
    numberField("CF", &FACRecord::CF),
    textField("RN", &FACRecord::RN),
    textField("Res", &FACRecord::Res),
    numberField("KD", &FACRecord::KD),
    numberField("KD2", &FACRecord::KD2),
    numberField("KOR", &FACRecord::KOR),
    numberField("KDC", &FACRecord::KDC),
    textField("J1", &FACRecord::J1),
    textField("J2", &FACRecord::J2),
    textField("J3", &FACRecord::J3),
    textField("Cond", &FACRecord::Cond),
    textField("Inj", &FACRecord::Inj),
    textField("SA", &FACRecord::SA),
}};

// The position of the field called name in kFACFields. A name that is no field does not
// compile where the position is needed at compile time.
constexpr int facFieldIndex(std::string_view name)
{
    for (std::size_t i = 0; i < kFACFields.size(); ++i) {
        if (name == kFACFields[i].name)
            return int(i);
    }
    throw "no card field of that name";
}

// What a label shows for the field: a text as stored, a number in decimal ("7", "-2").
inline QString fieldText(const FACRecord& card, const FACField& field)
{
    return field.kind == FieldKind::Number ? QString::number(card.*field.number) : card.*field.text;
}
