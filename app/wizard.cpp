#include "app/wizard.h"

#include <algorithm>

namespace rescuva::app {

std::array<int, kPageRows> PageRowHeights(WizardState state, int h) {
  switch (state) {
    case WizardState::ChooseFile:
      return {0, h, 0, 0};
    case WizardState::Results:
      return {std::max(0, h - kScanPageHeight), h, 0, 0};
    case WizardState::SaveOptions:
      return {0, 0, h, 0};
    case WizardState::SaveProgress:
      return {0, 0, 0, h};
  }
  return {0, h, 0, 0};
}

std::vector<int> StackRows(const std::vector<int>& ideal_heights, int total) {
  std::vector<int> heights(ideal_heights.size(), 0);
  int left = std::max(0, total);
  for (size_t i = 0; i + 1 < ideal_heights.size(); ++i) {
    heights[i] = std::clamp(ideal_heights[i], 0, left);
    left -= heights[i];
  }
  if (!heights.empty()) heights.back() = left;
  return heights;
}

}  // namespace rescuva::app
