#include "app/Commands.h"

#include <new>

#include "app/ArchiveDifferences.h"
#include "app/EditCommands.h"
#include "app/ExportCommands.h"
#include "app/Import.h"
#include "app/OpenClose.h"
#include "core/MessageTexts.h"
#include "core/platform/VbError.h"
#include "extract/Verify.h"
#include "replace/Properties.h"

namespace tessarin {

namespace {

void RunMenuItem(Program& program, const std::string& item) {
    IMainWindow& ui = program.ui;
    if (item == "nopen") {
        LoadArcFile(program);
    } else if (item == "nclose") {
        UnLoadArcFile(program);
    } else if (item == "nundo") {
        UndoLastChange(program);
    } else if (item == "nexit") {
        program.EndProgram();
    } else if (item == "nalle") {
        ExportAllEntries(program);
    } else if (item == "nverify") {
        VerifyArchive(program);
    } else if (item == "nexport") {
        ExportSelection(program, ui.Handle());
    } else if (item == "nimport") {
        ReplaceFile(program, ui.Handle());
    } else if (item == "ndelete") {
        DeleteSelected(program);
    } else if (item == "nimportdir") {
        ImportFolder(program);
    } else if (item == "nmerge") {
        MergePatchArchive(program);
    } else if (item == "nproperty") {
        ShowinfoSub(program);
    } else if (item == "nabout") {
        ui.ShowAbout();
    }
}

void RunToolbarButton(Program& program, int index) {
    switch (index) {
        case 1: LoadArcFile(program); break;
        case 2: UnLoadArcFile(program); break;
        case 4: ExportAllEntries(program); break;
        case 5: ExportSelection(program, program.ui.Handle()); break;
        case 6: ReplaceFile(program, program.ui.Handle()); break;
        case 8: ShowinfoSub(program); break;
        default: break;  // 3 and 7 are separators
    }
}

}  // namespace

void RunCommand(Program& program, const std::function<void()>& command) {
    const RunningCommand running(program);
    int number = 0;
    std::string description;
    // 撤销 is offered exactly while a previous version is kept, whatever ran.
    struct OfferUndo {
        Program& program;
        ~OfferUndo() {
            const bool available = program.undo.fileNum != 0;
            if (program.ending || available == program.undo.offered) return;
            program.undo.offered = available;
            program.ui.SetMenuEnabled("nundo", available);
        }
    } offerUndo{program};
    try {
        command();
        return;
    } catch (const VbError& error) {
        number = error.number();
        description = error.description();
    } catch (const std::bad_alloc&) {
        number = vberr::OutOfMemory;
        description = VbErrorDescription(number);
    } catch (const std::exception& error) {
        number = vberr::InternalError;
        description = error.what();
    }
    if (!program.ending) program.ui.MsgBox(UnknownErrorText(number, description), MsgIcon::Information, kUnknownErrorTitle);
}

void MenuClick(Program& program, const std::string& item) {
    RunCommand(program, [&] { RunMenuItem(program, item); });
}

void ToolbarClick(Program& program, int index) {
    RunCommand(program, [&] { RunToolbarButton(program, index); });
}

}  // namespace tessarin
