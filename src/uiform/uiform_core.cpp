// Item lists to node trees, and the tree's box-model layout.
#include "uiform/uiform_core.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------
// Nodes

UiFormNode* node_new(uint32_t kind, uint32_t flags, int32_t id, const void* value) {
    auto* n = static_cast<UiFormNode*>(std::calloc(1, sizeof(UiFormNode)));
    if (!n) return nullptr;
    n->kind = kind;
    n->flags = flags;
    n->id = id;
    n->value = const_cast<void*>(value);
    return n;
}

wchar_t* wide_dup(const wchar_t* s) {
    size_t len = std::wcslen(s);
    auto* copy = static_cast<wchar_t*>(std::malloc((len + 1) * sizeof(wchar_t)));
    if (copy) std::memcpy(copy, s, (len + 1) * sizeof(wchar_t));
    return copy;
}

void node_free_own(UiFormNode* n) {
    if (n->resolvedText && n->resolvedText != n->value) std::free(n->resolvedText);
    std::free(n->text);
    std::free(n);
}

// Frees a subtree without recursion, so that nesting depth never matters.
void subtree_free(UiFormNode* top) {
    UiFormNode* n = top;
    while (n) {
        if (n->firstChild) {
            UiFormNode* child = n->firstChild;
            n->firstChild = nullptr;
            n = child;
            continue;
        }
        UiFormNode* up = (n == top) ? nullptr : n->parent;
        UiFormNode* next = (n == top) ? nullptr : n->next;
        node_free_own(n);
        n = next ? next : up;
    }
}

void append_child(UiFormNode* parent, UiFormNode* child) {
    child->parent = parent;
    if (parent->lastChild)
        parent->lastChild->next = child;
    else
        parent->firstChild = child;
    parent->lastChild = child;
}

bool needs_value(uint32_t kind) {
    switch (kind) {
    case UIFORM_TEXT:
    case UIFORM_COPYTEXT:
    case UIFORM_LABEL:
    case UIFORM_RADIOTEXT:
    case UIFORM_OPENC:
    case UIFORM_OPENR:
    case UIFORM_OPENRH:
        return true;
    default:
        return false;
    }
}

bool is_radio_group(uint32_t kind) { return kind == UIFORM_OPENR || kind == UIFORM_OPENRH; }

// Makes a node for the item and copies its text; -2 when either fails.
int32_t make_node(uint32_t kind, uint32_t flags, int32_t id, const void* value, const wchar_t* text,
                  UiFormNode** out) {
    *out = nullptr;
    UiFormNode* n = node_new(kind, flags, id, value);
    if (!n) return UIFORM_ERR_MEMORY;
    if (text) {
        n->text = wide_dup(text);
        if (!n->text) {
            std::free(n);
            return UIFORM_ERR_MEMORY;
        }
    }
    *out = n;
    return UIFORM_OK;
}

// A label owns exactly the one item that follows it.
void leave_label(UiForm* form) {
    if (form->current && form->current->kind == UIFORM_LABEL && form->current->parent)
        form->current = form->current->parent;
}

// The insertion rules once the id is settled.
int32_t insert_node(UiForm* form, uint32_t kind, uint32_t flags, int32_t id, const void* value,
                    const wchar_t* text) {
    if (needs_value(kind) && !value) return UIFORM_ERR_NOVALUE;
    if (!form->current) return UIFORM_ERR_ARG;

    if (kind == UIFORM_CLOSE) {
        if (form->current->parent) form->current = form->current->parent;
        leave_label(form);
        return UIFORM_OK;
    }

    if (kind == UIFORM_LABEL) {
        while (form->current && form->current->kind != UIFORM_OPENL) form->current = form->current->parent;
        if (!form->current) return UIFORM_ERR_ARG;
        UiFormNode* n;
        if (int32_t rc = make_node(kind, flags, id, value, text, &n)) return rc;
        append_child(form->current, n);
        form->current = n;
        return UIFORM_OK;
    }

    UiFormNode* n;
    if (int32_t rc = make_node(kind, flags, id, value, text, &n)) return rc;
    append_child(form->current, n);

    if (uiform_is_container(kind)) {
        form->current = n;
        return UIFORM_OK;
    }

    int32_t rc = UIFORM_OK;
    if (kind == UIFORM_RADIOTEXT) {
        UiFormNode* group = uiform_radio_group(n);
        if (!group) {
            rc = UIFORM_ERR_NORADIO;
        } else {
            if (group->lastRadio)
                group->lastRadio->nextRadio = n;
            else
                group->nextRadio = n;
            group->lastRadio = n;
        }
    }
    leave_label(form);
    return rc;
}

const wchar_t* kKeywordLow[] = {
    L"LABEL",    L"UINT",     L"SINT",     L"CHECKBUTTON", L"LINEV",   L"COMBO",     L"EDITTIME",
    L"TEXT",     L"WRAPTEXT", L"COPYTEXT", L"LINKTEXT",    L"EDITTEXT", L"BUTTON",   L"ICON",
    L"SPACE",    L"EDITDATE", L"LISTBOX",  L"CHECKLB",     L"COLORREF", L"OWNERDRAW", L"COMBOSTR",
    L"RADIOTEXT",
};

// ---------------------------------------------------------------------------
// Measuring helpers

struct Size {
    int32_t w = 0, h = 0;
};

Size text_size(const UiFormMeasure* m, const wchar_t* text, int32_t count = -1) {
    Size s;
    if (text && m->text_size) m->text_size(m->context, text, count, &s.w, &s.h);
    return s;
}

const wchar_t* or_blank(const void* s) { return s ? static_cast<const wchar_t*>(s) : L" "; }

// Sizes from callers' records are clamped so that no product can overflow.
int32_t clamp_px(int64_t v) {
    if (v < 0) return 0;
    if (v > 0x7FFF) return 0x7FFF;
    return static_cast<int32_t>(v);
}

struct WidestPiece {
    const UiFormMeasure* m;
    int32_t widest;
};

void widest_piece(void* context, const wchar_t* piece, int32_t length) {
    auto* w = static_cast<WidestPiece*>(context);
    int32_t width = text_size(w->m, piece, length).w;
    if (width > w->widest) w->widest = width;
}

// Sizes of the leaf kinds, from the measuring units and the text sizes.
Size leaf_size(const UiForm* f, const UiFormMeasure* m, UiFormNode* n) {
    const int32_t ux = f->unitX, uy = f->unitY;
    const int32_t edit_h = 12 * uy / 8;
    Size s;
    switch (n->kind) {
    case UIFORM_UINT:
    case UIFORM_SINT:
        return {12 * ux, edit_h};
    case UIFORM_CHECKBUTTON:
        s = text_size(m, or_blank(n->text));
        s.w += 3 * ux;
        return s;
    case UIFORM_LINEH: {
        n->flags |= UIF_STRETCH_X;
        auto* caption = static_cast<const wchar_t*>(n->value);
        if (!caption || !*caption) return {0, 2};
        return text_size(m, caption);
    }
    case UIFORM_LINEV: {
        n->flags |= UIF_STRETCH_Y;
        auto* caption = static_cast<const wchar_t*>(n->value);
        if (!caption || !*caption) return {2, 0};
        s = text_size(m, caption);
        return {s.h, s.w};
    }
    case UIFORM_COMBO: {
        WidestPiece w{m, 0};
        uiform_combo_pieces(n->text, widest_piece, &w);
        int32_t width = w.widest + ux;
        if (!(n->flags & UIF_ALT)) width += 3 * ux;
        return {width, 13 * uy / 8};
    }
    case UIFORM_EDITTIME:
        return {7 * ux, edit_h};
    case UIFORM_TEXT:
    case UIFORM_COPYTEXT:
        uiform_resolve_text(f, m, n);
        return text_size(m, n->resolvedText);
    case UIFORM_RADIOTEXT:
        uiform_resolve_text(f, m, n);
        s = text_size(m, n->resolvedText);
        s.w += 3 * ux;
        return s;
    case UIFORM_LINKTEXT:
        return text_size(m, static_cast<const wchar_t*>(n->value));
    case UIFORM_EDITTEXT: {
        int64_t visible = 0;
        if (n->value) visible = static_cast<const UiFormEditTextHeader*>(n->value)->visibleWidth;
        return {clamp_px(int64_t(ux) * (visible + 2)), edit_h};
    }
    case UIFORM_BUTTON:
        return {50 * ux / 4, 14 * uy / 8};
    case UIFORM_ICON:
        if (m->icon_size && m->icon_size(m->context, f->instance, n->value, &s.w, &s.h)) return s;
        return {0, 0};
    case UIFORM_SPACE:
        return {0, 0};
    case UIFORM_EDITDATE:
        if (n->flags & UIF_ALT) return {3 * ux, 0};
        return {12 * ux, edit_h};
    case UIFORM_LISTBOX:
    case UIFORM_CHECKLB:
        return {25 * ux, 100 * uy / 8};
    case UIFORM_COLORREF:
        return {32, 16};
    case UIFORM_OWNERDRAW:
        return {300, 300};
    case UIFORM_COMBOSTR:
        return {(n->flags & UIF_ALT) ? ux : 4 * ux, 13 * uy / 8};
    default:
        // WRAPTEXT (a column gives it its real size), the frame leaves and
        // every code without a rule.
        return {4 * ux, 0};
    }
}

int32_t absolute_x(const UiFormNode* n) {
    int32_t x = 0;
    for (; n; n = n->parent) x += n->x;
    return x;
}

int column_slot(int32_t id) {
    if (id < UIFORM_COLUMN_ID_FIRST || id > UIFORM_COLUMN_ID_LAST) return -1;
    return UIFORM_COLUMN_ID_LAST - id;
}

void measure_column(UiForm* f, const UiFormMeasure* m, UiFormNode* n, int32_t start, int pass) {
    int32_t l, t, r, b;
    uiform_inner_spaces(f, n, &l, &t, &r, &b);
    int32_t widest = 0;
    if (n->kind == UIFORM_OPENG)
        widest = text_size(m, or_blank(n->value)).w + f->unitX;
    else if (n->kind == UIFORM_OPENC)
        widest = text_size(m, or_blank(n->text)).w + 4 * f->unitX;

    int32_t cursor = start;
    for (UiFormNode* c = n->firstChild; c; c = c->next) {
        c->x = l;
        c->y = t + cursor;
        uiform_measure_node(f, m, c, pass);
        cursor += c->height;
        if (c->width > widest) widest = c->width;
        if (c->next) cursor += f->gapY;
    }

    // Wrapped texts learn the column's width only now; they push later
    // siblings down by the height they take.
    int32_t shift = 0;
    for (UiFormNode* c = n->firstChild; c; c = c->next) {
        c->y += shift;
        if (c->kind == UIFORM_WRAPTEXT) {
            c->width = widest;
            c->height = 0;
            if (c->value && m->wrap_height)
                c->height = m->wrap_height(m->context, static_cast<const wchar_t*>(c->value), widest);
            shift += c->height;
        }
    }
    n->width = widest + l + r;
    n->height = cursor + shift + t + b;
}

void measure_row(UiForm* f, const UiFormMeasure* m, UiFormNode* n, int32_t start, int pass) {
    int32_t l, t, r, b;
    uiform_inner_spaces(f, n, &l, &t, &r, &b);
    const int slot = column_slot(n->id);
    int32_t cursor = start, tallest = 0;
    for (UiFormNode* c = n->firstChild; c; c = c->next) {
        c->x = cursor + l;
        c->y = t;
        uiform_measure_node(f, m, c, pass);
        cursor += c->width;
        if (c->height > tallest) tallest = c->height;
        if (c->next) {
            cursor += f->gapX;
            if (c == n->firstChild && pass == 2 && slot >= 0) {
                // The second child still has its first-pass place: move it
                // (and all after it) to the column shared by this id's rows.
                int32_t second = c->next->x + absolute_x(n);
                cursor += f->columnX[slot] - second;
            }
        }
    }
    n->width = cursor + l + r;
    n->height = tallest + t + b;
}

void calc_labels(UiForm* f, const UiFormNode* top) {
    for (const UiFormNode* n = top; n; n = uiform_node_next(top, n)) {
        int slot = column_slot(n->id);
        if (slot < 0 || !n->firstChild || !n->firstChild->next) continue;
        int32_t p = n->firstChild->next->x + absolute_x(n);
        if (p > f->columnX[slot]) f->columnX[slot] = p;
    }
}

void expand_one(const UiForm* f, UiFormNode* n) {
    if (!n->firstChild) return;
    int32_t l, t, r, b;
    uiform_inner_spaces(f, n, &l, &t, &r, &b);
    const int32_t inner_w = n->width - l - r, inner_h = n->height - t - b;
    int32_t nx = 0, ny = 0;
    for (UiFormNode* c = n->firstChild; c; c = c->next) {
        if (c->flags & UIF_STRETCH_X) ++nx;
        if (c->flags & UIF_STRETCH_Y) ++ny;
    }
    const UiFormNode* first = n->firstChild;
    const UiFormNode* last = n->lastChild;
    const int32_t used_w = last->x + last->width - first->x;
    const int32_t used_h = last->y + last->height - first->y;

    if (uiform_is_horizontal(n->kind)) {
        if (nx > 0 && used_w < inner_w) {
            const int32_t share = (inner_w - used_w) / nx;
            int32_t offset = 0;
            for (UiFormNode* c = n->firstChild; c; c = c->next) {
                c->x += offset;
                if (c->flags & UIF_STRETCH_X) {
                    c->width += share;
                    offset += share;
                }
            }
        }
        if (ny > 0)
            for (UiFormNode* c = n->firstChild; c; c = c->next)
                if (c->flags & UIF_STRETCH_Y) c->height = inner_h;
    } else {
        if (ny > 0 && used_h < inner_h) {
            const int32_t share = (inner_h - used_h) / ny;
            int32_t offset = 0;
            for (UiFormNode* c = n->firstChild; c; c = c->next) {
                c->y += offset;
                if (c->flags & UIF_STRETCH_Y) {
                    c->height += share;
                    offset += share;
                }
            }
        }
        // A label's item starts right of the label text: stretching it to the
        // full inner width would push it past the label's right edge.
        const bool label = n->kind == UIFORM_LABEL;
        if (nx > 0)
            for (UiFormNode* c = n->firstChild; c; c = c->next)
                if (c->flags & UIF_STRETCH_X) c->width = label ? inner_w - (c->x - l) : inner_w;
    }
}

void place_child(const UiForm* f, const UiFormNode* p, UiFormNode* n) {
    n->x += p->x;
    n->y += p->y;
    int32_t l, t, r, b;
    uiform_inner_spaces(f, p, &l, &t, &r, &b);
    const int32_t inner_x = p->x + l, inner_y = p->y + t;
    const int32_t inner_w = p->width - l - r, inner_h = p->height - t - b;
    switch (n->flags & UIF_HALIGN_MASK) {
    case UIF_RIGHT:
        n->x = inner_x + inner_w - n->width;
        break;
    case UIF_HCENTER:
        n->x = inner_x + (inner_w - n->width) / 2;
        break;
    default:
        break;
    }
    switch (n->flags & UIF_VALIGN_MASK) {
    case UIF_BOTTOM:
        n->y = inner_y + inner_h - n->height;
        break;
    case UIF_VCENTER:
        n->y = inner_y + (inner_h - n->height) / 2;
        break;
    case UIF_TOP:
        break;
    default:
        if (uiform_is_horizontal(p->kind)) n->y = inner_y + (inner_h - n->height) / 2;
        break;
    }
}

// The pre-order successor of `n` inside `top` that lies outside n's subtree.
UiFormNode* after_subtree(const UiFormNode* top, const UiFormNode* n) {
    for (; n && n != top; n = n->parent)
        if (n->next) return n->next;
    return nullptr;
}

bool box_checked(const UiFormEnabling* e, const UiFormNode* box) { return e->checked && e->checked(e->context, box); }

// Whether the node lets itself be enabled once its parent is.
bool node_allows(const UiFormEnabling* e, const UiFormNode* n) {
    if (n->flags & UIF_DISABLED) return false;
    const UiFormNode* p = n->parent;
    if (!p) return true;
    if (p->kind == UIFORM_OPENC && !box_checked(e, p)) return false;
    for (const UiFormNode* s = p->firstChild; s; s = s->next)
        if (s != n && s->kind == UIFORM_CHECKBUTTON && !box_checked(e, s)) return false;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Building

int32_t uiform_create(UiForm** out, const wchar_t* title) {
    std::puts("uiform_create");
    if (!out) return UIFORM_ERR_ARG;
    *out = nullptr;
    if (!title) return UIFORM_ERR_ARG;
    auto* f = static_cast<UiForm*>(std::calloc(1, sizeof(UiForm)));
    if (!f) return UIFORM_ERR_MEMORY;
    f->title = wide_dup(title);
    f->root = node_new(UIFORM_OPENV, 0, UIFORM_ROOT_ID, nullptr);
    if (!f->title || !f->root) {
        std::free(f->root);
        std::free(f->title);
        std::free(f);
        return UIFORM_ERR_MEMORY;
    }
    f->current = f->root;
    f->nextId = UIFORM_FIRST_AUTO_ID;
    *out = f;
    return UIFORM_OK;
}

int32_t uiform_insert(UiForm* form, uint32_t kind_and_flags, int32_t id, const void* value,
                      const wchar_t* text) {
    if (!form) return UIFORM_ERR_ARG;
    if (id == 0) id = form->nextId++;
    return insert_node(form, kind_and_flags & UIFORM_KIND_MASK, kind_and_flags & ~UIFORM_KIND_MASK, id,
                       value, text);
}

int32_t uiform_add(UiForm* form, uint32_t kind_and_flags, int32_t id, const void* value,
                   const wchar_t* text) {
    std::printf("uiform_add %d %ls\n", id, uiform_keyword(kind_and_flags));
    int32_t rc = uiform_insert(form, kind_and_flags, id, value, text);
    if (rc != UIFORM_OK) std::printf("uiform_add => %d\n", rc);
    return rc;
}

int32_t uiform_add_items(UiForm* form, const UiFormItem* items) {
    if (!items || !form) return UIFORM_ERR_ARG;
    for (; items->kind != 0; ++items) {
        int32_t rc = uiform_add(form, items->kind, items->id, items->value, items->text);
        if (rc != UIFORM_OK) return rc;
    }
    form->buttons = static_cast<int32_t>(reinterpret_cast<uintptr_t>(items->value));
    return UIFORM_OK;
}

int32_t uiform_add_button_row(UiForm* form) {
    if (!form || !form->root) return UIFORM_ERR_ARG;
    if (form->buttons == UIFORM_BUTTONS_NONE) return UIFORM_OK;
    const bool ok = form->buttons == 0 || (form->buttons & 1);
    const bool cancel = form->buttons == 0 || (form->buttons & 2);
    form->current = form->root;
    int32_t rc = uiform_insert(form, UIFORM_OPENH | UIF_RIGHT | UIF_MARGIN_X | UIF_MARGIN_Y, 0, nullptr, nullptr);
    if (rc == UIFORM_OK && ok) rc = insert_node(form, UIFORM_BUTTON, UIF_DEFAULT, 1, L"OK", nullptr);
    if (rc == UIFORM_OK && ok && cancel) rc = insert_node(form, UIFORM_SPACE, 0, 0, nullptr, nullptr);
    if (rc == UIFORM_OK && cancel) rc = insert_node(form, UIFORM_BUTTON, 0, 2, L"Abbruch", nullptr);
    form->current = form->root;
    return rc;
}

void uiform_destroy(UiForm** form) {
    std::puts("uiform_destroy begin");
    if (form && *form) {
        subtree_free((*form)->root);
        std::free((*form)->title);
        std::free(*form);
        *form = nullptr;
    }
    std::puts("uiform_destroy end");
}

const wchar_t* uiform_keyword(uint32_t kind) {
    kind &= UIFORM_KIND_MASK;
    if (kind >= UIFORM_LABEL && kind <= UIFORM_RADIOTEXT) return kKeywordLow[kind - UIFORM_LABEL];
    switch (kind) {
    case UIFORM_CLOSE: return L"CLOSE";
    case UIFORM_LINEH: return L"LINEH";
    case UIFORM_OPENV: return L"OPENV";
    case UIFORM_OPENH: return L"OPENH";
    case UIFORM_OPENG: return L"OPENG";
    case UIFORM_OPENC: return L"OPENC";
    case UIFORM_OPENL: return L"OPENL";
    case UIFORM_OPENR: return L"OPENR";
    case UIFORM_OPENRH: return L"OPENRH";
    default: return L"???";
    }
}

bool uiform_is_horizontal(uint32_t kind) { return (kind & UIFORM_HORIZONTAL_BIT) != 0; }

bool uiform_is_container(uint32_t kind) {
    switch (kind) {
    case UIFORM_OPENV:
    case UIFORM_OPENH:
    case UIFORM_OPENG:
    case UIFORM_OPENC:
    case UIFORM_OPENL:
    case UIFORM_OPENR:
    case UIFORM_OPENRH:
    case UIFORM_FRAMEV:
    case UIFORM_FRAMEH:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Layout

void uiform_inner_spaces(const UiForm* f, const UiFormNode* n, int32_t* left, int32_t* top, int32_t* right,
                         int32_t* bottom) {
    int32_t l = 0, t = 0, r = 0, b = 0;
    switch (n->kind) {
    case UIFORM_OPENG:
    case UIFORM_OPENC:
        l = 2, t = f->unitY, r = 2, b = 2;
        break;
    case UIFORM_FRAMEV:
    case UIFORM_GRAYFRAMEV:
    case UIFORM_WHITEFRAMEV:
    case UIFORM_FRAMEH:
    case UIFORM_GRAYFRAMEH:
    case UIFORM_WHITEFRAMEH:
        l = t = r = b = 1;
        break;
    default:
        break;
    }
    if (n->flags & UIF_PAD_X) l += f->gapX, r += f->gapX;
    if (n->flags & UIF_PAD_Y) t += f->gapY, b += f->gapY;
    if (n->flags & UIF_MARGIN_X) l += f->insetX, r += f->insetX;
    if (n->flags & UIF_MARGIN_Y) t += f->insetY, b += f->insetY;
    *left = l, *top = t, *right = r, *bottom = b;
}

void uiform_calc_units(UiForm* f, const UiFormMeasure* m) {
    Size digits = text_size(m, L"0123456789");
    f->unitX = digits.w / 10;
    f->unitY = digits.h;
    f->gapX = f->gapY = f->unitX / 2;
    f->insetX = f->unitX;
    f->insetY = f->unitY / 2;
}

void uiform_resolve_text(const UiForm* f, const UiFormMeasure* m, UiFormNode* n) {
    if (n->resolvedText) return;  // measured twice; resolve once
    if (n->kind != UIFORM_TEXT && n->kind != UIFORM_COPYTEXT && n->kind != UIFORM_RADIOTEXT) return;
    const uintptr_t v = reinterpret_cast<uintptr_t>(n->value);
    if (v >= 0x10000) {
        n->resolvedText = static_cast<wchar_t*>(n->value);
        return;
    }
    enum { kCapacity = 256 };
    auto* buffer = static_cast<wchar_t*>(std::calloc(kCapacity, sizeof(wchar_t)));
    if (!buffer) return;  // measured as an empty text
    if (m->load_string) m->load_string(m->context, f->instance, static_cast<uint32_t>(v), buffer, kCapacity);
    buffer[kCapacity - 1] = 0;
    n->resolvedText = buffer;
}

int32_t uiform_combo_pieces(const wchar_t* text, UiFormPieceFn fn, void* context) {
    if (!text) return 0;
    int32_t count = 0;
    const wchar_t* start = text;
    for (;;) {
        const wchar_t* bar = std::wcschr(start, L'|');
        if (!bar) {
            if (fn) fn(context, start, static_cast<int32_t>(std::wcslen(start)));
            return count + 1;
        }
        int32_t length = static_cast<int32_t>(bar - start);
        if (length > 79) length = 79;
        if (fn) fn(context, start, length);
        ++count;
        start = bar + 1;
    }
}

void uiform_measure_node(UiForm* f, const UiFormMeasure* m, UiFormNode* n, int pass) {
    switch (n->kind) {
    case UIFORM_OPENV:
    case UIFORM_OPENG:
    case UIFORM_OPENC:
    case UIFORM_OPENR:
    case UIFORM_FRAMEV:
        measure_column(f, m, n, 0, pass);
        return;
    case UIFORM_OPENH:
    case UIFORM_OPENRH:
    case UIFORM_FRAMEH:
        measure_row(f, m, n, 0, pass);
        return;
    case UIFORM_OPENL:
        if (n->firstChild) {
            int32_t widest = 0;
            for (UiFormNode* c = n->firstChild; c; c = c->next)
                if (c->kind == UIFORM_LABEL) {
                    int32_t w = text_size(m, static_cast<const wchar_t*>(c->value)).w;
                    if (w > widest) widest = w;
                }
            for (UiFormNode* c = n->firstChild; c; c = c->next)
                if (c->kind == UIFORM_LABEL) c->width = widest;
        }
        measure_column(f, m, n, 0, pass);
        return;
    case UIFORM_LABEL:
        measure_row(f, m, n, f->gapX + n->width, pass);
        return;
    default: {
        Size s = leaf_size(f, m, n);
        n->width = s.w;
        n->height = s.h;
        return;
    }
    }
}

void uiform_calc_labels(UiForm* f) {
    if (f && f->root) calc_labels(f, f->root);
}

void uiform_expand_children(const UiForm* f, UiFormNode* top) {
    for (UiFormNode* n = top; n; n = uiform_node_next(top, n)) expand_one(f, n);
}

void uiform_absolute_coordinates(const UiForm* f, UiFormNode* top) {
    // Pre-order visits every parent before its children.
    for (UiFormNode* n = uiform_node_next(top, top); n; n = uiform_node_next(top, n)) place_child(f, n->parent, n);
}

int32_t uiform_layout(UiForm* f, const UiFormMeasure* m) {
    if (!f || !m || !f->root) return UIFORM_ERR_ARG;
    std::puts("uiform_tree_calc_area (first)");
    uiform_calc_units(f, m);
    f->root->x = f->root->y = 0;
    uiform_measure_node(f, m, f->root, 1);
    std::puts("uiform_object_calc_labels");
    uiform_calc_labels(f);
    std::puts("uiform_tree_calc_area (second)");
    uiform_calc_units(f, m);
    f->root->x = f->root->y = 0;
    uiform_measure_node(f, m, f->root, 2);
    std::puts("uiform_node_expand_children");
    uiform_expand_children(f, f->root);
    std::puts("uiform_node_absolute_coordinates");
    uiform_absolute_coordinates(f, f->root);
    return UIFORM_OK;
}

// ---------------------------------------------------------------------------
// Enabling

void uiform_enable_tree(UiForm* form, const UiFormEnabling* e) {
    if (!form || !form->root || !e) return;
    UiFormNode* top = form->root;
    for (UiFormNode* n = top; n;) {
        if (node_allows(e, n)) {
            if (e->apply) e->apply(e->context, n, true);
            n = uiform_node_next(top, n);
            continue;
        }
        // Everything nested in a node that is off is off with it.
        for (UiFormNode* m = n; m; m = uiform_node_next(n, m))
            if (e->apply) e->apply(e->context, m, false);
        n = after_subtree(top, n);
    }
}

// ---------------------------------------------------------------------------
// Tree walks

UiFormNode* uiform_node_next(const UiFormNode* top, const UiFormNode* n) {
    if (!n) return nullptr;
    if (n->firstChild) return n->firstChild;
    return after_subtree(top, n);
}

int32_t uiform_node_depth(const UiFormNode* n) {
    int32_t depth = 0;
    for (; n && n->parent; n = n->parent) ++depth;
    return depth;
}

UiFormNode* uiform_find_control(const UiForm* form, const void* control) {
    if (!form || !control) return nullptr;
    for (UiFormNode* n = form->root; n; n = uiform_node_next(form->root, n))
        if (n->control == control) return n;
    return nullptr;
}

UiFormNode* uiform_radio_group(const UiFormNode* node) {
    for (UiFormNode* p = node ? node->parent : nullptr; p; p = p->parent)
        if (is_radio_group(p->kind)) return p;
    return nullptr;
}
