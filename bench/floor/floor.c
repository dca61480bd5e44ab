/* Floors: the least a program must do to read (or write) the ID3v1 tag of
 * every .mp3 file of one folder. readdir; per file open, fstat, pread of the
 * last 128 bytes, close; to write, also pwrite of 128 bytes (over the tag, or
 * appended). With -t N the files are spread over N threads (one thread: no
 * thread is started); many threads keep many requests in flight, which is
 * what hides the latency of a cold disk or a network share. readlock and
 * writelock read and write as read and write do, also taking the lock
 * sonadex-cli takes on every file (flock, exclusive, not waiting): what that
 * lock alone costs.
 *
 *   floor read|readlock|write|writelock [-t THREADS] FOLDER
 *
 * Prints the number of files and of tagged files. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

static int folder_fd;
static int writing;
static int locking;
static char** names;
static size_t count;
static atomic_size_t next_index;
static atomic_long tagged, files;

static int is_mp3(const char* name)
{
    size_t n = strlen(name);
    return n > 4 && strcasecmp(name + n - 4, ".mp3") == 0;
}

static void collect(void)
{
    DIR* d = fdopendir(dup(folder_fd));
    size_t capacity = 1024;
    names = malloc(capacity * sizeof *names);
    struct dirent* e;
    while ((e = readdir(d)) != NULL) {
        if (e->d_name[0] == '.' || !is_mp3(e->d_name)) continue;
        if (count == capacity) names = realloc(names, (capacity *= 2) * sizeof *names);
        names[count++] = strdup(e->d_name);
    }
    closedir(d);
}

static void one_file(const char* name)
{
    int fd = openat(folder_fd, name, writing ? O_RDWR : O_RDONLY);
    if (fd < 0) return;
    if (locking && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return;
    }
    struct stat st;
    char record[128];
    if (fstat(fd, &st) == 0) {
        int has_tag = st.st_size >= 128 && pread(fd, record, 128, st.st_size - 128) == 128 &&
                      memcmp(record, "TAG", 3) == 0;
        if (has_tag) ++tagged;
        if (writing) {
            if (!has_tag) {
                memset(record, 0, sizeof record);
                memcpy(record, "TAG", 3);
                record[127] = (char)255;
            }
            memcpy(record + 97, "Floor", 5);
            if (pwrite(fd, record, 128, has_tag ? st.st_size - 128 : st.st_size) != 128) perror(name);
        }
        ++files;
    }
    close(fd);
}

static void* drain(void* unused)
{
    (void)unused;
    for (;;) {
        size_t i = atomic_fetch_add_explicit(&next_index, 1, memory_order_relaxed);
        if (i >= count) return NULL;
        one_file(names[i]);
    }
}

int main(int argc, char** argv)
{
    int threads = 1;
    if (argc >= 5 && strcmp(argv[2], "-t") == 0) threads = atoi(argv[3]);
    const char* mode = argc >= 2 ? argv[1] : "";
    if (argc < 3 || threads < 1 ||
        (strcmp(mode, "read") != 0 && strcmp(mode, "readlock") != 0 && strcmp(mode, "write") != 0 &&
         strcmp(mode, "writelock") != 0)) {
        fprintf(stderr, "usage: floor read|readlock|write|writelock [-t THREADS] FOLDER\n");
        return 2;
    }
    writing = strncmp(mode, "write", 5) == 0;
    locking = strcmp(mode + strlen(mode) - 4, "lock") == 0;
    folder_fd = open(argv[argc - 1], O_RDONLY | O_DIRECTORY);
    if (folder_fd < 0) {
        perror(argv[argc - 1]);
        return 1;
    }
    collect();
    if ((size_t)threads > count) threads = count ? (int)count : 1;
    pthread_t* helpers = calloc((size_t)threads, sizeof *helpers);
    for (int t = 1; t < threads; ++t)
        pthread_create(&helpers[t], NULL, drain, NULL);
    drain(NULL);
    for (int t = 1; t < threads; ++t)
        pthread_join(helpers[t], NULL);
    printf("%ld files, %ld tagged\n", (long)files, (long)tagged);
    return 0;
}
