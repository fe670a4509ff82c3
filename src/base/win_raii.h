// Small owners for what must be released: locks, device contexts, GDI objects,
// the clipboard. Every Win32 module uses these instead of cleanup on each path.
#pragma once
#include <windows.h>

// Locks a global memory block for one operation.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL block) : block_(block), ptr_(block ? GlobalLock(block) : nullptr) {}
    ~GlobalLockGuard() { if (ptr_) GlobalUnlock(block_); }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    explicit operator bool() const { return ptr_ != nullptr; }
    void* get() const { return ptr_; }
    template <class T> T* as() const { return static_cast<T*>(ptr_); }
    // Bytes the block really holds; reads from another program's block stay inside it.
    SIZE_T size() const { return ptr_ ? GlobalSize(block_) : 0; }
private:
    HGLOBAL block_;
    void* ptr_;
};

// Frees a global block unless ownership was handed on with release().
class GlobalBlock {
public:
    explicit GlobalBlock(HGLOBAL block = nullptr) : block_(block) {}
    ~GlobalBlock() { if (block_) GlobalFree(block_); }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return block_; }
    HGLOBAL release() { HGLOBAL b = block_; block_ = nullptr; return b; }
    explicit operator bool() const { return block_ != nullptr; }
private:
    HGLOBAL block_;
};

// Opens the clipboard for a window; closes it when done. Another program (a
// clipboard manager, a remote-desktop helper) often holds the clipboard for a
// moment, so a refusal is tried again a few times over about 100 ms before it
// counts. Callers render what they put there before they open it.
class ClipboardGuard {
public:
    static constexpr int kAttempts = 5;
    // Runs between two attempts; replaceable so a test can act at that moment.
    static inline void (*pause)(int attempt) = [](int) { Sleep(25); };
    explicit ClipboardGuard(HWND owner) {
        for (int attempt = 1; !(open_ = OpenClipboard(owner) != FALSE) && attempt < kAttempts; ++attempt)
            pause(attempt);
    }
    ~ClipboardGuard() { if (open_) CloseClipboard(); }
    ClipboardGuard(const ClipboardGuard&) = delete;
    ClipboardGuard& operator=(const ClipboardGuard&) = delete;
    explicit operator bool() const { return open_; }
private:
    bool open_ = false;
};

// GetDC/ReleaseDC pair.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() { if (dc_) ReleaseDC(window_, dc_); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
private:
    HWND window_;
    HDC dc_;
};

// Deletes a GDI object (font, brush, pen, bitmap) it owns.
template <class T>
class GdiObject {
public:
    explicit GdiObject(T object = nullptr) : object_(object) {}
    ~GdiObject() { if (object_) DeleteObject(object_); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    void reset(T object = nullptr) { if (object_) DeleteObject(object_); object_ = object; }
    T get() const { return object_; }
    T release() { T o = object_; object_ = nullptr; return o; }
    explicit operator bool() const { return object_ != nullptr; }
private:
    T object_;
};

// Selects an object into a DC and puts the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() { if (old_) SelectObject(dc_, old_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
private:
    HDC dc_;
    HGDIOBJ old_;
};

// A memory DC with a compatible bitmap selected, for painting off screen.
class MemoryCanvas {
public:
    MemoryCanvas(HDC reference, int width, int height)
        : dc_(CreateCompatibleDC(reference)),
          bitmap_(CreateCompatibleBitmap(reference, width > 0 ? width : 1, height > 0 ? height : 1)),
          old_(dc_ && bitmap_ ? SelectObject(dc_, bitmap_) : nullptr) {}
    ~MemoryCanvas() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    HDC dc() const { return dc_; }
    explicit operator bool() const { return dc_ && bitmap_ && old_; }
private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};
