// A cupsd of the test's own, so that printing is tested without the machine's
// printers or its print service: configuration, spool, logs and socket all in
// a temporary folder, each queue a PDF printer whose device is a file in that
// folder (CUPS-PDF's own backend reads its settings from /etc/cups only).
// While it lives, CUPS_SERVER points every program the test starts at its
// socket, and PRINTER and LPDEST are unset.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

class PrivateCups {
public:
    // queues: the printers to set up; defaultQueue: the default one, "" for none.
    PrivateCups(const std::vector<std::string>& queues, const std::string& defaultQueue);
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // Why no cupsd runs ("" when one does): a missing program or filter, or
    // a start that failed, with the end of its log.
    const std::string& Failure() const { return m_failure; }
    // The file a queue's device writes, once its job is done.
    std::string OutputPath(const std::string& queue) const;
    // Waits until no job is left unfinished; false after the timeout.
    bool WaitForJobs(int seconds) const;

private:
    std::string Start(const std::vector<std::string>& queues, const std::string& defaultQueue);
    void WriteConfiguration(const std::vector<std::string>& queues, const std::string& defaultQueue) const;
    std::string WaitForSocket() const;
    std::string LogTail() const;
    void PointClientsHere();
    void RestoreClients() const;

    std::string m_root; // the temporary folder; "" when none was made
    pid_t m_pid = -1;
    std::string m_failure;
    std::vector<std::pair<const char*, std::optional<std::string>>> m_savedEnvironment;
};
