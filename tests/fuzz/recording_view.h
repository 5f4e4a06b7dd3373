// A window without a screen: keeps the two boxes' texts and what would have been shown.
#pragma once

#include <string>
#include <vector>

#include "window/frmMain.h"

namespace fuzzsupport {

class RecordingView : public window::MainView {
public:
    RecordingView() : form(*this) {}

    std::string FileNameText() const override { return fileName; }
    void SetFileNameText(const std::string& text) override {
        fileName = text;
        form.OnFileNameChanged();
    }
    std::string DigestText() const override { return digest; }
    void SetDigestText(const std::string& text) override { digest = text; }
    std::string BrowseForFolder(const std::string&, const std::string&, std::int32_t) override { return ""; }
    void ShowError(const std::string& message) override { errors.push_back(message); }
    void SetBusy(bool busy) override { busyDepth += busy ? 1 : -1; }

    window::frmMain form;
    std::string fileName;
    std::string digest;
    std::vector<std::string> errors;
    int busyDepth = 0;
};

}  // namespace fuzzsupport
