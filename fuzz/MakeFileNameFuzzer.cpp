// Arbitrary bytes as a tag and a rename pattern: the first 125 bytes are the
// record after "TAG" (a shorter input is padded with zero bytes), the rest is
// the pattern. The name must end in ".mp3" and hold none of the mapped characters.
#include "FuzzCheck.h"
#include "FuzzDrive.h"

#include "naming/MakeFileName.h"
#include "tag/Id3v1Tag.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr char kFileName[] = "t.mp3";
constexpr std::size_t kRecordBody = CId3v1Tag::kRecordSize - 3;
// One byte of audio, so that the file is long enough to carry the tag.
constexpr std::string_view kAudio = "\xFF";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CFuzzDrive& drive = CFuzzDrive::Get();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string body(input.substr(0, kRecordBody));
    body.resize(kRecordBody, '\0');
    const std::string_view pattern = input.substr(std::min(size, kRecordBody));
    drive.WriteFile(kFileName, std::string(kAudio) + "TAG" + body);

    CId3v1Tag tag;
    FUZZ_CHECK(tag.Open(drive.Sys(kFileName)) && tag.HasTag());
    const std::string name = MakeFileName(pattern, tag);
    FUZZ_CHECK(name.ends_with(".mp3"));
    FUZZ_CHECK(name.find_first_of("\\/:*?<>|") == std::string::npos);
    // An object without a tag gives every placeholder an empty text.
    const std::string bare = MakeFileName(pattern, CId3v1Tag());
    FUZZ_CHECK(bare.ends_with(".mp3") && bare.find_first_of("\\/:*?<>|") == std::string::npos);
    // Without placeholders the tag plays no part: only "?" is dropped, every
    // other mapped character takes one place.
    if (pattern.find('%') == std::string_view::npos) {
        FUZZ_CHECK(name == bare);
        FUZZ_CHECK(name.size() == pattern.size() + 4 - static_cast<std::size_t>(std::ranges::count(pattern, '?')));
    }
    return 0;
}
