// Modal questions and notices owned by a window: a message box on Windows;
// natively the host's dialog handler answers in place of a person.
#pragma once

#include <cstdint>

#include "contract/com.h"

namespace reelbox::platform {

// Buttons and icons (the MB_* values) and the answers (the ID* values).
constexpr std::uint32_t MESSAGE_BOX_OK = 0x0;
constexpr std::uint32_t MESSAGE_BOX_OK_CANCEL = 0x1;
constexpr std::uint32_t MESSAGE_BOX_YES_NO_CANCEL = 0x3;
constexpr std::uint32_t MESSAGE_BOX_YES_NO = 0x4;
constexpr std::uint32_t MESSAGE_BOX_RETRY_CANCEL = 0x5;
constexpr std::uint32_t MESSAGE_BOX_ICON_ERROR = 0x10;
constexpr std::uint32_t MESSAGE_BOX_ICON_QUESTION = 0x20;
constexpr std::uint32_t MESSAGE_BOX_ICON_WARNING = 0x30;
constexpr std::uint32_t MESSAGE_BOX_ICON_INFORMATION = 0x40;
constexpr std::uint32_t MESSAGE_BOX_DEFAULT_BUTTON_2 = 0x100;

constexpr std::int32_t ANSWER_OK = 1;
constexpr std::int32_t ANSWER_CANCEL = 2;
constexpr std::int32_t ANSWER_RETRY = 4;
constexpr std::int32_t ANSWER_YES = 6;
constexpr std::int32_t ANSWER_NO = 7;

// Shows text with caption and the buttons of style; returns the button chosen
// (an ANSWER_* value), or 0 when the box could not be shown.
std::int32_t ShowMessageBox(WindowHandle owner, const char* text, const char* caption, std::uint32_t style);

}  // namespace reelbox::platform
