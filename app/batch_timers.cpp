#include "app/batch_timers.h"

#include <cstdlib>

#include "app/app_ui.h"
#include "app/command_line.h"
#include "app/port_commands.h"
#include "app/port_map_command.h"
#include "app/sluice_app.h"
#include "foundation/data_folders.h"
#include "foundation/strlist.h"
#include "foundation/sysinfo.h"
#include "foundation/trace.h"
#include "platform/clock.h"

namespace {

struct BatchJob {
    int timer;
    const char* caption;  // busy panel
    const char* status;   // status line
    BatchPictureKind picture;
    void (*run)(AppUi& ui, MainFields& fields);
};

const BatchJob kJobs[] = {
    {kTimerBatchOpen, "Open....", "Port Open....", kPictureOpen,
     [](AppUi& ui, MainFields& fields) { OpenCommand(ui, fields); }},
    {kTimerBatchClose, "Close....", "Port Close....", kPictureClose,
     [](AppUi& ui, MainFields& fields) { CloseCommand(ui, fields); }},
    {kTimerBatchCloseAll, "All Close....", "Port All Close....", kPictureCloseAll, PortMapCommand},
};

const char* PicturePattern(BatchPictureKind kind) {
    switch (kind) {
        case kPictureOpen:
            return "*open.bmp";
        case kPictureClose:
            return "*close.bmp";
        case kPictureCloseAll:
            return "*closeall.bmp";
    }
    return "";
}

}  // namespace

std::string BatchPictureFolder() {
    return DataFile("bmp") + "/";
}

std::string BatchPicture(const std::string& folder, BatchPictureKind kind) {
    StrList found;
    FindFiles(folder.c_str(), PicturePattern(kind), found, kFindFiles, -1);
    if (found.Count() == 0) return std::string();
    std::srand(platform::TickCount());
    return found.GetAt(std::rand() % found.Count());
}

bool RunBatchTimer(AppUi& ui, MainFields& fields, int id) {
    for (const BatchJob& job : kJobs) {
        if (job.timer != id) continue;
        ui.StopTimer(id);
        if (SwitchHas("hide")) {
            ui.HideMainWindow();
        } else {
            ui.EnableMainWindow(false);
            std::string picture = BatchPicture(BatchPictureFolder(), job.picture);
            Trace("RunBatchTimer() picture", picture);
            ui.ShowBusyPanel(job.caption, picture);
            ui.SetStatusLine(job.status);
        }
        job.run(ui, fields);
        return true;
    }
    return false;
}
