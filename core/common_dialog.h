// What the common-dialog wrapper of the options decides without a window:
// the message for a common-dialog error number, and the form of a file
// filter the dialogs take.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

// The message for the number CommDlgExtendedError gave, code page 932;
// "未知のｴﾗｰです。" for a number the table does not hold (0 included).
std::string CommonDialogErrorText(std::int32_t number);

// A filter as the dialogs take it: every "|" becomes a NUL character, and a
// NUL is added unless the text already ends with one.
std::string FilterForDialog(std::string_view filter);

}  // namespace zel
