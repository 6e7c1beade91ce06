// Card secrets at rest, operator passwords and session tokens, on libsodium.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rsim::secrets {

struct SecretError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Where a sealed value is stored: its table, its column and the values of its row's key (as
// text, in the key's order). A value is sealed to its place, so that one copied to another row
// or column does not open.
struct Place {
    std::string table;
    std::string column;
    std::vector<std::string> key;
};

// The associated data of a place: each part with its length before it, so that no two places
// give the same bytes. Built in a buffer kept between rows: the table and column once, then each
// row's key values, so that opening the values of many rows builds no place and allocates nothing
// per row.
class PlaceText {
public:
    PlaceText(std::string_view table, std::string_view column);
    explicit PlaceText(const Place& place);

    // Starts the key values of another row.
    void clearKey() { text_.resize(fixed_); }
    // The next key value of the row, in the key's order.
    void addKey(std::string_view value);
    std::string_view text() const { return text_; }

private:
    void add(std::string_view part);

    std::string text_;
    std::size_t fixed_; // the table and column
};

// Authenticated encryption (XChaCha20-Poly1305, random nonce per value) with versioned keys and
// the value's place as associated data. A stored value reads
// "s<version>:<base64(nonce|ciphertext|tag)>", so that keys can be rotated: the newest key
// encrypts, every key of the ring decrypts. A box made from a key file reads it again when asked
// for a version it lacks, so that a rekey running beside the service (which appends to the file)
// is taken up without a restart; the ring only grows. Values that an older rsimd sealed without
// their place read "v<version>:…" and open only through decryptUnplaced(), for the step that
// re-seals them. Empty text stays empty, unencrypted: an unset secret column then reads as unset
// without a key, and hides nothing worth hiding. Keys live in memory that libsodium guards and
// wipes when the last box holding them goes. Its const members are safe to use from many threads.
class SecretBox {
public:
    // Reads a key file of lines "v<version> <base64 key>" ('#' starts a comment line); creates
    // it (mode 0600) with one fresh key when it is missing and createIfMissing is true, or reads
    // the one another process made first. Refuses a file that others than its owner and group
    // may read, that others than its owner may write, or that belongs to another user than
    // rsimd's or root.
    static SecretBox fromKeyFile(const std::string& path, bool createIfMissing);
    // A box with one random key, for tests.
    static SecretBox withRandomKey();

    // Appends a new newest key to the file (when there is one, locked meanwhile, its version
    // after every version the file holds then) and to the ring.
    void addKey();
    int newestVersion() const;
    bool holdsVersion(int version) const;
    // Makes sure the ring holds the version, reading the key file again when it lacks it; throws
    // SecretError naming the file when the file lacks it too. Safe beside the other const members.
    void takeUp(int version) const;

    std::string encrypt(const std::string& plain, const Place& place) const;
    // Throws SecretError on a malformed value, an unknown key version, or a value that was
    // altered, sealed with another key or sealed to another place.
    std::string decrypt(const std::string& stored, const Place& place) const;
    // The same into plain, whose buffer is reused: for the many values of an answer.
    void decrypt(std::string_view stored, const PlaceText& place, std::string& plain) const;
    // A value of the form "v<version>:…", sealed without its place.
    std::string decryptUnplaced(const std::string& stored) const;

    // True when the text has the form of a sealed value, placed or not; a value stored in plain
    // by an older version does not.
    static bool looksSealed(std::string_view stored);
    // True for "s<version>:…", a value sealed to its place.
    static bool isPlaced(std::string_view stored);
    // The key version of a sealed value; 0 when the text is not one.
    static int versionOf(std::string_view stored);

    struct Key;
    using Ring = std::map<int, std::shared_ptr<const Key>>;

private:
    struct Keys;
    explicit SecretBox(std::shared_ptr<Keys> keys) : keys_(std::move(keys)) {}
    const Ring& ring() const;
    // The value "<prefix><version>:<base64>" sealed with the key of that version.
    void open(int version, std::string_view stored, std::string_view place,
              std::string& plain) const;

    std::shared_ptr<Keys> keys_;
};

// What an answer shows instead of a sealed value that does not open: a value moved from another
// row or column, altered, or sealed with a key the key file no longer holds.
inline constexpr const char* kUnreadable = "【无法解密】";

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
