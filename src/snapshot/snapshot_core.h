// The snapshot file: every entry of a capture with its format, FORMATETC,
// the medium its bytes came from and the bytes, in the program's own
// little-endian, versioned format (docs/snapshot-format.md). Reading checks
// the whole file before anything is used: a snapshot comes from anywhere.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr std::size_t kSnapshotMagicSize = 8;
extern const std::uint8_t kSnapshotMagic[kSnapshotMagicSize];
constexpr std::uint16_t kSnapshotVersion = 1;
constexpr std::size_t kSnapshotHeaderSize = 16;  // magic, version, reserved, count
constexpr int kSnapshotTextCount = 6;            // the list row's columns

// One entry. Texts are UTF-16LE code units with their terminator; the
// pointers point into the caller's buffer (a read) or its own data (a write),
// and need not be aligned.
struct SnapshotRecord {
    std::int32_t format = 0;       // the entry's format id (negative ids of file entries too)
    std::uint32_t aspect = 0;
    std::int32_t lindex = 0;
    std::uint32_t tymed = 0;       // media the source offered
    std::uint32_t medium = 0;      // the medium the bytes came from, 0 for none
    bool hasData = false;          // false: the entry had no bytes (a mark in the size column)
    const std::uint8_t* targetDevice = nullptr;  // the DVTARGETDEVICE bytes, or null
    std::uint32_t targetDeviceSize = 0;
    const std::uint8_t* texts[kSnapshotTextCount] = {};
    std::uint32_t textUnits[kSnapshotTextCount] = {};  // terminator included
    const std::uint8_t* data = nullptr;
    std::uint32_t dataSize = 0;
};

enum class SnapshotError {
    None,
    NotSnapshot,       // no magic at the start
    Truncated,         // the file ends inside the header or a record
    UnknownVersion,
    AbsurdCount,       // more records than the file could hold
    RecordTooLong,     // a record or one of its parts runs past its end or the file's
    TextUnterminated,  // a text whose last unit is not zero
    BadTargetDevice,   // a target device whose own size or offsets disagree
    TrailingBytes,     // bytes after the last record
};

struct SnapshotProblem {
    SnapshotError error = SnapshotError::None;
    std::uint64_t offset = 0;  // the first byte found wrong
};

// "truncated", "unknown version", ...: the words a message about the problem uses.
const char* snapshot_error_text(SnapshotError error);

bool snapshot_has_magic(const std::uint8_t* bytes, std::size_t size);

// Checks the whole file and lists its records in order; on a problem `out`
// is left empty.
SnapshotProblem snapshot_parse(const std::uint8_t* bytes, std::size_t size, std::vector<SnapshotRecord>* out);

// The file header for `count` records: kSnapshotHeaderSize bytes.
void snapshot_write_header(std::uint32_t count, std::uint8_t* out);
// Everything of a record but its data bytes, which the caller writes right
// after it (they may be large and live elsewhere). Returns the length, or 0
// when the record cannot be described (a part longer than 32 bits can count).
std::size_t snapshot_record_head_size(const SnapshotRecord& record);
std::size_t snapshot_write_record_head(const SnapshotRecord& record, std::uint8_t* out);
