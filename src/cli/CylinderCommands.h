#pragma once
// cylinders: the register of gas cylinders kept with the journal of
// calibrations, one line a cylinder (or JSON), all or those expiring soon;
// cylinders add: one more, refused in the technician's words when its fields
// are not valid or its number is registered. Each returns the exit status.

#include <QTextStream>

struct CliRequest;

namespace CylinderCommands {
int run(const CliRequest &request, QTextStream &out, QTextStream &err);
} // namespace CylinderCommands
