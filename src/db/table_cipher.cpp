// The block layout and the key schedule are described in doc/encryption.md.
#include "db/table_cipher.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>
#include <vector>

#include "db/byte_order.h"
#include "db/error.h"

namespace vv::db {
namespace {

constexpr unsigned char kMagic[8] = {'V', 'V', 'C', 'R', 'Y', 'P', 'T', '1'};
constexpr unsigned char kVersion = 1;

// Block offsets.
constexpr std::size_t kOffsetVersion = 8;
constexpr std::size_t kOffsetLog2N = 9;
constexpr std::size_t kOffsetR = 10;
constexpr std::size_t kOffsetP = 11;
constexpr std::size_t kOffsetSalt = 12;
constexpr std::size_t kSaltSize = 16;
constexpr std::size_t kOffsetVerifier = 28;
constexpr std::size_t kVerifierSize = 32;

// Parameters of new tables: about 32 MB and 50-100 ms per derivation.
constexpr unsigned kDefaultLog2N = 15;
constexpr unsigned kDefaultR = 8;
constexpr unsigned kDefaultP = 1;
// Opening a table must not let a damaged block ask for gigabytes or minutes:
// at most 8 times the memory and 64 times the work of today's parameters.
constexpr uint64_t kMaxKdfMemory = 256ull << 20;
constexpr uint64_t kMaxKdfWork = uint64_t{1} << 24;  // N * r * p

// Layout of the KDF output.
constexpr std::size_t kXtsKeySize = 64;
constexpr std::size_t kMemoKeySize = 32;
constexpr std::size_t kVerifyKeySize = 32;
constexpr std::size_t kDerivedSize = 2 * kXtsKeySize + kMemoKeySize + kVerifyKeySize;

constexpr std::size_t kNonceSize = 12;
constexpr std::size_t kTagSize = 16;
static_assert(kNonceSize + kTagSize == TableCipher::kMemoOverhead);

constexpr char kVerifierLabel[] = "VVCRYPT1 password check";

[[noreturn]] void corrupt(const std::string& what) {
    throw Error(ErrorKind::CorruptFile, "The encryption block is damaged: " + what);
}

[[noreturn]] void cryptoFailure(const std::string& what) {
    throw Error(ErrorKind::Io, "The cryptographic library failed to " + what);
}

struct KdfParams {
    unsigned log2N = kDefaultLog2N, r = kDefaultR, p = kDefaultP;

    uint64_t memory() const { return 128ull * r * ((1ull << log2N) + p + 2); }
    uint64_t work() const { return (uint64_t{1} << log2N) * r * p; }
};

// Algorithms fetched once: an implicit fetch on every record costs more than
// encrypting it.
struct Algorithms {
    EVP_CIPHER* xts = EVP_CIPHER_fetch(nullptr, "AES-256-XTS", nullptr);
    EVP_CIPHER* chacha = EVP_CIPHER_fetch(nullptr, "ChaCha20-Poly1305", nullptr);
    ~Algorithms() {
        EVP_CIPHER_free(xts);
        EVP_CIPHER_free(chacha);
    }
};

const Algorithms& algorithms() {
    static const Algorithms algs;
    if (!algs.xts || !algs.chacha) cryptoFailure("provide AES-256-XTS and ChaCha20-Poly1305");
    return algs;
}

struct CipherCtx {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ~CipherCtx() { EVP_CIPHER_CTX_free(ctx); }
    CipherCtx() {
        if (!ctx) cryptoFailure("allocate a cipher context");
    }
    CipherCtx(const CipherCtx&) = delete;
    CipherCtx& operator=(const CipherCtx&) = delete;
};

// One XTS context per thread. Records are decrypted one at a time during
// scans, and setting the cipher up per record would cost half again as much
// as the encryption: the context keeps the key schedule of the key it used
// last and only takes a new tweak while the same key follows.
struct XtsContext {
    CipherCtx c;
    bool primed = false;
    uint64_t keyTag = 0;  // which key is scheduled (see xts()); 0: none
    bool encrypting = false;
};

XtsContext& threadXtsContext() {
    thread_local XtsContext holder;
    return holder;
}

std::atomic<uint64_t> nextKeysId{1};

}  // namespace

struct TableCipher::Keys {
    std::array<unsigned char, kHeaderBlockSize> block{};
    unsigned char recordKey[kXtsKeySize];
    unsigned char pageKey[kXtsKeySize];
    unsigned char memoKey[kMemoKeySize];
    // Tells key sets apart for the per-thread XTS context; never reused, unlike addresses.
    const uint64_t id = nextKeysId.fetch_add(1);

    Keys() = default;
    Keys(const Keys&) = delete;
    Keys& operator=(const Keys&) = delete;
    ~Keys() {
        OPENSSL_cleanse(recordKey, sizeof recordKey);
        OPENSSL_cleanse(pageKey, sizeof pageKey);
        OPENSSL_cleanse(memoKey, sizeof memoKey);
    }
};

namespace {

struct Wiped {
    std::vector<unsigned char> bytes;
    explicit Wiped(std::size_t n) : bytes(n) {}
    ~Wiped() { OPENSSL_cleanse(bytes.data(), bytes.size()); }
    Wiped(const Wiped&) = delete;
    Wiped& operator=(const Wiped&) = delete;
};

std::array<unsigned char, kVerifierSize> verifierFor(const unsigned char* verifyKey) {
    std::array<unsigned char, kVerifierSize> mac{};
    unsigned int len = 0;
    if (!HMAC(EVP_sha256(), verifyKey, static_cast<int>(kVerifyKeySize),
              reinterpret_cast<const unsigned char*>(kVerifierLabel), sizeof kVerifierLabel - 1, mac.data(), &len) ||
        len != kVerifierSize)
        cryptoFailure("compute the password verifier");
    return mac;
}

// Runs scrypt and lays out a full Keys object, block included.
std::shared_ptr<TableCipher::Keys> deriveKeys(std::string_view password, const unsigned char* salt,
                                              const KdfParams& params) {
    Wiped out(kDerivedSize);
    if (!EVP_PBE_scrypt(password.data(), password.size(), salt, kSaltSize, uint64_t{1} << params.log2N, params.r,
                        params.p, params.memory(), out.bytes.data(), out.bytes.size()))
        cryptoFailure("derive the table key");

    auto keys = std::make_shared<TableCipher::Keys>();
    const unsigned char* p = out.bytes.data();
    std::memcpy(keys->recordKey, p, kXtsKeySize);
    std::memcpy(keys->pageKey, p + kXtsKeySize, kXtsKeySize);
    std::memcpy(keys->memoKey, p + 2 * kXtsKeySize, kMemoKeySize);
    const auto verifier = verifierFor(p + 2 * kXtsKeySize + kMemoKeySize);

    auto& b = keys->block;
    std::memcpy(b.data(), kMagic, sizeof kMagic);
    b[kOffsetVersion] = kVersion;
    b[kOffsetLog2N] = static_cast<unsigned char>(params.log2N);
    b[kOffsetR] = static_cast<unsigned char>(params.r);
    b[kOffsetP] = static_cast<unsigned char>(params.p);
    std::memcpy(&b[kOffsetSalt], salt, kSaltSize);
    std::memcpy(&b[kOffsetVerifier], verifier.data(), kVerifierSize);
    return keys;
}

// Tables are opened again and again (every window, every report); scrypt is
// meant to be slow, so each (password, salt, parameters) is derived once per
// process. Entries are found by a digest, so the cache holds no password.
class KeyCache {
public:
    using Digest = std::array<unsigned char, 32>;

    static Digest digestOf(std::string_view password, const unsigned char* salt, const KdfParams& params) {
        Wiped input(4 + kSaltSize + password.size());
        auto& in = input.bytes;
        in[0] = static_cast<unsigned char>(params.log2N);
        in[1] = static_cast<unsigned char>(params.r);
        in[2] = static_cast<unsigned char>(params.p);
        in[3] = 0;
        std::memcpy(&in[4], salt, kSaltSize);
        std::copy(password.begin(), password.end(), in.begin() + 4 + kSaltSize);
        Digest d{};
        if (!EVP_Digest(in.data(), in.size(), d.data(), nullptr, EVP_sha256(), nullptr))
            cryptoFailure("hash the key cache entry");
        return d;
    }

    std::shared_ptr<const TableCipher::Keys> find(const Digest& d) {
        std::lock_guard<std::mutex> guard(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (CRYPTO_memcmp(it->digest.data(), d.data(), d.size()) == 0) {
                Entry hit = *it;
                entries_.erase(it);
                entries_.push_back(hit);  // most recently used last
                return hit.keys;
            }
        }
        return nullptr;
    }

    void insert(const Digest& d, std::shared_ptr<const TableCipher::Keys> keys) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (entries_.size() >= kCapacity) entries_.erase(entries_.begin());
        entries_.push_back({d, std::move(keys)});
    }

private:
    static constexpr std::size_t kCapacity = 32;
    struct Entry {
        Digest digest;
        std::shared_ptr<const TableCipher::Keys> keys;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

KeyCache& keyCache() {
    algorithms();  // constructed first, so destroyed after the cache
    static KeyCache cache;
    return cache;
}

KdfParams parseParams(std::span<const unsigned char> block) {
    if (!TableCipher::isHeaderBlock(block)) corrupt("the signature is missing");
    if (block.size() != TableCipher::kHeaderBlockSize)
        corrupt("it has " + std::to_string(block.size()) + " bytes instead of " +
                std::to_string(TableCipher::kHeaderBlockSize));
    if (block[kOffsetVersion] != kVersion)
        corrupt("unsupported version " + std::to_string(block[kOffsetVersion]));
    KdfParams params{block[kOffsetLog2N], block[kOffsetR], block[kOffsetP]};
    if (params.log2N < 1 || params.log2N > 30 || params.r < 1 || params.p < 1 || params.memory() > kMaxKdfMemory ||
        params.work() > kMaxKdfWork)
        corrupt("key derivation parameters out of range (N = 2^" + std::to_string(params.log2N) +
                ", r = " + std::to_string(params.r) + ", p = " + std::to_string(params.p) + ")");
    return params;
}

void checkUnit(std::size_t size, const char* what) {
    if (size < TableCipher::kMinUnitSize)
        throw Error(ErrorKind::InvalidArgument, std::string("A ") + what + " of " + std::to_string(size) +
                                                    " bytes is too short to encrypt (at least " +
                                                    std::to_string(TableCipher::kMinUnitSize) + " are needed)");
    if (size > INT_MAX)
        throw Error(ErrorKind::InvalidArgument, std::string("A ") + what + " of " + std::to_string(size) +
                                                    " bytes is too long to encrypt");
}

// XTS with the unit number as tweak: the same bytes at another record or
// page encrypt differently, and the length does not change.
void xts(const TableCipher::Keys& keys, bool page, uint64_t unit, unsigned char* data, std::size_t size,
         bool encrypt) {
    const char* what = page ? "page" : "record";
    checkUnit(size, what);
    unsigned char tweak[16] = {};
    writeLe64(tweak, unit);
    XtsContext& x = threadXtsContext();
    const uint64_t keyTag = keys.id * 2 + (page ? 1 : 0);
    const EVP_CIPHER* cipher = x.primed ? nullptr : algorithms().xts;
    const bool scheduled = x.primed && x.keyTag == keyTag && x.encrypting == encrypt;
    const unsigned char* key = scheduled ? nullptr : page ? keys.pageKey : keys.recordKey;
    x.primed = false;  // until this unit went through
    int len = 0;
    if (!EVP_CipherInit_ex2(x.c.ctx, cipher, key, tweak, encrypt ? 1 : 0, nullptr) ||
        !EVP_CipherUpdate(x.c.ctx, data, &len, data, static_cast<int>(size)) || len != static_cast<int>(size))
        cryptoFailure(std::string(encrypt ? "encrypt a " : "decrypt a ") + what);
    x.primed = true;
    x.keyTag = keyTag;
    x.encrypting = encrypt;
}

}  // namespace

TableCipher::TableCipher(std::shared_ptr<const Keys> keys) : keys_(std::move(keys)) {}
TableCipher::TableCipher(const TableCipher&) = default;
TableCipher& TableCipher::operator=(const TableCipher&) = default;
TableCipher::TableCipher(TableCipher&&) noexcept = default;
TableCipher& TableCipher::operator=(TableCipher&&) noexcept = default;
TableCipher::~TableCipher() = default;

TableCipher TableCipher::create(std::string_view password) {
    unsigned char salt[kSaltSize];
    if (RAND_bytes(salt, sizeof salt) != 1) cryptoFailure("produce a random salt");
    const KdfParams params;
    auto keys = deriveKeys(password, salt, params);
    keyCache().insert(KeyCache::digestOf(password, salt, params), keys);
    return TableCipher(std::move(keys));
}

TableCipher TableCipher::open(std::span<const unsigned char> headerBlock, std::string_view password) {
    const KdfParams params = parseParams(headerBlock);
    const unsigned char* salt = &headerBlock[kOffsetSalt];
    auto& cache = keyCache();
    const auto digest = KeyCache::digestOf(password, salt, params);
    std::shared_ptr<const Keys> keys = cache.find(digest);
    const bool derived = !keys;
    if (derived) keys = deriveKeys(password, salt, params);
    if (CRYPTO_memcmp(&keys->block[kOffsetVerifier], &headerBlock[kOffsetVerifier], kVerifierSize) != 0)
        throw Error(ErrorKind::WrongPassword, "Wrong password for the encrypted table");
    if (derived) cache.insert(digest, keys);
    return TableCipher(std::move(keys));
}

bool TableCipher::isHeaderBlock(std::span<const unsigned char> bytes) {
    return bytes.size() >= sizeof kMagic && std::memcmp(bytes.data(), kMagic, sizeof kMagic) == 0;
}

std::array<unsigned char, TableCipher::kHeaderBlockSize> TableCipher::headerBlock() const { return keys_->block; }

void TableCipher::encryptRecord(uint64_t recno, unsigned char* data, std::size_t size) const {
    xts(*keys_, false, recno, data, size, true);
}

void TableCipher::decryptRecord(uint64_t recno, unsigned char* data, std::size_t size) const {
    xts(*keys_, false, recno, data, size, false);
}

void TableCipher::encryptPage(uint64_t offset, unsigned char* data, std::size_t size) const {
    xts(*keys_, true, offset, data, size, true);
}

void TableCipher::decryptPage(uint64_t offset, unsigned char* data, std::size_t size) const {
    xts(*keys_, true, offset, data, size, false);
}

std::string TableCipher::sealMemo(std::string_view plain) const {
    if (plain.size() > INT_MAX - kMemoOverhead)
        throw Error(ErrorKind::InvalidArgument, "A memo of " + std::to_string(plain.size()) +
                                                    " bytes is too long to encrypt");
    std::string sealed(kMemoOverhead + plain.size(), '\0');
    auto* out = reinterpret_cast<unsigned char*>(sealed.data());
    if (RAND_bytes(out, kNonceSize) != 1) cryptoFailure("produce a random nonce");
    CipherCtx c;
    int len = 0, tail = 0;
    if (!EVP_EncryptInit_ex2(c.ctx, algorithms().chacha, keys_->memoKey, out, nullptr) ||
        !EVP_EncryptUpdate(c.ctx, out + kNonceSize, &len, reinterpret_cast<const unsigned char*>(plain.data()),
                           static_cast<int>(plain.size())) ||
        !EVP_EncryptFinal_ex(c.ctx, out + kNonceSize + len, &tail) ||
        static_cast<std::size_t>(len + tail) != plain.size() ||
        EVP_CIPHER_CTX_ctrl(c.ctx, EVP_CTRL_AEAD_GET_TAG, kTagSize, out + kNonceSize + plain.size()) != 1)
        cryptoFailure("encrypt a memo");
    return sealed;
}

std::string TableCipher::openMemo(std::string_view sealed) const {
    if (sealed.size() < kMemoOverhead)
        throw Error(ErrorKind::CorruptFile, "An encrypted memo of " + std::to_string(sealed.size()) +
                                                " bytes is too short to be genuine");
    if (sealed.size() > INT_MAX)
        throw Error(ErrorKind::CorruptFile, "An encrypted memo of " + std::to_string(sealed.size()) +
                                                " bytes is too long to be genuine");
    const auto* in = reinterpret_cast<const unsigned char*>(sealed.data());
    const std::size_t textSize = sealed.size() - kMemoOverhead;
    std::string plain(textSize, '\0');
    auto* out = reinterpret_cast<unsigned char*>(plain.data());
    unsigned char tag[kTagSize];
    std::memcpy(tag, in + kNonceSize + textSize, kTagSize);
    CipherCtx c;
    int len = 0, tail = 0;
    if (!EVP_DecryptInit_ex2(c.ctx, algorithms().chacha, keys_->memoKey, in, nullptr) ||
        !EVP_DecryptUpdate(c.ctx, out, &len, in + kNonceSize, static_cast<int>(textSize)) ||
        EVP_CIPHER_CTX_ctrl(c.ctx, EVP_CTRL_AEAD_SET_TAG, kTagSize, tag) != 1)
        cryptoFailure("decrypt a memo");
    if (EVP_DecryptFinal_ex(c.ctx, out + len, &tail) <= 0) {
        OPENSSL_cleanse(plain.data(), plain.size());
        throw Error(ErrorKind::CorruptFile, "An encrypted memo was altered or damaged");
    }
    return plain;
}

}  // namespace vv::db
