// Card secrets at rest, operator passwords and session tokens, on libsodium.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace rsim::secrets {

struct SecretError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Authenticated encryption (XChaCha20-Poly1305, random nonce per value) with versioned keys.
// A stored value reads "v<version>:<base64(nonce|ciphertext|tag)>", so that keys can be rotated:
// the newest key encrypts, every key of the ring decrypts. Empty text stays empty.
class SecretBox {
public:
    // Reads a key file of lines "v<version> <base64 key>"; creates it (mode 0600) with one fresh
    // key when it is missing and create is true.
    static SecretBox fromKeyFile(const std::string& path, bool create);
    // A box with one random key, for tests.
    static SecretBox withRandomKey();

    // Appends a new newest key to the ring and to the file (when there is one).
    void addKey();
    int newestVersion() const { return keys_.rbegin()->first; }

    std::string encrypt(const std::string& plain) const;
    std::string decrypt(const std::string& stored) const;

private:
    std::map<int, std::vector<unsigned char>> keys_;
    std::string path_;
};

// Argon2id (libsodium's crypto_pwhash_str), salted.
std::string hashPassword(const std::string& password);
bool verifyPassword(const std::string& hash, const std::string& password);

// 32 random bytes, hexadecimal.
std::string newToken();

} // namespace rsim::secrets
