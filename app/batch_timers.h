// The batch timers 1, 2 and 4: they carry out a batch open, close or
// close-all once the main window exists, hidden ("hide" in the switch text)
// or behind the busy panel with a picture from the bmp folder.
#pragma once

#include <string>

#include "app/main_fields.h"

class AppUi;

enum BatchPictureKind { kPictureOpen = 1, kPictureClose = 2, kPictureCloseAll = 3 };

// A picture of this kind picked at random from folder and its sub-folders
// ("*open.bmp", "*close.bmp", "*closeall.bmp"); "" when there is none.
std::string BatchPicture(const std::string& folder, BatchPictureKind kind);
// The bmp folder: beside the program, or in the installed data folder.
std::string BatchPictureFolder();

// Runs the batch work of timer id (1, 2 or 4); false for any other id.
bool RunBatchTimer(AppUi& ui, MainFields& fields, int id);
