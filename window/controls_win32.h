// The main window's controls: their ids, and where they stand in twips (1/1440 inch) from
// the client area's top-left corner. Creation order is z-order and tab order: each label
// comes right before the box it names, so that it is the box's accessible name.
#pragma once

#include "window/layout.h"

namespace window::win32 {

struct ControlSpec {
    int id;
    const wchar_t* className;
    const wchar_t* text;  // the design-time text; the load handler replaces the boxes' texts
    layout::TwipsRect twips;
};

enum ControlId : int {
    kIdFindFileName = 1001,
    kIdFileName = 1002,
    kIdMD5 = 1003,
    kIdLabel1 = 1004,
    kIdLabelFile = 1005,
    kIdVerdictMark = 1006,  // inside the digest box, at its right end
};

inline constexpr ControlSpec kControls[] = {
    {kIdLabel1, L"STATIC", L"MD5:", layout::kLabel1},
    {kIdMD5, L"EDIT", L"txtMD5", layout::kMD5},
    {kIdLabelFile, L"STATIC", L"File:", layout::kLabelFile},
    {kIdFileName, L"EDIT", L"txtFileName", layout::kFileName},
    {kIdFindFileName, L"BUTTON", L"...", layout::kFindFileName},
};

inline constexpr wchar_t kWindowClass[] = L"Pellwick.frmMain";

}  // namespace window::win32
