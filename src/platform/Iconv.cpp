#include "Iconv.h"

#include <cerrno>
#include <vector>

namespace platform {

Iconv::Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from))
{
}

Iconv::~Iconv()
{
    if (IsValid()) iconv_close(m_cd);
}

int Iconv::Convert(std::string_view in, std::size_t& inUsed, std::string& out, std::size_t outMax)
{
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> buffer(outMax);
    // iconv(3) takes a non-const input pointer but never writes through it.
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t result = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
    int error = result == static_cast<std::size_t>(-1) ? errno : 0;
    // Pages that compose (cp1255, cp1258) hold back a letter in case a
    // combining mark follows; the flush gives it out.
    if (error == 0 && iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) error = errno;
    inUsed = in.size() - inLeft;
    out.assign(buffer.data(), buffer.size() - outLeft);
    return error;
}

} // namespace platform
