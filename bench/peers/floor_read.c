/* The read floor: the least a program must do to read every ID3v1 tag of a
 * folder (or, with -r, a tree): readdir, open, fstat, pread of the last 128
 * bytes, close. Prints how many files carry a tag. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

static long tagged, files;

static int is_mp3(const char* name)
{
    size_t n = strlen(name);
    return n > 4 && strcasecmp(name + n - 4, ".mp3") == 0;
}

static void read_tag(int dir, const char* name)
{
    int fd = openat(dir, name, O_RDONLY);
    if (fd < 0) return;
    struct stat st;
    char record[128];
    if (fstat(fd, &st) == 0 && st.st_size > 128 && pread(fd, record, 128, st.st_size - 128) == 128 &&
        memcmp(record, "TAG", 3) == 0)
        ++tagged;
    ++files;
    close(fd);
}

static void walk(int dir, int recurse)
{
    DIR* d = fdopendir(dir);
    if (!d) return;
    struct dirent* e;
    while ((e = readdir(d)) != NULL) {
        if (e->d_name[0] == '.') continue;
        if (recurse && e->d_type == DT_DIR) {
            int sub = openat(dir, e->d_name, O_RDONLY | O_DIRECTORY);
            if (sub >= 0) walk(sub, recurse);
        } else if (is_mp3(e->d_name)) {
            read_tag(dir, e->d_name);
        }
    }
    closedir(d);
}

int main(int argc, char** argv)
{
    int recurse = argc > 2 && strcmp(argv[1], "-r") == 0;
    const char* folder = argv[argc - 1];
    int dir = open(folder, O_RDONLY | O_DIRECTORY);
    if (argc < 2 || dir < 0) {
        fprintf(stderr, "usage: floor_read [-r] FOLDER\n");
        return 2;
    }
    walk(dir, recurse);
    printf("%ld files, %ld tagged\n", files, tagged);
    return 0;
}
