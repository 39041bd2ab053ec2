// Ids of the three windows and of every unit and menu item on them. The
// handlers address units by these (window id, unit id) pairs.
#pragma once

#include <cstdint>

namespace app::ids {

// Main window.
inline constexpr std::uint32_t kMainWindow = 0x52010001;
inline constexpr std::uint32_t kMainWindowUnit = 0x06010000;
inline constexpr std::uint32_t kAccountMenu = 0x26010123;
inline constexpr std::uint32_t kMenuCopyRecord = 0x26010124;
inline constexpr std::uint32_t kMenuCopyAccount = 0x26010125;
inline constexpr std::uint32_t kMenuCopyPassword = 0x26010126;
inline constexpr std::uint32_t kMenuOpenAddress = 0x26010127;
inline constexpr std::uint32_t kExitButton = 0x16010053;
inline constexpr std::uint32_t kChangePasswordButton = 0x16010051;
inline constexpr std::uint32_t kModifyRecordButton = 0x16010050;
inline constexpr std::uint32_t kDeleteRecordButton = 0x1601004f;
inline constexpr std::uint32_t kTogglePasswordsButton = 0x1601004e;
inline constexpr std::uint32_t kAddRecordButton = 0x1601004c;
inline constexpr std::uint32_t kRecordList = 0x16010003;

// Initialise-database window.
inline constexpr std::uint32_t kInitWindow = 0x52010007;
inline constexpr std::uint32_t kInitWindowUnit = 0x06010006;
inline constexpr std::uint32_t kInitPasswordLabel = 0x1601000c;
inline constexpr std::uint32_t kInitOkButton = 0x16010009;
inline constexpr std::uint32_t kInitPasswordBox = 0x16010008;

// Record window.
inline constexpr std::uint32_t kRecordWindow = 0x5201005d;
inline constexpr std::uint32_t kRecordWindowUnit = 0x0601005c;
inline constexpr std::uint32_t kSaveButton = 0x16010068;
inline constexpr std::uint32_t kRemarksLabel = 0x16010066;
inline constexpr std::uint32_t kRemarksBox = 0x16010067;
inline constexpr std::uint32_t kPasswordLabel = 0x16010064;
inline constexpr std::uint32_t kPasswordBox = 0x16010065;
inline constexpr std::uint32_t kAccountLabel = 0x16010062;
inline constexpr std::uint32_t kAccountBox = 0x16010063;
inline constexpr std::uint32_t kWebUrlLabel = 0x16010060;
inline constexpr std::uint32_t kWebUrlBox = 0x16010061;
inline constexpr std::uint32_t kWebNameLabel = 0x1601005f;
inline constexpr std::uint32_t kWebNameBox = 0x1601005e;

}  // namespace app::ids
