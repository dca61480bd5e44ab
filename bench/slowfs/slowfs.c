/* A passthrough file system that stands in for a network share: every open,
 * read and stat (getattr, which also answers the kernel's lookups) of a file
 * waits a set latency before it is answered, as a request to a server would.
 * It counts the requests by kind and writes the counts when it is unmounted.
 *
 *   slowfs SOURCE MOUNTPOINT [FUSE options, e.g. -f -o max_threads=512]
 *
 * Environment: SLOWFS_LATENCY_US (default 1000), SLOWFS_COUNTS (a file that
 * receives "kind count" lines at unmount; default: standard error). */
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE
#include <fuse3/fuse.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

enum { kGetattr, kOpen, kRead, kWrite, kReaddir, kRelease, kKinds };
static const char* const kind_names[kKinds] = {"getattr", "open", "read", "write", "readdir", "release"};
static atomic_long counts[kKinds];
static long latency_us = 1000;
static char source[PATH_MAX];

static void round_trip(int kind, int slow)
{
    ++counts[kind];
    if (!slow || latency_us <= 0) return;
    struct timespec wait = {latency_us / 1000000, (latency_us % 1000000) * 1000};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

static void real_path(char* out, const char* path)
{
    snprintf(out, PATH_MAX, "%s%s", source, path);
}

static int fs_getattr(const char* path, struct stat* st, struct fuse_file_info* fi)
{
    round_trip(kGetattr, 1);
    if (fi) return fstat((int)fi->fh, st) == 0 ? 0 : -errno;
    char real[PATH_MAX];
    real_path(real, path);
    return lstat(real, st) == 0 ? 0 : -errno;
}

static int fs_open(const char* path, struct fuse_file_info* fi)
{
    round_trip(kOpen, 1);
    char real[PATH_MAX];
    real_path(real, path);
    const int fd = open(real, fi->flags & ~(O_CREAT | O_EXCL));
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int fs_read(const char* path, char* buf, size_t size, off_t offset, struct fuse_file_info* fi)
{
    (void)path;
    round_trip(kRead, 1);
    const ssize_t got = pread((int)fi->fh, buf, size, offset);
    return got < 0 ? -errno : (int)got;
}

static int fs_write(const char* path, const char* buf, size_t size, off_t offset, struct fuse_file_info* fi)
{
    (void)path;
    round_trip(kWrite, 1);
    const ssize_t put = pwrite((int)fi->fh, buf, size, offset);
    return put < 0 ? -errno : (int)put;
}

static int fs_release(const char* path, struct fuse_file_info* fi)
{
    (void)path;
    round_trip(kRelease, 0);
    close((int)fi->fh);
    return 0;
}

static int fs_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t offset, struct fuse_file_info* fi,
                      enum fuse_readdir_flags flags)
{
    (void)offset, (void)fi, (void)flags;
    round_trip(kReaddir, 0);
    char real[PATH_MAX];
    real_path(real, path);
    DIR* d = opendir(real);
    if (!d) return -errno;
    struct dirent* e;
    while ((e = readdir(d)) != NULL) {
        struct stat st = {.st_ino = e->d_ino, .st_mode = (mode_t)DTTOIF(e->d_type)};
        if (fill(buf, e->d_name, &st, 0, 0)) break;
    }
    closedir(d);
    return 0;
}

static void fs_destroy(void* data)
{
    (void)data;
    const char* name = getenv("SLOWFS_COUNTS");
    FILE* out = name ? fopen(name, "w") : stderr;
    if (!out) return;
    for (int kind = 0; kind < kKinds; ++kind)
        fprintf(out, "%s %ld\n", kind_names[kind], (long)counts[kind]);
    if (out != stderr) fclose(out);
}

static void* fs_init(struct fuse_conn_info* conn, struct fuse_config* cfg)
{
    (void)conn;
    /* A share's server is asked each time; the kernel keeps nothing. */
    cfg->entry_timeout = 0;
    cfg->attr_timeout = 0;
    cfg->negative_timeout = 0;
    cfg->kernel_cache = 0;
    cfg->use_ino = 1;
    return NULL;
}

static const struct fuse_operations operations = {
    .getattr = fs_getattr,
    .open = fs_open,
    .read = fs_read,
    .write = fs_write,
    .release = fs_release,
    .readdir = fs_readdir,
    .init = fs_init,
    .destroy = fs_destroy,
};

int main(int argc, char** argv)
{
    if (argc < 3 || !realpath(argv[1], source)) {
        fprintf(stderr, "usage: slowfs SOURCE MOUNTPOINT [FUSE options]\n");
        return 2;
    }
    const char* latency = getenv("SLOWFS_LATENCY_US");
    if (latency) latency_us = atol(latency);
    argv[1] = argv[0]; /* fuse_main sees: program MOUNTPOINT options */
    return fuse_main(argc - 1, argv + 1, &operations, NULL);
}
