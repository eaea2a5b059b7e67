// The archive reader: extraction of one named entry of a RAR 2.x archive into a heap buffer.
//
// Plain archives, normal and solid; stored and RAR 2.0-compressed entries (LZ and multimedia
// blocks); the RAR 2.0 cipher when a non-empty password is given; CRC-32 checked. Not supported:
// RAR 1.x archives, self-extracting and multi-volume archives, sub-blocks.
//
// Every call is self-contained: it opens the archive, scans it from the first block, extracts the
// first entry whose name matches (ignoring letter case, with '\', '/' and '_' as the same
// separator) and closes the archive. In a solid archive the entries before the wanted one are
// decoded again on every call. One call at a time: the reader is not reentrant (its debug log is
// process-wide).
#pragma once

// Returns 1 with *data holding a malloc'ed buffer of the entry (the caller frees it) and *size
// its byte count, or 0 with *data null and *size 0; the reason goes to the debug log. The password
// may be null or empty: no deciphering. Names: entry at most 259 bytes, archive at most 255,
// password at most 254; longer ones fail.
int ArchiveExtract(unsigned char** data, unsigned int* size, const char* entryName,
                   const char* archiveName, const char* password);
