// Messages printed to PDF as the preview shows them (header block, attachment names,
// body): a file each in the destination folder, named and dated as an EML file would
// be, or all of them in one new file.
#pragma once

#include <memory>
#include <string>

#include "saving/message_sinks.h"

namespace rescuva::saving {

// Nothing, with `error` set, when the destination cannot be opened or created, or the
// request names no printer.
std::unique_ptr<MessageSink> OpenPdfSink(const SaveRequest& request, std::string& error);

}  // namespace rescuva::saving
