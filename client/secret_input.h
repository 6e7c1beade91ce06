// Secrets kept off the command line, which every user of the host sees in the process list:
// read from a file, an environment variable or the terminal.
#pragma once

#include <QString>

#include <optional>

// Typed on the terminal after the prompt, without echo; empty without a terminal.
QString AskSecret(const char* prompt);

// The secret from the file when one is named (its first line, without the line end), else from
// the environment variable when it is set, else typed on the terminal when ask (empty without a
// terminal), else empty. Nothing, with the reason in problem, when the file cannot be read.
std::optional<QString> ReadSecret(const QString& file, const char* variable, bool ask,
                                  const char* prompt, QString& problem);

// What the old form "--option VALUE" is answered: the secret no longer goes on the command line,
// and where it comes from now.
QString SecretOnCommandLine(const QString& option, const QString& sources);
