// What tells one state of a file on disk from another: its identity, size and change times to the nanosecond.
// The kept data files and pictures are reused only while their file's stamp stays the same.
#pragma once

#include <cstdint>
#include <string>

struct FileStamp {
    bool exists = false;
    uint64_t device = 0, inode = 0;
    int64_t size = 0;
    int64_t modifiedSeconds = 0, modifiedNanos = 0;
    int64_t changedSeconds = 0, changedNanos = 0;
};

// The stamp of a file as it is now; exists is false when it cannot be read (missing, not a regular file).
FileStamp fileStamp(const std::string& path);
bool sameStamp(const FileStamp& a, const FileStamp& b);
// True when a later write must show in the stamp: a write within the file system's time step of the stamp
// could leave the same times, so a stamp whose times are both that recent is not trusted on its own.
bool stampSettled(const FileStamp& stamp);
// The path made absolute against the working directory, so that kept files of different folders never mix.
std::string absoluteFilePath(const std::string& path);
