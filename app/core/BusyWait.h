#pragma once

// Waits `ms` milliseconds by polling the clock while processing pending events (at most 100 ms a pass),
// so the windows stay live during the short pauses around device-service changes.
void busyWait(int ms);
