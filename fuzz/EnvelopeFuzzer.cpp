// Arbitrary bytes as an envelope: Unwrap and Wrap must be mirror images, and
// Decode / DecodeTo must write exactly the unwrapped bytes, and only under a
// stored name that IsSafeName accepts.
#include "FuzzCheck.h"
#include "FuzzDrive.h"

#include "platform/Machine.h"
#include "table/HexEnvelope.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr char kEnvelopeName[] = "in.qzd";
constexpr char kOutputName[] = "out.bin";
constexpr char kReencodedName[] = "again.qzd";

void CheckMirror(const CHexEnvelope::Content& content)
{
    const std::string wrapped = CHexEnvelope::Wrap(content.storedName, content.plain);
    FUZZ_CHECK(wrapped.size() == CHexEnvelope::kMagicLength + content.storedName.size() + 1 + 2 * content.plain.size());
    const auto again = CHexEnvelope::Unwrap(wrapped);
    FUZZ_CHECK(again && again->storedName == content.storedName && again->plain == content.plain);
}

void CheckDecodeTo(const CFuzzDrive& drive, const std::optional<CHexEnvelope::Content>& content, bool safe)
{
    std::string storedName;
    const bool decoded = CHexEnvelope().DecodeTo(drive.Sys(kEnvelopeName), drive.Sys(kOutputName), &storedName);
    FUZZ_CHECK(decoded == safe);
    if (!decoded) return;
    FUZZ_CHECK(storedName == content->storedName);
    FUZZ_CHECK(drive.ReadFile(kOutputName) == content->plain);
}

// Decode may still fail for a safe name that the host cannot carry (too long
// once in UTF-8); what it does write must be right.
void CheckDecode(const CFuzzDrive& drive, const std::optional<CHexEnvelope::Content>& content, bool safe)
{
    const CHexEnvelope codec;
    const std::string path = codec.Decode(drive.Sys(kEnvelopeName));
    if (!safe) FUZZ_CHECK(path.empty());
    if (path.empty()) return;
    // The stored name is code-page text; the file it becomes has the host's name for it.
    const std::string hostName = platform::ToUtf8(content->storedName);
    FUZZ_CHECK(path == drive.Sys(hostName));
    FUZZ_CHECK(drive.ReadFile(hostName) == content->plain);
    FUZZ_CHECK(codec.Encode(path, drive.Sys(kReencodedName)));
    FUZZ_CHECK(drive.ReadFile(kReencodedName) == CHexEnvelope::Wrap(content->storedName, content->plain));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CFuzzDrive& drive = CFuzzDrive::Get();
    drive.Empty();
    const std::string envelope(reinterpret_cast<const char*>(data), size);
    drive.WriteFile(kEnvelopeName, envelope);

    const auto content = CHexEnvelope::Unwrap(envelope);
    if (content) CheckMirror(*content);
    const bool safe = content && CHexEnvelope::IsSafeName(content->storedName);
    CheckDecodeTo(drive, content, safe);
    CheckDecode(drive, content, safe);
    return 0;
}
