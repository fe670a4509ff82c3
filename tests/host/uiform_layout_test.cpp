// The form layout engine with fixed text metrics: units, inner spaces, column
// and row layout, aligned columns, spare room, alignment, wrapped texts.
#include "uiform/uiform_core.h"
#include "uiform_metrics.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// A form built silently from items, laid out on demand.
struct Layout {
    UiForm* f = nullptr;
    FixedMetrics metrics;
    std::string trace;

    explicit Layout(int32_t char_width = 6, int32_t line_height = 13) {
        metrics.charWidth = char_width;
        metrics.lineHeight = line_height;
        CaptureStdout();
        EXPECT_EQ(uiform_create(&f, L"T"), 0);
        GetCapturedStdout();
    }
    ~Layout() {
        CaptureStdout();
        uiform_destroy(&f);
        GetCapturedStdout();
    }
    UiFormNode* add(uint32_t word, const void* value = nullptr, int32_t id = 0, const wchar_t* text = nullptr) {
        EXPECT_EQ(uiform_insert(f, word, id, value, text), 0);
        return last_added();
    }
    void close() { uiform_insert(f, UIFORM_CLOSE, 0, nullptr, nullptr); }
    void run() {
        UiFormMeasure m = metrics.measure();
        CaptureStdout();
        EXPECT_EQ(uiform_layout(f, &m), 0);
        trace = GetCapturedStdout();
    }
    // Every insertion appends to the chain of last children, so the node
    // made last is at its end.
    UiFormNode* last_added() {
        UiFormNode* n = f->root;
        while (n->lastChild) n = n->lastChild;
        return n;
    }
};

struct Rect {
    int32_t x, y, w, h;
    bool operator==(const Rect&) const = default;
};
Rect rect(const UiFormNode* n) { return {n->x, n->y, n->width, n->height}; }
std::ostream& operator<<(std::ostream& os, const Rect& r) {
    return os << "[" << r.x << "," << r.y << " " << r.w << "x" << r.h << "]";
}

}  // namespace

TEST(UiFormLayout, StepsTraceAndUnitsFromTheDigits) {
    Layout l(7, 15);
    l.run();
    EXPECT_EQ(l.trace,
              "uiform_tree_calc_area (first)\nuiform_object_calc_labels\nuiform_tree_calc_area (second)\n"
              "uiform_node_expand_children\nuiform_node_absolute_coordinates\n");
    EXPECT_EQ(l.f->unitX, 7);
    EXPECT_EQ(l.f->unitY, 15);
    EXPECT_EQ(l.f->gapX, 3);  // halves truncate
    EXPECT_EQ(l.f->gapY, 3);
    EXPECT_EQ(l.f->insetX, 7);
    EXPECT_EQ(l.f->insetY, 7);
    EXPECT_EQ(rect(l.f->root), (Rect{0, 0, 0, 0}));  // an empty root

    Layout odd(0, 13);  // varied character widths that sum to 60 over the digits
    odd.run();
    EXPECT_EQ(odd.f->unitX, 6);
    EXPECT_EQ(odd.f->insetY, 6);

    CaptureStdout();
    EXPECT_EQ(uiform_layout(nullptr, nullptr), -1);
    EXPECT_EQ(GetCapturedStdout(), "");
}

TEST(UiFormLayout, EmptyContainersMeasureTheirInnerSpaces) {
    Layout l;  // unitX 6, unitY 13, gaps 3, insets 6 and 6
    UiFormNode* v = l.add(UIFORM_OPENV | UIF_MARGIN_X | UIF_MARGIN_Y | UIF_PAD_X | UIF_PAD_Y);
    l.close();
    UiFormNode* plain = l.add(UIFORM_OPENV);
    l.close();
    UiFormNode* g = l.add(UIFORM_OPENG, L"Grp");
    l.close();
    UiFormNode* g_blank = l.add(UIFORM_OPENG);
    l.close();
    int32_t on = 1;
    UiFormNode* c = l.add(UIFORM_OPENC, &on, 0, L"On");
    l.close();
    UiFormNode* g_margin = l.add(UIFORM_OPENG | UIF_MARGIN_X, L"Grp");
    l.close();
    UiFormNode* frame = l.add(UIFORM_FRAMEV);
    l.close();
    UiFormNode* row = l.add(UIFORM_OPENH | UIF_PAD_X);
    l.close();
    l.run();
    EXPECT_EQ(v->width, 18);   // L + R = (6 + 3) * 2
    EXPECT_EQ(v->height, 18);  // T + B
    EXPECT_EQ(plain->width, 0);
    EXPECT_EQ(plain->height, 0);
    EXPECT_EQ(g->width, 18 + 6 + 4);  // caption + unitX + frame
    EXPECT_EQ(g->height, 13 + 2);     // unitY + 2
    EXPECT_EQ(g_blank->width, 6 + 6 + 4);  // a single blank as caption
    EXPECT_EQ(c->width, 12 + 24 + 4);      // check box caption + 4 unitX + frame
    EXPECT_EQ(c->height, 15);
    EXPECT_EQ(g_margin->width, 28 + 12);   // margins come on top of the frame
    EXPECT_EQ(frame->width, 2);
    EXPECT_EQ(frame->height, 2);
    EXPECT_EQ(row->width, 6);
    EXPECT_EQ(row->height, 0);
}

TEST(UiFormLayout, GapsOnlyBetweenChildren) {
    Layout l;
    UiFormNode* one = l.add(UIFORM_OPENV);
    UiFormNode* only = l.add(UIFORM_TEXT, L"ab");
    l.close();
    UiFormNode* col = l.add(UIFORM_OPENV);
    UiFormNode* a = l.add(UIFORM_TEXT, L"ab");
    UiFormNode* b = l.add(UIFORM_TEXT, L"abcd");
    UiFormNode* c = l.add(UIFORM_TEXT, L"ab");
    l.close();
    UiFormNode* row = l.add(UIFORM_OPENH | UIF_TOP);
    UiFormNode* r1 = l.add(UIFORM_TEXT, L"ab");
    UiFormNode* r2 = l.add(UIFORM_TEXT, L"ab");
    UiFormNode* r3 = l.add(UIFORM_TEXT, L"ab");
    l.close();
    l.run();
    EXPECT_EQ(rect(one), (Rect{0, 0, 12, 13}));
    EXPECT_EQ(rect(only), (Rect{0, 0, 12, 13}));
    EXPECT_EQ(col->height, 13 * 3 + 3 * 2);
    EXPECT_EQ(col->width, 24);
    EXPECT_EQ(col->y, 13 + 3);
    EXPECT_EQ(a->y - col->y, 0);
    EXPECT_EQ(b->y - col->y, 16);
    EXPECT_EQ(c->y - col->y, 32);
    EXPECT_EQ(row->width, 12 * 3 + 3 * 2);
    EXPECT_EQ(row->height, 13);
    EXPECT_EQ(r1->x, 0);
    EXPECT_EQ(r2->x, 15);
    EXPECT_EQ(r3->x, 30);
    EXPECT_EQ(l.f->root->height, 13 + 3 + 45 + 3 + 13);
}

TEST(UiFormLayout, SpareWidthTenOverThreeStretchableChildren) {
    Layout l(1, 13);  // unitX 1, gaps 0: the row's children touch
    const std::wstring wide(106, L'x');
    l.add(UIFORM_TEXT, wide.c_str());
    UiFormNode* row = l.add(UIFORM_OPENH | UIF_STRETCH_X);
    UiFormNode* a = l.add(UIFORM_COLORREF | UIF_STRETCH_X);
    UiFormNode* b = l.add(UIFORM_COLORREF | UIF_STRETCH_X);
    UiFormNode* c = l.add(UIFORM_COLORREF | UIF_STRETCH_X);
    l.close();
    l.run();
    EXPECT_EQ(row->width, 106);  // a column hands its inner width to a stretchable child
    EXPECT_EQ(rect(a), (Rect{0, 13, 35, 16}));
    EXPECT_EQ(rect(b), (Rect{35, 13, 35, 16}));
    EXPECT_EQ(rect(c), (Rect{70, 13, 35, 16}));
    EXPECT_EQ(row->x + row->width - (c->x + c->width), 1);  // the remainder stays unused
}

TEST(UiFormLayout, SpareHeightInAColumnStretchedByItsRow) {
    Layout l;
    UiFormNode* row = l.add(UIFORM_OPENH);
    UiFormNode* list = l.add(UIFORM_LISTBOX);
    UiFormNode* col = l.add(UIFORM_OPENV | UIF_STRETCH_Y);
    UiFormNode* top = l.add(UIFORM_TEXT, L"a");
    UiFormNode* grow = l.add(UIFORM_TEXT | UIF_STRETCH_Y, L"b");
    UiFormNode* after = l.add(UIFORM_TEXT, L"c");
    l.run();
    EXPECT_EQ(list->height, 162);  // 100 * 13 / 8
    EXPECT_EQ(row->height, 162);
    EXPECT_EQ(col->height, 162);   // a row gives a stretchable child its inner height
    EXPECT_EQ(col->y, 0);
    // 3 texts and 2 gaps use 45 of 162: the one stretchable text takes all 117.
    EXPECT_EQ(rect(top), (Rect{153, 0, 6, 13}));
    EXPECT_EQ(rect(grow), (Rect{153, 16, 6, 13 + 117}));
    EXPECT_EQ(rect(after), (Rect{153, 16 + 130 + 3, 6, 13}));
}

TEST(UiFormLayout, LinesStretchAcrossTheirContainer) {
    Layout l;
    l.add(UIFORM_TEXT, L"abcdefghij");
    UiFormNode* line = l.add(UIFORM_LINEH);
    UiFormNode* captioned = l.add(UIFORM_LINEH, L"ab");
    UiFormNode* row = l.add(UIFORM_OPENH);
    l.add(UIFORM_BUTTON, L"OK");
    UiFormNode* vline = l.add(UIFORM_LINEV);
    UiFormNode* vcaption = l.add(UIFORM_LINEV, L"abc");
    l.run();
    EXPECT_TRUE(line->flags & UIF_STRETCH_X);
    EXPECT_EQ(line->width, 75 + 3 + 2 + 3 + 13);  // the column's width: the row is widest
    EXPECT_EQ(line->height, 2);
    EXPECT_EQ(captioned->width, row->width);
    EXPECT_EQ(captioned->height, 13);
    EXPECT_TRUE(vline->flags & UIF_STRETCH_Y);
    EXPECT_EQ(rect(vline), (Rect{78, row->y, 2, 22}));  // the row's height (the button's)
    EXPECT_EQ(vcaption->width, 13);                      // caption turned on its side
    EXPECT_EQ(vcaption->height, 22);
}

TEST(UiFormLayout, WrappedTextInColumnAndInRow) {
    Layout l;
    UiFormNode* first = l.add(UIFORM_TEXT, L"abcdefghij");
    UiFormNode* wrap = l.add(UIFORM_WRAPTEXT, L"0123456789012345");
    UiFormNode* after = l.add(UIFORM_TEXT, L"z");
    UiFormNode* row = l.add(UIFORM_OPENH);
    l.add(UIFORM_TEXT, L"a");
    UiFormNode* in_row = l.add(UIFORM_WRAPTEXT, L"0123456789012345");
    l.close();
    UiFormNode* empty = l.add(UIFORM_WRAPTEXT);
    l.run();
    EXPECT_EQ(first->width, 60);
    // In a column: the column's width, 16 characters at 10 a line = 2 lines.
    EXPECT_EQ(rect(wrap), (Rect{0, 16, 60, 26}));
    EXPECT_EQ(after->y, 16 + 26 + 3);  // pushed down by the wrapped height
    // In a row: 4 unitX by 0, and centred like any row child.
    EXPECT_EQ(in_row->width, 24);
    EXPECT_EQ(in_row->height, 0);
    EXPECT_EQ(in_row->y, row->y + 6);
    EXPECT_EQ(row->y, after->y + 13 + 3);
    EXPECT_EQ(rect(empty), (Rect{0, row->y + 13 + 3, 60, 0}));  // no text: no height
    EXPECT_EQ(l.f->root->height, empty->y);
}

TEST(UiFormLayout, RightAlignedChildOverlapsEarlierSibling) {
    Layout l;
    UiFormNode* row = l.add(UIFORM_OPENH | UIF_PAD_X);
    UiFormNode* right = l.add(UIFORM_TEXT | UIF_RIGHT, L"aa");
    UiFormNode* other = l.add(UIFORM_TEXT, L"bbbbbb");
    l.close();
    UiFormNode* wide = l.add(UIFORM_TEXT, L"aaaaaaaaaaaaaaa");
    UiFormNode* centred = l.add(UIFORM_TEXT | UIF_HCENTER, L"aaa");
    UiFormNode* left = l.add(UIFORM_TEXT | UIF_LEFT, L"aaa");
    l.run();
    EXPECT_EQ(row->width, 3 + 12 + 3 + 36 + 3);
    EXPECT_EQ(other->x, 3 + 15);  // its place is not pushed by the aligned sibling
    EXPECT_EQ(right->x, 57 - 3 - 12);
    EXPECT_LT(right->x, other->x + other->width);  // overlap
    EXPECT_EQ(wide->width, 90);
    EXPECT_EQ(centred->x, (90 - 18) / 2);
    EXPECT_EQ(left->x, 0);
}

TEST(UiFormLayout, VerticalCentringInRowsOnly) {
    Layout l;
    UiFormNode* row = l.add(UIFORM_OPENH | UIF_MARGIN_Y);
    l.add(UIFORM_BUTTON, L"OK");
    UiFormNode* centred = l.add(UIFORM_TEXT, L"a");
    UiFormNode* top = l.add(UIFORM_TEXT | UIF_TOP, L"a");
    UiFormNode* bottom = l.add(UIFORM_TEXT | UIF_BOTTOM, L"a");
    l.close();
    UiFormNode* col = l.add(UIFORM_OPENV);
    l.add(UIFORM_BUTTON, L"OK");
    UiFormNode* stays = l.add(UIFORM_TEXT, L"a");
    UiFormNode* moved = l.add(UIFORM_TEXT | UIF_VCENTER, L"a");
    l.close();
    l.run();
    ASSERT_EQ(row->height, 22 + 12);
    EXPECT_EQ(centred->y, 6 + (22 - 13) / 2);
    EXPECT_EQ(top->y, 6);
    EXPECT_EQ(bottom->y, 6 + 22 - 13);
    EXPECT_EQ(stays->y, col->y + 22 + 3);
    // Explicit centring in a column replaces the computed place.
    EXPECT_EQ(moved->y, col->y + (col->height - 13) / 2);
}

TEST(UiFormLayout, LabelledItemsShareTheWidestLabel) {
    Layout l;
    UiFormNode* list = l.add(UIFORM_OPENL);
    UiFormNode* la = l.add(UIFORM_LABEL, L"ab");
    UiFormNode* ua = l.add(UIFORM_UINT);
    UiFormNode* lb = l.add(UIFORM_LABEL, L"abcd");
    UiFormNode* ub = l.add(UIFORM_UINT);
    l.run();
    EXPECT_EQ(rect(la), (Rect{0, 0, 3 + 24 + 72, 19}));
    EXPECT_EQ(rect(lb), (Rect{0, 22, 99, 19}));
    EXPECT_EQ(ua->x, 27);  // gap + widest label
    EXPECT_EQ(ub->x, 27);
    EXPECT_EQ(ub->y, 22);
    EXPECT_EQ(list->width, 99);
    EXPECT_EQ(list->height, 41);
}

TEST(UiFormLayout, StretchedLabelledItemEndsAtTheLabelsEdge) {
    Layout l;
    UiFormNode* wide = l.add(UIFORM_TEXT, L"aaaaaaaaaaaaaaaaaaaa");
    l.add(UIFORM_OPENL | UIF_STRETCH_X);
    UiFormNode* label = l.add(UIFORM_LABEL | UIF_STRETCH_X, L"ab");
    UiFormNode* field = l.add(UIFORM_UINT | UIF_STRETCH_X);
    l.run();
    EXPECT_EQ(wide->width, 120);
    EXPECT_EQ(rect(label), (Rect{0, 16, 120, 19}));
    EXPECT_EQ(field->x, 3 + 12);
    EXPECT_EQ(field->x + field->width, 120);  // not 120 + 15
}

TEST(UiFormLayout, GotoRowsAlignTheirSecondChild) {
    uint32_t offset = 0, count = 0;
    for (int32_t row_id : {9999, 0}) {
        Layout l(0, 13);  // "Offset:" is 41 pixels, "Select:" 44
        l.add(0xC8000);
        UiFormNode* row1 = l.add(0x100C000, nullptr, row_id);
        l.add(0x11, L"Offset:");
        UiFormNode* field1 = l.add(0x100080B, &offset);
        l.close();
        UiFormNode* row2 = l.add(0x100C000, nullptr, row_id);
        l.add(0x11, L"Select:");
        UiFormNode* field2 = l.add(0x100080B, &count);
        UiFormNode* bytes = l.add(0x11, L"bytes");
        l.close();
        l.close();
        l.run();
        if (row_id == 0) {  // without the shared id the fields stay where the captions end
            EXPECT_EQ(field1->x, 6 + 41 + 3);
            EXPECT_EQ(field2->x, 6 + 44 + 3);
            continue;
        }
        EXPECT_EQ(l.f->columnX[0], 53);  // the rightmost first-pass place
        EXPECT_EQ(field1->x, 53);
        EXPECT_EQ(field2->x, 53);
        EXPECT_EQ(rect(row1), (Rect{6, 6, 148, 19}));
        EXPECT_EQ(rect(row2), (Rect{6, 28, 148, 19}));
        // The first row's field takes the spare width up to the rows' common width.
        EXPECT_EQ(field1->x + field1->width, row1->x + row1->width);
        EXPECT_EQ(field2->width, 72);
        EXPECT_EQ(bytes->x, 53 + 72 + 3);
        EXPECT_EQ(bytes->y, 28 + 3);  // centred in the row
        EXPECT_EQ(rect(l.f->root), (Rect{0, 0, 160, 53}));
    }
}

TEST(UiFormLayout, AlignedColumnsCountEveryAncestor) {
    Layout l(0, 13);
    l.add(UIFORM_OPENV | UIF_MARGIN_X);
    l.add(UIFORM_OPENV | UIF_PAD_X);
    l.add(UIFORM_OPENH, nullptr, 9997);
    l.add(UIFORM_TEXT, L"Offset:");
    UiFormNode* deep = l.add(UIFORM_UINT);
    l.close();
    l.close();
    l.close();
    l.add(UIFORM_OPENH, nullptr, 9997);
    l.add(UIFORM_TEXT, L"Select:");
    UiFormNode* shallow = l.add(UIFORM_UINT);
    l.close();
    // Another id aligns on its own.
    UiFormNode* other_row = l.add(UIFORM_OPENH, nullptr, 9996);
    l.add(UIFORM_TEXT, L"x");
    UiFormNode* other = l.add(UIFORM_UINT);
    l.run();
    EXPECT_EQ(deep->x, 6 + 3 + 41 + 3);  // deeper in: its first-pass place is the rightmost
    EXPECT_EQ(shallow->x, deep->x);
    EXPECT_EQ(l.f->columnX[2], deep->x);
    EXPECT_EQ(other->x, other_row->x + 4 + 3);  // "x" is 4 pixels
    EXPECT_EQ(l.f->columnX[3], other->x);
    EXPECT_EQ(l.f->columnX[0], 0);
}

TEST(UiFormLayout, OnlyRowsWithTwoChildrenMoveAndColumnsDecideToo) {
    Layout l;
    UiFormNode* single = l.add(UIFORM_OPENH, nullptr, 9998);
    UiFormNode* alone = l.add(UIFORM_TEXT, L"abc");
    l.close();
    UiFormNode* row = l.add(UIFORM_OPENH, nullptr, 9999);
    l.add(UIFORM_TEXT, L"a");
    UiFormNode* b = l.add(UIFORM_TEXT, L"b");
    l.close();
    l.add(UIFORM_OPENH);
    l.add(UIFORM_TEXT, L"aaaaaaaaaa");
    UiFormNode* col = l.add(UIFORM_OPENV, nullptr, 9999);
    l.add(UIFORM_TEXT, L"c");
    UiFormNode* d = l.add(UIFORM_TEXT, L"d");
    l.run();
    EXPECT_EQ(l.f->columnX[1], 0);  // one child: not aligned
    EXPECT_EQ(rect(single), (Rect{0, 0, 18, 13}));
    EXPECT_EQ(alone->x, 0);
    EXPECT_EQ(col->x, 63);
    EXPECT_EQ(l.f->columnX[0], 63);  // the column's second child decides...
    EXPECT_EQ(d->x, 63);             // ...but is not moved
    EXPECT_EQ(b->x, 63);             // the row follows it
    EXPECT_EQ(row->width, 69);
}

TEST(UiFormLayout, LeafSizesFollowTheirKind) {
    Layout l;
    UiFormEditText<32> edit;
    edit.visibleWidth = 10;
    struct Leaf {
        uint32_t word;
        const void* value;
        const wchar_t* text;
        Rect size;
    } leaves[] = {
        {UIFORM_UINT, nullptr, nullptr, {0, 0, 72, 19}},
        {UIFORM_SINT, nullptr, nullptr, {0, 0, 72, 19}},
        {UIFORM_EDITTIME, nullptr, nullptr, {0, 0, 42, 19}},
        {UIFORM_EDITDATE, nullptr, nullptr, {0, 0, 72, 19}},
        {UIFORM_EDITDATE | UIF_ALT, nullptr, nullptr, {0, 0, 18, 0}},
        {UIFORM_BUTTON, L"OK", nullptr, {0, 0, 75, 22}},
        {UIFORM_LISTBOX, nullptr, nullptr, {0, 0, 150, 162}},
        {UIFORM_CHECKLB, nullptr, nullptr, {0, 0, 150, 162}},
        {UIFORM_COLORREF, nullptr, nullptr, {0, 0, 32, 16}},
        {UIFORM_OWNERDRAW, nullptr, nullptr, {0, 0, 300, 300}},
        {UIFORM_COMBOSTR, nullptr, nullptr, {0, 0, 24, 21}},
        {UIFORM_COMBOSTR | UIF_ALT, nullptr, nullptr, {0, 0, 6, 21}},
        {UIFORM_COMBO, nullptr, L"a|bbb|cc", {0, 0, 18 + 6 + 18, 21}},
        {UIFORM_COMBO | UIF_ALT, nullptr, L"a|bbb|cc", {0, 0, 24, 21}},
        {UIFORM_COMBO, nullptr, nullptr, {0, 0, 24, 21}},
        {UIFORM_EDITTEXT, &edit, nullptr, {0, 0, 72, 19}},
        {UIFORM_CHECKBUTTON, nullptr, L"abc", {0, 0, 36, 13}},
        {UIFORM_CHECKBUTTON, nullptr, nullptr, {0, 0, 24, 13}},
        {UIFORM_RADIOTEXT, L"ab", nullptr, {0, 0, 30, 13}},
        {UIFORM_LINKTEXT, L"abcd", L"address", {0, 0, 24, 13}},
        {UIFORM_COPYTEXT, L"abc", nullptr, {0, 0, 18, 13}},
        {UIFORM_ICON, nullptr, nullptr, {0, 0, 32, 32}},
        {UIFORM_SPACE, nullptr, nullptr, {0, 0, 0, 0}},
        {UIFORM_LINEV, nullptr, nullptr, {0, 0, 2, 0}},
        {UIFORM_LINEV, L"abc", nullptr, {0, 0, 13, 18}},
        {UIFORM_LINEH, nullptr, nullptr, {0, 0, 0, 2}},
        {UIFORM_WRAPTEXT, L"abc", nullptr, {0, 0, 24, 0}},
        {UIFORM_GRAYFRAMEH, nullptr, nullptr, {0, 0, 24, 0}},
        {UIFORM_WHITEFRAMEV, nullptr, nullptr, {0, 0, 24, 0}},
        {0x77, nullptr, nullptr, {0, 0, 24, 0}},
    };
    int32_t group = 0;
    l.add(UIFORM_OPENR, &group);  // a home for the radio button
    for (const Leaf& leaf : leaves) {
        UiFormNode* n = l.add(leaf.word, leaf.value, 0, leaf.text);
        UiFormMeasure m = l.metrics.measure();
        uiform_calc_units(l.f, &m);
        uiform_measure_node(l.f, &m, n, 1);
        EXPECT_EQ((Rect{0, 0, n->width, n->height}), leaf.size) << "kind " << leaf.word;
    }
    l.metrics.iconLoads = false;
    UiFormNode* icon = l.add(UIFORM_ICON, reinterpret_cast<const void*>(static_cast<intptr_t>(-1)));
    UiFormMeasure m = l.metrics.measure();
    uiform_measure_node(l.f, &m, icon, 1);
    EXPECT_EQ(rect(icon), (Rect{0, 0, 0, 0}));
    // An absurd visible width cannot overflow the arithmetic.
    edit.visibleWidth = 0x7FFFFFFF;
    UiFormNode* huge = l.add(UIFORM_EDITTEXT, &edit);
    uiform_measure_node(l.f, &m, huge, 1);
    EXPECT_EQ(huge->width, 0x7FFF);
}

TEST(UiFormLayout, StringTableTextsResolvedOnceAndOwned) {
    Layout l;
    UiFormNode* byid = l.add(UIFORM_TEXT, reinterpret_cast<const void*>(uintptr_t{7}));
    UiFormNode* missing = l.add(UIFORM_COPYTEXT, reinterpret_cast<const void*>(uintptr_t{404}));
    UiFormNode* direct = l.add(UIFORM_TEXT, L"abc");
    l.run();  // two measuring passes
    EXPECT_EQ(l.metrics.loadCalls, 2);
    EXPECT_EQ(std::wstring(byid->resolvedText), L"str7");
    EXPECT_EQ(byid->width, 24);
    EXPECT_NE(missing->resolvedText, nullptr);
    EXPECT_EQ(std::wstring(missing->resolvedText), L"");  // no string: an empty text
    EXPECT_EQ(direct->resolvedText, direct->value);       // borrowed, not copied
    l.run();  // laying out again loads nothing more
    EXPECT_EQ(l.metrics.loadCalls, 2);
}

TEST(UiFormLayout, ButtonRowSitsAtTheRightEdge) {
    Layout l;
    UiFormNode* wide = l.add(UIFORM_TEXT, L"0123456789012345678901234567890123456789");
    l.f->buttons = UIFORM_BUTTONS_OKCANCEL;
    ASSERT_EQ(uiform_add_button_row(l.f), 0);
    UiFormNode* row = l.f->root->lastChild;
    l.run();
    UiFormNode* ok = row->firstChild;
    UiFormNode* cancel = row->lastChild;
    EXPECT_EQ(wide->width, 240);
    EXPECT_EQ(rect(row), (Rect{240 - 168, 16, 168, 34}));
    EXPECT_EQ(cancel->x - (ok->x + ok->width), 2 * l.f->gapX);  // a gap on each side of the space
    EXPECT_EQ(cancel->x + cancel->width, 240 - 6);
    EXPECT_EQ(rect(l.f->root), (Rect{0, 0, 240, 16 + 34}));
}
