#include "data/zip_archive.h"

#include <zip.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "db/error.h"

namespace vv::data {

using db::Error;
using db::ErrorKind;

namespace {

constexpr std::size_t kChunk = 1 << 16;

std::string zipMessage(zip_error_t* error) {
    const char* text = zip_error_strerror(error);
    return text ? text : "unknown error";
}

std::string archiveMessage(zip_t* archive) { return zipMessage(zip_get_error(archive)); }

// The kind of engine error that matches what libzip reported.
ErrorKind kindOf(int zipError) {
    switch (zipError) {
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_NOPASSWD: return ErrorKind::WrongPassword;
    case ZIP_ER_CRC:
    case ZIP_ER_INCONS:
    case ZIP_ER_NOZIP:
    case ZIP_ER_COMPNOTSUPP:
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_ZLIB:
    case ZIP_ER_EOF: return ErrorKind::CorruptFile;
    case ZIP_ER_NOENT: return ErrorKind::FileNotFound;
    default: return ErrorKind::Io;
    }
}

// The CRC-32 and length of a file on disk, as a ZIP entry records them.
bool fileChecksum(const std::string& path, uint32_t& crc, uint64_t& size) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    uLong c = crc32(0L, Z_NULL, 0);
    std::vector<char> buffer(kChunk);
    size = 0;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = in.gcount();
        if (got <= 0) break;
        c = crc32(c, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(got));
        size += static_cast<uint64_t>(got);
    }
    if (in.bad()) return false;
    crc = static_cast<uint32_t>(c);
    return true;
}

}  // namespace

// ---------------------------------------------------------------- writing

void writeEncryptedZip(const std::string& archivePath, const std::vector<ZipSource>& sources,
                       const std::string& password) {
    std::error_code ec;
    std::filesystem::remove(archivePath, ec);
    int errorCode = 0;
    // libzip writes to a temporary file beside the archive and renames it on
    // close, so a failed run never leaves a half-written archive behind.
    zip_t* archive = zip_open(archivePath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &errorCode);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, errorCode);
        const std::string message = zipMessage(&error);
        zip_error_fini(&error);
        throw Error(kindOf(errorCode), "Cannot create the archive " + archivePath + ": " + message);
    }
    auto fail = [&](const std::string& what) {
        const std::string message = what + " (" + archivePath + "): " + archiveMessage(archive);
        const int code = zip_error_code_zip(zip_get_error(archive));
        zip_discard(archive);
        throw Error(kindOf(code), message);
    };
    for (const auto& source : sources) {
        zip_source_t* data = zip_source_file(archive, source.filePath.c_str(), 0, -1);
        if (!data) fail("Cannot read " + source.filePath);
        const zip_int64_t index = zip_file_add(archive, source.entryName.c_str(), data, ZIP_FL_ENC_GUESS);
        if (index < 0) {
            zip_source_free(data);
            fail("Cannot add " + source.entryName);
        }
        const auto i = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(archive, i, ZIP_CM_DEFLATE, 9) < 0) fail("Cannot compress " + source.entryName);
        if (zip_file_set_encryption(archive, i, ZIP_EM_TRAD_PKWARE, password.c_str()) < 0)
            fail("Cannot encrypt " + source.entryName);
    }
    if (zip_close(archive) < 0) fail("Cannot write the archive");
}

// ---------------------------------------------------------------- reading

struct ZipReader::Handle {
    zip_t* archive = nullptr;
    ~Handle() {
        if (archive) zip_discard(archive);
    }
};

ZipReader::ZipReader(const std::string& archivePath, const std::string& password)
    : path_(archivePath), handle_(std::make_unique<Handle>()) {
    int errorCode = 0;
    handle_->archive = zip_open(archivePath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &errorCode);
    if (!handle_->archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, errorCode);
        const std::string message = zipMessage(&error);
        zip_error_fini(&error);
        throw Error(kindOf(errorCode), "Cannot open the archive " + archivePath + ": " + message);
    }
    zip_set_default_password(handle_->archive, password.c_str());
    const zip_int64_t count = zip_get_num_entries(handle_->archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(handle_->archive, static_cast<zip_uint64_t>(i), 0, &st) < 0)
            throw Error(ErrorKind::CorruptFile, "Entry " + std::to_string(i + 1) + " of the archive " + archivePath +
                                                    " cannot be read: " + archiveMessage(handle_->archive));
        Entry e;
        e.name = (st.valid & ZIP_STAT_NAME) && st.name ? st.name : "";
        e.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        e.crc = (st.valid & ZIP_STAT_CRC) ? st.crc : 0;
        e.isFolder = !e.name.empty() && (e.name.back() == '/' || e.name.back() == '\\');
        entries_.push_back(std::move(e));
    }
}

ZipReader::~ZipReader() = default;

void ZipReader::read(std::size_t index, const std::function<void(const char*, std::size_t)>& sink) const {
    const Entry& entry = entries_.at(index);
    zip_file_t* file = zip_fopen_index(handle_->archive, index, 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(handle_->archive));
        throw Error(kindOf(code), "Cannot open " + entry.name + " in the archive " + path_ + ": " +
                                      archiveMessage(handle_->archive));
    }
    std::vector<char> buffer(kChunk);
    uint64_t total = 0;
    try {
        for (;;) {
            // The decrypted, inflated data is checked against the entry's CRC
            // at its end: a wrong checksum comes back as a read error.
            const zip_int64_t got = zip_fread(file, buffer.data(), buffer.size());
            if (got < 0)
                throw Error(kindOf(zip_error_code_zip(zip_file_get_error(file))),
                            "Cannot read " + entry.name + " from the archive " + path_ + ": " +
                                zipMessage(zip_file_get_error(file)));
            if (got == 0) break;
            total += static_cast<uint64_t>(got);
            sink(buffer.data(), static_cast<std::size_t>(got));
        }
    } catch (...) {
        zip_fclose(file);
        throw;
    }
    zip_fclose(file);
    if (total != entry.size)
        throw Error(ErrorKind::CorruptFile, entry.name + " in the archive " + path_ + " is cut short");
}

void ZipReader::extract(std::size_t index, const std::string& filePath,
                        const std::function<void(uint64_t)>& onBytes) const {
    std::FILE* out = std::fopen(filePath.c_str(), "wb");
    if (!out) throw Error(ErrorKind::Io, "Cannot create " + filePath);
    uint64_t written = 0;
    try {
        read(index, [&](const char* data, std::size_t size) {
            if (std::fwrite(data, 1, size, out) != size) throw Error(ErrorKind::Io, "Cannot write " + filePath);
            written += size;
            if (onBytes) onBytes(written);
        });
    } catch (...) {
        std::fclose(out);
        throw;
    }
    if (std::fclose(out) != 0) throw Error(ErrorKind::Io, "Cannot write " + filePath);
}

// ---------------------------------------------------------------- checking

std::string verifyZip(const std::string& archivePath, const std::vector<ZipSource>& sources,
                      const std::string& password) {
    try {
        ZipReader reader(archivePath, password);
        std::map<std::string, std::size_t> byName;
        for (std::size_t i = 0; i < reader.entries().size(); ++i) byName[reader.entries()[i].name] = i;
        if (reader.entries().size() != sources.size())
            return "The archive " + archivePath + " holds " + std::to_string(reader.entries().size()) +
                   " files instead of " + std::to_string(sources.size()) + ".";
        for (const auto& source : sources) {
            const auto it = byName.find(source.entryName);
            if (it == byName.end()) return source.entryName + " is missing from the archive " + archivePath + ".";
            uint32_t crc = 0;
            uint64_t size = 0;
            if (!fileChecksum(source.filePath, crc, size)) return "Cannot read " + source.filePath + ".";
            const auto& entry = reader.entries()[it->second];
            if (entry.crc != crc || entry.size != size)
                return source.entryName + " in the archive " + archivePath + " does not match " + source.filePath + ".";
            reader.read(it->second, [](const char*, std::size_t) {});
        }
    } catch (const Error& e) {
        return e.what();
    }
    return {};
}

}  // namespace vv::data
