#include "secret_input.h"

#include <QFile>

#include <termios.h>

QString AskSecret(const char* prompt)
{
    QFile tty("/dev/tty");
    if (!tty.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return {};
    tty.write(prompt);
    termios saved{};
    const bool quiet = tcgetattr(tty.handle(), &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(tty.handle(), TCSAFLUSH, &silent);
    }
    QByteArray line;
    char c = 0;
    while (tty.read(&c, 1) == 1 && c != '\n')
        line += c;
    if (quiet)
        tcsetattr(tty.handle(), TCSAFLUSH, &saved);
    tty.write("\n");
    return QString::fromUtf8(line).remove(u'\r');
}

std::optional<QString> ReadSecret(const QString& file, const char* variable, bool ask,
                                  const char* prompt, QString& problem)
{
    if (!file.isEmpty()) {
        QFile source(file);
        if (!source.open(QIODevice::ReadOnly)) {
            problem = "无法读取 " + file + "：" + source.errorString();
            return std::nullopt;
        }
        // A secret is one line; a longer file is not one.
        return QString::fromUtf8(source.readLine(64 * 1024)).remove(u'\n').remove(u'\r');
    }
    if (qEnvironmentVariableIsSet(variable))
        return qEnvironmentVariable(variable);
    return ask ? AskSecret(prompt) : QString();
}

QString SecretOnCommandLine(const QString& option, const QString& sources)
{
    return "--" + option + " 不再在命令行上接受值（本机所有用户都能在进程列表中看到）：请用" +
           sources;
}
