// A tiny TagLib program, built only for the benchmark: reads the ID3v1 tag
// of every file named (read), or sets its comment (write COMMENT FILE...).
#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    const bool write = std::strcmp(argv[1], "write") == 0;
    const int first = write ? 3 : 2;
    long done = 0;
    for (int i = first; i < argc; ++i) {
        TagLib::MPEG::File file(argv[i], false);
        if (!file.isValid()) continue;
        if (write) {
            file.ID3v1Tag(true)->setComment(argv[2]);
            done += file.save(TagLib::MPEG::File::ID3v1, TagLib::File::StripNone) ? 1 : 0;
        } else if (TagLib::ID3v1::Tag* tag = file.ID3v1Tag()) {
            done += tag->artist().isEmpty() ? 0 : 1;
        }
    }
    std::printf("%ld\n", done);
    return 0;
}
