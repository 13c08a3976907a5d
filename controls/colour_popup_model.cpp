#include "controls/colour_popup_model.h"

namespace rescuva::controls {

const NamedColour kPopupColours[kPopupColourCount] = {
    {0x000000, "Black"},
    {0x002AA5, "Brown"},
    {0x404000, "Dark Olive Green"},
    {0x005500, "Dark Green"},
    {0x5E0000, "Dark Teal"},
    {0x8B0000, "Dark blue"},
    {0x82004B, "Indigo"},
    {0x282828, "Dark grey"},
    {0x00008B, "Dark red"},
    {0x2068FF, "Orange"},
    {0x008B8B, "Dark yellow"},
    {0x009300, "Green"},
    {0x8E8E38, "Teal"},
    {0xFF0000, "Blue"},
    {0xC07B7B, "Blue-grey"},
    {0x666666, "Grey - 40"},
    {0x0000FF, "Red"},
    {0x5BADFF, "Light orange"},
    {0x32CD32, "Lime"},
    {0x71B33C, "Sea green"},
    {0xD4FF7F, "Aqua"},
    {0xC09E7D, "Light blue"},
    {0x800080, "Violet"},
    {0x7F7F7F, "Grey - 50"},
    {0xCBC0FF, "Pink"},
    {0x00D7FF, "Gold"},
    {0x00FFFF, "Yellow"},
    {0x00FF00, "Bright green"},
    {0xD0E040, "Turquoise"},
    {0xFFFFC0, "Skyblue"},
    {0x480048, "Plum"},
    {0xC0C0C0, "Light grey"},
    {0xE1E4FF, "Rose"},
    {0x8CB4D2, "Tan"},
    {0xE0FFFF, "Light yellow"},
    {0x98FB98, "Pale green "},
    {0xEEEEAF, "Pale turquoise"},
    {0x8B8368, "Pale blue"},
    {0xFAE6E6, "Lavender"},
    {0xFFFFFF, "White"},
};

namespace {

constexpr int kLastColour = kPopupColourCount - 1;

}  // namespace

ColourPopupModel::ColourPopupModel(ColourRef initial, bool automatic_entry, bool more_entry)
    : initial_(initial), automatic_(automatic_entry), more_(more_entry) {
  initial_index_ = more_ ? kSelectMore : kSelectNone;
  if (initial == kAutomaticColour) initial_index_ = kSelectAutomatic;
  for (int i = 0; i < kPopupColourCount; ++i) {
    if (kPopupColours[i].colour == initial) initial_index_ = i;
  }
  selection_ = initial_index_;
}

bool ColourPopupModel::Exists(int selection) const {
  if (selection == kSelectAutomatic) return automatic_;
  if (selection == kSelectMore) return more_;
  return selection >= 0 && selection < kPopupColourCount;
}

int ColourPopupModel::First(std::initializer_list<int> candidates) const {
  for (int candidate : candidates) {
    if (Exists(candidate)) return candidate;
  }
  return 0;
}

ColourRef ColourPopupModel::ColourOf(int selection) const {
  if (selection == kSelectAutomatic) return kAutomaticColour;
  if (selection >= 0 && selection < kPopupColourCount) return kPopupColours[selection].colour;
  return initial_;
}

bool ColourPopupModel::Select(int selection) {
  if (selection == selection_ || (selection != kSelectNone && !Exists(selection))) return false;
  selection_ = selection;
  return true;
}

void ColourPopupModel::MoveRight() {
  const int s = selection_;
  if (s == kSelectAutomatic || s == kSelectNone) {
    Select(0);
  } else if (s == kSelectMore) {
    Select(First({kSelectAutomatic, 0}));
  } else if (s == kLastColour) {
    Select(First({kSelectMore, kSelectAutomatic, 0}));
  } else {
    Select(s + 1);
  }
}

void ColourPopupModel::MoveLeft() {
  const int s = selection_;
  if (s == kSelectMore || s == kSelectNone) {
    Select(kLastColour);
  } else if (s == kSelectAutomatic) {
    Select(First({kSelectMore, kLastColour}));
  } else if (s == 0) {
    Select(First({kSelectAutomatic, kSelectMore, kLastColour}));
  } else {
    Select(s - 1);
  }
}

void ColourPopupModel::MoveUp() {
  const int s = selection_;
  if (s == kSelectMore || s == kSelectNone) {
    Select(kLastColour);
  } else if (s == kSelectAutomatic) {
    Select(First({kSelectMore, kLastColour}));
  } else if (s < kPopupColumns) {
    Select(First({kSelectAutomatic, kSelectMore, kLastColour}));
  } else {
    Select(s - kPopupColumns);
  }
}

void ColourPopupModel::MoveDown() {
  const int s = selection_;
  if (s == kSelectAutomatic || s == kSelectNone) {
    Select(0);
  } else if (s == kSelectMore) {
    Select(First({kSelectAutomatic, 0}));
  } else if (s + kPopupColumns >= kPopupColourCount) {
    Select(First({kSelectMore, kSelectAutomatic, 0}));
  } else {
    Select(s + kPopupColumns);
  }
}

}  // namespace rescuva::controls
