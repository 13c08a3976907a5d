// The rows of the preview stack.
#pragma once

namespace rescuva::views {

// The rows of the preview stack and its layouts.
enum PreviewRow {
  kHeaderRow = 0,
  kAttachmentRow = 1,
  kBrowserRow = 2,
  kTextRow = 3,
  kPreviewRows = 9
};

}  // namespace rescuva::views
