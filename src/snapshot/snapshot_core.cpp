// Snapshot files: the layout is in docs/snapshot-format.md. Every count and
// length read from a file is checked against what is left of it before it is
// used, and sums are taken in 64 bits so that no length can wrap around.
#include "snapshot/snapshot_core.h"

#include <cstring>

const std::uint8_t kSnapshotMagic[kSnapshotMagicSize] = {0x89, 'C', 'L', 'N', 'K', '\r', '\n', 0x1A};

namespace {

constexpr std::size_t kFixedFields = 8 * 4;  // size, format, aspect, lindex, tymed, medium, flags, device size
constexpr std::size_t kDeviceHeader = 12;     // tdSize and the four name offsets
// A record with the shortest texts (a terminator each) and no device or data.
constexpr std::size_t kSmallestRecord = kFixedFields + kSnapshotTextCount * (4 + 2) + 4;
constexpr std::uint32_t kHasData = 1;

std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::uint8_t* put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    return p + 4;
}

// Reads inside [at, end) of the file; every step says where it went wrong.
struct Cursor {
    const std::uint8_t* base;
    std::size_t at;
    std::size_t end;
    SnapshotProblem problem;

    bool fail(SnapshotError error, std::size_t offset) {
        if (problem.error == SnapshotError::None) problem = {error, offset};
        return false;
    }
    bool take32(std::uint32_t* v, SnapshotError error = SnapshotError::Truncated) {
        if (end - at < 4) return fail(error, at);
        *v = get32(base + at);
        at += 4;
        return true;
    }
    bool take(std::uint64_t count, const std::uint8_t** p) {
        if (count > end - at) return fail(SnapshotError::RecordTooLong, at);
        *p = base + at;
        at += static_cast<std::size_t>(count);
        return true;
    }
};

bool device_checks_out(const std::uint8_t* device, std::uint32_t size) {
    if (size < kDeviceHeader || get32(device) != size) return false;
    for (int i = 0; i < 4; ++i) {
        std::uint16_t offset = get16(device + 4 + 2 * i);
        if (offset != 0 && (offset < kDeviceHeader || offset >= size)) return false;
    }
    return true;
}

bool read_record(Cursor& file, SnapshotRecord* r) {
    std::uint32_t size = 0;
    std::size_t start = file.at;
    if (!file.take32(&size)) return false;
    if (size > file.end - file.at) return file.fail(SnapshotError::RecordTooLong, start);
    Cursor rec{file.base, file.at, file.at + size, {}};
    std::uint32_t fields[7];
    for (std::uint32_t& f : fields)
        if (!rec.take32(&f, SnapshotError::RecordTooLong)) break;
    if (rec.problem.error == SnapshotError::None) {
        r->format = static_cast<std::int32_t>(fields[0]);
        r->aspect = fields[1];
        r->lindex = static_cast<std::int32_t>(fields[2]);
        r->tymed = fields[3];
        r->medium = fields[4];
        r->hasData = (fields[5] & kHasData) != 0;
        r->targetDeviceSize = fields[6];
        std::size_t deviceAt = rec.at;
        if (r->targetDeviceSize && rec.take(r->targetDeviceSize, &r->targetDevice) &&
            !device_checks_out(r->targetDevice, r->targetDeviceSize))
            rec.fail(SnapshotError::BadTargetDevice, deviceAt);
    }
    for (int i = 0; i < kSnapshotTextCount && rec.problem.error == SnapshotError::None; ++i) {
        std::size_t textAt = rec.at;
        if (!rec.take32(&r->textUnits[i], SnapshotError::RecordTooLong) ||
            !rec.take(std::uint64_t{r->textUnits[i]} * 2, &r->texts[i]))
            break;
        if (r->textUnits[i] == 0 || get16(r->texts[i] + 2 * (r->textUnits[i] - 1)) != 0)
            rec.fail(SnapshotError::TextUnterminated, textAt);
    }
    if (rec.problem.error == SnapshotError::None && rec.take32(&r->dataSize, SnapshotError::RecordTooLong) &&
        rec.take(r->dataSize, &r->data) && !r->hasData && r->dataSize)
        rec.fail(SnapshotError::RecordTooLong, rec.at - r->dataSize);
    if (rec.problem.error != SnapshotError::None) {
        file.problem = rec.problem;
        return false;
    }
    if (!r->hasData) r->data = nullptr;
    // Bytes a later writer added at a record's end are skipped, not refused.
    file.at += size;
    return true;
}

}  // namespace

const char* snapshot_error_text(SnapshotError error) {
    switch (error) {
    case SnapshotError::None: return "no problem";
    case SnapshotError::NotSnapshot: return "not a snapshot";
    case SnapshotError::Truncated: return "the file is truncated";
    case SnapshotError::UnknownVersion: return "unknown version";
    case SnapshotError::AbsurdCount: return "more records than the file can hold";
    case SnapshotError::RecordTooLong: return "a record is longer than the file";
    case SnapshotError::TextUnterminated: return "a name without terminator";
    case SnapshotError::BadTargetDevice: return "a broken target device";
    case SnapshotError::TrailingBytes: return "bytes after the last record";
    }
    return "unknown problem";
}

bool snapshot_has_magic(const std::uint8_t* bytes, std::size_t size) {
    return bytes && size >= kSnapshotMagicSize && std::memcmp(bytes, kSnapshotMagic, kSnapshotMagicSize) == 0;
}

SnapshotProblem snapshot_parse(const std::uint8_t* bytes, std::size_t size, std::vector<SnapshotRecord>* out) {
    out->clear();
    if (!snapshot_has_magic(bytes, size)) return {SnapshotError::NotSnapshot, 0};
    if (size < kSnapshotHeaderSize) return {SnapshotError::Truncated, size};
    if (get16(bytes + 8) != kSnapshotVersion) return {SnapshotError::UnknownVersion, 8};
    std::uint32_t count = get32(bytes + 12);
    if (count > (size - kSnapshotHeaderSize) / kSmallestRecord) return {SnapshotError::AbsurdCount, 12};

    Cursor file{bytes, kSnapshotHeaderSize, size, {}};
    std::vector<SnapshotRecord> records(count);
    for (SnapshotRecord& r : records)
        if (!read_record(file, &r)) return file.problem;
    if (file.at != size) return {SnapshotError::TrailingBytes, file.at};
    *out = std::move(records);
    return {};
}

void snapshot_write_header(std::uint32_t count, std::uint8_t* out) {
    std::memcpy(out, kSnapshotMagic, kSnapshotMagicSize);
    out[8] = static_cast<std::uint8_t>(kSnapshotVersion);
    out[9] = static_cast<std::uint8_t>(kSnapshotVersion >> 8);
    out[10] = out[11] = 0;
    put32(out + 12, count);
}

std::size_t snapshot_record_head_size(const SnapshotRecord& r) {
    std::uint64_t total = kFixedFields + r.targetDeviceSize + 4;
    for (int i = 0; i < kSnapshotTextCount; ++i) total += 4 + std::uint64_t{r.textUnits[i]} * 2;
    // The size field counts everything after itself, data included.
    if (total - 4 + r.dataSize > UINT32_MAX) return 0;
    return static_cast<std::size_t>(total);
}

std::size_t snapshot_write_record_head(const SnapshotRecord& r, std::uint8_t* out) {
    std::size_t head = snapshot_record_head_size(r);
    if (!head) return 0;
    std::uint8_t* p = put32(out, static_cast<std::uint32_t>(head - 4 + r.dataSize));
    const std::uint32_t fields[7] = {static_cast<std::uint32_t>(r.format), r.aspect, static_cast<std::uint32_t>(r.lindex),
                                     r.tymed, r.medium, r.hasData ? kHasData : 0, r.targetDeviceSize};
    for (std::uint32_t f : fields) p = put32(p, f);
    if (r.targetDeviceSize) std::memcpy(p, r.targetDevice, r.targetDeviceSize);
    p += r.targetDeviceSize;
    for (int i = 0; i < kSnapshotTextCount; ++i) {
        p = put32(p, r.textUnits[i]);
        if (r.textUnits[i]) std::memcpy(p, r.texts[i], std::size_t{r.textUnits[i]} * 2);
        p += std::size_t{r.textUnits[i]} * 2;
    }
    put32(p, r.dataSize);
    return head;
}
