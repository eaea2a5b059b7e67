// Whether a file is a whole MP3 stream, read before the decoder is trusted with it.
//
// libmpg123 plays whatever frames it can find and says nothing of a file that is not MP3 or that
// ends inside a frame; a soundtrack that is wrong in either way should be said once, plainly.
// The check walks the frame headers from the first frame to the end of the file: ID3v2 tags in
// front and ID3v1, APE and Lyrics3 tags behind are skipped, and bytes that are no frame are passed
// over to the next frame of the same stream, as a decoder resynchronises. Free-format streams (no
// bitrate in the header), which common encoders do not write, count as not MP3.
#pragma once

#include <string>

namespace bass {

enum class Mp3Check {
  kWhole,
  kUnreadable,  // missing, a folder, no permission
  kNotRegular,  // a FIFO or a device (or a link to one): never read, it may not end
  kEmpty,
  kNotMp3,      // no frame (followed by another, or by the end) in the first 64 KiB
  kTruncated,   // the last frame ends past the end of the file
};

// `why`: for kUnreadable, the system's reason.
Mp3Check CheckMp3File(const char* path, std::string* why = nullptr);

// What is wrong, as words that follow the file's name ("is empty"); "" for kWhole.
std::string DescribeMp3Check(Mp3Check check, const std::string& why);

}  // namespace bass
