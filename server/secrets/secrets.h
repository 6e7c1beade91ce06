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
// the newest key encrypts, every key of the ring decrypts. Empty text stays empty, unencrypted:
// an unset secret column then reads as unset without a key, and hides nothing worth hiding.
// Its const members are safe to use from many threads at once.
class SecretBox {
public:
    // Reads a key file of lines "v<version> <base64 key>" ('#' starts a comment line); creates
    // it (mode 0600) with one fresh key when it is missing and createIfMissing is true.
    static SecretBox fromKeyFile(const std::string& path, bool createIfMissing);
    // A box with one random key, for tests.
    static SecretBox withRandomKey();

    // Appends a new newest key to the ring and to the file (when there is one).
    void addKey();
    int newestVersion() const { return keys_.rbegin()->first; }

    std::string encrypt(const std::string& plain) const;
    // True when the text has the form of a sealed value ("v<version>:…"); a value stored in plain
    // by an older version does not.
    static bool looksSealed(const std::string& stored);
    // Throws SecretError on a malformed value, an unknown key version, or a value that was
    // altered or sealed with another key.
    std::string decrypt(const std::string& stored) const;

private:
    SecretBox() = default;

    std::map<int, std::vector<unsigned char>> keys_;
    std::string path_;
};

// Argon2id (libsodium's crypto_pwhash_str), salted.
std::string hashPassword(const std::string& password);
bool verifyPassword(const std::string& hash, const std::string& password);
// The work of a verification against a hash of no one's password; always false. For a login
// name that does not exist, so that its refusal takes as long as a wrong password.
bool verifyAgainstNothing(const std::string& password);

// 32 random bytes, hexadecimal.
std::string newToken();
// What the database keeps of a session token (BLAKE2b, hexadecimal): a copy of the database
// holds no live sessions. Tokens are random, so no salt or slow hash is needed.
std::string tokenDigest(const std::string& token);

} // namespace rsim::secrets
