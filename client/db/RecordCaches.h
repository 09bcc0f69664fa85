#pragma once
// The process-wide record caches of the em_* tables, loaded and emptied
// together from one list.

// Loads every cache from the open pool: devices, protocols, channels,
// device groups, device group items, users, user-device assignments,
// role-module assignments, modules, roles. A loader that fails logs its own
// error and the next one runs.
void loadRecordCaches();

// Empties every cache, in the reverse of the loading order, the fault
// records (filled on demand while the program runs) first. Pointers handed
// out by the lookups are dangling afterwards.
void releaseRecordCaches();
