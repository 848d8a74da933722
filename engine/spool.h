// Where a finished job leaves the engine: a file the user copies to the printer, or one RAW
// document on a print queue (the Windows spooler; CUPS on other systems). The job's bytes are
// built by job.h; queue names are UTF-8 here on every system.
#pragma once

#include <cstddef>

#include "errors.h"

enum { SPOOL_NAME_SIZE = 128 };  // a listed queue name's slot, terminator included

// --- Job files ---

// Writes the job to path, replacing a file there only with the whole job (a device is written
// directly). NULL path, or NULL data with a non-zero length -> 1; a file that cannot be written
// whole -> 4 with errno set, and a file already there is left as it was. A length of 0 leaves
// an empty file.
engine_error job_save_file(const char* path, const void* data, size_t length);

// --- Print queues ---

// Copies the machine's print queue names, in the system's order, into the caller's `max`
// slots; returns how many were filled (0 when there are none or they cannot be listed). A name
// longer than a slot is cut to the whole characters that fit.
int spool_list_queues(char (*names)[SPOOL_NAME_SIZE], int max);

// Sends the job to the queue as one RAW document named "Tagmoor label", whole or not at all:
// a document that cannot take every byte is aborted. NULL queue, or NULL data with a non-zero
// length -> 1 (the message untouched); a failure of the spooler -> 4 with its reason in msg.
engine_error spool_send_raw(const char* queue, const void* data, size_t length, char* msg, size_t msg_size);

// Copies a queue name into one slot of spool_list_queues; for the platforms' listings.
void spool_copy_name(char* slot, const char* name);
