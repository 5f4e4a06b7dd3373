// The main window's controls: their ids, and where they stand in twips (1/1440 inch) from
// the client area's top-left corner. Creation order is z-order and tab order: each label
// comes right before the box it names, so that it is the box's accessible name.
#pragma once

namespace window::win32 {

struct ControlSpec {
    int id;
    const wchar_t* className;
    const wchar_t* text;  // the design-time text; the load handler replaces the boxes' texts
    int left, top, width, height;
};

enum ControlId : int {
    kIdFindFileName = 1001,
    kIdFileName = 1002,
    kIdMD5 = 1003,
    kIdLabelMD5 = 1004,
    kIdLabelFile = 1005,
};

inline constexpr int kClientWidthTwips = 7335;
inline constexpr int kClientHeightTwips = 855;

inline constexpr ControlSpec kControls[] = {
    {kIdLabelMD5, L"STATIC", L"MD5:", 120, 480, 615, 255},
    {kIdMD5, L"EDIT", L"txtMD5", 720, 480, 6495, 285},
    {kIdLabelFile, L"STATIC", L"File:", 120, 120, 615, 255},
    {kIdFileName, L"EDIT", L"txtFileName", 720, 120, 6135, 285},
    {kIdFindFileName, L"BUTTON", L"...", 6960, 120, 255, 255},
};

inline constexpr wchar_t kWindowClass[] = L"Pellwick.frmMain";

}  // namespace window::win32
