// Fixed text metrics for laying out forms without a window: every character
// is `charWidth` pixels wide (or, with charWidth 0, 4 + code % 5 pixels, so
// that different captions differ in width), every line `lineHeight` high.
#pragma once
#include "uiform/uiform_core.h"

#include <cwchar>

struct FixedMetrics {
    int32_t charWidth = 6;
    int32_t lineHeight = 13;
    int loadCalls = 0;
    bool iconLoads = true;

    int32_t width_of(const wchar_t* text, int32_t count) const {
        int32_t n = count < 0 ? static_cast<int32_t>(std::wcslen(text)) : count;
        int32_t w = 0;
        for (int32_t i = 0; i < n && text[i]; ++i) w += charWidth ? charWidth : 4 + static_cast<int32_t>(text[i] % 5);
        return w;
    }

    static void text_size(void* ctx, const wchar_t* text, int32_t count, int32_t* w, int32_t* h) {
        auto* m = static_cast<FixedMetrics*>(ctx);
        *w = m->width_of(text, count);
        *h = m->lineHeight;
    }
    // Breaks anywhere: as many characters per line as fit, at least one.
    static int32_t wrap_height(void* ctx, const wchar_t* text, int32_t width) {
        auto* m = static_cast<FixedMetrics*>(ctx);
        int32_t cw = m->charWidth ? m->charWidth : 6;
        int32_t per_line = width / cw > 0 ? width / cw : 1;
        int32_t len = static_cast<int32_t>(std::wcslen(text));
        return (len + per_line - 1) / per_line * m->lineHeight;
    }
    static void load_string(void* ctx, void*, uint32_t id, wchar_t* buffer, int32_t capacity) {
        auto* m = static_cast<FixedMetrics*>(ctx);
        ++m->loadCalls;
        if (id == 404) return;  // no such string: the buffer stays as it was
        std::swprintf(buffer, static_cast<size_t>(capacity), L"str%u", id);
    }
    static bool icon_size(void* ctx, void*, const void*, int32_t* w, int32_t* h) {
        auto* m = static_cast<FixedMetrics*>(ctx);
        if (!m->iconLoads) return false;
        *w = 32;
        *h = 32;
        return true;
    }

    UiFormMeasure measure() { return UiFormMeasure{this, text_size, wrap_height, load_string, icon_size}; }
};
