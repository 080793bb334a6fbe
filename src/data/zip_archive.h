// Password-protected ZIP archives, as the full edition exchanges them with
// this program: every entry deflated and encrypted with the ZIP format's
// traditional (PKWARE) password scheme, the only one the full edition reads.
// Standard tools (unzip, 7-Zip, Windows Explorer) open such archives with
// the password. Disk spanning is not supported: archives go to one file.
//
// Errors: vv::db::Error (Io for the file system, CorruptFile for an archive
// whose bytes or checksums are wrong, WrongPassword) naming the archive.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vv::data {

// One file to put into an archive.
struct ZipSource {
    std::string entryName;  // the name stored in the archive
    std::string filePath;   // the file read when the archive is written
};

// Writes `archivePath` anew (an existing file is replaced) holding `sources`
// in that order, each deflated at level 9 and encrypted with `password`.
// The archive appears under its name only when it was written completely.
void writeEncryptedZip(const std::string& archivePath, const std::vector<ZipSource>& sources,
                       const std::string& password);

// Reads the archive back and checks it against `sources`: exactly those
// entries, each decrypting and inflating to the length and checksum of its
// source file. Returns an empty text when the archive is good, otherwise
// one plain sentence naming what is wrong. Never throws for a bad archive.
std::string verifyZip(const std::string& archivePath, const std::vector<ZipSource>& sources,
                      const std::string& password);

// An archive opened for reading.
class ZipReader {
public:
    struct Entry {
        std::string name;   // as stored, folders and all
        uint64_t size = 0;  // uncompressed
        uint32_t crc = 0;
        bool isFolder = false;
    };

    // Throws when the file is missing or is no ZIP archive.
    ZipReader(const std::string& archivePath, const std::string& password);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    const std::vector<Entry>& entries() const { return entries_; }

    // Decrypts and inflates entry `index` into a new file `filePath`, calling
    // `onBytes` with the count of bytes written after each piece. Throws
    // WrongPassword or CorruptFile (checksum wrong, data cut short).
    void extract(std::size_t index, const std::string& filePath,
                 const std::function<void(uint64_t)>& onBytes = {}) const;
    // The same reading, handing each piece of the entry's data to `sink`.
    void read(std::size_t index, const std::function<void(const char*, std::size_t)>& sink) const;

private:
    struct Handle;
    std::string path_;
    std::unique_ptr<Handle> handle_;
    std::vector<Entry> entries_;
};

}  // namespace vv::data
