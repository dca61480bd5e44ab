// Wraps a file into a hex envelope and back.
#pragma once

#include <string>

class CHexEnvelope {
public:
    // Writes the envelope of sourcePath to envelopePath (system paths).
    bool Encode(const std::string& sourcePath, const std::string& envelopePath) const;
    // Writes the plain file beside the envelope under its stored name and
    // returns its path; empty on failure. A stored name that is empty, holds a
    // path separator or names "." or ".." is refused.
    std::string Decode(const std::string& envelopePath) const;
    // Decodes into outputPath instead of the stored name (used by the table
    // store so that decoding never replaces a file of the folder).
    bool DecodeTo(const std::string& envelopePath, const std::string& outputPath, std::string* storedName = nullptr) const;
};
