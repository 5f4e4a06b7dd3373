#include "verify/verdict.h"

#include <algorithm>
#include <optional>

#include "runtime/text.h"

namespace verify {

namespace {

using digest::Algorithm;

void AddOnce(std::vector<std::string>& names, const std::string& name) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : std::string(separator)) + part;
    return out;
}

// The strongest digest a source gives (SHA-512 > SHA-384 > SHA-256 > SHA-1 > MD5).
Algorithm StrongestOf(const Source& source) {
    Algorithm strongest = Algorithm::kMd5;
    for (const Expected& e : source.expected) strongest = std::max(strongest, e.algorithm);
    return strongest;
}

// " (SHA-256, signed by NAME)" after a source: the digest it was checked by unless that is MD5,
// and what its signature says.
std::string Suffix(std::optional<Algorithm> algorithm, const std::optional<Signature>& signature) {
    std::vector<std::string> parts;
    if (algorithm && *algorithm != Algorithm::kMd5) parts.emplace_back(digest::NameOf(*algorithm));
    if (signature) {
        switch (signature->check) {
            case Signature::Check::kGood:
                parts.push_back("signed by " + runtime::Visible(signature->SignerName()));
                break;
            case Signature::Check::kBad:
                parts.emplace_back("bad signature");
                break;
            case Signature::Check::kUnknownKey:
                parts.emplace_back("unknown signer");
                break;
            case Signature::Check::kNotChecked:
                parts.emplace_back("signature not checked");
                break;
        }
    }
    return parts.empty() ? "" : " (" + Joined(parts, ", ") + ")";
}

// The digest computed for the algorithm, in uppercase; nothing when it could not be.
std::optional<std::string> ComputedHex(const digest::FileDigests& computed, Algorithm algorithm) {
    if (algorithm == Algorithm::kMd5) return runtime::AsciiUpper(computed.md5);
    for (const auto& [a, hex] : computed.others) {
        if (a == algorithm) return runtime::AsciiUpper(hex);
    }
    return std::nullopt;
}

// One line of the tooltip.
std::string DetailLine(const Source& source, const Expected& e, const std::string& actual, std::uint64_t size) {
    const std::string where = runtime::Visible(source.where + (e.line != 0 ? ", line " + std::to_string(e.line) : "")) +
                              Suffix(e.algorithm, std::nullopt);
    if (e.size && *e.size != size) {
        return "DOES NOT MATCH " + where + ": " + std::to_string(*e.size) + " bytes, where the package has " +
               std::to_string(size);
    }
    if (e.digest == actual) return "Matches " + where + ": " + actual;
    return "DOES NOT MATCH " + where + ": " + e.digest + "; computed " + actual;
}

}  // namespace

std::vector<Algorithm> DigestsToCompute(const std::vector<Source>& sources) {
    std::vector<Algorithm> needed;
    for (const Source& source : sources) {
        const Algorithm strongest = StrongestOf(source);
        if (strongest != Algorithm::kMd5 && std::find(needed.begin(), needed.end(), strongest) == needed.end()) {
            needed.push_back(strongest);
        }
    }
    std::sort(needed.begin(), needed.end());
    return needed;
}

Judgement Judge(const digest::FileDigests& computed, const std::vector<Source>& sources) {
    Judgement judgement;
    judgement.digest = runtime::ToUpper(computed.md5);
    std::vector<std::string> agreeing, disagreeing, lines;
    bool onlyWeak = true;  // every digest checked is MD5 or SHA-1
    for (const Source& source : sources) {
        const std::string name = runtime::Visible(source.name);
        const std::optional<Signature>& signature = source.signature;
        const bool bad = signature && signature->check == Signature::Check::kBad;
        // What was changed after it was signed says nothing: none of its digests count.
        const Algorithm strongest = StrongestOf(source);
        std::optional<Algorithm> disagreed;  // the strongest that disagreed
        for (const Expected& e : bad ? std::vector<Expected>() : source.expected) {
            if (e.algorithm != strongest && e.algorithm != Algorithm::kMd5) continue;
            const auto actual = ComputedHex(computed, e.algorithm);
            if (!actual) continue;  // said below
            lines.push_back(DetailLine(source, e, *actual, computed.size));
            onlyWeak = onlyWeak && e.algorithm <= Algorithm::kSha1;
            if (e.digest != *actual || (e.size && *e.size != computed.size)) {
                disagreed = std::max(disagreed.value_or(e.algorithm), e.algorithm);
            }
        }
        if (signature) lines.push_back(runtime::Visible(signature->Detail()));
        for (const std::string& note : source.notes) lines.push_back(runtime::Visible(note));
        if (bad) {
            AddOnce(disagreeing, name + Suffix(std::nullopt, signature));
        } else if (source.expected.empty()) {
            // The package's own signature: a good one is the verdict itself, and no weak one.
            if (signature && signature->check == Signature::Check::kGood) {
                AddOnce(agreeing, name + Suffix(std::nullopt, signature));
                onlyWeak = false;
            }
        } else if (disagreed) {
            AddOnce(disagreeing, name + Suffix(*disagreed, signature));
        } else if (ComputedHex(computed, strongest)) {
            AddOnce(agreeing, name + Suffix(strongest, signature));
        }
    }
    judgement.verdict = !disagreeing.empty() ? Verdict::kMismatch
                        : !agreeing.empty()  ? Verdict::kMatch
                                             : Verdict::kNone;
    judgement.sources = Joined(judgement.verdict == Verdict::kMismatch ? disagreeing : agreeing, ", ");
    if (judgement.verdict != Verdict::kNone && onlyWeak) {
        lines.emplace_back(
            "MD5 and SHA-1 detect a damaged download, not deliberate tampering: where the publisher gives a SHA-256 "
            "or SHA-512, check that one.");
    }
    for (const auto& [algorithm, why] : computed.failed) {
        lines.push_back(std::string(digest::NameOf(algorithm)) + " could not be computed: " + why);
    }
    judgement.detail = Joined(lines, "\n");
    return judgement;
}

}  // namespace verify
