// A checksum file's text, read as a stream in bounded memory through its stages (text_decoder.h,
// text_lines.h, clearsign.h) into a reader of each form that a file of its kind may hold
// (forms.h). A file that holds a clearsigned message counts for its signed text alone; any other
// for all of its lines.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "verify/clearsign.h"
#include "verify/form_reader.h"
#include "verify/source.h"
#include "verify/text_decoder.h"
#include "verify/text_lines.h"

namespace verify {

class ChecksumText {
public:
    // `keeps` says whether an entry is for the package; `packageName` is the package's bare
    // name ("" for any package), looked for in lines too long to read.
    ChecksumText(const FileKind& kind, const std::string& packageName, std::function<bool(const ChecksumEntry&)> keeps);
    ChecksumText(const ChecksumText&) = delete;
    ChecksumText& operator=(const ChecksumText&) = delete;

    void Feed(std::string_view bytes);
    void End();

    // After End: the entries kept, in file order, with their lines.
    const std::vector<Expected>& Entries() const { return Counted().entries; }
    // A clearsigned message has started, in the text read so far.
    bool MessageStarted() const { return clearsign_.Started(); }
    // After End: the entries come from the signed text of a clearsigned message.
    bool Signed() const { return clearsign_.Whole(); }
    // The file held text outside its signed message, which counts for nothing.
    bool TextOutsideMessage() const { return Signed() && clearsign_.TextOutside(); }
    // The first line too long to read that may name the package, or 0.
    std::size_t UnreadLine() const { return Counted().unreadLine; }

private:
    // The lines read one way: every line of the file, or the signed text.
    struct Reading {
        std::vector<std::unique_ptr<FormReader>> readers;
        std::vector<Expected> entries;
        std::size_t unreadLine = 0;

        void Read(const Line& line, bool namesPackage);
    };

    const Reading& Counted() const { return Signed() ? signed_ : plain_; }
    void TakeLine(const Line& line, bool namesPackage);

    std::function<bool(const ChecksumEntry&)> keeps_;
    TextDecoder decoder_;
    Reading plain_, signed_;
    Clearsign clearsign_;
    TextLines lines_;
};

}  // namespace verify
