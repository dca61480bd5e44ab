// Preloaded into a program under test to make one chosen system call fail.
//
// SONADEX_FAULT=OP:N:ERR[:short]   OP is write (write, pwrite, pwrite64),
// ftruncate, rename (rename, renameat, renameat2, syscall(SYS_renameat2)) or
// fsync (fsync, fdatasync) or fchmod; ERR is ENOSPC, EIO, EACCES or EPERM. The N-th call of OP
// fails with ERR. With "short", the N-th write puts only half its bytes and
// the next one fails with ERR, as a filling disk does.
// SONADEX_FAULT_LOG=FILE           a line is appended to FILE when the fault fires,
// so that a test knows whether the run reached call N at all.
//
// Only writes to regular files behind descriptors above 2 are counted, so
// the program's own output never takes the fault.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

enum Op { OP_NONE, OP_WRITE, OP_FTRUNCATE, OP_RENAME, OP_FSYNC, OP_FCHMOD };

static struct {
    int parsed;
    enum Op op;
    long target;
    int error;
    int shortWrite;
    long calls;
    int pendingFailure; // the write after a short one fails
} g_fault;

static enum Op OpNamed(const char* name)
{
    if (strcmp(name, "write") == 0) return OP_WRITE;
    if (strcmp(name, "ftruncate") == 0) return OP_FTRUNCATE;
    if (strcmp(name, "rename") == 0) return OP_RENAME;
    if (strcmp(name, "fsync") == 0) return OP_FSYNC;
    if (strcmp(name, "fchmod") == 0) return OP_FCHMOD;
    return OP_NONE;
}

static int ErrorNamed(const char* name)
{
    if (strcmp(name, "ENOSPC") == 0) return ENOSPC;
    if (strcmp(name, "EIO") == 0) return EIO;
    if (strcmp(name, "EACCES") == 0) return EACCES;
    if (strcmp(name, "EPERM") == 0) return EPERM;
    return 0;
}

static void Parse(void)
{
    if (g_fault.parsed) return;
    g_fault.parsed = 1;
    const char* setting = getenv("SONADEX_FAULT");
    if (!setting) return;
    char copy[128];
    snprintf(copy, sizeof copy, "%s", setting);
    char* save = NULL;
    const char* op = strtok_r(copy, ":", &save);
    const char* nth = strtok_r(NULL, ":", &save);
    const char* err = strtok_r(NULL, ":", &save);
    const char* mode = strtok_r(NULL, ":", &save);
    if (!op || !nth || !err) return;
    g_fault.op = OpNamed(op);
    g_fault.target = strtol(nth, NULL, 10);
    g_fault.error = ErrorNamed(err);
    g_fault.shortWrite = mode && strcmp(mode, "short") == 0;
    if (!g_fault.error) g_fault.op = OP_NONE;
}

static void LogFired(const char* what)
{
    const char* log = getenv("SONADEX_FAULT_LOG");
    if (!log) return;
    FILE* out = fopen(log, "a");
    if (!out) return;
    fprintf(out, "%s %ld\n", what, g_fault.calls);
    fclose(out);
}

// 0: call through; 1: fail with the error; 2: short write.
static int Decide(enum Op op)
{
    Parse();
    if (g_fault.op != op) return 0;
    if (g_fault.pendingFailure) {
        g_fault.pendingFailure = 0;
        LogFired("failed after short");
        return 1;
    }
    if (++g_fault.calls != g_fault.target) return 0;
    if (g_fault.shortWrite && op == OP_WRITE) {
        g_fault.pendingFailure = 1;
        LogFired("short");
        return 2;
    }
    LogFired("failed");
    return 1;
}

static int IsCountedFile(int fd)
{
    struct stat info;
    return fd > 2 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

static void* Next(const char* name)
{
    void* real = dlsym(RTLD_NEXT, name);
    if (!real) abort();
    return real;
}

#define FAIL_WITH_ERROR()                                                                                              \
    do {                                                                                                               \
        errno = g_fault.error;                                                                                         \
        return -1;                                                                                                     \
    } while (0)

ssize_t write(int fd, const void* buffer, size_t count)
{
    static ssize_t (*real)(int, const void*, size_t);
    if (!real) real = (ssize_t(*)(int, const void*, size_t))Next("write");
    const int decision = IsCountedFile(fd) ? Decide(OP_WRITE) : 0;
    if (decision == 1) FAIL_WITH_ERROR();
    return real(fd, buffer, decision == 2 && count > 1 ? count / 2 : count);
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    static ssize_t (*real)(int, const void*, size_t, off_t);
    if (!real) real = (ssize_t(*)(int, const void*, size_t, off_t))Next("pwrite");
    const int decision = IsCountedFile(fd) ? Decide(OP_WRITE) : 0;
    if (decision == 1) FAIL_WITH_ERROR();
    return real(fd, buffer, decision == 2 && count > 1 ? count / 2 : count, offset);
}

ssize_t pwrite64(int fd, const void* buffer, size_t count, off64_t offset)
{
    static ssize_t (*real)(int, const void*, size_t, off64_t);
    if (!real) real = (ssize_t(*)(int, const void*, size_t, off64_t))Next("pwrite64");
    const int decision = IsCountedFile(fd) ? Decide(OP_WRITE) : 0;
    if (decision == 1) FAIL_WITH_ERROR();
    return real(fd, buffer, decision == 2 && count > 1 ? count / 2 : count, offset);
}

int ftruncate(int fd, off_t length)
{
    static int (*real)(int, off_t);
    if (!real) real = (int (*)(int, off_t))Next("ftruncate");
    if (Decide(OP_FTRUNCATE)) FAIL_WITH_ERROR();
    return real(fd, length);
}

int ftruncate64(int fd, off64_t length)
{
    static int (*real)(int, off64_t);
    if (!real) real = (int (*)(int, off64_t))Next("ftruncate64");
    if (Decide(OP_FTRUNCATE)) FAIL_WITH_ERROR();
    return real(fd, length);
}

int fsync(int fd)
{
    static int (*real)(int);
    if (!real) real = (int (*)(int))Next("fsync");
    if (Decide(OP_FSYNC)) FAIL_WITH_ERROR();
    return real(fd);
}

int fdatasync(int fd)
{
    static int (*real)(int);
    if (!real) real = (int (*)(int))Next("fdatasync");
    if (Decide(OP_FSYNC)) FAIL_WITH_ERROR();
    return real(fd);
}

int fchmod(int fd, mode_t mode)
{
    static int (*real)(int, mode_t);
    if (!real) real = (int (*)(int, mode_t))Next("fchmod");
    if (Decide(OP_FCHMOD)) FAIL_WITH_ERROR();
    return real(fd, mode);
}

int rename(const char* from, const char* to)
{
    static int (*real)(const char*, const char*);
    if (!real) real = (int (*)(const char*, const char*))Next("rename");
    if (Decide(OP_RENAME)) FAIL_WITH_ERROR();
    return real(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to)
{
    static int (*real)(int, const char*, int, const char*);
    if (!real) real = (int (*)(int, const char*, int, const char*))Next("renameat");
    if (Decide(OP_RENAME)) FAIL_WITH_ERROR();
    return real(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags)
{
    static int (*real)(int, const char*, int, const char*, unsigned);
    if (!real) real = (int (*)(int, const char*, int, const char*, unsigned))Next("renameat2");
    if (Decide(OP_RENAME)) FAIL_WITH_ERROR();
    return real(fromDir, from, toDir, to, flags);
}

// The platform layer calls renameat2 through syscall(2); every other number passes through.
long syscall(long number, ...)
{
    static long (*real)(long, ...);
    if (!real) real = (long (*)(long, ...))Next("syscall");
    va_list args;
    va_start(args, number);
    long a[6];
    for (int i = 0; i < 6; ++i)
        a[i] = va_arg(args, long);
    va_end(args);
    if (number == SYS_renameat2 && Decide(OP_RENAME)) FAIL_WITH_ERROR();
    return real(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}
