// The entry table to a snapshot file and back. Saving never touches the
// target until the whole new file is on disk; opening uses nothing of a file
// that does not check out from its first byte to its last.
#include "snapshot/snapshot.h"
#include "snapshot/snapshot_core.h"
#include "base/lazy_dll.h"

#include "base/log.h"
#include "base/win_raii.h"
#include "entries/entries.h"

#include <commctrl.h>
#include <commdlg.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kTextCapacity = 300;  // a row's longest text: a 255-character name

const wchar_t* file_name_of(const wchar_t* path) {
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

// "Access denied." and the like, without the line end.
std::wstring system_text(DWORD error) {
    wchar_t text[256] = L"";
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, 256,
                             nullptr);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ')) text[--n] = 0;
    if (n == 0) std::swprintf(text, 256, L"error %lu", error);
    return text;
}

// The target device as the reader will check it: a size of its own and name
// offsets inside it. One that is not is saved as none rather than as a file
// that cannot be opened again.
bool device_savable(const DVTARGETDEVICE* device) {
    if (!device || device->tdSize < 12) return false;
    const WORD offsets[4] = {device->tdDriverNameOffset, device->tdDeviceNameOffset, device->tdPortNameOffset,
                             device->tdExtDevmodeOffset};
    for (WORD offset : offsets)
        if (offset != 0 && (offset < 12 || offset >= device->tdSize)) return false;
    return true;
}

// One row's record head and where its data bytes are; the texts live in `texts`.
struct RowRecord {
    SnapshotRecord record;
    std::wstring texts[kSnapshotTextCount];
};

void describe(const EntryTable* table, int row, RowRecord* out) {
    const DataEntry& e = table->items[row];
    SnapshotRecord& r = out->record;
    for (int column = 0; column < kSnapshotTextCount; ++column) {
        wchar_t text[kTextCapacity] = L"";
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = kTextCapacity;
        SendMessageW(table->listView, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        out->texts[column] = text;
        r.texts[column] = reinterpret_cast<const std::uint8_t*>(out->texts[column].c_str());
        r.textUnits[column] = static_cast<std::uint32_t>(out->texts[column].size() + 1);
    }
    r.format = e.format;
    r.aspect = e.aspect;
    r.lindex = e.lindex;
    r.tymed = e.offered;
    r.medium = e.medium;
    r.hasData = e.data != nullptr;
    if (device_savable(e.device)) {
        r.targetDevice = reinterpret_cast<const std::uint8_t*>(e.device);
        r.targetDeviceSize = e.device->tdSize;
    }
    r.dataSize = e.data ? e.size : 0;
}

// A failure whose call left no error is still a failure.
DWORD last_error() {
    DWORD error = GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}

bool write_all(HANDLE file, const void* bytes, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    while (size > 0) {
        DWORD chunk = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size), written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr) || written != chunk) return false;
        p += chunk;
        size -= chunk;
    }
    return true;
}

// Every record after the header into an open file: 0, or the error
// (ERROR_INVALID_DATA for an entry that cannot be described). Taken at once,
// since unlocking a block clears the last error.
DWORD write_records(const EntryTable* table, HANDLE file) {
    std::uint8_t header[kSnapshotHeaderSize];
    snapshot_write_header(static_cast<std::uint32_t>(table->count), header);
    if (!write_all(file, header, sizeof header)) return last_error();
    std::vector<std::uint8_t> head;
    for (int row = 0; row < table->count; ++row) {
        RowRecord rr;
        describe(table, row, &rr);
        const DataEntry& e = table->items[row];
        GlobalLockGuard bytes(e.data);
        if (e.data && (!bytes || bytes.size() < e.size)) return ERROR_INVALID_DATA;
        head.resize(snapshot_record_head_size(rr.record));
        if (head.empty()) return ERROR_INVALID_DATA;
        snapshot_write_record_head(rr.record, head.data());
        if (!write_all(file, head.data(), head.size()) || (e.data && !write_all(file, bytes.get(), e.size)))
            return last_error();
    }
    return FlushFileBuffers(file) ? 0 : last_error();
}

std::wstring folder_of(const wchar_t* path) {
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? std::wstring(path, slash - path + 1) : std::wstring(L".");
}

}  // namespace

bool snapshot_choose_path(HWND owner, wchar_t* path, std::size_t capacity) {
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"Clipnook snapshot (*.clipnook)\0*.clipnook\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = static_cast<DWORD>(capacity);
    ofn.lpstrTitle = L"Save snapshot";
    ofn.lpstrDefExt = L"clipnook";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return lazy_get_save_file_name(&ofn) != FALSE;
}

bool snapshot_save(const EntryTable* table, const wchar_t* path, wchar_t* why) {
    wchar_t temp[MAX_PATH];
    DWORD error = 0;
    // A read-only target is the user's protection: it holds also where the
    // rename below would replace it anyway.
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        error = ERROR_ACCESS_DENIED;
    } else if (!GetTempFileNameW(folder_of(path).c_str(), L"cnk", 0, temp)) {
        error = last_error();
    } else {
        HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        error = file == INVALID_HANDLE_VALUE ? last_error() : write_records(table, file);
        if (file != INVALID_HANDLE_VALUE && !CloseHandle(file) && !error) error = last_error();
        // The old file goes only now, replaced by a complete new one in one step.
        if (!error && !MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = last_error();
        if (error) DeleteFileW(temp);
    }
    if (error == 0) {
        log_message(1, "Main", "Snapshot saved: %d entries to %ls", table->count, path);
        return true;
    }
    std::swprintf(why, kSnapshotWhyCapacity, L"The snapshot could not be saved as %ls: %ls", path,
                  system_text(error).c_str());
    log_message(0, "Main", "%ls", why);
    return false;
}

namespace {

std::wstring text_of(const SnapshotRecord& r, int column) {
    std::wstring text(r.textUnits[column] - 1, L'\0');  // the parser saw the terminator
    if (!text.empty()) std::memcpy(text.data(), r.texts[column], text.size() * 2);
    return text;
}

// A registered format's id is this session's for the saved name; other ids
// mean the same everywhere.
INT local_format(const SnapshotRecord& r) {
    if (r.format < 0xC000 || r.format > 0xFFFF || r.textUnits[0] < 2) return r.format;
    UINT id = RegisterClipboardFormatW(text_of(r, 0).c_str());
    return id ? static_cast<INT>(id) : r.format;
}

void add_record(EntryTable* table, const SnapshotRecord& r) {
    if (!entry_append(table)) return;
    int row = table->count - 1;
    std::wstring texts[kSnapshotTextCount];
    const wchar_t* cells[kSnapshotTextCount];
    for (int column = 0; column < kSnapshotTextCount; ++column)
        texts[column] = text_of(r, column), cells[column] = texts[column].c_str();
    entry_set_row_texts(table->listView, row, cells);
    DataEntry& e = table->items[row];
    e.format = local_format(r);
    e.aspect = r.aspect;
    e.lindex = r.lindex;
    e.offered = r.tymed;
    if (r.targetDeviceSize && (e.device = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(r.targetDeviceSize))))
        std::memcpy(e.device, r.targetDevice, r.targetDeviceSize);
    if (r.hasData && r.dataSize) {
        GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, r.dataSize));
        GlobalLockGuard bytes(block.get());
        if (!bytes) return;
        std::memcpy(bytes.get(), r.data, r.dataSize);
        e.data = block.release();
        e.size = r.dataSize;
        e.medium = r.medium;
    }
}

// The first bytes only: most files opened are no snapshot, and are read whole
// by the file entry anyway.
bool starts_with_magic(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::uint8_t start[kSnapshotMagicSize];
    DWORD read = 0;
    bool magic = ReadFile(file, start, sizeof start, &read, nullptr) && snapshot_has_magic(start, read);
    CloseHandle(file);
    return magic;
}

}  // namespace

SnapshotOpen snapshot_open(EntryTable* table, const wchar_t* path, wchar_t* why) {
    if (!path || !starts_with_magic(path)) return SnapshotOpen::NotSnapshot;
    HGLOBAL loaded = nullptr;
    UINT size = 0;
    if (GlobalLoad(path, &loaded, &size) != 0) return SnapshotOpen::NotSnapshot;
    GlobalBlock file(loaded);
    GlobalLockGuard bytes(file.get());
    if (!bytes || !snapshot_has_magic(bytes.as<std::uint8_t>(), size)) return SnapshotOpen::NotSnapshot;
    std::vector<SnapshotRecord> records;
    SnapshotProblem problem = snapshot_parse(bytes.as<std::uint8_t>(), size, &records);
    if (problem.error != SnapshotError::None) {
        std::swprintf(why, kSnapshotWhyCapacity, L"%ls is not a snapshot that can be opened: %hs at offset %llu.",
                      file_name_of(path), snapshot_error_text(problem.error),
                      static_cast<unsigned long long>(problem.offset));
        log_message(0, "Main", "%ls", why);
        return SnapshotOpen::Refused;
    }
    entry_table_clear(table);
    for (const SnapshotRecord& r : records) add_record(table, r);
    std::wstring title = std::wstring(L"Snapshot ") + file_name_of(path);
    main_set_title(table->window, title.c_str());
    if (table->count > 0) entry_select_row(table, 0);
    log_message(1, "Main", "Snapshot opened: %d entries from %ls", table->count, path);
    return SnapshotOpen::Opened;
}
