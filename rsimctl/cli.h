// What rsimctl's commands share: exit statuses, messages, command-line parsing, the login and the
// progress line.
#pragma once

#include "sysmgnt_def_tvd_c.h"
#include "tvd_client.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

enum ExitStatus : int {
    kExitDone = 0,    // stored, printed or written
    kExitRefused = 1, // the file, the service or the login refused; nothing was stored
    kExitUsage = 2,   // the command line is wrong
};

// Where and as whom to log in: the global options.
struct Connection {
    QString service;
    QString login;
};

// "rsimctl: text" on stderr.
void Complain(const QString& text);
// text on stdout, as UTF-8.
void Print(const QString& text);

// The parser's help, its usage line naming the program as `name` ("rsimctl import").
QString HelpText(const QCommandLineParser& parser, const QString& name);
// Adds -h/--help, parses a command's arguments (the first being "rsimctl COMMAND") and checks
// that it got exactly `positionals` positional arguments. An exit status when the command
// should end here: after --help (0) or a usage error (2, with the reason and the usage line).
std::optional<int> ParseCommand(QCommandLineParser& parser, const QStringList& arguments,
                                int positionals);
// The integer value of an option; a usage error names the option.
std::optional<qint64> IntegerOption(const QCommandLineParser& parser, const QString& name,
                                    qint64 min, qint64 max);

// Logs in at the service (the password from RSIM_PASSWORD, else asked on the terminal without
// echo) and makes it the service of every later call. An exit status when it failed.
std::optional<int> LogIn(const Connection& connection, MSysmgntDef::SOperator& op);

// A new password: RSIM_NEW_PASSWORD, else typed twice on the terminal without echo. Nothing,
// after saying why, when neither gives one or the two typed differ.
std::optional<QString> NewPassword();

// Logs in and binds the client to the service; an exit status when either failed.
std::optional<int> Connect(const Connection& connection, CTvdClientObject& client,
                           MSysmgntDef::SOperator& op);
// Says why the service refused a call ("<what>：message（hint）") and returns kExitRefused.
int Refused(const QString& what, const CBSErrorMsg& error);

// One line on stderr that is rewritten as the work goes on, shown only when stderr is a terminal.
class ProgressLine {
public:
    ProgressLine();
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(const QString& text);
    void clear();

private:
    bool terminal_;
    bool shown_ = false;
};
