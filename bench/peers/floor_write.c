/* The write floor: the least a program must do to write one ID3v1 field
 * into every .mp3 file of a folder: readdir, open, fstat, pread of the 3
 * tag bytes (to overwrite a tag or append one), pwrite, close. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: floor_write COMMENT FOLDER\n");
        return 2;
    }
    char comment[30];
    memset(comment, ' ', sizeof comment);
    memcpy(comment, argv[1], strnlen(argv[1], sizeof comment));
    int dir = open(argv[2], O_RDONLY | O_DIRECTORY);
    DIR* d = dir >= 0 ? fdopendir(dir) : NULL;
    if (!d) return 1;
    long written = 0;
    struct dirent* e;
    while ((e = readdir(d)) != NULL) {
        size_t n = strlen(e->d_name);
        if (n <= 4 || strcmp(e->d_name + n - 4, ".mp3") != 0) continue;
        int fd = openat(dir, e->d_name, O_RDWR);
        if (fd < 0) continue;
        struct stat st;
        char head[3];
        if (fstat(fd, &st) == 0) {
            int has = st.st_size > 128 && pread(fd, head, 3, st.st_size - 128) == 3 && memcmp(head, "TAG", 3) == 0;
            if (has) {
                if (pwrite(fd, comment, 30, st.st_size - 128 + 97) == 30) ++written;
            } else {
                char record[128];
                memset(record, ' ', sizeof record);
                memcpy(record, "TAG", 3);
                memcpy(record + 97, comment, 30);
                record[127] = (char)255;
                if (pwrite(fd, record, 128, st.st_size) == 128) ++written;
            }
        }
        close(fd);
    }
    closedir(d);
    printf("%ld files written\n", written);
    return 0;
}
