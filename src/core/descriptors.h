// Descriptors the program was started with. Anything the program opens
// itself (the display connection, files, sockets) takes the lowest free
// number, which may be one the caller left closed: an answer sent to such a
// number would land in the program's own file.
#pragma once

// Opens 0, 1 and 2 on /dev/null where they are closed, so that nothing the
// program opens later can take their numbers. Call it before anything else
// opens a file.
void open_closed_standard_descriptors();

// Remembers which descriptors are open now (call it once, right before
// open_closed_standard_descriptors, so that a standard descriptor the caller
// closed counts as closed).
void record_startup_descriptors();

// fd when it was open at start-up (or lies beyond the range recorded),
// otherwise -1, on which every write fails as on a closed descriptor (an
// answer sent there is lost, which is an error). Before any record is taken
// every descriptor counts as open.
int answer_descriptor(int fd);
