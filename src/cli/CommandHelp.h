#pragma once
// What ze23-cli says about itself: the whole help (`--help`, `help`) and one
// command's part of it (`help COMMAND`), each command with an example.

#include <QString>
#include <QStringList>

#include <optional>

namespace CommandHelp {
// The program, every command and the exit statuses.
QString description();
// The commands, in the order the help explains them.
QStringList commands();
// One command's lines (for records and cylinders, each of their forms);
// nothing for a command there is not.
std::optional<QString> of(const QString &command);
} // namespace CommandHelp
