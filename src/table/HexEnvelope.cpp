#include "HexEnvelope.h"

#include "WholeFile.h"
#include "platform/Machine.h"
#include "platform/SystemPathName.h"
#include "platform/Utf8Decode.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kDigitsPerByte = 2;

// One piece of one or two characters, read as strtol reads it in base 16
// (white space, sign, digits up to the first non-digit), low 8 bits kept.
char DecodePiece(std::string_view piece)
{
    char text[kDigitsPerByte + 1] = {};
    piece.copy(text, kDigitsPerByte);
    return static_cast<char>(static_cast<unsigned long>(std::strtol(text, nullptr, 16)) & 0xFFu);
}

} // namespace

std::string CHexEnvelope::Wrap(const std::string& storedName, const std::string& plain)
{
    std::string envelope;
    envelope.reserve(kMagicLength + storedName.size() + 1 + kDigitsPerByte * plain.size());
    envelope.append(kMagic, kMagicLength);
    envelope += storedName;
    envelope += kNameEnd;
    for (const char c : plain) {
        const auto byte = static_cast<unsigned char>(c);
        envelope += kHexDigits[byte >> 4];
        envelope += kHexDigits[byte & 0x0F];
    }
    return envelope;
}

std::optional<CHexEnvelope::Content> CHexEnvelope::Unwrap(const std::string& envelope)
{
    // The magic itself is not examined: only the name end after it counts.
    if (envelope.size() <= kMagicLength) return std::nullopt;
    const std::size_t nameEnd = envelope.find(kNameEnd, kMagicLength);
    if (nameEnd == std::string::npos) return std::nullopt;

    Content content;
    content.storedName = envelope.substr(kMagicLength, nameEnd - kMagicLength);
    const std::string_view digits = std::string_view(envelope).substr(nameEnd + 1);
    content.plain.reserve((digits.size() + 1) / kDigitsPerByte);
    for (std::size_t at = 0; at < digits.size(); at += kDigitsPerByte)
        content.plain += DecodePiece(digits.substr(at, kDigitsPerByte));
    return content;
}

bool CHexEnvelope::IsSafeName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) return false;
        if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) return false;
    }
    return true;
}

std::string CHexEnvelope::StoredNameOf(const std::string& hostName)
{
    const platform::CodePage& page = platform::CurrentMachine().codePage;
    std::string stored;
    for (const char32_t point : platform::DecodeUtf8(hostName)) {
        const std::string character = platform::EncodeUtf8(point);
        const bool keep = point != platform::kInvalidUtf8Byte && page.CanHold(character);
        stored += keep ? page.FromUtf8(character) : "_";
    }
    std::replace(stored.begin(), stored.end(), kNameEnd, '_');
    return stored;
}

bool CHexEnvelope::Encode(const std::string& sourcePath, const std::string& envelopePath) const
{
    return EncodeAs(sourcePath, StoredNameOf(std::string(platform::NameOfSystemPath(sourcePath))), envelopePath);
}

bool CHexEnvelope::EncodeAs(const std::string& sourcePath, const std::string& storedName,
                            const std::string& envelopePath) const
{
    const std::optional<std::string> plain = table::ReadWholeFile(sourcePath);
    if (!plain) return false;
    // Synced, so that a table store renaming the envelope into place never
    // exposes an envelope whose bytes have not reached the disk.
    return table::WriteWholeFile(envelopePath, Wrap(storedName, *plain), true);
}

std::string CHexEnvelope::Decode(const std::string& envelopePath) const
{
    const std::optional<std::string> envelope = table::ReadWholeFile(envelopePath);
    if (!envelope) return {};
    const std::optional<Content> content = Unwrap(*envelope);
    if (!content || !IsSafeName(content->storedName)) return {};
    // The stored name is code-page text; where it becomes a file it becomes a host name.
    const std::string outputPath =
        platform::JoinSystemPath(platform::FolderOfSystemPath(envelopePath), platform::ToUtf8(content->storedName));
    return table::WriteWholeFile(outputPath, content->plain) ? outputPath : std::string();
}

bool CHexEnvelope::DecodeTo(const std::string& envelopePath, const std::string& outputPath,
                            std::string* storedName) const
{
    const std::optional<std::string> envelope = table::ReadWholeFile(envelopePath);
    if (!envelope) return false;
    const std::optional<Content> content = Unwrap(*envelope);
    if (!content || !IsSafeName(content->storedName)) return false;
    if (!table::WriteWholeFile(outputPath, content->plain)) return false;
    if (storedName) *storedName = content->storedName;
    return true;
}
