#include "secrets.h"

#include <sodium.h>

#include <fcntl.h>
#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace rsim::secrets {
namespace {

constexpr std::size_t kKeyBytes = crypto_aead_xchacha20poly1305_ietf_KEYBYTES;
constexpr std::size_t kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr std::size_t kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr int kBase64 = sodium_base64_VARIANT_ORIGINAL;

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

std::vector<unsigned char> fromBase64(const std::string& text)
{
    std::vector<unsigned char> out(text.size());
    std::size_t length = 0;
    if (sodium_base642bin(out.data(), out.size(), text.data(), text.size(), nullptr, &length,
                          nullptr, kBase64) != 0)
        throw SecretError("malformed base64");
    out.resize(length);
    return out;
}

std::vector<unsigned char> randomKey()
{
    std::vector<unsigned char> key(kKeyBytes);
    crypto_aead_xchacha20poly1305_ietf_keygen(key.data());
    return key;
}

// "v12" → 12; 0 when the text is not a version.
int versionNumber(const std::string& text)
{
    if (text.size() < 2 || text.size() > 9 || text[0] != 'v' || text[1] == '0')
        return 0;
    for (std::size_t i = 1; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return 0;
    return std::stoi(text.substr(1));
}

// Created with mode 0600 from the start, so that the key is never readable by others.
void appendKeyLine(const std::string& path, int version, const std::vector<unsigned char>& key)
{
    const std::string line =
        "v" + std::to_string(version) + " " + toBase64(key.data(), key.size()) + "\n";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        throw SecretError("cannot write the key file '" + path + "': " + std::strerror(errno));
    const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    if (::close(fd) != 0 || !written)
        throw SecretError("cannot write the key file '" + path + "'");
}

std::map<int, std::vector<unsigned char>> readKeyFile(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw SecretError("cannot read the key file '" + path + "'");
    std::map<int, std::vector<unsigned char>> keys;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string version, key, extra;
        fields >> version >> key >> extra;
        const int parsed = versionNumber(version);
        std::vector<unsigned char> bytes;
        try {
            bytes = fromBase64(key);
        } catch (const SecretError&) {
        }
        if (parsed == 0 || bytes.size() != kKeyBytes || !extra.empty() || keys.contains(parsed))
            throw SecretError(
                "the key file '" + path + "' has a malformed line " + std::to_string(number) +
                " (expected \"v<version> <base64 of a 32-byte key>\", each version once)");
        keys[parsed] = std::move(bytes);
    }
    if (keys.empty())
        throw SecretError("the key file '" + path + "' holds no key");
    return keys;
}

} // namespace

SecretBox SecretBox::fromKeyFile(const std::string& path, bool createIfMissing)
{
    ready();
    SecretBox box;
    box.path_ = path;
    std::error_code unknown;
    if (std::filesystem::exists(path, unknown)) {
        box.keys_ = readKeyFile(path);
    } else if (createIfMissing && !unknown) {
        box.keys_[1] = randomKey();
        appendKeyLine(path, 1, box.keys_[1]);
    } else {
        throw SecretError("the key file '" + path + "' does not exist");
    }
    return box;
}

SecretBox SecretBox::withRandomKey()
{
    ready();
    SecretBox box;
    box.keys_[1] = randomKey();
    return box;
}

void SecretBox::addKey()
{
    const int version = newestVersion() + 1;
    auto key = randomKey();
    if (!path_.empty())
        appendKeyLine(path_, version, key);
    keys_[version] = std::move(key);
}

std::string SecretBox::encrypt(const std::string& plain) const
{
    if (plain.empty())
        return {};
    const auto& [version, key] = *keys_.rbegin();
    std::vector<unsigned char> sealed(kNonceBytes + plain.size() + kTagBytes);
    randombytes_buf(sealed.data(), kNonceBytes);
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        sealed.data() + kNonceBytes, &length, reinterpret_cast<const unsigned char*>(plain.data()),
        plain.size(), nullptr, 0, nullptr, sealed.data(), key.data());
    return "v" + std::to_string(version) + ":" + toBase64(sealed.data(), kNonceBytes + length);
}

bool SecretBox::looksSealed(const std::string& stored)
{
    const std::size_t colon = stored.find(':');
    return colon != std::string::npos && versionNumber(stored.substr(0, colon)) != 0;
}

std::string SecretBox::decrypt(const std::string& stored) const
{
    if (stored.empty())
        return {};
    const std::size_t colon = stored.find(':');
    const int version = colon == std::string::npos ? 0 : versionNumber(stored.substr(0, colon));
    if (version == 0)
        throw SecretError("a stored secret is malformed (expected \"v<version>:<base64>\")");
    const auto key = keys_.find(version);
    if (key == keys_.end())
        throw SecretError("a stored secret uses key version v" + std::to_string(version) +
                          ", which the key file does not hold");
    std::vector<unsigned char> sealed;
    try {
        sealed = fromBase64(stored.substr(colon + 1));
    } catch (const SecretError&) {
        throw SecretError("a stored secret is malformed (bad base64)");
    }
    if (sealed.size() < kNonceBytes + kTagBytes)
        throw SecretError("a stored secret is truncated");
    std::string plain(sealed.size() - kNonceBytes - kTagBytes, '\0');
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char*>(plain.data()),
                                                   &length, nullptr, sealed.data() + kNonceBytes,
                                                   sealed.size() - kNonceBytes, nullptr, 0,
                                                   sealed.data(), key->second.data()) != 0)
        throw SecretError(
            "a stored secret failed authentication (altered, or sealed with another key)");
    plain.resize(length);
    return plain;
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
