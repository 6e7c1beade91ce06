#include "secrets.h"

#include <sodium.h>

#include <fstream>
#include <sstream>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace rsim::secrets {
namespace {

constexpr std::size_t kKeyBytes = crypto_aead_xchacha20poly1305_ietf_KEYBYTES;
constexpr std::size_t kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
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

void appendKeyLine(const std::string& path, int version, const std::vector<unsigned char>& key)
{
    const bool fresh = ::access(path.c_str(), F_OK) != 0;
    std::ofstream file(path, std::ios::app);
    if (!file)
        throw SecretError("cannot write the key file '" + path + "'");
    file << "v" << version << " " << toBase64(key.data(), key.size()) << "\n";
    file.close();
    if (fresh)
        ::chmod(path.c_str(), 0600);
}

} // namespace

SecretBox SecretBox::fromKeyFile(const std::string& path, bool create)
{
    ready();
    SecretBox box;
    box.path_ = path;
    std::ifstream file(path);
    if (!file) {
        if (!create)
            throw SecretError("the key file '" + path + "' does not exist");
        box.keys_[1] = randomKey();
        appendKeyLine(path, 1, box.keys_[1]);
        return box;
    }
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string version, key;
        fields >> version >> key;
        try {
            const int number = version.size() > 1 && version[0] == 'v' ? std::stoi(version.substr(1)) : 0;
            auto bytes = fromBase64(key);
            if (number <= 0 || bytes.size() != kKeyBytes)
                throw SecretError("bad key");
            box.keys_[number] = std::move(bytes);
        } catch (const std::exception&) {
            throw SecretError("the key file '" + path + "' has a malformed line " + std::to_string(lineNumber) +
                              " (expected \"v<version> <base64 key of 32 bytes>\")");
        }
    }
    if (box.keys_.empty())
        throw SecretError("the key file '" + path + "' holds no key");
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
    keys_[version] = randomKey();
    if (!path_.empty())
        appendKeyLine(path_, version, keys_[version]);
}

std::string SecretBox::encrypt(const std::string& plain) const
{
    if (plain.empty())
        return {};
    const auto& [version, key] = *keys_.rbegin();
    std::vector<unsigned char> sealed(kNonceBytes + plain.size() + crypto_aead_xchacha20poly1305_ietf_ABYTES);
    randombytes_buf(sealed.data(), kNonceBytes);
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        sealed.data() + kNonceBytes, &length, reinterpret_cast<const unsigned char*>(plain.data()),
        plain.size(), nullptr, 0, nullptr, sealed.data(), key.data());
    return "v" + std::to_string(version) + ":" + toBase64(sealed.data(), kNonceBytes + length);
}

std::string SecretBox::decrypt(const std::string& stored) const
{
    if (stored.empty())
        return {};
    const std::size_t colon = stored.find(':');
    if (stored[0] != 'v' || colon == std::string::npos)
        throw SecretError("a stored secret is malformed");
    const auto key = keys_.find(std::atoi(stored.substr(1, colon - 1).c_str()));
    if (key == keys_.end())
        throw SecretError("a stored secret uses an unknown key version " + stored.substr(0, colon));
    const auto sealed = fromBase64(stored.substr(colon + 1));
    if (sealed.size() < kNonceBytes + crypto_aead_xchacha20poly1305_ietf_ABYTES)
        throw SecretError("a stored secret is truncated");
    std::string plain(sealed.size() - kNonceBytes - crypto_aead_xchacha20poly1305_ietf_ABYTES, '\0');
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(plain.data()), &length, nullptr, sealed.data() + kNonceBytes,
            sealed.size() - kNonceBytes, nullptr, 0, sealed.data(), key->second.data()) != 0)
        throw SecretError("a stored secret failed authentication (tampered or wrong key)");
    plain.resize(length);
    return plain;
}

std::string hashPassword(const std::string& password)
{
    ready();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
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

} // namespace rsim::secrets
