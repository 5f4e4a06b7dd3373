#include "verify/checksum_text.h"

#include <utility>

#include "runtime/text.h"
#include "verify/forms.h"

namespace verify {

ChecksumText::ChecksumText(const FileKind& kind, const std::string& packageName,
                           std::function<bool(const ChecksumEntry&)> keeps)
    : keeps_(std::move(keeps)),
      lines_(packageName, [this](const Line& line, bool namesPackage) { TakeLine(line, namesPackage); }) {
    for (Reading* reading : {&plain_, &signed_}) {
        reading->readers =
            ReadersFor({kind, packageName, [this, reading](const ChecksumEntry& e, std::size_t line) {
                            if (keeps_(e)) {
                                reading->entries.push_back({e.algorithm, runtime::AsciiUpper(e.hex), e.size, line});
                            }
                        }});
    }
}

void ChecksumText::Feed(std::string_view bytes) {
    lines_.Feed(decoder_.Feed(bytes));
}

void ChecksumText::End() {
    lines_.Feed(decoder_.End());
    lines_.End();
    for (Reading* reading : {&plain_, &signed_}) {
        for (const auto& reader : reading->readers) reader->End();
    }
}

void ChecksumText::TakeLine(const Line& line, bool namesPackage) {
    plain_.Read(line, namesPackage);
    if (const auto text = clearsign_.Take(line.text)) signed_.Read({*text, line.number, line.cut}, namesPackage);
}

void ChecksumText::Reading::Read(const Line& line, bool namesPackage) {
    if (namesPackage && unreadLine == 0) unreadLine = line.number;
    for (const auto& reader : readers) reader->Read(line);
}

}  // namespace verify
