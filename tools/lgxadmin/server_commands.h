#pragma once
// The server engine in lgxadmin: "--server CONNECTION" runs any command on
// PostgreSQL, "copy" moves a data root from one engine to the other and
// "compare" checks that both hold the same records.

#include <QString>
#include <QStringList>
#include <QTextStream>

// Removes "--server CONNECTION" from the arguments (anywhere) and makes this
// process use the server engine on that server. False with `error` set when
// the option has no value.
bool TakeServerOption(QStringList& args, QString& error);

// lgxadmin copy --to server|sqlite [--replace] DIR
// lgxadmin compare DIR
// Exit status: 0 every table the same, 1 some differ, 2 refused (usage).
int RunCopy(const QStringList& args, QTextStream& out, QTextStream& err);
int RunCompare(const QStringList& args, QTextStream& out, QTextStream& err);
