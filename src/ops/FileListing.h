// The rows the file list shows for a folder.
#pragma once

#include "tag/Field.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

enum class RowState { Match = 0, Tagged = 1, Untagged = 2 }; // also the icon index

struct FileRow {
    std::string name;    // system string, no folder
    bool opened = false; // the tag could be read
    bool hasTag = false;
    std::uint64_t size = 0;
    std::string sizeText; // FormatFileSize(size) when opened, else empty
    RowState state = RowState::Untagged;
    FieldArray<std::string> fields; // the getters' texts by Field; empty without a tag
    // The ID3v1.1 track number (0 for none), and whether the file also starts
    // with an ID3v2 tag (false when the listing did not look).
    int track = 0;
    bool hasId3v2 = false;
    unsigned char genreByte = 255; // the tag's genre byte; 255 (no genre) without a tag

    const std::string& Get(Field field) const { return At(fields, field); }
};

struct FileListing {
    std::vector<FileRow> rows; // in the finder's order
    int count = 0;
    std::uint64_t total = 0;
};

struct ListReading {
    unsigned jobs = 1;   // threads
    unsigned ioJobs = 0; // more threads, up to this many, while the reads wait on the device
    bool id3v2 = true;   // fill FileRow::hasId3v2, at one more read per file
    // Open and read the files in batches (platform::CFileEndsReader). Not on
    // a network share: there each file's status check and lock is a round
    // trip, which in a batch would wait one after another.
    bool batched = true;
    // For a caller that shows progress and lets the user stop: the files
    // found and read so far, counted as they go, and a stop that ends the
    // search and the reads between two files. A stopped listing holds only
    // the rows read whole, in the finder's order.
    std::atomic<std::size_t>* found = nullptr;
    std::atomic<std::size_t>* read = nullptr;
    const std::atomic<bool>* stop = nullptr;

    bool Stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

// Searches folder\*.mp3 (any case) and reads every entry's tag, on the
// threads reading gives; the rows and totals are the same for any number.
FileListing ListFolder(const std::string& folder, const std::string& pattern, const ListReading& reading = {});
// ListFolder for each folder, the files of all of them spread over the threads.
std::vector<FileListing> ListFolders(const std::vector<std::string>& folders, const std::string& pattern,
                                     const ListReading& reading = {});
// "%d " + filesWord + ", " + FormatFileSize(total)
std::string SummaryText(int count, std::uint64_t total, const std::string& filesWord);
