#pragma once
// Firmware files for the board's loader: Intel HEX text, one record per line.
// The loader takes the records from the first one at address D000 on; each
// goes out as 0F 0F <record bytes> 04 04 00. A file comes from the USB stick
// or from the board's own storage, so it is untrusted: it is read and checked
// whole before anything is sent, and a file with any bad line is refused
// rather than sent up to that line.

#include "link/ByteUtils.h"

#include <cstddef>
#include <string>
#include <vector>

namespace FirmwareHex {

// Far above any board's flash written as HEX text; larger files are refused.
constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;

enum class Status {
    Ok,
    Unreadable,    // missing, not a file, unreadable or larger than kMaxFileBytes
    NoStartRecord, // no record at address D000
    Malformed,     // a line from the D000 record on is not a valid record
    NoEndRecord,   // the records do not end with the end-of-file record
};

struct Image
{
    Status status = Status::Unreadable;
    // 1-based line of the first bad line (Malformed).
    int badLine = 0;
    // Lines before the D000 record, which are not sent.
    int skippedLines = 0;
    // The records to send, in order: byte count, address, type, data,
    // checksum. Empty unless the file is Ok.
    std::vector<ByteVector> records;

    bool ok() const { return status == Status::Ok; }
};

// Checks a whole file. Lines end in CR LF or LF; blank lines at the end are
// ignored. A record is valid when it starts with ':', holds an even number of
// hexadecimal digits, its byte count matches its length and its bytes sum to
// zero.
Image parse(const std::string &text);
// The file at `path` (a path as the program sees it, under the sandbox root).
Image load(const std::string &path);

// The firmware files on the USB stick: the plain files of /mnt/usb-memory/
// whose name matches "fw-*update.hex" (letter case ignored, as the stick's
// file system does), in name order, as full paths.
std::vector<std::string> filesOnStick();
// The first of them, the one an update sends: every caller picks the same.
// Empty when there is none.
std::string findOnStick();
// The file a pending update waits in on the board: /home/root/velt_fw.
std::string boardCopyPath();
// Where the board copy goes once the board has taken it, so that it does not
// start the update again at the next start.
std::string boardCopyDonePath();

// The loader frame of one record.
ByteVector loaderFrame(const ByteVector &record);
// The record as a HEX line: ':', upper-case digits, CR LF.
std::string recordLine(const ByteVector &record);

// A short English description for the log.
const char *describe(Status status);

} // namespace FirmwareHex
