// A message's attachments as files: each named by its own name made safe ("attachment"
// when it has none), never over another file, dated as its message.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "loader/message_loader.h"
#include "platform/output_folder.h"

namespace rescuva::saving {

std::vector<loader::Attachment> AttachmentsOf(std::span<const uint8_t> message);

// Each attachment into `folder`, its name after `prefix` when one is given. False, with
// `error` set, at the first that cannot be written.
bool WriteAttachments(const platform::OutputFolder& folder,
                      const std::vector<loader::Attachment>& attachments, const std::string& prefix,
                      std::optional<int64_t> date, std::string& error);

}  // namespace rescuva::saving
