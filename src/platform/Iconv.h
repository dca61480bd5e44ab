// An iconv conversion descriptor, closed on destruction.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace platform {

class Iconv {
public:
    Iconv(const char* to, const char* from);
    ~Iconv();
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // iconv_open(3) reports failure as (iconv_t)-1.
    bool IsValid() const { return m_cd != reinterpret_cast<iconv_t>(-1); } // NOLINT(performance-no-int-to-ptr)
    // One call of iconv(3) after a state reset: converts as much of the
    // input as it can; returns 0 or the errno value that stopped it.
    int Convert(std::string_view in, std::size_t& inUsed, std::string& out, std::size_t outMax);

private:
    iconv_t m_cd;
};

} // namespace platform
