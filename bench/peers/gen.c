/* The benchmark's collection: N copies of a small real MP3 (made by lame),
 * about 70 % of them with an ID3v1 tag written here directly (the fast
 * writer; run.sh retags a sample with the peer tools), Latin-1 text in the
 * tags and UTF-8 names. With "tree", the files are spread over 100 folders
 * (20 artists x 5 albums). */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static const char* artists[] = {"Mot\xF6rhead", "Bj\xF6rk", "Caf\xE9 Tacvba", "Sigur R\xF3s", "The Band",
                                "Die \xC4rzte", "M\xFAm", "Queen", "Ren\xE9 Aubry", "Stra\xDF" "e"};

static void put(char* record, int offset, int width, const char* text)
{
    size_t n = strlen(text);
    memcpy(record + offset, text, n < (size_t)width ? n : (size_t)width);
}

static int write_file(const char* path, const char* body, size_t size, long i)
{
    FILE* f = fopen(path, "wb");
    if (!f) return -1;
    fwrite(body, 1, size, f);
    if (i % 10 < 7) {
        char record[128], text[48];
        memset(record, 0, sizeof record);
        memcpy(record, "TAG", 3);
        snprintf(text, sizeof text, "Title %ld \xE0 la carte", i);
        put(record, 3, 30, text);
        put(record, 33, 30, artists[i % 10]);
        snprintf(text, sizeof text, "Album %ld", i % 97);
        put(record, 63, 30, text);
        put(record, 93, 4, "1999");
        put(record, 97, 28, "benchmark \xA9");
        record[127] = (char)(i % 148);
        fwrite(record, 1, sizeof record, f);
    }
    return fclose(f);
}

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: gen BODY.mp3 OUTDIR N flat|tree\n");
        return 2;
    }
    static char body[1 << 20];
    FILE* in = fopen(argv[1], "rb");
    if (!in) return 1;
    size_t size = fread(body, 1, sizeof body, in);
    fclose(in);
    long n = atol(argv[3]);
    int tree = strcmp(argv[4], "tree") == 0;
    mkdir(argv[2], 0755);
    char path[4096];
    for (long i = 0; i < n; ++i) {
        if (tree) {
            snprintf(path, sizeof path, "%s/Artist %02ld", argv[2], i % 20);
            mkdir(path, 0755);
            snprintf(path, sizeof path, "%s/Artist %02ld/Album %ld", argv[2], i % 20, (i / 20) % 5);
            mkdir(path, 0755);
            snprintf(path + strlen(path), sizeof path - strlen(path), "/%06ld Tr\xC3\xA4umerei.mp3", i);
        } else {
            snprintf(path, sizeof path, "%s/%06ld Tr\xC3\xA4umerei.mp3", argv[2], i);
        }
        if (write_file(path, body, size, i) != 0) {
            perror(path);
            return 1;
        }
    }
    return 0;
}
