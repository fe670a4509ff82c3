// The drop target on a real main window: interfaces, reference counting,
// the effects it answers, the capture on drop and its log lines.
#include "win_test_util.h"
#include "test_data_object.h"
#include "dnd/drop_target.h"
#include "dnd/drop_target_internal.h"
#include "entries/entries.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Positions of the lines in the log, in order; -1 if a line is missing.
bool lines_in_order(const std::string& log, std::initializer_list<const char*> lines) {
    size_t at = 0;
    for (const char* line : lines) {
        size_t found = log.find(std::string("UIDrop          ") + line, at);
        if (found == std::string::npos) return false;
        at = found + 1;
    }
    return true;
}

size_t count_of(const std::string& log, const std::string& what) {
    size_t n = 0;
    for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(DropTarget, RegisteredOnTheMainWindowWithItsInterfaces) {
    MainWindowFixture f;
    IDropTarget* target = uidad_interface(f.state()->dropTarget);
    ASSERT_TRUE(target);

    void* out = reinterpret_cast<void*>(1);
    ASSERT_EQ(target->QueryInterface(IID_IDropTarget, &out), S_OK);
    EXPECT_EQ(out, target);
    static_cast<IUnknown*>(out)->Release();
    ASSERT_EQ(target->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, target);
    static_cast<IUnknown*>(out)->Release();
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(target->QueryInterface(IID_IDataObject, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(target->QueryInterface(IID_IDropSource, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    // The platform holds its own references: AddRef and Release are symmetric.
    ULONG held = target->AddRef();
    EXPECT_GE(held, 2u);
    EXPECT_EQ(target->Release(), held - 1);
}

TEST(DropTarget, EnterAndOverOfferCopyAndDropAnswersNone) {
    MainWindowFixture f;
    IDropTarget* target = uidad_interface(f.state()->dropTarget);
    ASSERT_TRUE(target);
    TestDataObject obj;
    obj.add(formatetc(CF_TEXT, TYMED_HGLOBAL), Answer::Block, pattern(12));
    POINTL pt{10, 10};
    for (DWORD offered : {DWORD{0}, DWORD{1}, DWORD{2}, DWORD{3}, DWORD{4}, DWORD{7}, DWORD{0x80000003}}) {
        for (DWORD keys : {DWORD{0}, DWORD{MK_CONTROL}, DWORD{MK_SHIFT}, DWORD{MK_CONTROL | MK_SHIFT | MK_ALT}}) {
            DWORD effect = offered;
            EXPECT_EQ(target->DragEnter(&obj, keys, pt, &effect), S_OK);
            EXPECT_EQ(effect, DWORD{DROPEFFECT_COPY});
            effect = offered;
            EXPECT_EQ(target->DragOver(keys, pt, &effect), S_OK);
            EXPECT_EQ(effect, DWORD{DROPEFFECT_COPY});
            EXPECT_EQ(target->DragLeave(), S_OK);
        }
    }
    EXPECT_EQ(f.state()->entries.count, 0);  // hovering captures nothing

    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target->DragEnter(&obj, MK_LBUTTON, pt, &effect), S_OK);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(&obj, 0, pt, &effect), S_OK);
    EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});
    EXPECT_EQ(f.state()->entries.count, 1);
    EXPECT_EQ(list_cell(f.state()->listView, 0, 5), L"12");
    EXPECT_EQ(window_text(f.window), L"Clipnook [Dropped Object]");
    EXPECT_EQ(obj.refs, 1);  // nothing of the object is kept after the drop
    EXPECT_EQ(obj.media.refs, 0);
}

TEST(DropTarget, DroppingAnObjectWithoutFormatsLeavesTheList) {
    MainWindowFixture f;
    IDropTarget* target = uidad_interface(f.state()->dropTarget);
    entry_add_ascii_table(&f.state()->entries);
    TestDataObject empty;
    DWORD effect = DROPEFFECT_MOVE;
    POINTL pt{0, 0};
    target->DragEnter(&empty, 0, pt, &effect);
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(&empty, 0, pt, &effect), S_OK);
    EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});
    EXPECT_EQ(f.state()->entries.count, 1);
    EXPECT_EQ(list_cell(f.state()->listView, 0, 0), L"ASCII Table");
    EXPECT_EQ(window_text(f.window), L"Clipnook [Files & Tables]");
}

TEST(DropTarget, DropWithFormatsOfEveryKindCapturesThemAll) {
    MainWindowFixture f;
    IDropTarget* target = uidad_interface(f.state()->dropTarget);
    TestDataObject obj;
    obj.add(formatetc(CF_UNICODETEXT, TYMED_HGLOBAL | TYMED_ISTREAM), Answer::Block, pattern(1024));
    obj.add(formatetc(CF_TEXT, TYMED_HGLOBAL), Answer::Fail);
    obj.add(formatetc(CF_DIB, TYMED_ISTREAM));
    obj.add(formatetc(CF_HDROP, TYMED_HGLOBAL), Answer::NullHandle);
    obj.add(formatetc(CF_OEMTEXT, TYMED_HGLOBAL), Answer::Block, pattern(9));
    DWORD effect = DROPEFFECT_COPY;
    POINTL pt{5, 5};
    target->DragEnter(&obj, 0, pt, &effect);
    effect = DROPEFFECT_COPY;
    ASSERT_EQ(target->Drop(&obj, 0, pt, &effect), S_OK);
    HWND lv = f.state()->listView;
    ASSERT_EQ(list_count(lv), 5);
    EXPECT_EQ(list_cell(lv, 0, 5), L"1'024");
    EXPECT_EQ(list_cell(lv, 1, 5), L"?GetData");
    EXPECT_EQ(list_cell(lv, 2, 4), L"ISTREAM");
    EXPECT_EQ(list_cell(lv, 2, 5), L"");
    EXPECT_EQ(list_cell(lv, 3, 5), L"?NULL");
    EXPECT_EQ(list_cell(lv, 4, 5), L"9");
    EXPECT_EQ(f.state()->entries.active, 0);
    EXPECT_EQ(obj.media.refs, 0);
    EXPECT_EQ(obj.enumeratorsAlive, 0);
}

TEST(DropTarget, LogLinesOfADragAndOfTheWindowsEnd) {
    std::string log;
    {
        StdoutCapture capture;
        {
            MainWindowFixture f;
            IDropTarget* target = uidad_interface(f.state()->dropTarget);
            TestDataObject obj;
            obj.add(formatetc(CF_TEXT, TYMED_HGLOBAL), Answer::Block, pattern(3));
            DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
            POINTL pt{1, 1};
            target->DragEnter(&obj, 0, pt, &effect);
            effect = DROPEFFECT_MOVE;
            target->DragOver(0, pt, &effect);
            effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
            target->Drop(&obj, 0, pt, &effect);
        }
        log = capture.stop();
    }
    EXPECT_TRUE(lines_in_order(log, {"uidad_drop_register", "uidad_IDropTarget_Construct", "IDropTargetHelper_Create"}))
        << log;
    // Either the helper was made or its absence is recorded, never both.
    EXPECT_LE(count_of(log, "ERROR: Could not get IDropTargetHelper reference!"), 1u);
    EXPECT_TRUE(lines_in_order(log, {"IDropTargetHelper_Create", "CoLockObjectExternal( TRUE)", "RegisterDragDrop"}))
        << log;
    EXPECT_TRUE(lines_in_order(log, {"uidad_IDropTarget_DragEnter: start dropeffect=3",
                                     "uidad_IDropTarget_DragEnter: end dropeffect=1",
                                     "uidad_IDropTarget_DragOver: start dropeffect=2",
                                     "uidad_IDropTarget_DragOver: end dropeffect=1",
                                     "uidad_IDropTarget_Drop: start dropeffect=3",
                                     "uidad_IDropTarget_Drop: end dropeffect=0"}))
        << log;
    EXPECT_TRUE(lines_in_order(log, {"uidad_drop_unregister", "RevokeDragDrop", "CoLockObjectExternal( FALSE)",
                                     "uidad_IDropTarget_Release", "uidad_IDropTarget_Destruct"}))
        << log;
    EXPECT_EQ(count_of(log, "uidad_IDropTarget_Destruct"), 1u);
    // Every reference taken was given back: the AddRef lines, plus the one of
    // construction, match the Release lines.
    EXPECT_EQ(count_of(log, "uidad_IDropTarget_AddRef") + 1, count_of(log, "uidad_IDropTarget_Release")) << log;
    // Level 0 lines with the drop target's tag.
    EXPECT_NE(log.find("   UIDrop          uidad_drop_register"), std::string::npos);
}

TEST(DropTarget, ConstructionChecksItsArgumentsAndCountsReferences) {
    MainWindowFixture f;
    static const FORMATETC none[1] = {};
    DropTarget* target = reinterpret_cast<DropTarget*>(1);
    EXPECT_EQ(uidad_IDropTarget_Construct(nullptr, f.window, none, DropHandler{}), E_INVALIDARG);
    EXPECT_EQ(uidad_IDropTarget_Construct(&target, nullptr, none, DropHandler{}), E_INVALIDARG);
    EXPECT_EQ(uidad_IDropTarget_Construct(&target, f.window, nullptr, DropHandler{}), E_INVALIDARG);
    EXPECT_EQ(IDropTargetHelper_Create(nullptr), E_INVALIDARG);

    FORMATETC list[3] = {formatetc(CF_TEXT, TYMED_HGLOBAL), formatetc(CF_DIB, TYMED_HGLOBAL), {}};
    std::string log;
    {
        StdoutCapture capture;
        ASSERT_EQ(uidad_IDropTarget_Construct(&target, f.window, list, DropHandler{}), S_OK);
        ASSERT_TRUE(target);
        EXPECT_EQ(uidad_IDropTarget_AddRef(target), 2u);
        EXPECT_EQ(uidad_IDropTarget_AddRef(target), 3u);
        EXPECT_EQ(uidad_IDropTarget_Release(target), 2u);
        EXPECT_EQ(uidad_IDropTarget_Release(target), 1u);
        EXPECT_EQ(uidad_IDropTarget_Release(target), 0u);
        log = capture.stop();
    }
    EXPECT_EQ(count_of(log, "uidad_IDropTarget_Destruct"), 1u);
}

TEST(DropTarget, UnregisteringBalancesOleAndToleratesNothingRegistered) {
    MainWindowFixture f;
    DropTarget* none = nullptr;
    uidad_drop_unregister(f.window, &none);
    uidad_drop_unregister(f.window, nullptr);
    EXPECT_FALSE(uidad_drop_register(f.window, &none, nullptr, DropHandler{}));
    EXPECT_EQ(none, nullptr);
    // A second target on a child window registers and unregisters cleanly; OLE
    // stays initialised for the main window afterwards.
    static const FORMATETC empty[1] = {};
    DropTarget* second = nullptr;
    ASSERT_TRUE(uidad_drop_register(f.state()->viewer.hexDump, &second, empty, DropHandler{}));
    ASSERT_TRUE(second);
    uidad_drop_unregister(f.state()->viewer.hexDump, &second);
    EXPECT_EQ(second, nullptr);
    IDataObject* clipboard = nullptr;
    EXPECT_EQ(OleGetClipboard(&clipboard), S_OK);
    if (clipboard) clipboard->Release();
}
