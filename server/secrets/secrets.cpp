#include "secrets.h"

#include "metrics.h"

#include <sodium.h>

#include <openssl/evp.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <optional>
#include <string_view>

namespace rsim::secrets {

constexpr std::size_t kKeyBytes = crypto_aead_xchacha20poly1305_ietf_KEYBYTES;

// A key in memory that libsodium allocates away from other data, guards and wipes when freed.
struct SecretBox::Key {
    Key() : bytes(static_cast<unsigned char*>(sodium_malloc(kKeyBytes)))
    {
        if (bytes == nullptr)
            throw SecretError("no memory for a key");
    }
    ~Key() { sodium_free(bytes); }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    unsigned char* bytes;
};

namespace {

constexpr std::size_t kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr std::size_t kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr int kBase64 = sodium_base64_VARIANT_ORIGINAL;

// Wipes a text that held key material when it goes out of scope.
struct Wiped {
    std::string text;
    ~Wiped() { sodium_memzero(text.data(), text.size()); }
};

void ready()
{
    if (sodium_init() < 0)
        throw SecretError("libsodium cannot be initialised");
}

std::string toBase64(const unsigned char* data, std::size_t size)
{
    std::string out(sodium_base64_encoded_len(size, kBase64), '\0');
    sodium_bin2base64(out.data(), out.size(), data, size, kBase64);
    out.resize(std::strlen(out.c_str()));
    return out;
}

// The bytes of a sealed value's base64 into out (room for text.size() / 4 * 3 bytes); how many,
// or nothing when the text is not padded base64 of the standard alphabet. OpenSSL's table decoder
// takes a tenth of the instructions of libsodium's constant-time one, which key material needs but
// a sealed value, public without its key, does not. Its leniencies (white space around the text,
// '=' read as 'A' anywhere) are refused first.
std::optional<std::size_t> sealedBytes(std::string_view text, unsigned char* out)
{
    const std::size_t last = text.find_last_not_of('=');
    const std::size_t padding =
        last == std::string_view::npos ? text.size() : text.size() - last - 1;
    if (text.size() % 4 != 0 || padding > 2 || text.find('=') < text.size() - padding ||
        text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return std::nullopt;
    const int decoded = EVP_DecodeBlock(out, reinterpret_cast<const unsigned char*>(text.data()),
                                        static_cast<int>(text.size()));
    if (decoded < 0 || static_cast<std::size_t>(decoded) != text.size() / 4 * 3)
        return std::nullopt;
    return static_cast<std::size_t>(decoded) - padding;
}

std::shared_ptr<const SecretBox::Key> randomKey()
{
    auto key = std::make_shared<SecretBox::Key>();
    crypto_aead_xchacha20poly1305_ietf_keygen(key->bytes);
    return key;
}

// A key decoded from base64 straight into guarded memory; nothing when the text is not one.
std::shared_ptr<const SecretBox::Key> keyFromBase64(std::string_view text)
{
    auto key = std::make_shared<SecretBox::Key>();
    std::size_t length = 0;
    if (sodium_base642bin(key->bytes, kKeyBytes, text.data(), text.size(), nullptr, &length,
                          nullptr, kBase64) != 0 ||
        length != kKeyBytes)
        return nullptr;
    return key;
}

// "12" → 12; 0 when the text is not a version.
int versionNumber(std::string_view text)
{
    if (text.empty() || text.size() > 8 || text[0] == '0')
        return 0;
    int version = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        version = version * 10 + (c - '0');
    }
    return version;
}

// The version of "<prefix><version>:…", or 0.
int prefixedVersion(std::string_view stored, char prefix)
{
    const std::size_t colon = stored.find(':');
    if (colon == std::string_view::npos || stored.empty() || stored[0] != prefix)
        return 0;
    return versionNumber(stored.substr(1, colon - 1));
}

// A file descriptor closed when it goes out of scope.
struct OpenFile {
    int fd;
    ~OpenFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

std::string keyFileError(const std::string& path, const std::string& what)
{
    return "cannot " + what + " the key file '" + path + "': " + std::strerror(errno);
}

void writeWhole(int fd, const std::string& path, std::string_view text)
{
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (!written || ::fsync(fd) != 0)
        throw SecretError(keyFileError(path, "write"));
}

Wiped keyLine(int version, const SecretBox::Key& key)
{
    return {"v" + std::to_string(version) + " " + toBase64(key.bytes, kKeyBytes) + "\n"};
}

// Written whole (mode 0600) under a name of its own, then linked to the file's name, which fails
// when another process made the file first: of two rsimd starting together on empty storage,
// one makes the key and the other reads it, never a file half written. False when the file was
// there already.
bool createKeyFile(const std::string& path, const SecretBox::Key& key)
{
    const std::string own = path + ".new-" + newToken().substr(0, 16);
    {
        const OpenFile file{::open(own.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)};
        if (file.fd < 0)
            throw SecretError(keyFileError(path, "create"));
        try {
            writeWhole(file.fd, own, keyLine(1, key).text);
        } catch (const SecretError&) {
            ::unlink(own.c_str());
            throw;
        }
    }
    const int linked = ::link(own.c_str(), path.c_str());
    const int error = errno;
    ::unlink(own.c_str());
    if (linked == 0 || error == EEXIST)
        return linked == 0;
    errno = error;
    throw SecretError(keyFileError(path, "create"));
}

// As ssh refuses a private key others may read: the file must belong to rsimd's user or to root,
// and neither be readable by others than its owner and group nor writable by others than its
// owner (0600, or the package's 0440 root:rsimd).
void checkKeyFileRights(int fd, const std::string& path)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        throw SecretError(keyFileError(path, "read"));
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
    if (status.st_uid != 0 && status.st_uid != ::geteuid())
        throw SecretError("the key file '" + path + "' belongs to user " +
                          std::to_string(status.st_uid) +
                          ", who could change it: it must belong to rsimd's user or to root");
    if ((status.st_mode & (S_IRWXO | S_IWGRP)) != 0)
        throw SecretError("the key file '" + path + "' has mode " + mode +
                          ": others than its owner and group may read it, or others than its "
                          "owner write it; make it 0600 (or 0440 root:rsimd, as the package "
                          "installs it)");
}

// Room for thousands of keys; growing the text would leave copies of them behind unwiped.
constexpr std::size_t kMaxKeyFile = 256 * 1024;

Wiped readWhole(const std::string& path)
{
    const OpenFile file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        throw SecretError(keyFileError(path, "read"));
    checkKeyFileRights(file.fd, path);
    Wiped content;
    content.text.reserve(kMaxKeyFile);
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(file.fd, buffer, sizeof buffer)) > 0 && content.text.size() < kMaxKeyFile)
        content.text.append(buffer, static_cast<std::size_t>(got));
    sodium_memzero(buffer, sizeof buffer);
    if (got < 0)
        throw SecretError("cannot read the key file '" + path + "'");
    if (content.text.size() >= kMaxKeyFile)
        throw SecretError("the key file '" + path + "' is too large to be one");
    return content;
}

SecretBox::Ring readKeyFile(const std::string& path)
{
    const Wiped content = readWhole(path);
    SecretBox::Ring keys;
    std::string_view rest = content.text;
    for (int number = 1; !rest.empty(); ++number) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t space = line.find(' ');
        const std::string_view version = line.substr(0, space);
        const std::string_view text =
            space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
        const int parsed = version.starts_with('v') ? versionNumber(version.substr(1)) : 0;
        auto key = keyFromBase64(text);
        if (parsed == 0 || key == nullptr || keys.contains(parsed))
            throw SecretError(
                "the key file '" + path + "' has a malformed line " + std::to_string(number) +
                " (expected \"v<version> <base64 of a 32-byte key>\", each version once)");
        keys[parsed] = std::move(key);
    }
    if (keys.empty())
        throw SecretError("the key file '" + path + "' holds no key");
    return keys;
}

// The file locked while its versions are read and the new one is appended after the highest of
// them and of the ring, so that two rekeys at once add two versions; the file's keys join the
// ring. A line added after one that an editor left without its newline starts a line of its own.
int appendKeyLine(const std::string& path, SecretBox::Ring& ring, const SecretBox::Key& key)
{
    const OpenFile file{::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC)};
    if (file.fd < 0 || ::flock(file.fd, LOCK_EX) != 0)
        throw SecretError(keyFileError(path, "write"));
    ring.merge(readKeyFile(path));
    const int version = ring.rbegin()->first + 1;
    Wiped line = keyLine(version, key);
    struct stat status {};
    char last = '\n';
    if (::fstat(file.fd, &status) != 0 ||
        (status.st_size > 0 && ::pread(file.fd, &last, 1, status.st_size - 1) != 1))
        throw SecretError(keyFileError(path, "read"));
    if (last != '\n')
        line.text.insert(0, 1, '\n');
    writeWhole(file.fd, path, line.text);
    return version;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

} // namespace

PlaceText::PlaceText(std::string_view table, std::string_view column)
{
    add(table);
    add(column);
    fixed_ = text_.size();
}

PlaceText::PlaceText(const Place& place) : PlaceText(place.table, place.column)
{
    for (const auto& value : place.key)
        addKey(value);
}

void PlaceText::addKey(std::string_view value)
{
    add(value);
}

void PlaceText::add(std::string_view part)
{
    char length[24];
    const auto end = std::to_chars(length, length + sizeof length, part.size()).ptr;
    text_.append(length, end).append(1, ':').append(part);
}

// The rings a box has read. Readers take the current one without a lock; a reading of the file
// makes a new ring of the current one and the file's keys, and the rings before stay until the
// box goes, so that no reader is left with keys freed under it.
struct SecretBox::Keys {
    Keys(std::string file, Ring ring) : path(std::move(file)) { publish(std::move(ring)); }

    void publish(Ring ring)
    {
        rings.push_back(std::make_unique<const Ring>(std::move(ring)));
        current.store(rings.back().get(), std::memory_order_release);
    }

    // Reads the file again, when it changed since it was last read, for a version the ring
    // lacks; whether the ring holds the version then.
    bool readAgainFor(int version)
    {
        const std::lock_guard lock(reading);
        if (current.load(std::memory_order_acquire)->contains(version))
            return true;
        struct stat now {};
        if (path.empty() || ::stat(path.c_str(), &now) != 0 || sameFile(now, lastRead))
            return false;
        Ring ring = *current.load(std::memory_order_acquire);
        ring.merge(readKeyFile(path));
        lastRead = now;
        const bool holds = ring.contains(version);
        publish(std::move(ring));
        return holds;
    }

    const std::string path;
    std::atomic<const Ring*> current{nullptr};
    std::mutex reading; // a reading of the file, or an addition to it
    std::vector<std::unique_ptr<const Ring>> rings;
    struct stat lastRead {};
};

SecretBox SecretBox::fromKeyFile(const std::string& path, bool createIfMissing)
{
    ready();
    std::error_code unknown;
    if (!std::filesystem::exists(path, unknown) && !unknown) {
        if (!createIfMissing)
            throw SecretError("the key file '" + path + "' does not exist");
        auto key = randomKey();
        if (createKeyFile(path, *key))
            return SecretBox(std::make_shared<Keys>(path, Ring{{1, std::move(key)}}));
    }
    return SecretBox(std::make_shared<Keys>(path, readKeyFile(path)));
}

SecretBox SecretBox::withRandomKey()
{
    ready();
    return SecretBox(std::make_shared<Keys>("", Ring{{1, randomKey()}}));
}

const SecretBox::Ring& SecretBox::ring() const
{
    return *keys_->current.load(std::memory_order_acquire);
}

int SecretBox::newestVersion() const
{
    return ring().rbegin()->first;
}

bool SecretBox::holdsVersion(int version) const
{
    return ring().contains(version);
}

void SecretBox::takeUp(int version) const
{
    if (holdsVersion(version) || keys_->readAgainFor(version))
        return;
    throw SecretError(keys_->path.empty()
                          ? "no key of version v" + std::to_string(version)
                          : "the database seals under key version v" + std::to_string(version) +
                                ", which the key file '" + keys_->path +
                                "' does not hold: copy the key file from the host where rekey ran");
}

void SecretBox::addKey()
{
    auto key = randomKey();
    const std::lock_guard lock(keys_->reading);
    Ring ring = *keys_->current.load(std::memory_order_acquire);
    const int version =
        keys_->path.empty() ? ring.rbegin()->first + 1 : appendKeyLine(keys_->path, ring, *key);
    ring[version] = std::move(key);
    keys_->publish(std::move(ring));
}

std::string SecretBox::encrypt(const std::string& plain, const Place& place) const
{
    if (plain.empty())
        return {};
    const auto& [version, key] = *ring().rbegin();
    const PlaceText text(place);
    const std::string_view ad = text.text();
    std::vector<unsigned char> sealed(kNonceBytes + plain.size() + kTagBytes);
    randombytes_buf(sealed.data(), kNonceBytes);
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        sealed.data() + kNonceBytes, &length, reinterpret_cast<const unsigned char*>(plain.data()),
        plain.size(), reinterpret_cast<const unsigned char*>(ad.data()), ad.size(), nullptr,
        sealed.data(), key->bytes);
    return "s" + std::to_string(version) + ":" + toBase64(sealed.data(), kNonceBytes + length);
}

std::string SecretBox::decrypt(const std::string& stored, const Place& place) const
{
    std::string plain;
    decrypt(stored, PlaceText(place), plain);
    return plain;
}

void SecretBox::decrypt(std::string_view stored, const PlaceText& place, std::string& plain) const
{
    if (stored.empty())
        return plain.clear();
    const int version = prefixedVersion(stored, 's');
    if (version == 0)
        throw SecretError(looksSealed(stored)
                              ? "a stored secret is not sealed to its place yet"
                              : "a stored secret is malformed (expected \"s<version>:<base64>\")");
    open(version, stored, place.text(), plain);
}

std::string SecretBox::decryptUnplaced(const std::string& stored) const
{
    const int version = prefixedVersion(stored, 'v');
    if (version == 0)
        throw SecretError("a stored secret is malformed (expected \"v<version>:<base64>\")");
    std::string plain;
    open(version, stored, {}, plain);
    return plain;
}

void SecretBox::open(int version, std::string_view stored, std::string_view place,
                     std::string& plain) const
{
    metrics::sealedValueRead();
    // A version the ring lacks may be one a rekey beside the service has just added.
    if (!holdsVersion(version) && !keys_->readAgainFor(version))
        throw SecretError("a stored secret uses key version v" + std::to_string(version) +
                          ", which the key file does not hold");
    const auto key = ring().find(version);
    const std::string_view text = stored.substr(stored.find(':') + 1);
    // A KI sealed takes 72 bytes: values of that size are decoded on the stack.
    std::array<unsigned char, 384> small;
    std::vector<unsigned char> large;
    unsigned char* sealed = small.data();
    if (text.size() / 4 * 3 > small.size()) {
        large.resize(text.size() / 4 * 3);
        sealed = large.data();
    }
    const auto size = sealedBytes(text, sealed);
    if (!size)
        throw SecretError("a stored secret is malformed (bad base64)");
    if (*size < kNonceBytes + kTagBytes)
        throw SecretError("a stored secret is truncated");
    plain.resize(*size - kNonceBytes - kTagBytes);
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(plain.data()), &length, nullptr, sealed + kNonceBytes,
            *size - kNonceBytes, reinterpret_cast<const unsigned char*>(place.data()), place.size(),
            sealed, key->second->bytes) != 0)
        throw SecretError("a stored secret failed authentication (altered, moved from another "
                          "place, or sealed with another key)");
    plain.resize(length);
}

bool SecretBox::looksSealed(std::string_view stored)
{
    return versionOf(stored) != 0;
}

bool SecretBox::isPlaced(std::string_view stored)
{
    return prefixedVersion(stored, 's') != 0;
}

int SecretBox::versionOf(std::string_view stored)
{
    return std::max(prefixedVersion(stored, 's'), prefixedVersion(stored, 'v'));
}

std::string hashPassword(const std::string& password)
{
    ready();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw SecretError("out of memory while hashing a password");
    return hash;
}

bool verifyPassword(const std::string& hash, const std::string& password)
{
    ready();
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::string newToken()
{
    ready();
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    char hex[sizeof bytes * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    return hex;
}

bool verifyAgainstNothing(const std::string& password)
{
    // Hashed once, with the same cost as every stored hash, so that a refused unknown name costs
    // what a refused known one does.
    static const std::string dummy = hashPassword(newToken());
    verifyPassword(dummy, password);
    return false;
}

std::string tokenDigest(const std::string& token)
{
    ready();
    unsigned char digest[crypto_generichash_BYTES];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(token.data()),
                       token.size(), nullptr, 0);
    char hex[sizeof digest * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
    return hex;
}

} // namespace rsim::secrets
