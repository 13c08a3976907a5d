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

}  // namespace rescuva::app
