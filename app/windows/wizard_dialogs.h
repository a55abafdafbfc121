// The setup wizard's two questions on a display: the list of supported
// software with OK and Cancel, and the choice of the server program.
#pragma once

#include <string>

class QWidget;

extern const char kWizardFileFilter[];  // "サーバーアプリケーション (*)"

// True for OK.
bool AskOkCancelBox(QWidget* parent, const std::string& text, const std::string& title);
// A file-open dialog for one existing file, offering every file, starting in
// the current folder; the chosen path (CP932) or "".
std::string ChooseServerProgram(QWidget* parent);
