#pragma once
// The recorder's data file, held open for one recording.
//
// The file is locked for the whole recording (flock, which also keeps two recordings of one
// program apart), so a second recording onto the same path is refused and never empties the
// first one's file. Before each append the file is checked to be still the one the recording
// started: the path names the same file, and its size is what this recording wrote. A file
// that was moved, deleted, replaced or written by someone else ends the recording, where
// reopening the path for every sample went on into a new file without a header. Each append is
// written whole or not at all: a short write (a full disk) is cut back to the last whole line.

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "core/record/RecorderFile.h"

namespace korvo {

class RecorderDataFile {
public:
    RecorderDataFile() = default;
    ~RecorderDataFile();
    RecorderDataFile(const RecorderDataFile&) = delete;
    RecorderDataFile& operator=(const RecorderDataFile&) = delete;

    // Opens the file (created when missing) and locks it; what it holds stays until clear().
    // Only a regular file is taken. When another recording holds it, nothing is changed.
    FileResult open(const QString& path);
    // Empties the file: every recording starts from an empty file.
    FileResult clear();
    // Appends the bytes after checking that the file is still this recording's.
    FileResult append(const QByteArray& bytes);
    // Releases the lock.
    void close();

    bool isOpen() const { return fd_ >= 0; }
    const QString& path() const { return path_; }

private:
    FileResult stillOurs() const;
    FileResult failure(const QString& text) const;

    int fd_ = -1;
    QString path_;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::int64_t written_ = 0;  // the file's size as this recording left it
};

// Deletes the file; a file that does not exist counts as deleted. A file that a recording holds
// is not deleted.
FileResult deleteRecorderFile(const QString& path);

}  // namespace korvo
