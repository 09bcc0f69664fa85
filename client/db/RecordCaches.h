#pragma once
// Empties every record cache, in the order the program's exit releases them.
// Pointers handed out by the lookups are dangling afterwards.
void releaseRecordCaches();
