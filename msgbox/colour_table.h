// Colour names the markup understands: 140 named colours and 28 names bound to the
// system's colours when the table is built. Values are COLORREF (0x00BBGGRR).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace rescuva::msgbox {

using ColourRef = uint32_t;

// The value of a system colour by its index (COLOR_BTNFACE is 15, ...).
using SystemColours = std::function<ColourRef(int index)>;

constexpr ColourRef Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return ColourRef{red} | ColourRef{green} << 8 | ColourRef{blue} << 16;
}
constexpr uint8_t RedOf(ColourRef c) {
  return static_cast<uint8_t>(c);
}
constexpr uint8_t GreenOf(ColourRef c) {
  return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t BlueOf(ColourRef c) {
  return static_cast<uint8_t>(c >> 16);
}

class ColourTable {
 public:
  explicit ColourTable(const SystemColours& system);
  // The colour of a lower-case name; nothing for an unknown name.
  std::optional<ColourRef> Find(const std::string& name) const;
  size_t Size() const { return colours_.size(); }

 private:
  std::map<std::string, ColourRef> colours_;
};

}  // namespace rescuva::msgbox
