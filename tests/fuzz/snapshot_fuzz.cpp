// Any bytes as a snapshot file: the reader either refuses them or every part
// it hands back lies inside the input.
#include "snapshot/snapshot_core.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<SnapshotRecord> records;
    SnapshotProblem p = snapshot_parse(data, size, &records);
    if (p.error != SnapshotError::None && (!records.empty() || p.offset > size)) std::abort();
    auto inside = [&](const std::uint8_t* q, std::size_t n) { return !n || (q >= data && q + n <= data + size); };
    for (const SnapshotRecord& r : records) {
        bool ok = inside(r.targetDevice, r.targetDeviceSize) && inside(r.data, r.dataSize);
        for (int i = 0; i < kSnapshotTextCount; ++i) ok = ok && inside(r.texts[i], 2 * std::size_t{r.textUnits[i]});
        if (!ok) std::abort();
    }
    return 0;
}
