// rsimd --init-admin: the first administrator of a database, without demo data.
#include "accounts.h"
#include "sysmgnt.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

namespace rsim::sysmgnt {
namespace {

// One line typed on the terminal without echo; nothing when there is no terminal.
std::optional<std::string> askWithoutEcho(int tty, const std::string& prompt)
{
    termios saved{};
    if (::tcgetattr(tty, &saved) != 0)
        return std::nullopt;
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(tty, TCSAFLUSH, &quiet);
    (void)!::write(tty, prompt.data(), prompt.size());
    std::string line;
    char c = 0;
    while (::read(tty, &c, 1) == 1 && c != '\n')
        line += c;
    ::tcsetattr(tty, TCSAFLUSH, &saved);
    (void)!::write(tty, "\n", 1);
    return line;
}

// The password from RSIM_NEW_PASSWORD, or typed twice on the terminal; nothing (with the
// reason) when neither gives one.
std::optional<std::string> newPassword(std::string& problem)
{
    if (const char* given = std::getenv("RSIM_NEW_PASSWORD"))
        return std::string(given);
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::optional<std::string> first, second;
    if (tty >= 0) {
        first = askWithoutEcho(tty, "New password: ");
        if (first)
            second = askWithoutEcho(tty, "Again: ");
        ::close(tty);
    }
    if (!second)
        problem = "no terminal to ask for the password on: set RSIM_NEW_PASSWORD";
    else if (*first != *second)
        problem = "the two passwords differ";
    else
        return first;
    return std::nullopt;
}

int refuse(const std::string& problem)
{
    std::cerr << "rsimd: --init-admin: " << problem << "\n";
    return 1;
}

} // namespace

int initAdministrator(db::Driver& db, const std::string& login)
{
    if (const std::string problem = loginNameProblem(login); !problem.empty())
        return refuse(problem);
    const std::string exists =
        "the database has an administrator already; add operators with 'rsimctl operator add'";
    if (hasAdministrator(db))
        return refuse(exists);
    std::string problem;
    const auto password = newPassword(problem);
    if (!password)
        return refuse(problem);
    if (problem = passwordProblem(login, *password); !problem.empty())
        return refuse(problem);
    db::Transaction tx(db);
    if (hasAdministrator(db))
        return refuse(exists);
    if (findOperator(db, login))
        return refuse("an operator named '" + login + "' exists already");
    addOperator(db, {login, "系统管理员", "admin", *password});
    tx.commit();
    std::cout << "rsimd: administrator '" << login << "' created\n";
    return 0;
}

} // namespace rsim::sysmgnt
