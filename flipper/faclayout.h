#pragma once
// The game window's layout in twips (15 twips = 1 pixel at 96 dpi), measured from the
// top-left of the container's client area: the window for the main panel and the middle
// column, the frame fraFAC for the review panel. The window and the card-art generator
// both read these numbers, so the printed cells of the card pictures lie exactly under
// the labels that the window lays over them.

#include "cards/facfields.h"
#include "platform/widgets/layoutunits.h"

#include <array>
#include <string_view>

namespace faclayout {

// One field of a card, shown on both panels: its label on the main panel, named "lbl" and
// the field's name, and its twin on the review panel, the same name with a "b".
struct EntryLabel
{
    int field; // its position in kFACFields
    char mainName[12];
    Twips main;
    char reviewName[12];
    Twips review;
    Face face;
    double points;
    Align align;
    const char* description; // what a screen reader is told the label holds
};

constexpr EntryLabel entryLabel(std::string_view field, Twips main, Twips review, Face face,
                                double points, Align align, const char* description)
{
    EntryLabel e{facFieldIndex(field), {}, main, {}, review, face, points, align, description};
    const std::string_view name = kFACFields[std::size_t(e.field)].name;
    if (name.size() + 5 > sizeof e.reviewName)
        throw "field name too long for its label's name";
    const std::string_view prefix = "lbl";
    for (std::size_t i = 0; i < prefix.size() + name.size(); ++i)
        e.mainName[i] = e.reviewName[i] = i < prefix.size() ? prefix[i] : name[i - prefix.size()];
    e.reviewName[prefix.size() + name.size()] = 'b';
    return e;
}

// Every field but No (whose label is the hidden lblNo), in the field table's order.
// clang-format off
inline constexpr std::array<EntryLabel, 14> kEntryLabels{{
    entryLabel("Pos", {2400, 1600, 1680, 255}, {2390, 1600, 1680, 255}, Face::MsSansSerif, 9.75, Align::Left, "Ring position"),
    entryLabel("CF", {1380, 990, 495, 250}, {1350, 980, 495, 255}, Face::Arial, 9.75, Align::Centre, "CF"),
    entryLabel("RN", {3120, 990, 960, 250}, {3120, 980, 960, 255}, Face::Arial, 9.75, Align::Centre, "RN"),
    entryLabel("Res", {2400, 1290, 1635, 255}, {2400, 1290, 1635, 255}, Face::MsSansSerif, 9.75, Align::Left, "Result"),
    entryLabel("KD", {1400, 1930, 495, 255}, {1400, 1940, 495, 255}, Face::MsSansSerif, 9.75, Align::Centre, "KD"),
    entryLabel("KD2", {3330, 1930, 495, 250}, {3340, 1940, 495, 255}, Face::MsSansSerif, 9.75, Align::Centre, "KD2"),
    entryLabel("KOR", {1400, 2230, 495, 255}, {1400, 2230, 495, 255}, Face::MsSansSerif, 9.75, Align::Centre, "KOR"),
    entryLabel("KDC", {3330, 2230, 495, 250}, {3340, 2230, 495, 255}, Face::MsSansSerif, 9.75, Align::Centre, "KDC"),
    entryLabel("J1", {830, 2560, 495, 255}, {840, 2560, 495, 255}, Face::MsSansSerif, 9.75, Align::Left, "J1"),
    entryLabel("J2", {2160, 2560, 495, 250}, {2175, 2560, 495, 255}, Face::MsSansSerif, 9.75, Align::Left, "J2"),
    entryLabel("J3", {3550, 2560, 495, 250}, {3555, 2560, 495, 255}, Face::MsSansSerif, 9.75, Align::Left, "J3"),
    entryLabel("Cond", {150, 2880, 3930, 960}, {150, 2880, 3930, 960}, Face::ArialNarrow, 8.25, Align::Left, "Condition"),
    entryLabel("Inj", {150, 3900, 3930, 1050}, {150, 3900, 3930, 1050}, Face::ArialNarrow, 8.25, Align::Left, "Injury"),
    entryLabel("SA", {150, 5000, 3930, 1020}, {150, 4995, 3930, 1020}, Face::ArialNarrow, 8.25, Align::Left, "Special action"),
}};
// clang-format on

constexpr bool entryLabelsFollowTheFields()
{
    for (std::size_t i = 0; i < kEntryLabels.size(); ++i) {
        if (kEntryLabels[i].field != int(i) + 1)
            return false;
    }
    return kEntryLabels.size() + 1 == kFACFields.size();
}
static_assert(entryLabelsFollowTheFields(), "one entry label a field, No aside, in field order");

// The heading array Label1: elements 0-10 on the main panel, 11-21 in fraFAC.
// All "Arial" 9.75 bold, white fill.
struct Heading
{
    const char* caption;
    int mainIndex;
    Twips main;
    int reviewIndex;
    Twips review;
    Align align;
};

inline constexpr std::array<Heading, 11> kHeadings{{
    {"CF:", 0, {380, 990, 495, 255}, 21, {450, 980, 495, 255}, Align::Centre},
    {"RN:", 1, {2380, 990, 495, 255}, 20, {2440, 980, 495, 255}, Align::Centre},
    {"RESULT:", 2, {400, 1290, 1935, 255}, 11, {400, 1290, 1935, 255}, Align::Right},
    {"RING POSITION:", 3, {400, 1600, 1935, 255}, 12, {400, 1620, 1935, 240}, Align::Right},
    {"KD:", 4, {550, 1930, 495, 255}, 19, {580, 1940, 495, 255}, Align::Right},
    {"KOR:", 5, {550, 2230, 495, 255}, 18, {580, 2240, 495, 255}, Align::Right},
    {"KD2:", 6, {2540, 1930, 495, 255}, 17, {2570, 1940, 495, 255}, Align::Right},
    {"KDC:", 7, {2540, 2230, 495, 255}, 16, {2570, 2240, 495, 255}, Align::Right},
    {"J1:", 8, {300, 2560, 495, 255}, 15, {340, 2560, 495, 255}, Align::Right},
    {"J2:", 9, {1630, 2560, 495, 255}, 14, {1680, 2560, 495, 255}, Align::Right},
    {"J3:", 10, {3020, 2560, 495, 255}, 13, {3060, 2560, 495, 255}, Align::Right},
}};

// The window and its pictures.
inline constexpr int kClientWidth = 12450; // 830 px
inline constexpr int kClientHeight = 7050; // 470 px

inline constexpr Twips kImage1{120, 120, 4725,
                               6540}; // blank card on a fanned stack, 315 x 436 natural
inline constexpr Twips kImgFAC{130, 130, 3960, 5900}; // card back, stretched
inline constexpr Twips kFraFAC{8040, 0, 4215, 6255};  // review panel frame
inline constexpr Twips kImage3{120, 120, 3990,
                               5925}; // in fraFAC: single blank card, 266 x 395 natural
inline constexpr Twips kImgFAC2{140, 150, 3960, 5895}; // in fraFAC: card back, stretched
inline constexpr Twips kImage2{5040, 120, 2715, 2085}; // title logo, 181 x 139 natural

// Picture sizes in pixels.
inline constexpr int kStackCardW = 315, kStackCardH = 436;
inline constexpr int kBlankCardW = 266, kBlankCardH = 395;
inline constexpr int kCardBackW = 229, kCardBackH = 353;
inline constexpr int kTitleLogoW = 181, kTitleLogoH = 139;
inline constexpr int kIconSize = 64;

// Middle column and hidden controls.
inline constexpr Twips kLblClock{5790, 2400, 1215, 495};
inline constexpr Twips kCmdFlip{5790, 3120, 1215, 495};
inline constexpr Twips kLabel4{6030, 3840, 735, 255};
inline constexpr Twips kLblRound{6030, 4080, 735, 495};
inline constexpr Twips kCmdRound{5790, 4800, 1215, 495};
inline constexpr Twips kLabel2{5910, 5685, 975, 450};
inline constexpr Twips kLblKI{5910, 6120, 975, 450};
inline constexpr Twips kCboKI{5910, 6120, 1250, 480};
inline constexpr Twips kCmdPick{9180, 6360, 1935, 495};
inline constexpr Twips kLstFAC{4800, 2400, 855, 4125};
inline constexpr Twips kLblNo{5520, 0, 495, 300};
inline constexpr Twips kCmdFlip2{2400, 6960, 1575, 495};

// The pictures, embedded as resources.
inline constexpr const char* kCardStackPicture = ":/art/card_stack.png";
inline constexpr const char* kCardBackPicture = ":/art/card_back.png";
inline constexpr const char* kTitleLogoPicture = ":/art/title_logo.png";
inline constexpr const char* kCardBlankPicture = ":/art/card_blank.png";
inline constexpr std::array<const char*, 4> kPictures{kCardStackPicture, kCardBackPicture,
                                                      kTitleLogoPicture, kCardBlankPicture};

// The colours the layout names: fixed ones, and the classic system colours.
enum class Colour {
    White,
    Red,
    Yellow,
    Blue,
    LightGrey,
    Window,
    WindowText,
    MenuText,
    ButtonFace,
    ButtonText
};

// A label of the middle column, or the hidden card number, with its look. All bold.
struct FixedLabel
{
    const char* name;
    Twips place;
    Face face;
    double points;
    Align align;
    Colour fill;
    Colour text;
    bool border;
    const char* caption;
    const char* description; // what a screen reader is told the label holds; null for headings
};

// clang-format off
inline constexpr std::array<FixedLabel, 5> kMiddleLabels{{
    {"lblClock", kLblClock, Face::MsSansSerif, 18, Align::Centre, Colour::MenuText, Colour::Yellow, false, "3:00", "Round clock"},
    {"Label4", kLabel4, Face::MsSansSerif, 8.25, Align::Centre, Colour::Window, Colour::WindowText, true, "ROUND", nullptr},
    {"lblRound", kLblRound, Face::MsSansSerif, 18, Align::Centre, Colour::LightGrey, Colour::Blue, true, "1", "Round"},
    {"Label2", kLabel2, Face::MsSansSerif, 8.25, Align::Centre, Colour::Window, Colour::Red, true, " KILLER INSTINCT", nullptr},
    {"lblKI", kLblKI, Face::MsSansSerif, 13.5, Align::Centre, Colour::Red, Colour::White, true, "", "Killer Instinct"},
}};
inline constexpr FixedLabel kCardNumberLabel{"lblNo", kLblNo, Face::MsSansSerif, 12, Align::Centre, Colour::ButtonFace, Colour::ButtonText, false, "", "Card number"};
// clang-format on

} // namespace faclayout
