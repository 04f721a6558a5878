#pragma once

#include "schedule_options.h"

// What lumavane-send tells and changes of the ledger of each sign: --status, --hold and
// --release.

// Prints a table: each sign, its link, what it shows, since when, its last result, its hold.
int runStatus(const TModeRun& run);

// Sends the hold's message to the signs now and records the hold, so that schedule passes keep
// it until it ends.
int runHold(const TModeRun& run);

// Ends the signs' holds now: the schedule takes over at its next pass.
int runRelease(const TModeRun& run);
