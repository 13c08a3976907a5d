// The name a saved message's file takes, without its extension: from the request's
// template, else "Subject_offset"; made safe on every file system.
#pragma once

#include <string>

#include "engine/folder_file_writer.h"
#include "saving/save_request.h"

namespace rescuva::saving {

// A name from a template takes at most this many bytes.
inline constexpr size_t kMostTemplateName = 200;

std::string MessageStem(const SaveRequest& request, const SaveItem& item,
                        const engine::MessageInfo& info);

// What the request's template makes of the message (the request has one).
std::string TemplateStem(const SaveRequest& request, const SaveItem& item,
                         const engine::MessageInfo& info);

}  // namespace rescuva::saving
