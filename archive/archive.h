// The archive reader: extraction of one named entry of a RAR 2.x archive into a heap buffer.
//
// Plain archives, normal and solid; stored and RAR 2.0-compressed entries (LZ and multimedia
// blocks); the RAR 2.0 cipher when a non-empty password is given; CRC-32 checked. Not supported:
// RAR 1.x archives, self-extracting and multi-volume archives, sub-blocks.
//
// Every call opens the archive, finds the first entry whose name matches (ignoring letter case,
// with '\', '/' and '_' as the same separator), extracts it and closes the archive. Between calls
// the reader remembers where it stopped in the last archive it read: the block after the entry it
// delivered and, in a solid archive, the decoder's 1 MiB window and state there. A request for an
// entry further on in the same archive walks on from that point, so reading a solid archive's
// entries in archive order decodes each of them once; any other request (an entry at or before
// that point, a name met before, another archive, the same path after the file changed: another
// inode, size or time) walks from the first block as if nothing were remembered. The bytes
// delivered are the same either way. Calls with a non-empty password neither use nor leave what is
// remembered, and a call that fails forgets it. One call at a time: the reader is not reentrant
// (its memory and its debug log are process-wide).
#pragma once

// Returns 1 with *data holding a malloc'ed buffer of the entry (the caller frees it) and *size
// its byte count, or 0 with *data null and *size 0; the reason goes to the debug log. The password
// may be null or empty: no deciphering. Names: entry at most 259 bytes, archive at most 255,
// password at most 254; longer ones fail.
int ArchiveExtract(unsigned char** data, unsigned int* size, const char* entryName,
                   const char* archiveName, const char* password);

// Frees what the reader remembers between calls (up to 1 MiB and a little more); the next call
// starts from the first block. For a program done with the archive for a while.
void ArchiveDropCache();
