// Where a job leaves the engine: a file the user copies to the printer, or one RAW document on a
// print queue (the Windows spooler; CUPS on other systems). Jobs are streamed there as their
// writers make them, or handed over whole; their bytes are job.h's. Queue names are UTF-8 on
// every system.
#pragma once

#include <cstddef>
#include <cstdint>

#include "csv.h"
#include "errors.h"
#include "job.h"
#include "label_model.h"

enum { SPOOL_NAME_SIZE = 128 };  // a listed queue name's slot, terminator included

// A RAW document on its way to a queue; the platform's own record.
struct spool_document;

// --- Job files ---
// A file is replaced only by a whole job: it is written under a temporary name beside it and
// moved over it at the end (a device is written directly). On failure a file already there is
// left as it was.

// Writes a built job to path. NULL path, or NULL data with a non-zero length -> 1; a file that
// cannot be written whole -> 4 with errno set. A length of 0 leaves an empty file.
engine_error job_save_file(const char* path, const void* data, size_t length);

// Writes the job for the rows (see job_write) to path as it is made; *length gets its bytes.
// 1 for a NULL path or length; 4 with errno set when the file cannot be written; else the
// writer's code.
engine_error job_write_file(const char* path, uint32_t language, const label_model* model, const csv_table* table,
                            int32_t first_row, int32_t row_count, const job_options* options, size_t* length);

// --- Print queues ---
// Failures of the spooler give 4 and say what happened in msg (emptied first when given): "there
// is no print queue named Q", "the print system cannot be reached: ...", "the queue Q does not
// accept jobs: ...", or the failing step in the system's words.

// Copies the machine's print queue names, in the system's order, into the caller's `max`
// slots; returns how many were filled (0 when there are none or they cannot be listed). A name
// longer than a slot is cut to the whole characters that fit.
int spool_list_queues(char (*names)[SPOOL_NAME_SIZE], int max);

// Sends a built job to the queue as one RAW document named "Tagmoor label", whole or not at
// all: a document that cannot take every byte is aborted. NULL queue, or NULL data with a
// non-zero length -> 1 (the message untouched).
engine_error spool_send_raw(const char* queue, const void* data, size_t length, char* msg, size_t msg_size);

// Sends the job for the rows (see job_write) to the queue as it is made, as one RAW document;
// *length gets its bytes. Every printing row is rendered first, so that a row that cannot print
// fails the job before the queue is touched; the document is aborted if the job still fails on
// the way. 1 for a NULL queue or length; the writer's or renderer's code (msg empty); 4 for the
// spooler.
engine_error spool_send_job(const char* queue, uint32_t language, const label_model* model, const csv_table* table,
                            int32_t first_row, int32_t row_count, const job_options* options, size_t* length,
                            char* msg, size_t msg_size);

// 1 when the queue is paused (its jobs wait until it is resumed), 0 when it is not or cannot be
// asked.
int spool_queue_paused(const char* queue);

// --- For the platform files ---

// Starts a RAW document named "Tagmoor label" on the queue. 0, or 4 with the reason.
engine_error spool_document_start(const char* queue, spool_document** doc, char* msg, size_t msg_size);

// Adds bytes to the document. 0, or 4 with the reason.
engine_error spool_document_write(spool_document* doc, const void* data, size_t length, char* msg, size_t msg_size);

// Ends the document and releases it: a complete one is handed to the queue (0, or 4 with the
// reason), any other is aborted so that nothing of it prints (0).
engine_error spool_document_end(spool_document* doc, bool complete, char* msg, size_t msg_size);

// Copies a queue name into one slot of spool_list_queues.
void spool_copy_name(char* slot, const char* name);
