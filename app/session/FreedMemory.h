#pragma once

// How the process holds memory between its steps. Only the GNU C library is
// tuned; elsewhere these do nothing.
namespace freedMemory {

// Memory a step frees stays with the process for the next step. With a
// million channels every step frees and takes again tens of megabytes, and
// each page the system hands out anew costs a fault and zeroing: by default
// the C library gives freed memory back as soon as a few hundred kilobytes are
// free, and a load, a switch or a select-all then spends half its time
// faulting pages in again.
void keepForReuse();

// Gives what is free back to the system now, and while the save runs (its own
// peak is the process's largest; nothing freed before it should add to it).
void releaseForSave();

// After the save: freed memory is kept again.
void saveEnded();

} // namespace freedMemory
