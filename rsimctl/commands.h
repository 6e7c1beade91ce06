// rsimctl's commands. Each takes the global options and its own arguments (the first being
// "rsimctl COMMAND") and returns the exit status.
#pragma once

#include "cli.h"

int RunImport(const Connection& connection, const QStringList& arguments);
int RunSims(const Connection& connection, const QStringList& arguments);
int RunExport(const Connection& connection, const QStringList& arguments);
int RunOperator(const Connection& connection, const QStringList& arguments);
int RunParam(const Connection& connection, const QStringList& arguments);
