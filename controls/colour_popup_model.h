// What the colour pop-up decides without a window: its 40 named colours, the entry
// that starts highlighted, the keyboard moves between boxes and entries, and the
// colour each selection stands for.
#pragma once

#include <cstdint>

#include "msgbox/colour_table.h"

namespace rescuva::controls {

using msgbox::ColourRef;

struct NamedColour {
  ColourRef colour;
  const char* name;
};

constexpr int kPopupColourCount = 40;
constexpr int kPopupColumns = 8;
constexpr int kPopupRows = (kPopupColourCount + kPopupColumns - 1) / kPopupColumns;
extern const NamedColour kPopupColours[kPopupColourCount];

constexpr ColourRef kAutomaticColour = 0xFF000000;  // no explicit colour
constexpr int kSelectNone = -1;
constexpr int kSelectMore = -2;       // "More Colours..."
constexpr int kSelectAutomatic = -3;  // "Automatic"

// Notifications of the picker to its parent (and of the pop-up to the picker).
constexpr int kColourSelChange = 2025;
constexpr int kColourDropDown = 2026;
constexpr int kColourCloseUp = 2027;
constexpr int kColourSelEnd = 2028;
constexpr int kColourSelCancel = 2029;

class ColourPopupModel {
 public:
  ColourPopupModel(ColourRef initial, bool automatic_entry, bool more_entry);

  int InitialIndex() const { return initial_index_; }
  int Selection() const { return selection_; }
  ColourRef Initial() const { return initial_; }
  bool HasAutomatic() const { return automatic_; }
  bool HasMore() const { return more_; }
  // The colour a selection stands for: a box's colour, 0xFF000000 for "Automatic",
  // the initial colour for "More Colours..." (and for no selection).
  ColourRef ColourOf(int selection) const;
  // True when the selection changed.
  bool Select(int selection);

  void MoveRight();
  void MoveLeft();
  void MoveUp();
  void MoveDown();

 private:
  // The first of the candidates that exists.
  int First(std::initializer_list<int> candidates) const;
  bool Exists(int selection) const;

  ColourRef initial_;
  bool automatic_;
  bool more_;
  int initial_index_;
  int selection_;
};

}  // namespace rescuva::controls
