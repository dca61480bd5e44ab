// A file descriptor closed on destruction.
#pragma once

#include <unistd.h>

#include <utility>

namespace platform {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }

    int Get() const { return m_fd; }
    bool IsValid() const { return m_fd >= 0; }
    // Gives up the descriptor without closing it.
    int Release() { return std::exchange(m_fd, -1); }
    // Closes now and reports whether close(2) succeeded.
    bool Close() { return close(std::exchange(m_fd, -1)) == 0; }

private:
    void Reset()
    {
        if (m_fd >= 0) close(std::exchange(m_fd, -1));
    }

    int m_fd = -1;
};

} // namespace platform
