// Item lists to node trees: insertion rules, ids, failures, traces, ownership.
#include "uiform/uiform_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

std::string narrow(const wchar_t* w) {
    std::string s;
    for (; w && *w; ++w) s += static_cast<char>(*w);
    return s;
}

// The tree as text: KEYWORD#id(children...), children separated by blanks.
std::string shape(const UiFormNode* n) {
    std::string s = narrow(uiform_keyword(n->kind)) + "#" + std::to_string(n->id);
    if (n->firstChild) {
        s += "(";
        for (const UiFormNode* c = n->firstChild; c; c = c->next) {
            s += shape(c);
            if (c->next) s += " ";
        }
        s += ")";
    }
    return s;
}

// Owns a form for one test; destroys it quietly.
struct Form {
    UiForm* f = nullptr;
    explicit Form(const wchar_t* title = L"T") {
        CaptureStdout();
        EXPECT_EQ(uiform_create(&f, title), 0);
        GetCapturedStdout();
    }
    ~Form() {
        CaptureStdout();
        uiform_destroy(&f);
        GetCapturedStdout();
    }
    int32_t add(uint32_t word, int32_t id = 0, const void* value = nullptr, const wchar_t* text = nullptr) {
        CaptureStdout();
        int32_t rc = uiform_add(f, word, id, value, text);
        lastTrace = GetCapturedStdout();
        return rc;
    }
    int32_t items(const UiFormItem* list) {
        CaptureStdout();
        int32_t rc = uiform_add_items(f, list);
        lastTrace = GetCapturedStdout();
        return rc;
    }
    std::string lastTrace;
};

const void* id_value(uintptr_t v) { return reinterpret_cast<const void*>(v); }

}  // namespace

TEST(UiFormBuild, CreateAndDestroyTraceAndStartState) {
    UiForm* f = reinterpret_cast<UiForm*>(1);
    CaptureStdout();
    ASSERT_EQ(uiform_create(&f, L"Goto Dump"), 0);
    EXPECT_EQ(GetCapturedStdout(), "uiform_create\n");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::wstring(f->title), L"Goto Dump");
    ASSERT_NE(f->root, nullptr);
    EXPECT_EQ(f->root->kind, UIFORM_OPENV);
    EXPECT_EQ(f->root->id, 2000);
    EXPECT_EQ(f->root->parent, nullptr);
    EXPECT_EQ(f->current, f->root);
    EXPECT_EQ(f->nextId, 2001);
    EXPECT_EQ(f->buttons, 0);
    for (int32_t c : f->columnX) EXPECT_EQ(c, 0);

    CaptureStdout();
    uiform_destroy(&f);
    EXPECT_EQ(GetCapturedStdout(), "uiform_destroy begin\nuiform_destroy end\n");
    EXPECT_EQ(f, nullptr);

    // A null form or handle only writes the two lines.
    CaptureStdout();
    uiform_destroy(&f);
    uiform_destroy(nullptr);
    EXPECT_EQ(GetCapturedStdout(), "uiform_destroy begin\nuiform_destroy end\n"
                                   "uiform_destroy begin\nuiform_destroy end\n");
}

TEST(UiFormBuild, CreateRejectsNullArguments) {
    UiForm* f = reinterpret_cast<UiForm*>(1);
    CaptureStdout();
    EXPECT_EQ(uiform_create(&f, nullptr), -1);
    EXPECT_EQ(f, nullptr);  // cleared before the failure
    EXPECT_EQ(uiform_create(nullptr, L"x"), -1);
    EXPECT_EQ(uiform_add_items(nullptr, nullptr), -1);
    GetCapturedStdout();
    Form form;
    EXPECT_EQ(form.items(nullptr), -1);
}

TEST(UiFormBuild, OnlyTerminatorSetsButtonsAndNothingElse) {
    for (int32_t buttons : {0, 1, 2, 3, 0xFFFF}) {
        Form form;
        UiFormItem list[] = {uiform_end(buttons)};
        EXPECT_EQ(form.items(list), 0);
        EXPECT_EQ(form.lastTrace, "");
        EXPECT_EQ(form.f->buttons, buttons);
        EXPECT_EQ(form.f->root->firstChild, nullptr);
        EXPECT_EQ(form.f->nextId, 2001);
    }
}

TEST(UiFormBuild, ButtonRowByButtonsValue) {
    struct Case {
        int32_t buttons;
        const char* row;
    } cases[] = {
        {0, "OPENH#2002(BUTTON#1 SPACE#0 BUTTON#2)"},
        {3, "OPENH#2002(BUTTON#1 SPACE#0 BUTTON#2)"},
        {1, "OPENH#2002(BUTTON#1)"},
        {2, "OPENH#2002(BUTTON#2)"},
        {4, "OPENH#2002"},  // neither bit: an empty row
    };
    for (const Case& c : cases) {
        Form form;
        form.f->buttons = c.buttons;
        form.add(UIFORM_OPENV);  // left open: the row still goes to the root
        CaptureStdout();
        EXPECT_EQ(uiform_add_button_row(form.f), 0);
        EXPECT_EQ(GetCapturedStdout(), "");  // silent
        const UiFormNode* row = form.f->root->lastChild;
        ASSERT_EQ(row, form.f->root->firstChild->next);
        EXPECT_EQ(shape(row), c.row) << c.buttons;
        EXPECT_EQ(row->flags, 0x2C0000u);
        EXPECT_EQ(form.f->nextId, 2003);  // only the row counts up
        EXPECT_EQ(form.f->current, form.f->root);
        for (const UiFormNode* b = row->firstChild; b; b = b->next) {
            if (b->id == 1) {
                EXPECT_EQ(b->flags, UIF_DEFAULT);
                EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(b->value)), L"OK");
            }
            if (b->id == 2) {
                EXPECT_EQ(b->flags, 0u);
                EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(b->value)), L"Abbruch");
            }
        }
    }
    Form none;
    none.f->buttons = 0xFFFF;
    EXPECT_EQ(uiform_add_button_row(none.f), 0);
    EXPECT_EQ(none.f->root->firstChild, nullptr);
}

TEST(UiFormBuild, SurplusCloseAndAutomaticIds) {
    Form form;
    // More CLOSE than containers: the root stays the insertion point.
    EXPECT_EQ(form.add(UIFORM_CLOSE), 0);
    EXPECT_EQ(form.add(UIFORM_CLOSE), 0);
    EXPECT_EQ(form.f->current, form.f->root);
    EXPECT_EQ(form.f->root->firstChild, nullptr);
    EXPECT_EQ(form.f->nextId, 2003);  // CLOSE takes an automatic id too

    // Consecutive automatic ids; an explicit id does not move nextId.
    form.add(UIFORM_SPACE);
    form.add(UIFORM_TEXT, 77, L"x");
    form.add(UIFORM_SPACE);
    EXPECT_EQ(shape(form.f->root), "OPENV#2000(SPACE#2003 TEXT#77 SPACE#2004)");
    EXPECT_EQ(form.f->nextId, 2005);
}

TEST(UiFormBuild, ContainersNestAndCloseInOrder) {
    Form form;
    form.add(UIFORM_OPENV | UIF_MARGIN_X, 5);
    form.add(UIFORM_OPENH);
    form.add(UIFORM_TEXT, 0, L"a");
    form.add(UIFORM_CLOSE);
    form.add(UIFORM_OPENG, 0, L"Group");
    form.add(UIFORM_CHECKBUTTON | UIF_DISABLED, 0, nullptr, L"check");
    EXPECT_EQ(shape(form.f->root),
              "OPENV#2000(OPENV#5(OPENH#2001(TEXT#2002) OPENG#2004(CHECKBUTTON#2005)))");
    const UiFormNode* outer = form.f->root->firstChild;
    EXPECT_EQ(outer->flags, UIF_MARGIN_X);
    const UiFormNode* check = outer->lastChild->firstChild;
    EXPECT_EQ(check->kind, UIFORM_CHECKBUTTON);
    EXPECT_EQ(check->flags, UIF_DISABLED);
    EXPECT_EQ(check->parent, outer->lastChild);
    EXPECT_EQ(form.f->current, outer->lastChild);  // unclosed containers are harmless
}

TEST(UiFormBuild, TextIsCopiedValueIsBorrowed) {
    Form form;
    wchar_t caption[] = L"caption";
    uint32_t number = 7;
    form.add(UIFORM_CHECKBUTTON, 0, &number, caption);
    const UiFormNode* n = form.f->root->firstChild;
    EXPECT_NE(n->text, caption);
    caption[0] = L'X';
    EXPECT_EQ(std::wstring(n->text), L"caption");
    EXPECT_EQ(n->value, &number);
}

TEST(UiFormBuild, LabelsInsideListOwnOneItem) {
    Form form;
    form.add(UIFORM_OPENL);
    form.add(UIFORM_LABEL, 0, L"First:");
    form.add(UIFORM_UINT);                     // the label's item: back to the list
    EXPECT_EQ(form.f->current->kind, UIFORM_OPENL);
    form.add(UIFORM_LABEL, 0, L"Second:");
    form.add(UIFORM_OPENH);                    // a container as the item: stay inside it
    form.add(UIFORM_TEXT, 0, L"x");
    form.add(UIFORM_LABEL, 0, L"Third:");      // inside a row inside the list: walks up to the list
    EXPECT_EQ(form.f->current->kind, UIFORM_LABEL);
    EXPECT_EQ(form.f->current->parent->kind, UIFORM_OPENL);
    form.add(UIFORM_SINT);
    form.add(UIFORM_LABEL, 0, L"Fourth:");
    form.add(UIFORM_OPENH);
    form.add(UIFORM_CLOSE);                    // closing the container leaves the label too
    EXPECT_EQ(form.f->current->kind, UIFORM_OPENL);
    EXPECT_EQ(shape(form.f->root),
              "OPENV#2000(OPENL#2001(LABEL#2002(UINT#2003) LABEL#2004(OPENH#2005(TEXT#2006)) "
              "LABEL#2007(SINT#2008) LABEL#2009(OPENH#2010)))");
}

TEST(UiFormBuild, LabelOutsideListFailsAndLeavesNoInsertionPoint) {
    Form form;
    form.add(UIFORM_OPENV);
    form.add(UIFORM_TEXT, 0, L"kept");
    EXPECT_EQ(form.add(UIFORM_LABEL, 0, L"lost"), -1);
    EXPECT_EQ(form.lastTrace, "uiform_add 0 LABEL\nuiform_add => -1\n");
    EXPECT_EQ(form.f->current, nullptr);
    // Further adds are refused rather than attached somewhere arbitrary.
    EXPECT_EQ(form.add(UIFORM_TEXT, 0, L"x"), -1);
    EXPECT_EQ(form.add(UIFORM_CLOSE), -1);
    EXPECT_EQ(shape(form.f->root), "OPENV#2000(OPENV#2001(TEXT#2002))");
    // The standard row still finds the root.
    EXPECT_EQ(uiform_add_button_row(form.f), 0);
    EXPECT_EQ(form.f->root->lastChild->kind, UIFORM_OPENH);
}

TEST(UiFormBuild, RequiredValuesFailWithMinusFourBeforeAllocating) {
    for (uint32_t kind : {UIFORM_TEXT, UIFORM_COPYTEXT, UIFORM_LABEL, UIFORM_RADIOTEXT, UIFORM_OPENC,
                          UIFORM_OPENR, UIFORM_OPENRH}) {
        Form form;
        EXPECT_EQ(form.add(kind, 0, nullptr, L"caption"), -4) << kind;
        EXPECT_EQ(form.f->root->firstChild, nullptr);
        EXPECT_EQ(form.f->current, form.f->root);
    }
    // Kinds whose value is optional do not fail.
    for (uint32_t kind : {UIFORM_WRAPTEXT, UIFORM_LINKTEXT, UIFORM_BUTTON, UIFORM_LINEH, UIFORM_OPENG,
                          UIFORM_EDITTEXT, 0x77u}) {
        Form form;
        EXPECT_EQ(form.add(kind), 0) << kind;
    }
}

TEST(UiFormBuild, TextWithoutValueTracesAndStopsTheList) {
    Form form;
    UiFormItem list[] = {
        {UIFORM_OPENV, 0, nullptr, nullptr},
        {UIFORM_TEXT, 0, L"ok", nullptr},
        {UIFORM_TEXT, 42, nullptr, nullptr},
        {UIFORM_TEXT, 0, L"never", nullptr},
        uiform_end(1),
    };
    EXPECT_EQ(form.items(list), -4);
    EXPECT_EQ(form.lastTrace,
              "uiform_add 0 OPENV\nuiform_add 0 TEXT\nuiform_add 42 TEXT\nuiform_add => -4\n");
    EXPECT_EQ(form.f->buttons, 0);  // the terminator was never reached
    EXPECT_EQ(shape(form.f->root), "OPENV#2000(OPENV#2001(TEXT#2002))");
}

TEST(UiFormBuild, TraceOfThreeItemsInOrder) {
    UiForm* f = nullptr;
    const UiFormItem list[] = {
        {UIFORM_OPENV | UIF_MARGIN_X | UIF_MARGIN_Y, 0, nullptr, nullptr},
        {UIFORM_TEXT, 0, L"Hello", nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        uiform_end(1),
    };
    CaptureStdout();
    ASSERT_EQ(uiform_create(&f, L"Three"), 0);
    EXPECT_EQ(uiform_add_items(f, list), 0);
    EXPECT_EQ(f->buttons, 1);
    uiform_destroy(&f);
    EXPECT_EQ(GetCapturedStdout(),
              "uiform_create\nuiform_add 0 OPENV\nuiform_add 0 TEXT\nuiform_add 0 CLOSE\n"
              "uiform_destroy begin\nuiform_destroy end\n");
}

TEST(UiFormBuild, RadioChainAtAnyDepthInAddingOrder) {
    Form form;
    int32_t choice = 0;
    UiFormEditText<16> edit;
    form.add(UIFORM_OPENR, 0, &choice);
    form.add(UIFORM_RADIOTEXT, 0, L"a");
    form.add(UIFORM_OPENH);
    form.add(UIFORM_RADIOTEXT, 0, L"b");
    form.add(UIFORM_EDITTEXT, 0, &edit);
    form.add(UIFORM_CLOSE);
    form.add(UIFORM_RADIOTEXT, 0, id_value(300));  // a string-table id
    form.add(UIFORM_CLOSE);
    const UiFormNode* group = form.f->root->firstChild;
    std::string chain;
    for (const UiFormNode* r = group->nextRadio; r; r = r->nextRadio) {
        EXPECT_EQ(r->kind, UIFORM_RADIOTEXT);
        EXPECT_EQ(uiform_radio_group(r), group);
        chain += std::to_string(r->id) + " ";
    }
    EXPECT_EQ(chain, "2002 2004 2007 ");

    // A nested group starts its own chain; the outer chain is untouched.
    form.add(UIFORM_OPENRH, 0, &choice);
    form.add(UIFORM_OPENR, 0, &choice);
    form.add(UIFORM_RADIOTEXT, 0, L"inner");
    const UiFormNode* inner = form.f->current;
    EXPECT_EQ(inner->nextRadio->id, 2011);
    EXPECT_EQ(inner->parent->nextRadio, nullptr);
}

TEST(UiFormBuild, RadioOutsideGroupFailsButStaysInTree) {
    Form form;
    form.add(UIFORM_OPENV);
    EXPECT_EQ(form.add(UIFORM_RADIOTEXT, 0, L"lonely"), -6);
    EXPECT_EQ(form.lastTrace, "uiform_add 0 RADIOTEXT\nuiform_add => -6\n");
    EXPECT_EQ(shape(form.f->root), "OPENV#2000(OPENV#2001(RADIOTEXT#2002))");
    EXPECT_EQ(form.f->current, form.f->root->firstChild);
}

TEST(UiFormBuild, FailureInTheMiddleLeavesAFreeableTree) {
    // ASan's leak check at exit is the assertion: every node, text copy and
    // the title must be freed by uiform_destroy after a failure mid-list.
    int32_t v = 0;
    const UiFormItem list[] = {
        {UIFORM_OPENL, 0, nullptr, L"list text"},
        {UIFORM_LABEL, 0, L"L:", L"label text"},
        {UIFORM_OPENR, 0, &v, L"group text"},
        {UIFORM_RADIOTEXT, 0, L"r", L"radio text"},
        {UIFORM_LABEL, 0, L"again", nullptr},
        {UIFORM_OPENH, 0, nullptr, L"row"},
        {UIFORM_COPYTEXT, 0, nullptr, L"no value"},
        uiform_end(0),
    };
    Form form;
    EXPECT_EQ(form.items(list), -4);
    EXPECT_EQ(shape(form.f->root),
              "OPENV#2000(OPENL#2001(LABEL#2002(OPENR#2003(RADIOTEXT#2004)) LABEL#2005(OPENH#2006)))");
}

TEST(UiFormBuild, KeywordsOfEveryCode) {
    const struct {
        uint32_t code;
        const char* keyword;
    } table[] = {
        {1, "CLOSE"},        {10, "LABEL"},     {11, "UINT"},       {12, "SINT"},        {13, "CHECKBUTTON"},
        {14, "LINEV"},       {0x400E, "LINEH"}, {15, "COMBO"},      {16, "EDITTIME"},    {17, "TEXT"},
        {18, "WRAPTEXT"},    {19, "COPYTEXT"},  {20, "LINKTEXT"},   {21, "EDITTEXT"},    {22, "BUTTON"},
        {23, "ICON"},        {24, "SPACE"},     {25, "EDITDATE"},   {26, "LISTBOX"},     {27, "CHECKLB"},
        {28, "COLORREF"},    {29, "OWNERDRAW"}, {30, "COMBOSTR"},   {31, "RADIOTEXT"},   {0x8000, "OPENV"},
        {0xC000, "OPENH"},   {0x8006, "OPENG"}, {0x8007, "OPENC"},  {0x8008, "OPENL"},   {0x8009, "OPENR"},
        {0xC009, "OPENRH"},  {0x8003, "???"},   {0xC003, "???"},    {0x8004, "???"},     {0xC005, "???"},
        {0, "???"},          {2, "???"},        {9, "???"},         {32, "???"},         {0x400D, "???"},
        {0xC0FF, "???"},
    };
    for (const auto& row : table) EXPECT_EQ(narrow(uiform_keyword(row.code)), row.keyword) << row.code;
    // Flag bits do not change the keyword.
    EXPECT_EQ(narrow(uiform_keyword(UIFORM_TEXT | UIF_VCENTER | UIF_STRETCH_X)), "TEXT");
}

TEST(UiFormBuild, OddCodesBecomeLeavesAndFramesOpenLevels) {
    Form form;
    form.add(UIFORM_FRAMEH);
    form.add(UIFORM_GRAYFRAMEV);   // a leaf despite its container bit
    form.add(0x80F0);              // unknown: a leaf without a control
    form.add(UIFORM_WHITEFRAMEH);
    form.add(UIFORM_CLOSE);
    form.add(UIFORM_FRAMEV);
    form.add(UIFORM_TEXT | 0xFF0000, 0, L"flags");
    EXPECT_EQ(shape(form.f->root), "OPENV#2000(???#2001(???#2002 ???#2003 ???#2004) ???#2006(TEXT#2007))");
    const UiFormNode* text = form.f->current->firstChild;
    EXPECT_EQ(text->kind, UIFORM_TEXT);
    EXPECT_EQ(text->flags, 0xFF0000u);
}

TEST(UiFormBuild, GotoListBecomesTwoAlignedRows) {
    uint32_t offset = 16, count = 0;
    const UiFormItem list[] = {
        {0xC8000, 0, nullptr, nullptr},
        {0x100C000, 9999, nullptr, nullptr},
        {0x11, 0, L"Offset:", nullptr},
        {0x100080B, 0, &offset, nullptr},
        {0x1, 0, nullptr, nullptr},
        {0x100C000, 9999, nullptr, nullptr},
        {0x11, 0, L"Select:", nullptr},
        {0x100080B, 0, &count, nullptr},
        {0x11, 0, L"bytes", nullptr},
        {0x1, 0, nullptr, nullptr},
        {0x1, 0, nullptr, nullptr},
        uiform_end(0),
    };
    Form form(L"Goto Dump");
    EXPECT_EQ(form.items(list), 0);
    EXPECT_EQ(form.lastTrace,
              "uiform_add 0 OPENV\nuiform_add 9999 OPENH\nuiform_add 0 TEXT\nuiform_add 0 UINT\n"
              "uiform_add 0 CLOSE\nuiform_add 9999 OPENH\nuiform_add 0 TEXT\nuiform_add 0 UINT\n"
              "uiform_add 0 TEXT\nuiform_add 0 CLOSE\nuiform_add 0 CLOSE\n");
    EXPECT_EQ(shape(form.f->root),
              "OPENV#2000(OPENV#2001(OPENH#9999(TEXT#2002 UINT#2003) OPENH#9999(TEXT#2005 UINT#2006 TEXT#2007)))");
    EXPECT_EQ(form.f->current, form.f->root);
    EXPECT_EQ(form.f->buttons, 0);
    const UiFormNode* outer = form.f->root->firstChild;
    EXPECT_EQ(outer->flags, UIF_MARGIN_X | UIF_MARGIN_Y);
    const UiFormNode* row = outer->firstChild;
    EXPECT_EQ(row->flags, UIF_STRETCH_X);
    EXPECT_EQ(row->firstChild->next->flags, UIF_STRETCH_X | UIF_FILEICON);
    EXPECT_EQ(row->firstChild->next->value, &offset);
    EXPECT_EQ(row->next->firstChild->next->value, &count);
}

TEST(UiFormBuild, AboutListBecomesIconRowTextsAndLinkRow) {
    const UiFormItem list[] = {
        {0xC8000, 0, nullptr, nullptr},
        {0xC000, 0, nullptr, nullptr},
        {0x17, 0, id_value(2000), nullptr},
        {0x18, 0, nullptr, nullptr},
        {0x18, 0, nullptr, nullptr},
        {0x18, 0, nullptr, nullptr},
        {0xC00011, 0, L"Clipnook v1.07", nullptr},
        {0x1, 0, nullptr, nullptr},
        {0x18, 0, nullptr, nullptr},
        {0x18, 0, nullptr, nullptr},
        {0x11, 0, L"notice", nullptr},
        {0x11, 0, L"author", nullptr},
        {0x18, 0, nullptr, nullptr},
        {0xC000, 0, nullptr, nullptr},
        {0x11, 0, L"Have a look at", nullptr},
        {0x14, 12345, L"site", L"https://example.invalid/"},
        {0x1, 0, nullptr, nullptr},
        uiform_end(1),
    };
    Form form(L"About Clipnook");
    EXPECT_EQ(form.items(list), 0);
    EXPECT_EQ(shape(form.f->root),
              "OPENV#2000(OPENV#2001(OPENH#2002(ICON#2003 SPACE#2004 SPACE#2005 SPACE#2006 TEXT#2007) "
              "SPACE#2009 SPACE#2010 TEXT#2011 TEXT#2012 SPACE#2013 OPENH#2014(TEXT#2015 LINKTEXT#12345)))");
    EXPECT_EQ(form.f->buttons, 1);
    EXPECT_EQ(form.f->nextId, 2017);
    EXPECT_EQ(form.f->current, form.f->root->firstChild);  // the outer column is never closed
    const UiFormNode* title = form.f->root->firstChild->firstChild->lastChild;
    EXPECT_EQ(title->flags, UIF_VCENTER);
    const UiFormNode* link = form.f->root->firstChild->lastChild->lastChild;
    EXPECT_EQ(std::wstring(link->text), L"https://example.invalid/");
}

TEST(UiFormBuild, ComboPiecesCutAllButTheLast) {
    std::vector<std::wstring> pieces;
    auto collect = [](void* ctx, const wchar_t* p, int32_t n) {
        static_cast<std::vector<std::wstring>*>(ctx)->emplace_back(p, static_cast<size_t>(n));
    };
    EXPECT_EQ(uiform_combo_pieces(L"a|b|c", collect, &pieces), 3);
    EXPECT_EQ(pieces, (std::vector<std::wstring>{L"a", L"b", L"c"}));
    pieces.clear();
    std::wstring longp(100, L'x');
    std::wstring text = longp + L"||" + longp;
    EXPECT_EQ(uiform_combo_pieces(text.c_str(), collect, &pieces), 3);
    EXPECT_EQ(pieces, (std::vector<std::wstring>{std::wstring(79, L'x'), L"", longp}));
    pieces.clear();
    EXPECT_EQ(uiform_combo_pieces(L"", collect, &pieces), 1);
    EXPECT_EQ(uiform_combo_pieces(L"a|", collect, &pieces), 2);
    EXPECT_EQ(pieces, (std::vector<std::wstring>{L"", L"a", L""}));
    EXPECT_EQ(uiform_combo_pieces(nullptr, collect, &pieces), 0);
}

TEST(UiFormBuild, TreeWalksAndLookups) {
    Form form;
    form.add(UIFORM_OPENV);
    form.add(UIFORM_OPENH);
    form.add(UIFORM_TEXT, 0, L"a");
    form.add(UIFORM_CLOSE);
    form.add(UIFORM_BUTTON, 0, L"b");
    std::string order;
    int32_t depths = 0;
    for (UiFormNode* n = form.f->root; n; n = uiform_node_next(form.f->root, n)) {
        order += std::to_string(n->id) + " ";
        depths = depths * 10 + uiform_node_depth(n);
    }
    EXPECT_EQ(order, "2000 2001 2002 2003 2005 ");
    EXPECT_EQ(depths, 1232);  // 0, 1, 2, 3, 2
    // A subtree walk stops at the subtree's end, not at its next sibling.
    UiFormNode* row = form.f->root->firstChild->firstChild;
    EXPECT_EQ(uiform_node_next(row, row)->id, 2003);
    EXPECT_EQ(uiform_node_next(row, row->firstChild), nullptr);

    int marker = 0;
    row->firstChild->control = &marker;
    EXPECT_EQ(uiform_find_control(form.f, &marker), row->firstChild);
    EXPECT_EQ(uiform_find_control(form.f, nullptr), nullptr);
    EXPECT_EQ(uiform_radio_group(row), nullptr);
}

TEST(UiFormBuild, DeepNestingIsFreedWithoutRecursion) {
    Form form;
    for (int i = 0; i < 200000; ++i) ASSERT_EQ(uiform_insert(form.f, UIFORM_OPENV, 0, nullptr, L"t"), 0);
    EXPECT_EQ(uiform_node_depth(form.f->current), 200000);
    // ~Form destroys the tree; a recursive free would overflow the stack.
}
