// A programming station: one series on each of several ports at once, as a fixture with several
// programming cables needs. Each port has a worker thread of its own with its own port object,
// link, log writer and records connection; nothing of one port's work is shared with another's
// but the files they append to, which take lines from several writers anyway.
//
// What a series says goes through the functions below, so that the same code speaks for one port
// (as say() and Output::result() always have) and for a station, where every line names its port
// and the unit under way on it and is written whole among the other ports' lines.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "Commands.h"
#include "Output.h"

namespace vl48cli {

// The most ports one station programs at once.
constexpr int StationMaxPorts = 32;

// `series` with more than one port: a series on each, side by side, then a summary of each port
// and of the station. The exit code is that of the first unit, on any port, that was not
// programmed; else 2 when a port could not be used, 9 after Ctrl+C, else 0.
int runStation(const QStringList& ports, const Invocation& call, const Output& out);

// A message for the person (standard error).
void tell(const QString& text);
// A result (standard output); on a station each of its lines begins with the port.
void tellResult(const Output& out, const QJsonObject& object, const QString& text);
// The state of the port's series: `state` names it in --json ("waiting", "programming", "done"),
// `unit` is the unit's number in the port's series, `single` is the line a series on one port
// says, `station` the shorter one a station says after the port and the unit.
void tellProgress(const char* state, int unit, const QString& single, const QString& station);
// A unit has ended with this exit code: a station's exit code is its first failure's.
void unitEnded(int exit);

// Marks a unit under way on this thread's port for its lifetime: a Ctrl+C lets it finish first,
// and a second one says which units it abandons. Counted, so that one port ending its unit does
// not unmark another's.
class UnitInProgress {
public:
    UnitInProgress();
    ~UnitInProgress();
    UnitInProgress(const UnitInProgress&) = delete;
    UnitInProgress& operator=(const UnitInProgress&) = delete;
};

}  // namespace vl48cli
