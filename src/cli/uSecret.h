#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Where lorim-cli takes the access password from, without putting it where other users of the
// computer can read it (the command line is visible to all of them).

// The arguments with "--password" given no value (the last argument, or one followed by
// something that is not a password of digits) turned into "--password=", so that the parser
// takes it and the password is then asked for on the terminal.
QStringList MarkPasswordToAsk(QStringList arguments);

// Reads the first line of a file ("-": standard input), without its line end; nothing when the
// file cannot be read.
std::optional<QString> ReadSecretFile(const QString &path);

// Asks for the password on the terminal without echoing it; nothing when there is no terminal.
std::optional<QString> AskSecret(const QString &prompt);
