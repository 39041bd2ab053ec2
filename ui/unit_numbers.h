// The numbers by which the application and the window runtime name the
// properties and events of each kind of unit. Properties 0 to 7 are common
// to every unit with a window and kept by the runtime; from 8 on they are
// the unit type's own. Negative event numbers are common to every unit.
#pragma once

#include <cstdint>

namespace ui {

namespace prop {

// Every unit with a window.
namespace common {
inline constexpr std::int32_t kLeft = 0;
inline constexpr std::int32_t kTop = 1;
inline constexpr std::int32_t kWidth = 2;
inline constexpr std::int32_t kHeight = 3;
inline constexpr std::int32_t kTag = 4;
inline constexpr std::int32_t kVisible = 5;
inline constexpr std::int32_t kDisabled = 6;
inline constexpr std::int32_t kMousePointer = 7;
inline constexpr std::int32_t kFirstOwn = 8;  // the unit type's own properties start here
}  // namespace common

// A menu item (no window, so no common properties).
namespace menu {
inline constexpr std::int32_t kCaption = 0;
inline constexpr std::int32_t kChecked = 1;
inline constexpr std::int32_t kDisabled = 2;
inline constexpr std::int32_t kVisible = 3;
}  // namespace menu

namespace window {
inline constexpr std::int32_t kCaption = 8;
inline constexpr std::int32_t kBorderStyle = 9;
inline constexpr std::int32_t kBackground = 10;
inline constexpr std::int32_t kBackgroundPicture = 11;
inline constexpr std::int32_t kPictureMode = 12;
inline constexpr std::int32_t kBackgroundSound = 13;
inline constexpr std::int32_t kSoundRepeat = 14;
inline constexpr std::int32_t kControlBox = 15;
inline constexpr std::int32_t kMaximiseBox = 16;
inline constexpr std::int32_t kMinimiseBox = 17;
inline constexpr std::int32_t kPosition = 18;
inline constexpr std::int32_t kMovable = 19;
inline constexpr std::int32_t kIcon = 20;
inline constexpr std::int32_t kEnterMovesFocus = 21;
inline constexpr std::int32_t kEscCloses = 22;
inline constexpr std::int32_t kF1Help = 23;
inline constexpr std::int32_t kHelpFile = 24;
inline constexpr std::int32_t kHelpContext = 25;
inline constexpr std::int32_t kInTaskBar = 26;
inline constexpr std::int32_t kDragByClientArea = 27;
inline constexpr std::int32_t kShape = 28;
inline constexpr std::int32_t kTopmost = 29;
inline constexpr std::int32_t kLogical30 = 30;
inline constexpr std::int32_t kClassName = 31;
}  // namespace window

namespace edit {
inline constexpr std::int32_t kContent = 8;
inline constexpr std::int32_t kBorder = 9;
inline constexpr std::int32_t kTextColour = 10;
inline constexpr std::int32_t kBackground = 11;
inline constexpr std::int32_t kFont = 12;
inline constexpr std::int32_t kHideSelection = 13;
inline constexpr std::int32_t kMaxLength = 14;
inline constexpr std::int32_t kMultiLine = 15;
inline constexpr std::int32_t kScrollBars = 16;
inline constexpr std::int32_t kAlignment = 17;
inline constexpr std::int32_t kInputMode = 18;
inline constexpr std::int32_t kPasswordChar = 19;
inline constexpr std::int32_t kCaseConversion = 20;
inline constexpr std::int32_t kSpinStyle = 21;
inline constexpr std::int32_t kSpinMinimum = 22;
inline constexpr std::int32_t kSpinMaximum = 23;
inline constexpr std::int32_t kSelectionStart = 24;
inline constexpr std::int32_t kSelectionLength = 25;
inline constexpr std::int32_t kSelectedText = 26;
inline constexpr std::int32_t kText27 = 27;
inline constexpr std::int32_t kText28 = 28;
}  // namespace edit

namespace label {
inline constexpr std::int32_t kCaption = 8;
inline constexpr std::int32_t kTextEffect = 9;
inline constexpr std::int32_t kBorder = 10;
inline constexpr std::int32_t kInteger11 = 11;
inline constexpr std::int32_t kColour12 = 12;
inline constexpr std::int32_t kColour13 = 13;
inline constexpr std::int32_t kColour14 = 14;
inline constexpr std::int32_t kFont = 15;
inline constexpr std::int32_t kTextColour = 16;
inline constexpr std::int32_t kBackground = 17;
inline constexpr std::int32_t kBackgroundPicture = 18;
inline constexpr std::int32_t kChoice19 = 19;
inline constexpr std::int32_t kChoice20 = 20;
inline constexpr std::int32_t kColour21 = 21;
inline constexpr std::int32_t kColour22 = 22;
inline constexpr std::int32_t kColour23 = 23;
inline constexpr std::int32_t kHorizontalAlign = 24;
inline constexpr std::int32_t kWordWrap = 25;
inline constexpr std::int32_t kVerticalAlign = 26;
inline constexpr std::int32_t kText27 = 27;
inline constexpr std::int32_t kText28 = 28;
}  // namespace label

namespace button {
inline constexpr std::int32_t kPicture = 8;
inline constexpr std::int32_t kType = 9;  // 0 normal, 1 default button
inline constexpr std::int32_t kCaption = 10;
inline constexpr std::int32_t kHorizontalAlign = 11;
inline constexpr std::int32_t kVerticalAlign = 12;
inline constexpr std::int32_t kFont = 13;
}  // namespace button

namespace list {
inline constexpr std::int32_t kBorder = 8;
inline constexpr std::int32_t kTextColour = 9;
inline constexpr std::int32_t kTextBackground = 10;
inline constexpr std::int32_t kBackground = 11;
inline constexpr std::int32_t kFont = 12;
inline constexpr std::int32_t kView = 13;
inline constexpr std::int32_t kAlignLeft = 14;
inline constexpr std::int32_t kAutoArrange = 15;
inline constexpr std::int32_t kWrapLabels = 16;
inline constexpr std::int32_t kColumns = 17;
inline constexpr std::int32_t kHideHeader = 18;
inline constexpr std::int32_t kHeaderImages = 19;
inline constexpr std::int32_t kClickableHeader = 20;
inline constexpr std::int32_t kFullRowSelect = 21;
inline constexpr std::int32_t kGridLines = 22;
inline constexpr std::int32_t kHeaderDragDrop = 23;
inline constexpr std::int32_t kImages = 24;
inline constexpr std::int32_t kStateImages = 25;
inline constexpr std::int32_t kHotTracking = 26;
inline constexpr std::int32_t kHandCursor = 27;
inline constexpr std::int32_t kUnderlineCold = 28;
inline constexpr std::int32_t kUnderlineHot = 29;
inline constexpr std::int32_t kLabelEditing = 30;
inline constexpr std::int32_t kSort = 31;
inline constexpr std::int32_t kCheckBoxes = 32;
inline constexpr std::int32_t kFlatScrollBars = 33;
inline constexpr std::int32_t kSingleSelection = 34;
inline constexpr std::int32_t kCurrentRow = 35;
inline constexpr std::int32_t kAlwaysShowSelection = 36;
inline constexpr std::int32_t kInitialRows = 37;
inline constexpr std::int32_t kEditedText = 38;  // a row's new text while a label edit ends
}  // namespace list

}  // namespace prop

namespace event {

// Every unit with a window.
namespace common {
inline constexpr std::int32_t kGotFocus = -7;
inline constexpr std::int32_t kLostFocus = -8;
}  // namespace common

namespace window {
inline constexpr std::int32_t kCreated = 0;
inline constexpr std::int32_t kCloseQuery = 1;  // may be refused
inline constexpr std::int32_t kDestroying = 2;
inline constexpr std::int32_t kMoved = 3;
inline constexpr std::int32_t kResized = 4;
inline constexpr std::int32_t kActivated = 5;
inline constexpr std::int32_t kDeactivated = 6;
inline constexpr std::int32_t kFirstActivated = 8;
inline constexpr std::int32_t kTrayIcon = 9;
inline constexpr std::int32_t kShown = 10;
inline constexpr std::int32_t kHidden = 11;
inline constexpr std::int32_t kCloseRequested = 12;  // before CloseQuery; may be refused
}  // namespace window

namespace menu {
inline constexpr std::int32_t kSelected = 0;
}  // namespace menu

namespace edit {
inline constexpr std::int32_t kContentChanged = 0;
inline constexpr std::int32_t kSpinPressed = 1;  // one argument: -1 or 1
}  // namespace edit

namespace button {
inline constexpr std::int32_t kClicked = 0;
}  // namespace button

namespace list {
inline constexpr std::int32_t kCurrentRowChanged = 0;
inline constexpr std::int32_t kRowActivated = 1;
inline constexpr std::int32_t kColumnClicked = 2;  // argument: the column
inline constexpr std::int32_t kHotRowChanged = 3;  // argument: the row
inline constexpr std::int32_t kClicked = 4;
inline constexpr std::int32_t kRightClicked = 5;
inline constexpr std::int32_t kLabelEditStarting = 6;  // argument: the row; may be refused
inline constexpr std::int32_t kLabelEditEnded = 7;     // argument: the row; may be refused
inline constexpr std::int32_t kCheckBoxChanged = 8;    // arguments: the row, its new state
}  // namespace list

}  // namespace event

}  // namespace ui
