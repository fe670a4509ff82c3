#include "snapshot/snapshot_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::u16string u(const char* s) { return std::u16string(s, s + std::strlen(s)) + u'\0'; }

// A file with two records: text with a target device, and a row without bytes.
std::vector<std::uint8_t> sample(std::vector<std::u16string>* keep) {
    static const std::uint8_t device[16] = {16, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 'P', 0, 0, 0};
    static const std::uint8_t bytes[5] = {'h', 'e', 'l', 'l', 'o'};
    SnapshotRecord a, b;
    a.format = 1, a.aspect = 1, a.lindex = -1, a.tymed = 1, a.medium = 1, a.hasData = true;
    a.targetDevice = device, a.targetDeviceSize = 16, a.data = bytes, a.dataSize = 5;
    b.format = -11, b.aspect = 4, b.tymed = 5;
    const char* texts[2][6] = {{"CF_TEXT", "$1234", "CONTENT", "-1", "HGLOBAL", "5"},
                               {"picture.bmp", "-", "(File)", "-", "HGLOBAL", "?GetData"}};
    SnapshotRecord* records[2] = {&a, &b};
    keep->reserve(12);  // the records point into these texts
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i < 6; ++i) {
            keep->push_back(u(texts[r][i]));
            records[r]->texts[i] = reinterpret_cast<const std::uint8_t*>(keep->back().data());
            records[r]->textUnits[i] = static_cast<std::uint32_t>(keep->back().size());
        }
    std::vector<std::uint8_t> file(kSnapshotHeaderSize);
    snapshot_write_header(2, file.data());
    for (SnapshotRecord* r : records) {
        std::size_t at = file.size(), head = snapshot_record_head_size(*r);
        file.resize(at + head + r->dataSize);
        EXPECT_EQ(snapshot_write_record_head(*r, file.data() + at), head);
        if (r->dataSize) std::memcpy(file.data() + at + head, r->data, r->dataSize);
    }
    return file;
}

SnapshotProblem parse(const std::vector<std::uint8_t>& f, std::vector<SnapshotRecord>* out = nullptr) {
    std::vector<SnapshotRecord> records;
    SnapshotProblem p = snapshot_parse(f.data(), f.size(), out ? out : &records);
    return p;
}

}  // namespace

TEST(Snapshot, WrittenRecordsReadBackAsTheyWere) {
    std::vector<std::u16string> keep;
    std::vector<std::uint8_t> file = sample(&keep);
    std::vector<SnapshotRecord> r;
    ASSERT_EQ(parse(file, &r).error, SnapshotError::None);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].format, 1);
    EXPECT_EQ(r[0].lindex, -1);
    EXPECT_EQ(r[0].targetDeviceSize, 16u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r[0].data), r[0].dataSize), "hello");
    EXPECT_EQ(r[1].format, -11);
    EXPECT_FALSE(r[1].hasData);
    EXPECT_EQ(r[1].data, nullptr);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(r[1].texts[5]), r[1].textUnits[5]), u("?GetData"));
}

TEST(Snapshot, EveryCutOfAFileIsRefusedWhereItEnds) {
    std::vector<std::u16string> keep;
    std::vector<std::uint8_t> file = sample(&keep);
    for (std::size_t n = 0; n < file.size(); ++n) {
        std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<long>(n));
        SnapshotProblem p = parse(cut);
        EXPECT_NE(p.error, SnapshotError::None) << n;
        EXPECT_LE(p.offset, n) << n;
    }
}

// As many of the smallest records as the file can hold is a count like any other.
TEST(Snapshot, AFileFullOfTheSmallestRecordsIsNotAnAbsurdCount) {
    static const char16_t empty[1] = {0};
    SnapshotRecord least;
    for (int i = 0; i < kSnapshotTextCount; ++i)
        least.texts[i] = reinterpret_cast<const std::uint8_t*>(empty), least.textUnits[i] = 1;
    std::vector<std::uint8_t> file(kSnapshotHeaderSize);
    snapshot_write_header(3, file.data());
    for (int k = 0; k < 3; ++k) {
        const std::size_t at = file.size();
        file.resize(at + snapshot_record_head_size(least));
        snapshot_write_record_head(least, file.data() + at);
    }
    std::vector<SnapshotRecord> r;
    EXPECT_EQ(parse(file, &r).error, SnapshotError::None);
    EXPECT_EQ(r.size(), 3u);
}

TEST(Snapshot, HostileFilesNameTheirFirstBadByte) {
    std::vector<std::u16string> keep;
    const std::vector<std::uint8_t> good = sample(&keep);
    const std::size_t rec = kSnapshotHeaderSize, text0 = rec + 32 + 16;
    struct Case {
        std::size_t at;
        std::uint8_t value;
        SnapshotError error;
        std::size_t offset;
    } cases[] = {
        {0, 'X', SnapshotError::NotSnapshot, 0},
        {8, 2, SnapshotError::UnknownVersion, 8},
        {15, 0x40, SnapshotError::AbsurdCount, 12},
        {rec + 3, 0x7F, SnapshotError::RecordTooLong, rec},            // record longer than the file
        {rec + 28, 0xFF, SnapshotError::RecordTooLong, rec + 32},       // device longer than the record
        {rec + 32, 17, SnapshotError::BadTargetDevice, rec + 32},       // device's own size disagrees
        {rec + 32 + 4, 40, SnapshotError::BadTargetDevice, rec + 32},   // a name offset past the device
        {text0 + 4 + 14, 'x', SnapshotError::TextUnterminated, text0},  // "CF_TEXT" loses its zero
        {text0, 0, SnapshotError::TextUnterminated, text0},             // a text of no units at all
        {text0 + 3, 0x80, SnapshotError::RecordTooLong, text0 + 4},     // a text longer than the record
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bad = good;
        bad[c.at] = c.value;
        SnapshotProblem p = parse(bad);
        EXPECT_EQ(p.error, c.error) << c.at;
        EXPECT_EQ(p.offset, c.offset) << c.at;
    }
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_EQ(parse(longer).error, SnapshotError::TrailingBytes);
    EXPECT_EQ(parse(longer).offset, good.size());
}
