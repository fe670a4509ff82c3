// The form core without a window: item lists to trees, the layout with fixed text metrics,
// enabling by check boxes, time, date and number fields, and which link addresses may open.
#include "uiform/datetime_core.h"
#include "uiform/link_core.h"
#include "uiform/uiform_core.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using Items = std::vector<UiFormItem>;
using Ints = std::vector<int32_t>;
const void* V(uintptr_t v) { return reinterpret_cast<const void*>(v); }
UiFormItem I(uint32_t k, int32_t id = 0, const void* v = nullptr, const wchar_t* t = nullptr) { return {k, id, v, t}; }
const UiFormItem C = I(UIFORM_CLOSE), T = I(UIFORM_TEXT, 0, L"a");
int32_t g_v = 1;  // a value for the kinds that need one

// Characters `cw` pixels wide (with 0: 4 + code % 5), lines 13 high, wrapping
// anywhere; string n reads "str<n>" (404 has none); icons 32 by 32 (value 1: none).
struct Metrics {
    int32_t cw = 6, loads = 0;
    static void size(void* c, const wchar_t* t, int32_t n, int32_t* w, int32_t* h) {
        for (int32_t i = *w = 0, cw = static_cast<Metrics*>(c)->cw; (n < 0 || i < n) && t[i]; ++i) *w += cw ? cw : 4 + t[i] % 5;
        *h = 13;
    }
    static int32_t wrap(void*, const wchar_t* t, int32_t width) {
        return (static_cast<int32_t>(std::wcslen(t)) + std::max(width / 6, 1) - 1) / std::max(width / 6, 1) * 13;
    }
    static void load(void* c, void*, uint32_t id, wchar_t* b, int32_t cap) {
        if (++static_cast<Metrics*>(c)->loads && id != 404) std::swprintf(b, static_cast<size_t>(cap), L"str%u", id);
    }
    static bool icon(void*, void*, const void* v, int32_t* w, int32_t* h) { return v != V(1) && (*w = *h = 32); }
};

// A form made from `items` and the terminator (trace kept), freed quietly.
struct Form {
    UiForm* f = nullptr;
    Metrics m;
    UiFormMeasure measure{&m, Metrics::size, Metrics::wrap, Metrics::load, Metrics::icon};
    int32_t rc;
    std::string trace;
    explicit Form(Items items, int32_t cw = 6, int32_t buttons = 0) : m{cw} {
        items.push_back(uiform_end(buttons));
        CaptureStdout();
        rc = uiform_create(&f, L"T") ? -99 : uiform_add_items(f, items.data());
        trace = GetCapturedStdout();
    }
    ~Form() { CaptureStdout(), uiform_destroy(&f), GetCapturedStdout(); }
    std::string layout() { CaptureStdout(), uiform_layout(f, &measure); return GetCapturedStdout(); }
    UiFormNode* node(int32_t id) const {
        for (UiFormNode* n = f->root; n; n = uiform_node_next(f->root, n)) if (n->id == id) return n;
        return nullptr;
    }
};

// KEYWORD#id>radio chain of a group, at any depth in adding order(children ...)
std::string shape(const UiFormNode* n) {
    std::string s;
    for (const wchar_t* k = uiform_keyword(n->kind); *k; ++k) s += static_cast<char>(*k);
    s += "#" + std::to_string(n->id);
    for (const UiFormNode* r = n->nextRadio; r && n->firstChild; r = r->nextRadio) s += ">" + std::to_string(r->id);
    for (const UiFormNode* c = n->firstChild; c; c = c->next) s += (c == n->firstChild ? "(" : " ") + shape(c);
    return n->firstChild ? s + ")" : s;
}

}  // namespace

TEST(UiFormTree, ItemListsBecomeTrees) {
    const struct { Items items; int32_t rc; const char* shape; } cases[] = {
        {{I(UIFORM_OPENV | UIF_MARGIN_X), I(UIFORM_OPENH, 9999), T, I(UIFORM_UINT), C, I(UIFORM_OPENH, 9999), T,
          I(UIFORM_UINT, 0, nullptr, L"t"), C, C},
         0, "OPENV#2000(OPENV#2001(OPENH#9999(TEXT#2002 UINT#2003) OPENH#9999(TEXT#2005 UINT#2006)))"},
        // A label owns the one item after it, a container with all it holds; a label further in walks up to its list.
        {{I(UIFORM_OPENL), I(UIFORM_LABEL, 0, L"a"), I(UIFORM_UINT), I(UIFORM_LABEL, 0, L"b"), I(UIFORM_OPENH), T,
          I(UIFORM_LABEL, 0, L"c"), I(UIFORM_SINT), I(UIFORM_LABEL, 0, L"d"), I(UIFORM_OPENH), C, T},
         0, "OPENV#2000(OPENL#2001(LABEL#2002(UINT#2003) LABEL#2004(OPENH#2005(TEXT#2006)) LABEL#2007(SINT#2008) "
            "LABEL#2009(OPENH#2010) TEXT#2012))"},
        {{C, C, T, I(UIFORM_TEXT, 77, L"x"), T}, 0, "OPENV#2000(TEXT#2003 TEXT#77 TEXT#2004)"},
        {{I(UIFORM_FRAMEH), I(UIFORM_GRAYFRAMEV), I(0x80F0), C, I(UIFORM_FRAMEV), I(UIFORM_TEXT | 0xFF0000, 0, L"f")}, 0,
         "OPENV#2000(???#2001(???#2002 ???#2003) ???#2005(TEXT#2006))"},
        {{I(UIFORM_OPENV), I(UIFORM_TEXT, 0, L"kept", L"t"), I(UIFORM_LABEL, 0, L"lost"), T}, -1, "OPENV#2000(OPENV#2001(TEXT#2002))"},
        {{I(UIFORM_OPENV), I(UIFORM_RADIOTEXT, 0, L"r"), T}, -6, "OPENV#2000(OPENV#2001(RADIOTEXT#2002))"},
        {{I(UIFORM_OPENV), T, I(UIFORM_TEXT, 42), T}, -4, "OPENV#2000(OPENV#2001(TEXT#2002))"},
        {{I(UIFORM_OPENR, 0, &g_v), I(UIFORM_RADIOTEXT, 0, L"a"), I(UIFORM_OPENH), I(UIFORM_RADIOTEXT, 0, L"b"), I(UIFORM_EDITTEXT), C,
          I(UIFORM_RADIOTEXT, 0, V(300)), I(UIFORM_OPENRH, 0, &g_v), I(UIFORM_RADIOTEXT, 0, L"c")},
         0, "OPENV#2000(OPENR#2001>2002>2004>2007(RADIOTEXT#2002 OPENH#2003(RADIOTEXT#2004 EDITTEXT#2005) RADIOTEXT#2007 "
            "OPENRH#2008>2009(RADIOTEXT#2009)))"},
    };
    for (const auto& c : cases) {
        Form form(c.items, 6, 3);
        EXPECT_TRUE(form.rc == c.rc && shape(form.f->root) == c.shape) << shape(form.f->root);
        EXPECT_EQ(form.f->buttons, c.rc ? 0 : 3) << "only a list that reaches its end sets the buttons";
    }
    EXPECT_EQ(Form(cases[6].items).trace,
              "uiform_create\nuiform_add 0 OPENV\nuiform_add 0 TEXT\nuiform_add 42 TEXT\nuiform_add => -4\n");
    EXPECT_TRUE(uiform_insert(Form(cases[4].items).f, UIFORM_CLOSE, 0, nullptr, nullptr) == -1 &&  // nothing after a lost label
                uiform_add_items(Form({}).f, nullptr) == -1);
    for (uint32_t kind : {UIFORM_TEXT, UIFORM_COPYTEXT, UIFORM_LABEL, UIFORM_RADIOTEXT, UIFORM_OPENC, UIFORM_OPENR, UIFORM_OPENRH})
        EXPECT_EQ(Form({I(kind)}).rc, -4) << kind;
    UiForm* none = reinterpret_cast<UiForm*>(1);
    CaptureStdout();
    EXPECT_TRUE(uiform_create(&none, nullptr) == -1 && !none && uiform_add_items(nullptr, nullptr) == -1);
    uiform_destroy(nullptr);  // only the two lines
    EXPECT_EQ(GetCapturedStdout(), "uiform_create\nuiform_destroy begin\nuiform_destroy end\n");
}

TEST(UiFormTree, ButtonRowWalksAndComboPieces) {
    for (auto [buttons, row] : {std::pair<int32_t, const char*>{1, " OPENH#2002(BUTTON#1)"}, {2, " OPENH#2002(BUTTON#2)"},
                                {4, " OPENH#2002"}, {0xFFFF, ""}}) {  // the row goes to the root, also from inside a container
        Form form({I(UIFORM_OPENV)}, 6, buttons);
        EXPECT_TRUE(uiform_add_button_row(form.f) == 0 && shape(form.f->root) == std::string("OPENV#2000(OPENV#2001") + row + ")");
    }
    Form form({I(UIFORM_OPENR, 0, &g_v), I(UIFORM_OPENH), I(UIFORM_RADIOTEXT, 0, L"b"), I(UIFORM_EDITTEXT)});
    EXPECT_TRUE(uiform_node_depth(form.node(2004)) == 3 && !uiform_node_depth(form.f->root));
    EXPECT_TRUE(uiform_radio_group(form.node(2004)) == form.node(2001) && !uiform_radio_group(form.node(2001)));
    UiFormNode* row = form.node(2002);
    EXPECT_EQ(uiform_node_next(row, row->lastChild), nullptr);  // a subtree walk ends with the subtree
    row->lastChild->control = &g_v;
    EXPECT_TRUE(uiform_find_control(form.f, &g_v) == row->lastChild && !uiform_find_control(form.f, nullptr));
    for (int i = 0; i < 200000; ++i) ASSERT_EQ(uiform_insert(form.f, UIFORM_OPENV, 0, nullptr, L"t"), 0);  // freed flat

    std::wstring got, x(100, L'x');  // combo pieces: all but the last cut to 79 characters
    auto collect = [](void* c, const wchar_t* p, int32_t n) { static_cast<std::wstring*>(c)->append(p, n) += L'/'; };
    EXPECT_TRUE(uiform_combo_pieces((x + L"||a|" + x).c_str(), collect, &got) == 4 && got == x.substr(0, 79) + L"//a/" + x + L"/");
    EXPECT_TRUE(uiform_combo_pieces(L"|", collect, &(got = L"")) == 2 && got == L"//" && !uiform_combo_pieces(nullptr, collect, &got));
}

TEST(UiFormEnabling, ParentAndEveryControllingBoxDecide) {
    struct Boxes { Ints on; std::string states; };  // the listed boxes are checked; ids below 100 are recorded as id+ or id-
    auto checked = [](void* c, const UiFormNode* b) {
        return std::count(static_cast<Boxes*>(c)->on.begin(), static_cast<Boxes*>(c)->on.end(), b->id) > 0;
    };
    auto apply = [](void* c, UiFormNode* n, bool on) {
        if (n->id < 100) static_cast<Boxes*>(c)->states += std::to_string(n->id) + (on ? "+ " : "- ");
    };
    auto box = [](int32_t id) { return I(UIFORM_CHECKBUTTON, id); };
    auto field = [](int32_t id, uint32_t flags = 0) { return I(UIFORM_UINT | flags, id); };
    const Items around = {field(2), box(1), I(UIFORM_OPENH, 3), field(4), field(5, UIF_DISABLED), C, I(UIFORM_OPENC, 6, &g_v), field(7)};
    const Items two = {box(1), box(2), field(3)};
    const struct { Items items; Ints checked; const char* states; } cases[] = {
        {around, {}, "2- 1+ 3- 4- 5- 6- 7- "}, {around, {1}, "2+ 1+ 3+ 4+ 5- 6+ 7- "}, {around, {1, 6}, "2+ 1+ 3+ 4+ 5- 6+ 7+ "},
        {{I(UIFORM_OPENC, 1, &g_v), box(2), field(3)}, {2}, "1+ 2- 3- "},  // a checked box in an unchecked group
        {two, {2}, "1+ 2- 3- "}, {two, {1}, "1- 2+ 3- "}, {two, {1, 2}, "1+ 2+ 3+ "},  // every box must be checked
        {{I(UIFORM_OPENV | UIF_DISABLED, 1), field(2)}, {}, "1- 2- "},
    };
    for (const auto& c : cases) {
        Form form(c.items);
        Boxes boxes{c.checked, {}};
        const UiFormEnabling enabling{&boxes, checked, apply};
        uiform_enable_tree(form.f, &enabling);
        uiform_enable_tree(form.f, nullptr), uiform_enable_tree(nullptr, &enabling);
        EXPECT_EQ(boxes.states, c.states);
    }
}

TEST(UiFormLayout, PlacesEveryNode) {
    constexpr int32_t N = INT32_MIN;  // not checked
    static const std::wstring x106(106, L'x'), a20(20, L'a'), d40(40, L'0');
    static UiFormEditText<32> edit{32, 10}, huge{32, INT32_MAX};
    auto t = [](int32_t id, const wchar_t* text, uint32_t flags = 0) { return I(UIFORM_TEXT | flags, id, text); };
    auto rows = [t](int32_t id) {
        return Items{I(UIFORM_OPENV | UIF_MARGIN_X | UIF_MARGIN_Y), I(UIFORM_OPENH | UIF_STRETCH_X, id), t(0, L"Offset:"),
                     I(UIFORM_UINT | UIF_STRETCH_X, 1), C, I(UIFORM_OPENH | UIF_STRETCH_X, id), t(0, L"Select:"),
                     I(UIFORM_UINT | UIF_STRETCH_X, 2), t(3, L"bytes"), C, I(UIFORM_OPENH, 9998), T, C, C};
    };
    const struct { int32_t cw; Items items; std::vector<Ints> boxes; bool buttonRow = false; int loads = 0; } cases[] = {
        // Leaves (boxes: id, x, y, width, height); string ids are loaded once in the two measuring passes.
        {6, {I(UIFORM_OPENR, 0, &g_v), I(UIFORM_EDITTIME, 1), I(UIFORM_EDITDATE, 2), I(UIFORM_EDITDATE | UIF_ALT, 3),
             I(UIFORM_COMBOSTR, 4), I(UIFORM_COMBOSTR | UIF_ALT, 5), I(UIFORM_COMBO, 6, nullptr, L"a|bbb|cc"),
             I(UIFORM_COMBO | UIF_ALT, 7, nullptr, L"a|bbb|cc"), I(UIFORM_EDITTEXT, 8, &edit), I(UIFORM_EDITTEXT, 9, &huge),
             I(UIFORM_CHECKBUTTON, 10, nullptr, L"abc"), I(UIFORM_CHECKBUTTON, 11), I(UIFORM_RADIOTEXT, 12, L"ab"),
             I(UIFORM_LINKTEXT, 13, L"abcd", L"url"), I(UIFORM_COPYTEXT, 14, L"abc"), I(UIFORM_ICON, 15), I(UIFORM_ICON, 16, V(1)),
             I(UIFORM_LINEV, 17, L""), I(UIFORM_LINEH, 18, L""), I(UIFORM_GRAYFRAMEH, 19), I(0x77, 20), I(UIFORM_TEXT, 21, V(7)),
             I(UIFORM_TEXT, 22, V(404))},
         {{1, N, N, 42, 19}, {2, N, N, 72, 19}, {3, N, N, 18, 0}, {4, N, N, 24, 21}, {5, N, N, 6, 21}, {6, N, N, 42, 21},
          {7, N, N, 24, 21}, {8, N, N, 72, 19}, {9, N, N, 0x7FFF, 19}, {10, N, N, 36, 13}, {11, N, N, 24, 13}, {12, N, N, 30, 13},
          {13, N, N, 24, 13}, {14, N, N, 18, 13}, {15, N, N, 32, 32}, {16, N, N, 0, 0}, {17, N, N, 2, 0}, {18, N, N, 0x7FFF, 2},
          {19, N, N, 24, 0}, {20, N, N, 24, 0}, {21, N, N, 24, 13}, {22, N, N, 0, 13}}, false, 2},
        {6, {I(UIFORM_OPENV | UIF_MARGIN_X | UIF_MARGIN_Y | UIF_PAD_X | UIF_PAD_Y, 1), C, I(UIFORM_OPENG, 2, L"Grp"), C,
             I(UIFORM_OPENC, 3, &g_v, L"On"), C, I(UIFORM_FRAMEV, 4), C, I(UIFORM_OPENH | UIF_PAD_X, 5)},
         {{1, 0, 0, 18, 18}, {2, 0, 21, 28, 15}, {3, 0, 39, 40, 15}, {4, 0, 57, 2, 2}, {5, 0, 62, 6, 0}}},
        {6, {I(UIFORM_OPENV, 1), t(2, L"ab"), C, I(UIFORM_OPENV, 3), t(4, L"ab"), t(5, L"abcd"), t(6, L"ab"), C,
             I(UIFORM_OPENH | UIF_TOP, 7), T, T, t(10, L"ab")},
         {{1, 0, 0, 12, 13}, {2, 0, 0, 12, 13}, {3, 0, 16, 24, 45}, {5, 0, 32, 24, 13}, {6, 0, 48, 12, 13},
          {7, 0, 64, 30, 13}, {10, 18, 64, 12, 13}, {2000, 0, 0, 30, 77}}},
        {1, {t(1, x106.c_str()), I(UIFORM_OPENH | UIF_STRETCH_X, 2), I(UIFORM_COLORREF | UIF_STRETCH_X, 3),
             I(UIFORM_COLORREF | UIF_STRETCH_X, 4), I(UIFORM_COLORREF | UIF_STRETCH_X, 5)},
         {{2, 0, 13, 106, 16}, {3, 0, 13, 35, 16}, {4, 35, 13, 35, 16}, {5, 70, 13, 35, 16}}},
        {6, {I(UIFORM_OPENH, 1), I(UIFORM_LISTBOX, 2), I(UIFORM_OPENV | UIF_STRETCH_Y, 3), T, t(5, L"b", UIF_STRETCH_Y), t(6, L"c")},
         {{2, 0, 0, 150, 162}, {3, 153, 0, 6, 162}, {5, 153, 16, 6, 130}, {6, 153, 149, 6, 13}}},
        {6, {t(1, L"abcdefghij"), I(UIFORM_LINEH, 2), I(UIFORM_LINEH, 3, L"ab"), I(UIFORM_OPENH, 4), I(UIFORM_BUTTON, 5),
             I(UIFORM_LINEV, 6), I(UIFORM_LINEV, 7, L"abc")},
         {{2, 0, 16, 96, 2}, {3, 0, 21, 96, 13}, {4, 0, 37, 96, 22}, {6, 78, 37, 2, 22}, {7, 83, 37, 13, 22}}},
        {6, {t(1, L"abcdefghij"), I(UIFORM_WRAPTEXT, 2, L"0123456789012345"), t(3, L"z"), I(UIFORM_OPENH, 4), T,
             I(UIFORM_WRAPTEXT, 6, L"0123456789012345"), C, I(UIFORM_WRAPTEXT, 7)},
         {{2, 0, 16, 60, 26}, {3, 0, 45, 6, 13}, {4, 0, 61, 33, 13}, {6, 9, 67, 24, 0}, {7, 0, 77, 60, 0}, {2000, 0, 0, 60, 77}}},
        {6, {I(UIFORM_OPENH | UIF_PAD_X | UIF_MARGIN_Y, 1), t(2, L"aa", UIF_RIGHT), I(UIFORM_BUTTON, 3), T, t(5, L"a", UIF_TOP),
             t(6, L"a", UIF_BOTTOM), C, t(7, a20.c_str()), t(8, L"aaa", UIF_HCENTER), t(9, L"a", UIF_LEFT), I(UIFORM_OPENV, 10),
             I(UIFORM_BUTTON, 11), t(12, L"a"), t(13, L"a", UIF_VCENTER)},
         {{1, 0, 0, 123, 34}, {2, 108, 10, 12, 13}, {3, 18, 6, 75, 22}, {5, 105, 6, 6, 13}, {6, 114, 15, 6, 13},
          {8, 52, 53, 18, 13}, {9, 0, 69, 6, 13}, {12, 0, 110, 6, 13}, {13, 0, 105, 6, 13}}},
        {6, {I(UIFORM_OPENL, 1), I(UIFORM_LABEL, 2, L"ab"), I(UIFORM_UINT, 3), I(UIFORM_LABEL, 4, L"abcd"), I(UIFORM_UINT, 5), C,
             I(UIFORM_OPENL | UIF_STRETCH_X, 6), I(UIFORM_LABEL | UIF_STRETCH_X, 7, L"ab"), I(UIFORM_UINT | UIF_STRETCH_X, 8)},
         {{1, 0, 0, 99, 41}, {2, 0, 0, 99, 19}, {3, 27, 0, 72, 19}, {5, 27, 22, 72, 19}, {7, 0, 44, 99, 19}, {8, 15, 44, 84, 19}}},
        {0, rows(9999), {{1, 53, 6, 101, 19}, {2, 53, 28, 72, 19}, {3, 128, 31, 26, 13}, {2000, 0, 0, 160, 69}}},
        {0, rows(0), {{1, 50, N, N, N}, {2, 53, N, N, N}}},
        {0, {I(UIFORM_OPENV | UIF_MARGIN_X), I(UIFORM_OPENV | UIF_PAD_X), I(UIFORM_OPENH, 9997), t(0, L"Offset:"), I(UIFORM_UINT, 1),
             C, C, C, I(UIFORM_OPENH, 9997), t(0, L"Select:"), I(UIFORM_UINT, 2), C, I(UIFORM_OPENH), t(0, L"aaaaaaaaaa"),
             I(UIFORM_OPENV, 9996), T, t(4, L"d"), C, C, I(UIFORM_OPENH, 9996), T, t(5, L"b")},
         {{1, 53, N, N, N}, {2, 53, N, N, N}, {4, 63, N, N, N}, {5, 63, N, N, N}}},
        {6, {t(0, d40.c_str())}, {{2002, 72, 16, 168, 34}, {1, 78, 22, 75, 22}, {2, 159, 22, 75, 22}}, true},
    };
    for (const auto& c : cases) {
        Form form(c.items, c.cw);
        if (c.buttonRow) uiform_add_button_row(form.f);
        EXPECT_EQ(form.layout(), "uiform_tree_calc_area (first)\nuiform_object_calc_labels\nuiform_tree_calc_area (second)\n"
                                 "uiform_node_expand_children\nuiform_node_absolute_coordinates\n");
        for (const Ints& b : c.boxes) {
            const UiFormNode* n = form.node(b[0]);
            ASSERT_TRUE(n) << b[0];
            const Ints got = {b[1] == N ? N : n->x, b[2] == N ? N : n->y, b[3] == N ? N : n->width, b[4] == N ? N : n->height};
            EXPECT_EQ(got, Ints(b.begin() + 1, b.end())) << "case " << (&c - cases) << ", node " << b[0];
        }
        EXPECT_EQ(form.m.loads, c.loads);
    }
    EXPECT_TRUE(uiform_layout(nullptr, nullptr) == -1 && uiform_layout(Form({}).f, nullptr) == -1);
}

TEST(UiFormFields, TimesDatesNumbersAndLinkAddresses) {
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);  // a zone with daylight saving
    tzset();
    auto day = [](int d, int m, int y) {
        std::tm tm{};
        tm.tm_mday = d, tm.tm_mon = m - 1, tm.tm_year = y - 1900;
        return static_cast<int64_t>(std::mktime(&tm));
    };
    using Parse = bool (*)(const wchar_t*, int64_t*);  // the value starts as 7: refused, left alone
    Parse t = [](const wchar_t* s, int64_t* v) { int32_t x = 7; bool ok = uiform_parse_time(s, &x); return *v = x, ok; };
    Parse d = [](const wchar_t* s, int64_t* v) { int32_t x = 7; bool ok = uiform_parse_date(s, &x); return *v = x, ok; };
    Parse u = [](const wchar_t* s, int64_t* v) { uint32_t x = 7; bool ok = uiform_parse_uint(s, &x); return *v = x, ok; };
    Parse i = [](const wchar_t* s, int64_t* v) { int32_t x = 7; bool ok = uiform_parse_sint(s, &x); return *v = x, ok; };
    for (auto [parse, text, want] : {std::tuple<Parse, const wchar_t*, int64_t>{t, L"9", 540}, {t, L"09:05", 545},
             {t, L" 24:00", 1440}, {t, L"24", 1440}, {t, L"  ", -1}, {t, L"24:01", 7}, {t, L"9:5", 7}, {t, L"9:60", 7},
             {t, L"123", 7}, {t, L"9:05 ", 7}, {t, L"25", 7}, {t, L":05", 7}, {t, L"9:055", 7}, {t, L"9:", 7}, {d, L" ", -1},
             {d, L"1.1.12", day(1, 1, 2012)}, {d, L"1 . 1 . 2000", day(1, 1, 2000)}, {d, L"  29.2.2012  ", day(29, 2, 2012)},
             {d, L"1.1.2038", day(1, 1, 2038)}, {d, L"29.2.2013", 7}, {d, L"31.4.2012", 7}, {d, L"1.1.1999", 7},
             {d, L"1.1.99", 7}, {d, L"1.2012", 7}, {d, L"0.1.2012", 7}, {d, L"1.13.2012", 7}, {d, L"1.0.2012", 7},
             {d, L"1.1.2100", 7}, {d, L"1.1.02012", 7}, {d, L"1..2012", 7}, {d, L"1.1.2012.", 7}, {d, L"1.1.2012.1", 7},
             {d, L"1/1/2012", 7}, {d, L"32.1.2012", 7}, {d, L"1.1.2040", 7}, {d, L"31.12.99", 7}, {d, L"1.1.2012x", 7},
             {u, L" 4294967295 ", 4294967295}, {u, L"0", 0}, {u, L"4294967296", 7}, {u, L"-1", 7}, {u, L"", 7}, {u, L"12abc", 7},
             {u, L"1 2", 7}, {i, L"-5", -5}, {i, L"-2147483648", INT32_MIN}, {i, L"2147483647", INT32_MAX},
             {i, L"2147483648", 7}, {i, L"-2147483649", 7}, {i, L"--1", 7}}) {
        int64_t got = 7;
        EXPECT_TRUE(parse(text, &got) == (want != 7) && got == want) << text << " gave " << got;
    }
    wchar_t buf[24];
    for (int32_t v = 0, got = 7; v <= 1440; ++v)  // every time shown reads back as itself
        EXPECT_TRUE(uiform_format_time(v, buf, 24) && uiform_parse_time(buf, &got) && got == v) << v;
    EXPECT_TRUE(uiform_format_time(-1, buf, 24) == 0 && !*buf && uiform_format_time(6000, buf, 24) == 6);
    EXPECT_TRUE(uiform_format_time(545, buf, 3) && std::wstring(buf) == L"9:" && !uiform_format_time(545, buf, 0));  // cut
    int32_t again = 7;
    for (int64_t when : {day(5, 7, 2026), day(31, 12, 2037), day(1, 1, 2000)})  // shown as the same day, in summer too
        EXPECT_TRUE(uiform_format_date(static_cast<int32_t>(when), buf, 24) && uiform_parse_date(buf, &again) && again == when);
    EXPECT_TRUE(uiform_format_date(-1, buf, 24) == 0 && !*buf && uiform_format_date(0, buf, 24) > 0);  // 0 is a time too
    EXPECT_FALSE(uiform_parse_time(nullptr, &again) || uiform_parse_date(L"1.1.12", nullptr) || uiform_parse_sint(nullptr, &again));
    EXPECT_TRUE(uiform_format_date(static_cast<int32_t>(day(5, 7, 2026)), buf, 24) == 8 && std::wstring(buf) == L"5.7.2026");
    UiFormDate date{};
    EXPECT_TRUE(uiform_parse_date_fields(L"31.1.98", &date, nullptr) && date.year == 2098 && !uiform_parse_date_fields(L"1.2012", &date, nullptr));
    for (auto [address, opens] : {std::pair<const wchar_t*, bool>{L"https://clipnook.example.org/", true}, {L"HTTP://x", true},
                                  {L"http://a.example/?q=1&r=%22", true}, {L"https://", false}, {L"ftp://x", false},
                                  {L"file:///C:/x.exe", false}, {L"C:\\x.exe", false}, {L"https://a b", false},
                                  {L"https://a\"b", false}, {L"http:/x", false}, {L"https://a\tb", false}, {nullptr, false}})
        EXPECT_EQ(link_address_opens(address), opens) << (address ? address : L"null");
}
