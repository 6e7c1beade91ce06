#include "key_hold.h"

#include "secrets.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace rsim::secrets {
namespace {

std::string refusal(KeyHold::Kind kind)
{
    return kind == KeyHold::Kind::Serving
               ? "a rekey of this database is running: start rsimd once it has finished"
               : "an rsimd is serving this database and holds its keys: stop every rsimd of the "
                 "database before a rekey (it would go on sealing under the key being retired)";
}

} // namespace

KeyHold::KeyHold(Kind kind, const std::string& database, const std::string& keyFile)
{
    if (!database.starts_with("sqlite:") || database == "sqlite::memory:")
        return;
    fd_ = ::open(keyFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw SecretError("cannot read the key file '" + keyFile + "': " + std::strerror(errno));
    if (::flock(fd_, (kind == Kind::Serving ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        ::close(fd_);
        throw SecretError(refusal(kind));
    }
}

KeyHold::~KeyHold()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace rsim::secrets
