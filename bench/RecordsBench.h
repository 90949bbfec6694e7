// The records database's share of programming a unit, and the look-up of one unit's history.
#pragma once

// Prints the figures; false when a database could not be used.
bool benchRecords(int runs);
