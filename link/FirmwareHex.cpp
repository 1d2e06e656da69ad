#include "link/FirmwareHex.h"

#include "link/ByteUtils.h"

#include "platform/filestore.h"
#include "platform/paths.h"

#include <algorithm>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace FirmwareHex {

namespace {

constexpr uint8_t kEndOfFile = 0x01;
// Byte count, address (2), type, checksum.
constexpr std::size_t kRecordOverhead = 5;

// The record of one line without its line end; false when it is not one.
bool readRecord(const std::string &line, ByteVector &record)
{
    if (line.size() < 1 + 2 * kRecordOverhead || line[0] != ':' || (line.size() - 1) % 2 != 0)
        return false;
    record.clear();
    record.reserve((line.size() - 1) / 2);
    uint8_t sum = 0;
    for (std::size_t i = 1; i < line.size(); i += 2) {
        const int hi = hexDigitValue(line[i]);
        const int lo = hexDigitValue(line[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        const auto b = static_cast<uint8_t>(hi * 16 + lo);
        record.push_back(b);
        sum = static_cast<uint8_t>(sum + b);
    }
    return record[0] + kRecordOverhead == record.size() && sum == 0;
}

bool isStartRecord(const std::string &line)
{
    // The address field: right after the colon and the byte count.
    if (line.size() < 7 || line[0] != ':')
        return false;
    std::string address = line.substr(3, 4);
    std::transform(address.begin(), address.end(), address.begin(),
                   [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
    return address == "D000";
}

bool isBlank(const std::string &line)
{
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

} // namespace

Image parse(const std::string &text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        at = end + 1;
    }
    while (!lines.empty() && isBlank(lines.back()))
        lines.pop_back();

    Image image;
    std::size_t first = 0;
    while (first < lines.size() && !isStartRecord(lines[first]))
        ++first;
    if (first == lines.size()) {
        image.status = Status::NoStartRecord;
        return image;
    }
    image.skippedLines = static_cast<int>(first);

    std::vector<ByteVector> records;
    records.reserve(lines.size() - first);
    ByteVector record;
    for (std::size_t i = first; i < lines.size(); ++i) {
        // Nothing may follow the end-of-file record.
        const bool afterEnd = !records.empty() && records.back()[3] == kEndOfFile;
        if (afterEnd || !readRecord(lines[i], record)) {
            image.status = Status::Malformed;
            image.badLine = static_cast<int>(i + 1);
            return image;
        }
        records.push_back(record);
    }
    if (records.back()[3] != kEndOfFile) {
        image.status = Status::NoEndRecord;
        return image;
    }
    image.status = Status::Ok;
    image.records = std::move(records);
    return image;
}

Image load(const std::string &path)
{
    std::string text;
    if (path.empty() || !platform::readFile(path, text, kMaxFileBytes + 1) || text.size() > kMaxFileBytes)
        return Image();
    return parse(text);
}

std::vector<std::string> filesOnStick()
{
    const std::string folder = platform::path("/mnt/usb-memory/");
    std::vector<std::string> names;
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent *e = readdir(dir)) {
        const std::string name = e->d_name;
        if (fnmatch("fw-*update.hex", name.c_str(), FNM_CASEFOLD) != 0)
            continue;
        struct stat st{};
        if (lstat((folder + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (std::string &name : names)
        name = folder + name;
    return names;
}

std::string findOnStick()
{
    const std::vector<std::string> files = filesOnStick();
    return files.empty() ? std::string() : files.front();
}

std::string boardCopyPath()
{
    return platform::path("/home/root/velt_fw");
}

std::string boardCopyDonePath()
{
    return platform::path("/home/root/velt_fw.flashed");
}

ByteVector loaderFrame(const ByteVector &record)
{
    ByteVector frame;
    frame.reserve(record.size() + 5);
    frame.push_back(0x0F);
    frame.push_back(0x0F);
    frame.insert(frame.end(), record.begin(), record.end());
    frame.insert(frame.end(), {0x04, 0x04, 0x00});
    return frame;
}

std::string recordLine(const ByteVector &record)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string line(":");
    line.reserve(record.size() * 2 + 3);
    for (uint8_t b : record) {
        line.push_back(digits[b >> 4]);
        line.push_back(digits[b & 0x0F]);
    }
    line += "\r\n";
    return line;
}

const char *describe(Status status)
{
    switch (status) {
    case Status::Ok: return "ok";
    case Status::Unreadable: return "file missing, unreadable or too large";
    case Status::NoStartRecord: return "no record at address D000";
    case Status::Malformed: return "malformed line";
    case Status::NoEndRecord: return "no end-of-file record";
    }
    return "";
}

} // namespace FirmwareHex
