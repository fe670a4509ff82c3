// Random item lists become trees that are laid out and freed: nothing may
// crash, overflow or leak, whatever the nesting, ids, flags or failures.
#include "uiform/uiform_core.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Metrics {
    int32_t charWidth;
    int32_t lineHeight;
    bool icons;
};

void text_size(void* ctx, const wchar_t* text, int32_t count, int32_t* w, int32_t* h) {
    auto* m = static_cast<Metrics*>(ctx);
    int32_t n = 0;
    while ((count < 0 || n < count) && text[n]) ++n;
    *w = n * m->charWidth;
    *h = m->lineHeight;
}

int32_t wrap_height(void* ctx, const wchar_t* text, int32_t width) {
    auto* m = static_cast<Metrics*>(ctx);
    int32_t per_line = m->charWidth > 0 && width / m->charWidth > 0 ? width / m->charWidth : 1;
    int32_t len = static_cast<int32_t>(std::wcslen(text));
    return (len + per_line - 1) / per_line * m->lineHeight;
}

void load_string(void*, void*, uint32_t id, wchar_t* buffer, int32_t capacity) {
    if (id % 3) std::swprintf(buffer, static_cast<size_t>(capacity), L"s%u", id);
}

bool icon_size(void* ctx, void*, const void*, int32_t* w, int32_t* h) {
    if (!static_cast<Metrics*>(ctx)->icons) return false;
    *w = *h = 32;
    return true;
}

const uint32_t kKinds[] = {
    UIFORM_CLOSE,     UIFORM_CLOSE,       UIFORM_LABEL,       UIFORM_UINT,       UIFORM_SINT,
    UIFORM_CHECKBUTTON, UIFORM_LINEV,     UIFORM_LINEH,       UIFORM_COMBO,      UIFORM_EDITTIME,
    UIFORM_TEXT,      UIFORM_WRAPTEXT,    UIFORM_COPYTEXT,    UIFORM_LINKTEXT,   UIFORM_EDITTEXT,
    UIFORM_BUTTON,    UIFORM_ICON,        UIFORM_SPACE,       UIFORM_EDITDATE,   UIFORM_LISTBOX,
    UIFORM_CHECKLB,   UIFORM_COLORREF,    UIFORM_OWNERDRAW,   UIFORM_COMBOSTR,   UIFORM_RADIOTEXT,
    UIFORM_OPENV,     UIFORM_OPENH,       UIFORM_OPENG,       UIFORM_OPENC,      UIFORM_OPENL,
    UIFORM_OPENR,     UIFORM_OPENRH,      UIFORM_FRAMEV,      UIFORM_FRAMEH,     UIFORM_GRAYFRAMEV,
    UIFORM_WHITEFRAMEH, 0x80F0,           0x77,
};

const uint32_t kFlags[] = {UIF_DISABLED, UIF_READONLY, UIF_ALT,     UIF_DEFAULT,   UIF_PAD_X,     UIF_PAD_Y,
                           UIF_MARGIN_X, UIF_MARGIN_Y, UIF_LEFT,    UIF_RIGHT,     UIF_TOP,       UIF_BOTTOM,
                           UIF_STRETCH_X, UIF_STRETCH_Y};

struct Reader {
    const uint8_t* p;
    size_t n;
    uint8_t byte() {
        if (!n) return 0;
        --n;
        return *p++;
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The builder traces every item; keep the fuzzer's own output readable.
    if (!std::freopen("/dev/null", "w", stdout)) return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    Metrics metrics{in.byte() % 16, in.byte() % 41, (in.byte() & 1) != 0};
    const uint8_t mode = in.byte();

    // A few strings made from the input: captions, combo entries with bars.
    std::vector<std::wstring> strings(4);
    for (auto& s : strings) {
        size_t len = in.byte() % 24;
        for (size_t i = 0; i < len; ++i) {
            uint8_t b = in.byte();
            s += (b % 7 == 0) ? L'|' : static_cast<wchar_t>(L'a' + b % 26);
        }
    }
    // Values for every kind, so that whatever is read has the right shape.
    uint32_t number = 5;
    UiFormEditText<8> edit;
    edit.visibleWidth = static_cast<int8_t>(in.byte());
    UiFormCheckEntry checks[] = {{L"a", 1}, {nullptr, 0}};
    wchar_t combo_buffer[32] = {};

    std::vector<UiFormItem> items;
    while (in.n >= 3 && items.size() < 2000) {
        const uint8_t k = in.byte(), f = in.byte(), v = in.byte();
        uint32_t kind = kKinds[k % (sizeof kKinds / sizeof kKinds[0])];
        uint32_t flags = (f & 0x80) ? kFlags[f % (sizeof kFlags / sizeof kFlags[0])] : 0;
        if (f & 0x40) flags |= kFlags[(f >> 1) % (sizeof kFlags / sizeof kFlags[0])];
        int32_t id = (v & 0x30) == 0x30 ? 9996 + (v & 3) : (v & 0x30) == 0x20 ? 1 + (v & 7) : 0;
        const wchar_t* str = strings[v & 3].c_str();
        const void* value = nullptr;
        if (!(v & 0x80)) {  // otherwise no value: exercises the -4 path
            switch (kind) {
            case UIFORM_TEXT:
            case UIFORM_COPYTEXT:
            case UIFORM_RADIOTEXT:
                value = (v & 0x40) ? reinterpret_cast<const void*>(uintptr_t{1} + (v & 7)) : str;
                break;
            case UIFORM_EDITTEXT: value = &edit; break;
            case UIFORM_CHECKLB: value = checks; break;
            case UIFORM_COMBOSTR: value = combo_buffer; break;
            case UIFORM_UINT:
            case UIFORM_SINT:
            case UIFORM_CHECKBUTTON:
            case UIFORM_COMBO:
            case UIFORM_EDITTIME:
            case UIFORM_EDITDATE:
            case UIFORM_COLORREF:
            case UIFORM_OPENC:
            case UIFORM_OPENR:
            case UIFORM_OPENRH: value = &number; break;
            case UIFORM_ICON: value = reinterpret_cast<const void*>(uintptr_t{2000}); break;
            default: value = str; break;  // captions and labels
            }
        }
        items.push_back({kind | flags, id, value, (v & 0x08) ? strings[(v >> 1) & 3].c_str() : nullptr});
    }
    items.push_back(uiform_end((mode & 0x10) ? 0xFFFF : mode & 3));

    UiForm* form = nullptr;
    if (uiform_create(&form, L"fuzz") != 0) return 0;
    if (mode & 1) {
        uiform_add_items(form, items.data());
    } else {
        // Keep adding after failures: the tree must stay consistent.
        for (const UiFormItem& it : items) {
            if (!it.kind) break;
            uiform_add(form, it.kind, it.id, it.value, it.text);
        }
        form->buttons = (mode & 0x10) ? 0xFFFF : mode & 3;
    }
    if (mode & 2) uiform_add_button_row(form);

    UiFormMeasure measure{&metrics, text_size, wrap_height, load_string, icon_size};
    uiform_layout(form, &measure);
    if (mode & 4) uiform_layout(form, &measure);  // a second run re-measures the same tree
    uiform_find_control(form, &number);
    uiform_destroy(&form);
    return 0;
}
