// The texts of a message box: texts given as string-resource numbers, and button and
// other labels through the label lookup (label table, string resource, given
// default, built-in label).
#pragma once

#include <cstdint>
#include <string>

#include "msgbox/message_box_options.h"

namespace rescuva::msgbox {

constexpr uint32_t kLabelMoreShown = 30;                 // "<< More"
constexpr uint32_t kLabelCheckBox = 0x1000000;           // "Do not show again"
constexpr uint32_t kLabelCaptionCountdown = 0x80000000;  // "%s (%d seconds remaining)"

// A text field's text: its own text, or the string of its resource number from the
// string table (none with PPMB_NO_STRING_RESOURCES); empty when there is none.
std::string ResolveText(const MessageText& text, const MessageBoxOptions& options);

// The label of a key: the label table's entry, else the string resource of the key,
// else `fallback` when not empty, else the built-in label.
std::string LookupLabel(uint32_t key, const MessageBoxOptions& options,
                        const std::string& fallback = {});

// "%s = %d": a default button's label while a countdown runs.
std::string CountdownLabel(const std::string& label, int seconds);
// The caption countdown format filled with the caption and the seconds.
std::string CountdownCaption(const std::string& format, const std::string& caption, int seconds);

}  // namespace rescuva::msgbox
