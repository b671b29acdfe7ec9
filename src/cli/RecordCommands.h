#pragma once
// The commands that read the journal of calibrations rather than an
// instrument: records (a listing) and certificate (one record as PDF; the
// program must run a QGuiApplication for it). Each returns the exit status.

#include <QTextStream>

struct CliRequest;

namespace RecordCommands {
int records(const CliRequest &request, QTextStream &out, QTextStream &err);
int certificate(const CliRequest &request, QTextStream &out, QTextStream &err);
} // namespace RecordCommands
