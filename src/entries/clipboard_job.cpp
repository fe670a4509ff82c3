// The clipboard worker. It shares three numbers with the window (whether the
// window still listens, and which format it waits on since when) and hands
// everything else over in posted events, so neither side ever waits for the
// other: a source that never answers keeps only its own thread.
#include "entries/clipboard_job.h"

#include "base/com_ptr.h"
#include "base/log.h"
#include "entries/entries_core.h"

#include <new>
#include <vector>

struct ClipboardJob {
    LONG refs;  // the window's and the worker's
    HWND window;
    UINT message;
    WPARAM generation;
    volatile LONG abandoned;
    volatile LONG waitingIndex;  // -2 nothing, -1 enumerating, else the format
    volatile LONG waitingSince;
};

namespace {

void release(ClipboardJob* job) {
    if (InterlockedDecrement(&job->refs) == 0) delete job;
}

// A target device block of our own: the event and the GetData call each need one.
DVTARGETDEVICE* copy_device(const DVTARGETDEVICE* device) {
    if (!device || device->tdSize < sizeof(DVTARGETDEVICE) - 1) return nullptr;
    auto* copy = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(device->tdSize));
    if (copy) CopyMemory(copy, device, device->tdSize);
    return copy;
}

void post(ClipboardJob* job, ClipboardEvent* event) {
    if (!event) return;
    if (job->abandoned || !PostMessageW(job->window, job->message, job->generation, reinterpret_cast<LPARAM>(event)))
        clipboard_event_free(event);
}

ClipboardEvent* new_event(ClipboardEventKind kind, int index, int count) {
    auto* event = new (std::nothrow) ClipboardEvent{kind, index, count, nullptr, MediumBytes{nullptr, 0, 0, nullptr}};
    return event;
}

void wait_on(ClipboardJob* job, LONG index) {
    InterlockedExchange(&job->waitingSince, static_cast<LONG>(GetTickCount()));
    InterlockedExchange(&job->waitingIndex, index);
}

std::vector<FORMATETC> enumerate(IDataObject* data) {
    std::vector<FORMATETC> formats;
    ComPtr<IEnumFORMATETC> list;
    if (FAILED(data->EnumFormatEtc(DATADIR_GET, list.put())) || !list || FAILED(list->Reset())) return formats;
    FORMATETC offered{};
    ULONG fetched = 0;
    while (formats.size() < static_cast<size_t>(kMaxEnumeratedFormats) && list->Next(1, &offered, &fetched) == S_OK) {
        formats.push_back(offered);
        offered = FORMATETC{};
    }
    return formats;
}

void post_formats(ClipboardJob* job, const std::vector<FORMATETC>& formats) {
    ClipboardEvent* event = new_event(ClipboardEventKind::Formats, 0, static_cast<int>(formats.size()));
    if (!event) return;
    event->formats = new (std::nothrow) FORMATETC[formats.empty() ? 1 : formats.size()];
    if (!event->formats) event->count = 0;
    for (int i = 0; i < event->count; ++i) {
        event->formats[i] = formats[static_cast<size_t>(i)];
        event->formats[i].ptd = copy_device(formats[static_cast<size_t>(i)].ptd);
    }
    post(job, event);
}

void read_clipboard(ClipboardJob* job) {
    ComPtr<IDataObject> data;
    wait_on(job, -1);
    if (FAILED(OleGetClipboard(data.put())) || !data) return;
    std::vector<FORMATETC> formats = enumerate(data.get());
    wait_on(job, -2);
    post_formats(job, formats);
    int read = 0;
    for (const FORMATETC& offered : formats) {
        if (job->abandoned) break;
        wait_on(job, read);
        MediumBytes bytes = entry_fetch_format(data.get(), offered);
        wait_on(job, -2);
        ClipboardEvent* event = new_event(ClipboardEventKind::Format, read++, 0);
        if (event) event->bytes = bytes;
        else if (bytes.block) GlobalFree(bytes.block);
        post(job, event);
    }
    for (FORMATETC& f : formats)
        if (f.ptd) CoTaskMemFree(f.ptd);
    ClipboardEvent* done = new_event(ClipboardEventKind::Done, 0, read);
    post(job, done);
}

DWORD WINAPI worker(void* parameter) {
    auto* job = static_cast<ClipboardJob*>(parameter);
    HRESULT ole = OleInitialize(nullptr);
    read_clipboard(job);
    wait_on(job, -2);
    if (SUCCEEDED(ole)) OleUninitialize();
    release(job);
    return 0;
}

}  // namespace

void clipboard_event_free(ClipboardEvent* event) {
    if (!event) return;
    if (event->formats)
        for (int i = 0; i < event->count; ++i)
            if (event->formats[i].ptd) CoTaskMemFree(event->formats[i].ptd);
    delete[] event->formats;
    if (event->bytes.block) GlobalFree(event->bytes.block);
    delete event;
}

ClipboardJob* clipboard_job_start(HWND window, UINT message, WPARAM generation) {
    auto* job = new (std::nothrow) ClipboardJob{2, window, message, generation, 0, -2, 0};
    if (!job) return nullptr;
    HANDLE thread = CreateThread(nullptr, 0, worker, job, 0, nullptr);
    if (!thread) {
        log_message(0, "Main", "Clipboard worker could not start (%lu)", GetLastError());
        delete job;
        return nullptr;
    }
    CloseHandle(thread);
    return job;
}

bool clipboard_job_waiting(const ClipboardJob* job, int* index, DWORD* since) {
    LONG waiting = job->waitingIndex;
    if (waiting < -1) return false;
    if (index) *index = waiting;
    if (since) *since = static_cast<DWORD>(job->waitingSince);
    return true;
}

void clipboard_job_abandon(ClipboardJob* job) {
    if (!job) return;
    InterlockedExchange(&job->abandoned, 1);
    release(job);
}
