// The drop target on a real main window: effects, the drop it hands on, references, a failed registration.
#include "win_test.h"
#include "test_data_object.h"
#include "dnd/drop_target.h"
#include "entries/entries.h"

TEST(DropTarget, OffersACopyNeverClaimsTheDataRefusesWhileDisabledAndGivesBackEveryReference) {
    static const FORMATETC list[3] = {formatetc(CF_TEXT, TYMED_HGLOBAL), formatetc(CF_DIB, TYMED_HGLOBAL), {}};
    StdoutCapture log;
    {
        MainWindowFixture f;
        IDropTarget* target = uidad_interface(f.state()->dropTarget);
        EntryTable* table = &f.state()->entries;
        TestDataObject obj;
        obj.add(formatetc(CF_TEXT, TYMED_HGLOBAL), Answer::Block, pattern(12));
        entry_add_ascii_table(table);
        for (BOOL enabled : {FALSE, TRUE}) {  // a modal dialog disables the main window
            EnableWindow(f.window, enabled);
            for (DWORD offered : {0u, 2u, 3u, 7u, 0x80000003u}) {
                DWORD enter = offered, over = offered, keys = offered & 1 ? MK_CONTROL | MK_SHIFT | MK_ALT : 0;
                EXPECT_EQ(target->DragEnter(&obj, keys, POINTL{}, &enter), S_OK);
                EXPECT_EQ(target->DragOver(keys, POINTL{}, &over), S_OK);
                EXPECT_EQ(enter, enabled ? DWORD{DROPEFFECT_COPY} : DWORD{DROPEFFECT_NONE});
                EXPECT_EQ(over, enter);
            }
            EXPECT_EQ(table->items[0].size, 256u);  // hovering captures nothing
            DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
            EXPECT_EQ(target->Drop(&obj, 0, POINTL{}, &effect), S_OK);
            EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});  // a source that offered a move keeps its data
            EXPECT_EQ(table->items[0].size, enabled ? 12u : 256u);
            EXPECT_EQ(obj.refs, 1);
        }
        DropTarget* other = nullptr;
        EXPECT_FALSE(uidad_drop_register(f.window, &other, list, {}));  // the window has its target already
        EXPECT_EQ(other, nullptr);
        EXPECT_TRUE(log.has(' ', "ERROR: RegisterDragDrop failed, hr=80040101", "UIDrop"));
        EXPECT_EQ(log.count(' ', "uidad_IDropTarget_Destruct", "UIDrop"), 1);  // neither locked nor held
    }
    // Every reference taken was given back, OLE's included: one construction for each of the two.
    auto lines = [&](const char* what) { return log.count(' ', what, "UIDrop"); };
    EXPECT_EQ(lines("uidad_IDropTarget_AddRef") + 2, lines("uidad_IDropTarget_Release"));
    EXPECT_EQ(lines("uidad_IDropTarget_Destruct"), 2);
}
