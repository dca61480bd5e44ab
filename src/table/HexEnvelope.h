// Wraps a file into a hex envelope and back.
#pragma once

#include <optional>
#include <string>

class CHexEnvelope {
public:
    // The envelope's fixed parts: the magic word before the stored name and
    // the byte that ends the name.
    static constexpr char kMagic[] = "\xA5LZW10\xA5";
    static constexpr std::size_t kMagicLength = sizeof(kMagic) - 1;
    static constexpr char kNameEnd = '\xA5';

    struct Content {
        std::string storedName;
        std::string plain;
    };

    // Writes the envelope of sourcePath to envelopePath (system paths).
    bool Encode(const std::string& sourcePath, const std::string& envelopePath) const;
    // Same, with the stored name given instead of taken from sourcePath (the
    // table store writes through a temporary file of another name).
    bool EncodeAs(const std::string& sourcePath, const std::string& storedName, const std::string& envelopePath) const;
    // Writes the plain file beside the envelope under its stored name and
    // returns its path; empty on failure. A stored name that IsSafeName
    // refuses is never written.
    std::string Decode(const std::string& envelopePath) const;
    // Decodes into outputPath instead of the stored name (used by the table
    // store so that decoding never replaces a file of the folder). Refuses
    // the same stored names as Decode.
    bool DecodeTo(const std::string& envelopePath, const std::string& outputPath,
                  std::string* storedName = nullptr) const;

    // The envelope bytes of plain under storedName, and back (mirror images).
    static std::string Wrap(const std::string& storedName, const std::string& plain);
    // nullopt when no name end follows the magic.
    static std::optional<Content> Unwrap(const std::string& envelope);

    // A stored name may name only a file directly in the envelope's folder:
    // not empty, not "." or "..", and none of the bytes Windows rejects in a
    // file name (< > : " / \ | ? * and below 0x20), so no drive either.
    static bool IsSafeName(const std::string& name);
    // A file name (host bytes) as an envelope stores it: code-page text. A
    // character the page cannot hold, and the byte that ends the name, become '_'.
    static std::string StoredNameOf(const std::string& hostName);
};
